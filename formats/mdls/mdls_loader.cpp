#include "formats/mdls/mdls_loader.h"

#include "formats/file_io.h"
#include "formats/load_error.h"

namespace vertigon {

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

std::unique_ptr<Model> MdlsLoader::Load(const std::string&) {
    throw UnsupportedError("MDLS models are not supported yet");
}

}  // namespace vertigon
