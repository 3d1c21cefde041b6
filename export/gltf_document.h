// The glTF document of a Model, built in memory, and its serialised files.
#pragma once

#include <string>
#include <vector>

#include "export/file_set.h"
#include "export/gltf_export.h"
#include "export/tinygltf.h"

namespace vertigon {

enum class ImageStorage {
    Embedded,  // PNG bytes in the binary buffer (for .glb)
    Files,     // PNG files beside the document, named by `imageStem`
};

struct GltfDocument {
    tinygltf::Model gltf;
    std::vector<OutputFile> images;  // for ImageStorage::Files: paths relative to the document
};

GltfDocument BuildGltfDocument(Model& model, const GltfExportOptions& options, ImageStorage storage,
                               const std::string& imageStem = {});

// The bytes of a .glb file.
std::vector<uint8_t> SerializeGlb(tinygltf::Model& gltf);
// The text of a .gltf file whose buffer lives in the file named `binName`; the buffer's bytes are
// moved into `bin`.
std::vector<uint8_t> SerializeGltfText(tinygltf::Model& gltf, const std::string& binName, std::vector<uint8_t>& bin);

}  // namespace vertigon
