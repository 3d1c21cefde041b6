#pragma once

#include <string>

#include "formats/registry.h"

namespace vertigon {

// Opens `path` through the registry; on failure prints the one-line reason on standard error
// and stores the exit status the tool should end with.
Model* OpenModelForCli(LoaderRegistry& registry, const std::string& path, int* exitStatus);

const char* FileKindName(FileKind kind);

}  // namespace vertigon
