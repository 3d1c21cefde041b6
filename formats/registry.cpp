#include "formats/registry.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "formats/ffb/ffb_loader.h"
#include "formats/file_io.h"
#include "formats/load_error.h"
#include "formats/mdls/mdls_loader.h"
#include "formats/mdlx/mdlx_loader.h"
#include "formats/raw/raw_loader.h"

namespace vertigon {

namespace {

void Fail(LoadFailure* failure, LoadFailure::Reason reason, std::string message) {
    if (failure) *failure = {reason, std::move(message)};
}

// A path that cannot be read is no question of its kind: say so before asking any loader.
bool Readable(const std::string& path, LoadFailure* failure) {
    const std::string problem = OpenProblem(path);
    if (!problem.empty()) Fail(failure, LoadFailure::Reason::Unreadable, "cannot open " + path + ": " + problem);
    return problem.empty();
}

}  // namespace

std::vector<std::unique_ptr<ModelLoader>> LoaderRegistry::StandardLoaders() {
    std::vector<std::unique_ptr<ModelLoader>> loaders;
    loaders.push_back(std::make_unique<FfbLoader>());
    loaders.push_back(std::make_unique<MdlsLoader>());
    loaders.push_back(std::make_unique<MdlxLoader>());
    loaders.push_back(std::make_unique<RawLoader>());
    return loaders;
}

LoaderRegistry::LoaderRegistry(LoadContext context, std::vector<std::unique_ptr<ModelLoader>> loaders)
    : context_(std::move(context)), loaders_(std::move(loaders)) {}

LoaderRegistry::~LoaderRegistry() {
    ClearModels();
    loaders_.clear();
}

template <typename Load>
std::unique_ptr<Model> LoaderRegistry::Guarded(const ModelLoader& loader, Load load, LoadFailure* failure) const {
    try {
        std::unique_ptr<Model> model = load();
        if (!model) Fail(failure, LoadFailure::Reason::Malformed, std::string(loader.GetName()) + " built no model");
        return model;
    } catch (const FileError& e) {
        Fail(failure, LoadFailure::Reason::Unreadable, e.what());
    } catch (const UnsupportedError& e) {
        Fail(failure, LoadFailure::Reason::Unsupported, RefusalText(loader.FormatName(), e.what()));
    } catch (const LoadError& e) {
        Fail(failure, LoadFailure::Reason::Malformed, RefusalText(loader.FormatName(), e.what()));
    } catch (const std::bad_alloc&) {
        Fail(failure, LoadFailure::Reason::Malformed, "the file asks for more memory than is available");
    } catch (const std::length_error&) {
        Fail(failure, LoadFailure::Reason::Malformed, "the file asks for an impossible array size");
    }
    return nullptr;
}

ModelLoader* LoaderRegistry::GetLoader(int32_t index) const {
    if (index < 0 || index >= loaderCount()) return nullptr;
    return loaders_[static_cast<size_t>(index)].get();
}

ModelLoader* LoaderRegistry::FindLoaderByName(std::string_view name) const {
    for (const auto& loader : loaders_) {
        if (loader && name == loader->GetName()) return loader.get();
    }
    return nullptr;
}

ModelLoader* LoaderRegistry::FindLoader(const std::string& path) const {
    for (const auto& loader : loaders_) {
        if (loader && loader->CanLoad(path)) return loader.get();
    }
    return nullptr;
}

FileKind LoaderRegistry::FindFileKind(const std::string& path) const {
    ModelLoader* loader = FindLoader(path);
    return loader ? loader->GetFileKind(path) : FileKindNone;
}

std::unique_ptr<Model> LoaderRegistry::LoadFile(const std::string& path, LoadFailure* failure) const {
    if (!Readable(path, failure)) return nullptr;
    ModelLoader* loader = FindLoader(path);
    if (!loader) {
        Fail(failure, LoadFailure::Reason::NoLoader, "no loader accepts " + path);
        return nullptr;
    }
    return Guarded(*loader, [&] { return loader->Load(path, context_); }, failure);
}

std::unique_ptr<Model> LoaderRegistry::LoadFromMemory(ModelLoader& loader, const ModelBytes& bytes,
                                                      LoadFailure* failure) const {
    return Guarded(loader, [&] { return loader.LoadFromMemory(bytes, context_); }, failure);
}

Model* LoaderRegistry::OpenModel(const std::string& path, LoadFailure* failure) {
    if (!Readable(path, failure)) return nullptr;
    ModelLoader* loader = FindLoader(path);
    if (!loader) {
        Fail(failure, LoadFailure::Reason::NoLoader, "no loader accepts " + path);
        return nullptr;
    }
    if (loader->GetFileKind(path) != FileKindModel) {
        Fail(failure, LoadFailure::Reason::NotAModel,
             path + " is not a model (an animation file opens only beside its model)");
        return nullptr;
    }
    std::unique_ptr<Model> model = Guarded(*loader, [&] { return loader->Load(path, context_); }, failure);
    if (!model) return nullptr;
    model->owner = this;
    models_.push_back(std::move(model));
    return models_.back().get();
}

void LoaderRegistry::ClearModels() {
    // Head first, as the models were opened.
    std::vector<std::unique_ptr<Model>> doomed;
    doomed.swap(models_);
    for (auto& model : doomed) model.reset();
}

void LoaderRegistry::DestroyModel(Model* model) {
    auto it = std::find_if(models_.begin(), models_.end(), [model](const auto& m) { return m.get() == model; });
    if (it != models_.end()) models_.erase(it);
}

std::string LoaderRegistry::FilterString() const {
    std::string wildcard;
    for (size_t i = 0; i < loaders_.size(); ++i) {
        if (i > 0) wildcard += '|';
        if (loaders_[i]) wildcard += loaders_[i]->GetFilterString();
    }
    return wildcard;
}

}  // namespace vertigon
