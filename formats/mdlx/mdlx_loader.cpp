#include "formats/mdlx/mdlx_loader.h"

#include "formats/file_io.h"
#include "formats/loader_options.h"
#include "formats/mdlx/mdlx_model.h"

namespace vertigon {

namespace {

constexpr uint8_t kBarMagic[4] = {0x42, 0x41, 0x52, 0x01};

}  // namespace

// The extension is not looked at: any file that starts with "BAR" 0x01 is taken.
bool MdlxLoader::CanLoad(const std::string& path) { return FileStartsWith(path, kBarMagic, sizeof kBarMagic); }

FileKind MdlxLoader::GetFileKind(const std::string& path) {
    return HasExtension(path, ".mset") ? FileKindAnimation : FileKindModel;
}

const char* MdlxLoader::GetFilterString() const {
    return "Kingdom Hearts 2 Model (*.MDLX)|*.MDLX|Kingdom Hearts 2 Animation (*.MSET)|*.MSET";
}

std::string MdlxLoader::CompanionPath(const std::string& modelPath) const {
    return ReplaceExtension(modelPath, ".mset");
}

std::unique_ptr<Model> MdlxLoader::LoadFromMemory(const ModelBytes& bytes, const LoadContext& context) {
    std::unique_ptr<Model> model = mdlx::BuildModel(bytes.file, context.gsMemory, context.options.maxWorkBytes);
    // A model from an MDLX file never has animations.
    model->animationGroups.clear();
    return model;
}

}  // namespace vertigon
