// vertigon-cli export without the command line: models exported as glTF, one at a time or
// several at once, each job in its own workspace.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "export/gltf_export.h"
#include "formats/loader_options.h"

namespace vertigon {

struct ExportBatch {
    std::vector<std::string> models;
    // A .glb or .gltf file for a single model, otherwise a directory of <name>.glb files.
    std::filesystem::path out;
    GltfExportOptions options;  // Lods and frames; the names and callbacks are set per model
    LoaderOptions loaderOptions;
    int32_t jobs = 1;
    bool progressLines = false;  // one line per finished model
};

// Whether `out` names one .glb or .gltf file (any case), as opposed to a directory.
bool IsGltfFileName(const std::filesystem::path& out);

// Where each model of the batch goes.
std::vector<std::filesystem::path> ExportTargets(const ExportBatch& batch);

// Exports every model and returns the tool's exit status: 0 all exported, 1 some could not be
// read or written, 2 some argument is not a model. Each message line (failures, the exporter's
// warnings, progress) goes to `print`, one call at a time; a model's lines come together.
int RunExportBatch(const ExportBatch& batch, const std::function<void(const std::string&)>& print);

}  // namespace vertigon
