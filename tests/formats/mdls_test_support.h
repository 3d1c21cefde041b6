// Small builders shared by the MDLS loader tests.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "formats/loader_options.h"
#include "formats/mdls/mdls_loader.h"
#include "formats/status_report.h"
#include "tests/fixtures/mdls_writer.h"
#include "tests/fixtures/temp_dir.h"

namespace vertigon::testing {

// Options under which no program image is found.
inline LoaderOptions WithoutImage() {
    LoaderOptions options;
    options.searchDefaultEeImagePlaces = false;
    return options;
}

// Collects status reports for the lifetime of the object.
class StatusCapture {
public:
    StatusCapture() : scope_([this](std::string_view m) { messages.emplace_back(m); }) {}
    std::vector<std::string> messages;

private:
    ScopedStatusReporter scope_;
};

// Writes model.mdls (and model.mset when given) into a scratch folder and loads it.
inline std::unique_ptr<Model> LoadMdlsFiles(MdlsLoader& loader, const std::vector<uint8_t>& mdls,
                                            const std::optional<std::vector<uint8_t>>& mset = std::nullopt) {
    TempDir dir;
    const std::string path = dir.Write("model.mdls", mdls);
    if (mset) dir.Write("model.mset", *mset);
    return loader.Load(path);
}

inline std::unique_ptr<Model> LoadMdls(const MdlsDescription& description) {
    MdlsLoader loader(WithoutImage());
    return LoadMdlsFiles(loader, WriteMdls(description));
}

inline MdlsUnweightedVertex At(float x, float y, float z, uint32_t slot = 0, float u = 0, float v = 0) {
    return {slot, {x, y, z}, u, v};
}

// n unweighted vertices of slot 0 at (i, 0, 0) with u = i.
inline std::vector<MdlsUnweightedVertex> Row(size_t n) {
    std::vector<MdlsUnweightedVertex> vertices;
    for (size_t i = 0; i < n; ++i) vertices.push_back(At(float(i), 0, 0, 0, float(i), 0.5f));
    return vertices;
}

inline MdlsMesh Mesh(uint8_t shape, const MdlsStream& stream, uint32_t texture = 0) {
    MdlsMesh mesh;
    mesh.shape = shape;
    mesh.textureIndex = texture;
    mesh.stream = stream.bytes;
    return mesh;
}

}  // namespace vertigon::testing
