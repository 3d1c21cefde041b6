// Owns the model loaders, decides which one handles a path, and keeps the models opened
// through it. Made by a workspace, whose load context every load gets.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formats/load_context.h"
#include "formats/model_loader.h"

namespace vertigon {

// Why OpenModel gave no model.
struct LoadFailure {
    enum class Reason {
        None,
        NoLoader,     // no loader accepts the path
        NotAModel,    // accepted, but the file is an animation (or of no kind)
        Unreadable,   // the file could not be opened or read
        Malformed,    // the file does not hold what it claims
        Unsupported,  // this build cannot turn the file into a model
    };
    Reason reason = Reason::None;
    std::string message;
};

class LoaderRegistry final : public ModelOwner {
public:
    // A registry over the given loaders, in the given order.
    LoaderRegistry(LoadContext context, std::vector<std::unique_ptr<ModelLoader>> loaders);
    ~LoaderRegistry();
    LoaderRegistry(const LoaderRegistry&) = delete;
    LoaderRegistry& operator=(const LoaderRegistry&) = delete;

    // In this fixed order: FfbLoader, MdlsLoader, MdlxLoader, RawLoader.
    static std::vector<std::unique_ptr<ModelLoader>> StandardLoaders();

    int32_t loaderCount() const { return static_cast<int32_t>(loaders_.size()); }
    ModelLoader* GetLoader(int32_t index) const;
    // The first loader whose CanLoad accepts the path, or null.
    ModelLoader* FindLoader(const std::string& path) const;
    // The loader whose GetName is `name`, or null.
    ModelLoader* FindLoaderByName(std::string_view name) const;
    FileKind FindFileKind(const std::string& path) const;
    // The first accepting loader's model; null when the path cannot be read ("cannot open
    // PATH: REASON"), no loader accepts it or the load fails.
    std::unique_ptr<Model> LoadFile(const std::string& path, LoadFailure* failure = nullptr) const;
    // `loader`'s model from bytes in memory; null (and the reason) when it fails.
    std::unique_ptr<Model> LoadFromMemory(ModelLoader& loader, const ModelBytes& bytes,
                                          LoadFailure* failure = nullptr) const;
    // Loads a model-kind file and appends it to the model list; null (and the reason) otherwise.
    Model* OpenModel(const std::string& path, LoadFailure* failure = nullptr);
    // Destroys every listed model, whatever its reference count.
    void ClearModels();

    // The loaders' filter strings joined by '|', in registry order.
    std::string FilterString() const;

    const std::vector<std::unique_ptr<Model>>& models() const { return models_; }
    void DestroyModel(Model* model) override;

private:
    template <typename Load>
    std::unique_ptr<Model> Guarded(const ModelLoader& loader, Load load, LoadFailure* failure) const;

    LoadContext context_;
    std::vector<std::unique_ptr<ModelLoader>> loaders_;
    std::vector<std::unique_ptr<Model>> models_;
};

}  // namespace vertigon
