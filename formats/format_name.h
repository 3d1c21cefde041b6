#pragma once

#include <string>

#include "formats/model_loader.h"

namespace vertigon {

// The file format a loader reads, as people name it: "MdlxLoader" -> "MDLX".
std::string FormatName(const ModelLoader& loader);

}  // namespace vertigon
