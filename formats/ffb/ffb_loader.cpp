#include "formats/ffb/ffb_loader.h"

#include "formats/file_io.h"
#include "formats/load_error.h"

namespace vertigon {

bool FfbLoader::CanLoad(const std::string& path) { return HasExtension(path, ".FFB"); }

FileKind FfbLoader::GetFileKind(const std::string&) { return FileKindModel; }

const char* FfbLoader::GetFilterString() const { return "Final Fantasy X / X2 Model (*.FFB)|*.FFB"; }

std::unique_ptr<Model> FfbLoader::Load(const std::string&) {
    throw UnsupportedError("FFB models are not supported yet");
}

}  // namespace vertigon
