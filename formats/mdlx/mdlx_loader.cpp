#include "formats/mdlx/mdlx_loader.h"

#include "formats/file_io.h"
#include "formats/load_error.h"

namespace vertigon {

namespace {
constexpr uint8_t kBarMagic[4] = {0x42, 0x41, 0x52, 0x01};
}

// The extension is not looked at: any file that starts with "BAR" 0x01 is taken.
bool MdlxLoader::CanLoad(const std::string& path) { return FileStartsWith(path, kBarMagic, sizeof kBarMagic); }

FileKind MdlxLoader::GetFileKind(const std::string& path) {
    return HasExtension(path, ".mset") ? FileKindAnimation : FileKindModel;
}

const char* MdlxLoader::GetFilterString() const {
    return "Kingdom Hearts 2 Model (*.MDLX)|*.MDLX|Kingdom Hearts 2 Animation (*.MSET)|*.MSET";
}

std::unique_ptr<Model> MdlxLoader::Load(const std::string&) {
    throw UnsupportedError("MDLX models are not supported yet");
}

}  // namespace vertigon
