#pragma once

#include <string>

#include "formats/registry.h"
#include "formats/status_report.h"

namespace vertigon {

// Status reports printed as "vertigon-cli: <message>" and emulator text, both on standard error
// (standard output carries JSON).
StatusSink CliStatusSink();

// Opens `path` through the registry; on failure prints the one-line reason on standard error
// and stores the exit status the tool should end with.
Model* OpenModelForCli(LoaderRegistry& registry, const std::string& path, int* exitStatus);

const char* FileKindName(FileKind kind);

}  // namespace vertigon
