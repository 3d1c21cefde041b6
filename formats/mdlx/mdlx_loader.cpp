#include "formats/mdlx/mdlx_loader.h"

#include <exception>

#include "formats/file_io.h"
#include "formats/mdlx/mdlx_model.h"

namespace vertigon {

namespace {

constexpr uint8_t kBarMagic[4] = {0x42, 0x41, 0x52, 0x01};

// The companion animation file beside the model (its path with the extension from the last '.'
// replaced by ".mset", or ".mset" appended when there is none) is read whole and dropped: no
// animation is decoded from it. A missing or unreadable companion is not an error.
void ReadCompanion(const std::string& modelPath) {
    try {
        const std::vector<uint8_t> companion = ReadWholeFile(ReplaceExtension(modelPath, ".mset"));
        (void)companion;
    } catch (const std::exception&) {
        // Nothing depends on it.
    }
}

}  // namespace

// The extension is not looked at: any file that starts with "BAR" 0x01 is taken.
bool MdlxLoader::CanLoad(const std::string& path) { return FileStartsWith(path, kBarMagic, sizeof kBarMagic); }

FileKind MdlxLoader::GetFileKind(const std::string& path) {
    return HasExtension(path, ".mset") ? FileKindAnimation : FileKindModel;
}

const char* MdlxLoader::GetFilterString() const {
    return "Kingdom Hearts 2 Model (*.MDLX)|*.MDLX|Kingdom Hearts 2 Animation (*.MSET)|*.MSET";
}

std::unique_ptr<Model> MdlxLoader::Load(const std::string& path) {
    std::unique_ptr<Model> model;
    {
        const std::vector<uint8_t> file = ReadWholeFile(path);
        model = BuildMdlxModel(file);
    }
    ReadCompanion(path);
    // A model from an MDLX file never has animations.
    model->animationGroups.clear();
    return model;
}

}  // namespace vertigon
