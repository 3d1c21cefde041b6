// File > Export...: the shown model as glTF, with a progress dialog for long exports.
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/progdlg.h>
#include <wx/stopwatch.h>

#include <cctype>
#include <filesystem>
#include <memory>
#include <optional>
#include <utility>

#include "app/main_frame.h"
#include "app/viewer.h"
#include "app/wx_text.h"
#include "export/gltf_export.h"
#include "formats/registry.h"
#include "scene/animation.h"
#include "scene/scene_graph.h"

namespace vertigon {

namespace {

// Work that is not done after this long gets a progress dialog.
constexpr long kProgressDelayMs = 400;
constexpr int kProgressSteps = 1000;

}  // namespace

void Viewer::ChooseExport() {
    if (!state_.currentModel()) return;
    const std::filesystem::path source(state_.currentPath());
    wxFileDialog dialog(frame_, "Export", PathToWx(source.parent_path().string()),
                        PathToWx(source.stem().string() + ".glb"),
                        "glTF binary (*.glb)|*.glb|glTF with separate files (*.gltf)|*.gltf",
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT, wxDefaultPosition, wxDefaultSize, "exportdlg");
    if (dialog.ShowModal() != wxID_OK) return;
    std::filesystem::path path(PathFromWx(dialog.GetPath()));
    const std::string chosen = dialog.GetFilterIndex() == 1 ? ".gltf" : ".glb";
    std::string extension = path.extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension != ".glb" && extension != ".gltf") path += chosen;
    std::string failure;
    if (!ExportShownModel(path.string(), &failure) && !failure.empty()) {
        wxMessageBox(ToWx(failure), "Export failed", wxOK | wxICON_ERROR, frame_);
    }
}

bool Viewer::ExportShownModel(const std::string& path, std::string* failure) {
    failure->clear();
    Model* model = state_.currentModel();
    if (!model) {
        *failure = "No model is shown.";
        return false;
    }
    GltfExportOptions options;
    const std::string& source = state_.currentPath();
    options.sourceName = std::filesystem::path(source).filename().string();
    if (const ModelLoader* loader = state_.registry() ? state_.registry()->FindLoader(source) : nullptr) {
        options.formatName = loader->FormatName();
    }
    std::string firstWarning;
    options.warn = [&](std::string_view line) {
        if (firstWarning.empty()) firstWarning = line;
    };
    std::unique_ptr<wxProgressDialog> progress;
    wxStopWatch clock;
    bool cancelled = false;
    options.progress = [&](int32_t done, int32_t total) {
        if (!progress && clock.Time() >= kProgressDelayMs) {
            progress = std::make_unique<wxProgressDialog>(
                "Export", "Exporting " + PathToWx(std::filesystem::path(path).filename().string()), kProgressSteps,
                frame_, wxPD_CAN_ABORT | wxPD_APP_MODAL | wxPD_AUTO_HIDE | wxPD_ELAPSED_TIME);
        }
        if (!progress) return true;
        const int value = total > 0 ? static_cast<int>(int64_t{done} * (kProgressSteps - 1) / total) : 0;
        cancelled = !progress->Update(value);
        return !cancelled;
    };
    // Baking runs the emulated clips in the workspace's emulator, whose memory then holds the
    // last baked clip's state: the shown emulated clip starts again from its first frame, as
    // on opening, so that it plays exactly as it would have.
    const std::optional<std::pair<int32_t, int32_t>> emulated = EmulatedClipOf(*state_.current());
    const auto restartEmulatedClip = [&] {
        if (emulated) state_.SelectAnimation(emulated->first, emulated->second);
    };
    try {
        ExportGltf(*model, path, options);
    } catch (const ExportError& error) {
        restartEmulatedClip();
        progress.reset();
        if (cancelled) {
            ShowStatus("Export cancelled");
        } else {
            *failure = error.what();
            ShowStatus("Could not export " + std::filesystem::path(path).filename().string());
        }
        return false;
    }
    restartEmulatedClip();
    progress.reset();
    ShowStatus("Exported " + std::filesystem::path(path).filename().string() +
               (firstWarning.empty() ? "" : " (" + firstWarning + ")"));
    return true;
}

}  // namespace vertigon
