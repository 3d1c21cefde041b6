// The browser edition's viewer: the desktop's ViewerState (workspace, model view, switches,
// playback, framing) over a WebGL2 renderer on the page's canvas, with what the page's window
// shows kept as text for the page to read after each call. Files reach it through the module's
// in-memory file system, all in one folder, so that an MDLS model finds its .mset beside it and
// PageDown/PageUp walk the opened files as the desktop walks a folder.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "render/renderer.h"
#include "web/module/web_gl_context.h"

namespace vertigon {

class WebViewer final : public ViewerUi {
public:
    // Draws on the canvas `canvasSelector` names; an empty selector makes a viewer that loads,
    // animates and exports without drawing (node).
    explicit WebViewer(const std::string& canvasSelector);
    ~WebViewer() override;
    WebViewer(const WebViewer&) = delete;
    WebViewer& operator=(const WebViewer&) = delete;

    // The program image MDLS animations run in: a file of the in-memory file system, or empty
    // to have none. The workspace is made again and the shown file opened again with it.
    void SetProgramImage(const std::string& path);
    // Whether MDLS animations can run (an image was given and accepted).
    bool emulatorReady() const;

    // Opens `path`; without Autoplay the model shows frame 0 of its start animation, paused.
    bool Open(const std::string& path);
    bool autoplay = true;

    // ViewerUi
    void FillAnimations(Model* model) override;
    void ShowStatus(const std::string& text) override { status_ = text; }
    void ShownModelChanged() override { ++changes_; }
    void SwitchesChanged() override { ++changes_; }

    const std::string& status() const { return status_; }
    // Counts every change of the shown model or its switches, so the page knows when to refresh.
    int32_t changes() const { return changes_; }
    // The animation list as JSON: {"root": text, "groups": [{"text", "leaves": [{"text", "group", "index"}]}]}.
    const std::string& animationListJson() const { return animations_; }
    // The stats lines as JSON: [[label, value], ...]; "[]" without a model.
    std::string StatsJson() const;

    ViewerState& state() { return state_; }

    // ---- drawing ----
    void Resize(int32_t width, int32_t height);
    // One redraw advanced by `milliseconds` of the page's clock (a frame step per 25 ms).
    void Draw(double milliseconds);
    // The drawn view, R, G, B rows top to bottom (empty without a canvas).
    std::vector<uint8_t> ReadPixels();
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }

    // ---- export ----
    // The shown model as binary glTF at `path` (the exporter's own file writing); the status
    // line says what happened. False with the reason in `failure()`.
    bool ExportGlb(const std::string& path);
    const std::string& failure() const { return failure_; }

private:
    void MakeCore();

    std::unique_ptr<WebGlContext> context_;
    std::unique_ptr<Renderer> renderer_;
    std::string programImage_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    std::string status_;
    std::string animations_;
    std::string failure_;
    int32_t changes_ = 0;
    ViewerState state_{this};
};

// The loaders' check on bytes: `loaderName`'s model from `file` (and `companion` when given),
// loaded in a workspace of its own without a program image and dropped. Empty when the model
// loads, otherwise the one-line reason.
std::string LoadBytesReason(const std::string& loaderName, const std::vector<uint8_t>& file,
                            const std::vector<uint8_t>* companion);

}  // namespace vertigon
