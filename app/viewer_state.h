// What the viewer shows and the handlers change, apart from any window: the workspace,
// the model view (scene, camera, shown entry, orbit controls, shared with the tool), and the
// operations behind the menus, the toolbar and the mouse. The windows implement ViewerUi and
// are told what changed; tests drive this class without a display.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "formats/loader_options.h"
#include "formats/registry.h"
#include "formats/workspace.h"
#include "scene/guides.h"
#include "scene/model_view.h"
#include "scene/playback.h"

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

// The status line's text for an open that gave no model; for a path that cannot be read, the
// registry's "cannot open PATH: REASON".
std::string OpenFailureText(const std::string& path, const LoadFailure& failure);
// "<name>: <n> triangles, <n> bones, <n> textures, <n> animations" (triangles of the first Lod),
// followed by "; <report>" when something was reported during the open.
std::string OpenSuccessText(const std::string& path, const Model& model, const std::string& report = {});
// "<name> - Vertigon 0.3" while a model is shown, the program title otherwise; "*" in front
// while the shown model has changes not saved.
std::string WindowTitle(const std::string& shownPath, bool unsaved = false);

// The group and index of the entry's clip when it is one an export bakes in the emulator (the
// export leaves the emulator's memory holding the last baked clip, so the shown one restarts).
std::optional<std::pair<int32_t, int32_t>> EmulatedClipOf(const ModelEntry& entry);

// The file after (delta > 0) or before (delta < 0) `path` among the files of its folder, in
// name order, counting only those `isModel` accepts; empty at either end or when the folder
// cannot be read.
std::string NeighbourFile(const std::string& path, int delta, const std::function<bool(const std::string&)>& isModel);

// A file opened in a workspace of its own, away from any view: the viewer's start-up opens the
// model named on its command line on a second thread while the windows are built.
struct OpenedFile {
    std::unique_ptr<Workspace> workspace;  // its registry holds the model
    std::string path;
    Model* model = nullptr;  // null when the open failed, as `failure` says
    LoadFailure failure;
    std::vector<std::string> startReports;  // what the workspace reported as it started
    std::string openReport;                 // the last report made during the open
};
// Makes a workspace over `options` and opens `path` in it, as ViewerState::OpenFile would. It
// touches nothing else, so it may run on any thread.
OpenedFile OpenInNewWorkspace(const LoaderOptions& options, const std::string& path);

class ViewerState {
public:
    explicit ViewerState(ViewerUi* ui = nullptr) : ui_(ui) {}
    ~ViewerState() { TearDown(); }
    ViewerState(const ViewerState&) = delete;
    ViewerState& operator=(const ViewerState&) = delete;

    // The workspace, whose status reports come to Report, then the root node and the camera at
    // (0, 0, 400).
    void CreateCore(const LoaderOptions& options = {});
    // The same over a workspace made elsewhere (tests inject loaders); with none, only the
    // scene, the workspace coming later with ShowOpened.
    void CreateCore(std::unique_ptr<Workspace> workspace);
    // The scene tree (releasing the shown model), then the workspace. Safe to call twice.
    void TearDown();

    // Replaces the shown model: the old entry goes first, then the registry's models; a model
    // that opens is shown as ModelView::Show shows it. Returns whether a model is shown; a
    // failure empties the animation list and says why on the status line. A renderer failure
    // (RenderError) is passed on, with nothing shown.
    bool OpenFile(const std::string& path);
    // The same for a file OpenInNewWorkspace opened: its workspace replaces this one (the
    // workspace's start-up reports come to Report), then its model, or its failure, is shown
    // as OpenFile shows it.
    bool ShowOpened(OpenedFile opened);

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
    // Turns by whole degrees (the arrow keys).
    void TurnDegrees(float yawDegrees, float pitchDegrees);
    // Frames the shown entry at its current pose; false without one (or with nothing to frame).
    bool FrameModel();
    // The start-up camera.
    void ResetView();
    // The view's size before the first redraw, so that framing on open knows the aspect.
    void SetViewSize(int32_t width, int32_t height);
    // One redraw: the playback's step advances the animations, viewport size, update, render.
    void DrawFrame(int32_t width, int32_t height, float step);

    // ---- playback of the shown entry's animation ----
    // The clip the playback bar drives: the shown entry's current one, or null.
    Animation* clip() const { return current() ? current()->currentAnimation : nullptr; }
    bool Playing() const { return clip() && !playback_.paused; }
    // Whether the clock moves the picture: a clip that plays, can produce poses and has not
    // stopped by itself (an emulated run that failed holds its last pose).
    bool Animating() const;
    // Whether the picture would change without any input: it is animating, or the shown
    // entry holds a pose the screen does not show yet. A view may rest while this is false,
    // drawing again only when the user, the window or the model changes something.
    bool Moving() const;
    void TogglePause();
    void StepFrames(int32_t delta);
    // Pauses and shows frame `frame`, as the slider asks.
    void SeekFrame(int32_t frame);
    void SetSpeed(float speed) { playback_.speed = speed; }
    void SetLoop(bool loop) { playback_.loop = loop; }
    const Playback& playback() const { return playback_; }

    // ---- guides and the shown file ----
    bool frameOnOpen = true;
    bool gridShown = false;
    bool axesShown = false;
    // The grid's lines for the shown model (empty without one).
    const std::vector<Vec4>& gridLines() const { return gridLines_; }
    // The path last given to OpenFile, shown or not.
    const std::string& lastPath() const { return lastPath_; }
    // The next (delta 1) or previous (-1) model file beside the last path; empty when none.
    std::string NeighbourPath(int delta) const;

    // ---- texture edits of the shown model ----
    // Texture `index` of the shown model becomes the picture (R, G, B, A) as the model's file
    // can hold it, and the view shows it at once; the file itself is written by SaveModelAs.
    // Returns false with the reason in *message (nothing changes), true with what was done.
    bool ReplaceTexture(int32_t index, const std::string& pictureName, int32_t width, int32_t height,
                        std::vector<uint8_t> rgba, std::string* message);
    // Writes the shown model's file with its edits to `path` (a temporary name renamed when
    // complete), which then is the shown file. False with the reason.
    bool SaveModelAs(const std::string& path, std::string* failure);
    // Whether the shown model has texture changes not written by SaveModelAs.
    bool unsavedChanges() const { return edited_.has_value(); }

    Workspace* workspace() const { return workspace_.get(); }
    LoaderRegistry* registry() const { return workspace_ ? &workspace_->registry() : nullptr; }
    Scene& scene() { return view_.scene; }
    const OrbitControls& controls() const { return view_.controls; }
    ModelEntry* current() const { return view_.current(); }
    Model* currentModel() const { return current() ? &current()->model() : nullptr; }
    // The file the shown model was opened from; empty without one.
    const std::string& currentPath() const { return currentPath_; }

private:
    void DestroyCurrent();
    void BeginOpen(const std::string& path);
    bool FinishOpen(const std::string& path, Model* model, const LoadFailure& failure);
    void LayOutGuides();

    ViewerUi* ui_;
    Playback playback_;
    std::vector<Vec4> gridLines_;
    std::string lastPath_;
    std::unique_ptr<Workspace> workspace_;
    ModelView view_;
    std::string currentPath_;
    bool opening_ = false;
    std::string openReport_;  // the last report made while a file opened
    std::optional<std::vector<uint8_t>> edited_;  // the shown model's file with unsaved edits
};

// Which flag a toolbar switch (5 to 9) or a context-menu switch (11 to 14) changes; 0 for
// any other id.
int32_t SwitchFlag(int id);

}  // namespace vertigon
