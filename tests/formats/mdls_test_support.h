// Small builders shared by the MDLS loader tests.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ee/output.h"
#include "formats/loader_options.h"
#include "formats/mdls/mdls_loader.h"
#include "formats/status_report.h"
#include "formats/workspace.h"
#include "tests/fixtures/mdls_writer.h"
#include "tests/fixtures/temp_dir.h"
#include "tests/formats/load_support.h"

namespace vertigon::testing {

// Collects status reports: those of a workspace made with Sink(), or of `workspace` for the
// lifetime of the object.
class StatusCapture {
public:
    StatusCapture() = default;
    explicit StatusCapture(Workspace& workspace) : workspace_(&workspace) {
        workspace.status().SetReporter(Reporter());
    }
    ~StatusCapture() {
        if (workspace_) workspace_->status().SetReporter({});
    }
    StatusCapture(const StatusCapture&) = delete;
    StatusCapture& operator=(const StatusCapture&) = delete;

    StatusSink Sink() { return StatusSink(Reporter()); }
    std::vector<std::string> messages;

private:
    StatusReporter Reporter() {
        return [this](std::string_view m) { messages.emplace_back(m); };
    }
    Workspace* workspace_ = nullptr;
};

// `sink` with the emulator's text sent to `text`.
inline StatusSink WithEmulatorText(StatusSink sink, EeOutputSink& text) {
    sink.SetEmulatorWriter([&text](std::string_view t) { text.Write(t); });
    return sink;
}

// Writes model.mdls (and model.mset when given) into a scratch folder and loads it.
inline std::unique_ptr<Model> LoadMdlsFiles(Workspace& workspace, const std::vector<uint8_t>& mdls,
                                            const std::optional<std::vector<uint8_t>>& mset = std::nullopt) {
    TempDir dir;
    const std::string path = dir.Write("model.mdls", mdls);
    if (mset) dir.Write("model.mset", *mset);
    return MdlsLoader().Load(path, workspace.context());
}

inline std::unique_ptr<Model> LoadMdls(const MdlsDescription& description) {
    Workspace workspace(NoImageSearch());
    return LoadMdlsFiles(workspace, WriteMdls(description));
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
