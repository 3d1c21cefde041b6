#include "formats/mdls/mdls_loader.h"

#include <filesystem>
#include <system_error>

#include "formats/byte_reader.h"
#include "formats/file_io.h"
#include "formats/load_error.h"
#include "formats/mdls/emulated_animation.h"
#include "formats/mdls/mdls_model.h"
#include "formats/mdls/mset_reader.h"
#include "formats/mdls/mdls_emulator.h"
#include "formats/status_report.h"

namespace vertigon {
namespace {

// The companion's animations as one group "generic"; nothing when it cannot be used.
void AttachAnimations(Model& model, const ModelBytes& bytes, mdls::AnimationSource source, const StatusSink& status) {
    if (!bytes.companionReadError.empty()) {
        status.Report("animations of " + bytes.companionName + " ignored: " + bytes.companionReadError);
        return;
    }
    if (!bytes.companion) return;
    std::vector<mdls::AnimationBlock> blocks;
    try {
        source.msetFile = std::make_shared<const std::vector<uint8_t>>(bytes.companion->begin(), bytes.companion->end());
        blocks = mdls::ReadAnimationBlocks(ByteReader(*source.msetFile));
    } catch (const LoadError& e) {
        status.Report("animations of " + bytes.companionName + " ignored: " + RefusalText("MSET", e.what()));
        return;
    }
    const auto shared = std::make_shared<const mdls::AnimationSource>(std::move(source));
    AnimationGroup& group = model.animationGroups.emplace_back();
    group.name = "generic";
    for (size_t i = 0; i < blocks.size(); ++i) {
        group.animations.push_back(
            std::make_unique<mdls::EmulatedAnimation>(shared, blocks[i].offset, blocks[i].size, static_cast<int>(i)));
    }
}

}  // namespace

std::string MdlsLoader::CompanionPath(const std::string& modelPath) const {
    const std::string exact = ReplaceExtension(modelPath, ".mset");
    std::error_code error;
    if (std::filesystem::exists(exact, error)) return exact;
    const std::filesystem::path wanted(exact);
    const std::filesystem::path folder = wanted.has_parent_path() ? wanted.parent_path() : ".";
    const std::string stem = wanted.stem().string();
    std::filesystem::directory_iterator entry(folder, error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        const std::filesystem::path name = entry->path().filename();
        if (name.stem().string() == stem && HasExtension(name.string(), ".mset")) return entry->path().string();
    }
    return exact;
}

bool MdlsLoader::CanLoad(const std::string& path) {
    return HasExtension(path, ".MDLS") || HasExtension(path, ".MSET");
}

FileKind MdlsLoader::GetFileKind(const std::string& path) {
    if (HasExtension(path, ".MDLS")) return FileKindModel;
    if (HasExtension(path, ".MSET")) return FileKindAnimation;
    return FileKindNone;
}

const char* MdlsLoader::GetFilterString() const {
    return "Kingdom Hearts Model (*.MDLS)|*.MDLS|Kingdom Hearts Animation (*.MSET)|*.MSET";
}

std::unique_ptr<Model> MdlsLoader::LoadFromMemory(const ModelBytes& bytes, const LoadContext& context) {
    auto file = std::make_shared<const std::vector<uint8_t>>(bytes.file.begin(), bytes.file.end());
    const ByteReader reader(*file);
    std::unique_ptr<Model> model = mdls::ReadModel(reader, context.options.maxWorkBytes);
    const size_t modelBlockSize = mdls::ModelBlockSize(reader);
    if (mdls::AnimationRoutines* routines = context.emulator->routines()) routines->SetModelSource(file, modelBlockSize);
    AttachAnimations(*model, bytes, mdls::AnimationSource{context.emulator, file, modelBlockSize, {}}, context.status);
    return model;
}

}  // namespace vertigon
