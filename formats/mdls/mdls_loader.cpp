#include "formats/mdls/mdls_loader.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "formats/byte_reader.h"
#include "formats/file_io.h"
#include "formats/load_error.h"
#include "formats/mdls/emulated_animation.h"
#include "formats/mdls/mdls_model.h"
#include "formats/mdls/mset_reader.h"
#include "formats/status_report.h"

namespace vertigon {
namespace {

bool Opens(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    std::fclose(file);
    return true;
}

// The model's path with ".mset" for its extension; on a case-sensitive file system, failing
// that, the same name with the extension in any case ("HERO.MSET" beside "HERO.MDLS").
std::string CompanionPath(const std::string& modelPath) {
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

// The companion's animations as one group "generic"; nothing when it cannot be used.
void AttachAnimations(Model& model, const std::string& companion, MdlsAnimationSource source) {
    if (!Opens(companion)) return;
    std::vector<MsetAnimationBlock> blocks;
    try {
        source.msetFile = std::make_shared<const std::vector<uint8_t>>(ReadWholeFile(companion));
        blocks = ReadMsetAnimationBlocks(ByteReader(*source.msetFile));
    } catch (const LoadError& e) {
        ReportStatus("animations of " + companion + " ignored: " + e.what());
        return;
    }
    const auto shared = std::make_shared<const MdlsAnimationSource>(std::move(source));
    AnimationGroup& group = model.animationGroups.emplace_back();
    group.name = "generic";
    for (size_t i = 0; i < blocks.size(); ++i) {
        group.animations.push_back(
            std::make_unique<EmulatedAnimation>(shared, blocks[i].offset, blocks[i].size, static_cast<int>(i)));
    }
}

}  // namespace

MdlsLoader::MdlsLoader(const LoaderOptions& options) : emulator_(std::make_shared<MdlsEmulator>(options)) {}

MdlsLoader::MdlsLoader(std::shared_ptr<MdlsEmulator> emulator) : emulator_(std::move(emulator)) {}

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

std::unique_ptr<Model> MdlsLoader::Load(const std::string& path) {
    auto file = std::make_shared<const std::vector<uint8_t>>(ReadWholeFile(path));
    const ByteReader reader(*file);
    std::unique_ptr<Model> model = ReadMdlsModel(reader);
    const size_t modelBlockSize = MdlsModelBlockSize(reader);
    if (EeHarness* harness = emulator_->harness()) harness->SetModelSource(file, modelBlockSize);
    AttachAnimations(*model, CompanionPath(path), MdlsAnimationSource{emulator_, file, modelBlockSize, {}});
    return model;
}

}  // namespace vertigon
