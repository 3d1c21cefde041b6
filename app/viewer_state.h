// What the viewer shows and the handlers change, apart from any window: the workspace,
// the scene with its camera and the current model entry, the orbit controls, and the
// operations behind the menus, the toolbar and the mouse. The windows implement ViewerUi and
// are told what changed; tests drive this class without a display.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "formats/loader_options.h"
#include "formats/registry.h"
#include "formats/workspace.h"
#include "scene/orbit_controls.h"
#include "scene/scene_graph.h"

namespace vertigon {

class ViewerUi {
public:
    virtual ~ViewerUi() = default;
    // Refills the animation list from `model`; null empties it to "No animation".
    virtual void FillAnimations(Model* model) = 0;
    // Writes the status line.
    virtual void ShowStatus(const std::string& text) = 0;
    // The shown model was replaced (or removed): tools, model windows, an immediate repaint.
    virtual void ShownModelChanged() = 0;
    // A display switch, the shading or the Lod of the shown entry changed.
    virtual void SwitchesChanged() = 0;
};

// The status line's text for an open that gave no model.
std::string OpenFailureText(const std::string& path, const LoadFailure& failure);
// "Opened <name>", followed by "; <report>" when something was reported during the open.
std::string OpenSuccessText(const std::string& path, const std::string& report = {});

class ViewerState {
public:
    explicit ViewerState(ViewerUi* ui = nullptr) : ui_(ui) {}
    ~ViewerState() { TearDown(); }
    ViewerState(const ViewerState&) = delete;
    ViewerState& operator=(const ViewerState&) = delete;

    // The workspace, whose status reports come to Report, then the root node and the camera at
    // (0, 0, 400).
    void CreateCore(const LoaderOptions& options = {});
    // The same over a workspace made elsewhere (tests inject loaders).
    void CreateCore(std::unique_ptr<Workspace> workspace);
    // The scene tree (releasing the shown model), then the workspace. Safe to call twice.
    void TearDown();

    // Replaces the shown model: the old entry goes first, then the registry's models; a model
    // that opens gets a new entry under the root, placed at the origin, playing animation 0 of
    // group 1 when there is one. Returns whether a model is shown; a failure empties the
    // animation list and says why on the status line.
    bool OpenFile(const std::string& path);

    // A message from elsewhere in the program (a status report): shown on the status line at
    // once; one that arrives while a file opens is kept in the open's own status text.
    void Report(const std::string& message);

    // ---- display switches of the shown entry; all do nothing (false) without one ----
    // Toolbar switches 5 to 9 with the tool's new pressed state; the flat switch also marks
    // the pose dirty, so that the normals are rewritten or frozen at once.
    bool SetSwitch(int toolId, bool on);
    // Context menu switches 11 to 14: exclusive or with the flag.
    bool ToggleSwitch(int menuId);
    // "Flat" (true) or "Gouraud" (false).
    bool SetFlatShading(bool flat);
    // Draws Lod `lod`; an index outside the model's Lods is refused.
    bool SelectLod(int32_t lod);
    // Starts an animation of the shown entry from frame 0.
    bool SelectAnimation(int32_t group, int32_t index);
    // Whether toolbar switch `toolId` (5 to 9) is on; all are off without an entry.
    bool SwitchOn(int toolId) const;

    // ---- camera and frame ----
    void SetBackgroundColour(uint8_t red, uint8_t green, uint8_t blue);
    void Zoom(int rotation);
    // Returns whether the camera moved.
    bool Motion(const OrbitMotion& motion);
    // One redraw: viewport size, update with `step` of animation time, render.
    void DrawFrame(int32_t width, int32_t height, float step);

    Workspace* workspace() const { return workspace_.get(); }
    LoaderRegistry* registry() const { return workspace_ ? &workspace_->registry() : nullptr; }
    Scene& scene() { return scene_; }
    const OrbitControls& controls() const { return controls_; }
    ModelEntry* current() const { return current_; }
    Model* currentModel() const { return current_ ? &current_->model() : nullptr; }

private:
    void DestroyCurrent();

    ViewerUi* ui_;
    std::unique_ptr<Workspace> workspace_;
    Scene scene_;
    OrbitControls controls_;
    ModelEntry* current_ = nullptr;  // owned by the scene tree
    bool opening_ = false;
    std::string openReport_;  // the last report made while a file opened
};

// Which flag a toolbar switch (5 to 9) or a context-menu switch (11 to 14) changes; 0 for
// any other id.
int32_t SwitchFlag(int id);

}  // namespace vertigon
