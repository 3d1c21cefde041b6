#include "formats/raw/raw_loader.h"

#include "formats/file_io.h"
#include "formats/load_error.h"

namespace vertigon {

bool RawLoader::CanLoad(const std::string& path) { return HasExtension(path, ".raw"); }

FileKind RawLoader::GetFileKind(const std::string&) { return FileKindModel; }

const char* RawLoader::GetFilterString() const { return "Final Fantasy XII Model (*.RAW)|*.RAW"; }

std::unique_ptr<Model> RawLoader::Load(const std::string&) {
    throw UnsupportedError("RAW models are not supported yet");
}

}  // namespace vertigon
