#include "export/gltf_export.h"

#include <algorithm>
#include <cctype>

#include "export/file_set.h"
#include "export/gltf_document.h"

#ifndef VERTIGON_VERSION
#define VERTIGON_VERSION "0.3"
#endif

namespace vertigon {

std::string GltfGenerator() { return std::string("Vertigon ") + VERTIGON_VERSION; }

void ExportGltf(Model& model, const std::filesystem::path& out, const GltfExportOptions& options) {
    std::string extension = out.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension != ".glb" && extension != ".gltf") {
        throw ExportError("cannot write " + out.string() + ": the name must end in .glb or .gltf");
    }
    const std::filesystem::path directory = out.parent_path();
    const std::string stem = out.stem().string();
    std::vector<OutputFile> files;
    if (extension == ".glb") {
        GltfDocument document = BuildGltfDocument(model, options, ImageStorage::Embedded);
        files.push_back({out, SerializeGlb(document.gltf)});
    } else {
        GltfDocument document = BuildGltfDocument(model, options, ImageStorage::Files, stem);
        std::vector<uint8_t> bin;
        std::vector<uint8_t> text = SerializeGltfText(document.gltf, stem + ".bin", bin);
        if (!bin.empty()) files.push_back({directory / (stem + ".bin"), std::move(bin)});
        for (OutputFile& image : document.images) files.push_back({directory / image.path, std::move(image.bytes)});
        files.push_back({out, std::move(text)});
    }
    WriteFilesWhole(files);
}

}  // namespace vertigon
