// The viewer's windows and what they share: builds them in start-up order, opens files, turns
// menu and toolbar commands into ViewerState operations, and keeps the windows in step with
// the shown model (animation list, tool states, texture and stats windows, status line).
#pragma once

// wx/weakref.h uses std::is_base_of without including its header.
#include <type_traits>

#include <wx/weakref.h>

#include <functional>
#include <string>
#include <vector>

#include "app/preferences.h"
#include "app/viewer_state.h"
#include "render/render_error.h"

namespace vertigon {

class AnimationBrowser;
class MainFrame;
class ModelDropTarget;
class PlaybackBar;
class RenderView;
class StatsWindow;
class TextureViewer;

class Viewer final : public ViewerUi {
public:
    Viewer();
    ~Viewer() override;
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;

    // Registry, root and camera; the main frame with its render view and drop target; the
    // animation browser. The frame is shown before the view's renderer is made (the OpenGL
    // context needs a realised window), then every path is opened in order and the browser
    // is shown. Returns false, after telling the user, when the view gets no OpenGL 3.3 core
    // context.
    bool Start(const std::vector<std::string>& paths, const LoaderOptions& loaderOptions = {});
    // Called after every frame the view puts on the screen (set before Start).
    void SetFramePresentedObserver(std::function<void(RenderView&)> observer) { framePresented_ = std::move(observer); }
    // Replaces the shown model (File > Open, a drop, the command line).
    void OpenFile(const std::string& path);
    // The same for a file opened away from the view (the command line's, at start-up).
    void ShowOpened(OpenedFile opened);
    // A drawing failure: shown in message boxes titled "Error", then the viewer closes and the
    // program ends with status 1.
    void RenderFailed(const RenderError& error);
    bool failed() const { return failed_; }
    // The scene tree (and the shown model), then the registry; the device goes with the view.
    void ReleaseScene();

    // ---- commands ----
    void OnSwitchTool(int id, bool pressed);
    void OnViewTextureTool(bool pressed);
    void OnContextCommand(int id);
    void ShowTextureViewer();
    void ShowStats();
    void ShowAnimationBrowser();
    void ChooseBackgroundColour();
    void ChooseFile();
    // The texture window's "Export..." (a PNG of texture `index`) and "Replace..." (a PNG put in
    // its place, through ViewerState::ReplaceTexture); failures go to a message box.
    void ChooseTextureExport(int32_t index);
    void ChooseTextureReplacement(int32_t index);
    // File > Save model as...: a save dialog, then ViewerState::SaveModelAs. Returns whether
    // the model was written.
    bool ChooseSaveModel();
    // While the shown model has unsaved changes: asks whether to save them (Yes saves, No
    // drops them, Cancel keeps everything). Returns whether the caller may go on.
    bool ConfirmUnsavedChanges();
    // File > Export...: a save dialog, then ExportShownModel; a failure's reason goes to a
    // message box.
    void ChooseExport();
    // Exports the shown model as glTF (.glb or .gltf by the name); a long export shows a
    // progress dialog that can cancel it. Returns whether the file was written; otherwise
    // `failure` gets the reason (empty when the user cancelled).
    bool ExportShownModel(const std::string& path, std::string* failure);
    void ShowAbout();
    // View and File menu commands from id 1002 up; `checked` is a check item's new state.
    void OnViewCommand(int id, bool checked);
    // A key pressed anywhere in the main frame; false when it is not the viewer's.
    bool OnKey(int keyCode, bool control, bool alt);
    // Asks where, then writes the view as a PNG.
    void ChooseImageFile();
    // Writes the view (without the playback bar) as a PNG at its size; false with a message on
    // the status line when it cannot.
    bool SaveImage(const std::string& path);
    // The preferences as they stand, written to the preferences file.
    void SavePreferences();
    // Where the preferences live; set before Start (tests point it elsewhere).
    void SetPreferencesPath(std::string path) { preferencesPath_ = std::move(path); }
    // The file dialog's wildcard: the loaders' filter strings joined by '|'.
    std::string FileDialogWildcard() const;

    // ---- ViewerUi ----
    void FillAnimations(Model* model) override;
    void ShowStatus(const std::string& text) override;
    void ShownModelChanged() override;
    void SwitchesChanged() override;

    ViewerState& state() { return state_; }
    MainFrame* frame() const { return frame_; }
    RenderView* view() const { return view_; }
    AnimationBrowser* browser() const { return browser_; }
    PlaybackBar* playbackBar() const { return bar_; }
    ModelDropTarget* dropTarget() const { return dropTarget_; }
    TextureViewer* textureViewer() const { return textures_; }
    StatsWindow* statsWindow() const { return stats_; }
    bool textureViewerShown() const;

private:
    void CloseTextureViewer();
    // The texture window when it is open, else the main frame.
    wxWindow* DialogParent() const;
    // Bar contents, its visibility and the frame-rate field after a frame at tick `now`.
    void AfterFrame(uint32_t now);
    void RefreshPlaybackBar();
    Preferences CurrentPreferences() const;
    // Start-up's steps before anything is shown: the saved preferences into the state, then
    // the windows.
    void ApplyPreferences();
    void BuildWindows();

    ViewerState state_{this};
    // The toolkit owns the windows; the references go null when a window is destroyed.
    wxWeakRef<MainFrame> frame_;
    wxWeakRef<RenderView> view_;
    wxWeakRef<AnimationBrowser> browser_;
    wxWeakRef<PlaybackBar> bar_;
    wxWeakRef<TextureViewer> textures_;
    wxWeakRef<StatsWindow> stats_;
    ModelDropTarget* dropTarget_ = nullptr;  // owned by the view
    std::function<void(RenderView&)> framePresented_;
    std::string pendingStatus_;  // reported before the main frame existed
    std::string preferencesPath_ = PreferencesPath();
    Preferences preferences_;  // as loaded; the parts the viewer does not hold elsewhere
    uint32_t rateStart_ = 0;   // tick the frame-rate count started at
    int rateFrames_ = 0;
    bool rateShown_ = false;
    bool failed_ = false;
};

}  // namespace vertigon
