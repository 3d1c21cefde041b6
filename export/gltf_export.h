// Export of a Model to glTF 2.0: meshes, skin, textures and every animation, in one .glb file or
// a .gltf file with its .bin and PNG textures beside it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "export/export_error.h"
#include "scene/model.h"

namespace vertigon {

struct GltfExportOptions {
    bool allLods = false;  // every Lod, or only `lod`
    int32_t lod = 0;
    int32_t bakeFrames = 120;  // frames baked of each emulated animation
    std::string sourceName;    // the model's file name and format, kept in the asset's extras
    std::string formatName;
    // Called as work progresses; returning false cancels, and the export throws ExportCancelled.
    std::function<bool(int32_t done, int32_t total)> progress;
    // One line each (no newline) for standard error: what the file cannot hold as the viewer shows it.
    std::function<void(std::string_view)> warn;
};

// Writes `out`: binary glTF when it ends in .glb, text glTF with OUT-stem.bin and
// OUT-stem_NNN.png beside it when it ends in .gltf (either in any case). Every file is written
// under a temporary name in its directory and renamed when complete, so nothing is left half
// written. Throws ExportError with a one-line reason. Emulated animations are played on the
// Model's own animation objects; their clocks are put back afterwards.
void ExportGltf(Model& model, const std::filesystem::path& out, const GltfExportOptions& options);

// The text of asset.generator.
std::string GltfGenerator();

}  // namespace vertigon
