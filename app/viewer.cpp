#include "app/viewer.h"

#include <wx/app.h>
#include <wx/colordlg.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/statusbr.h>

#include <filesystem>
#include <future>

#include "app/about_text.h"
#include "app/animation_browser.h"
#include "app/main_frame.h"
#include "app/key_map.h"
#include "app/model_drop_target.h"
#include "app/playback_bar.h"
#include "app/render_view.h"
#include "app/stats_window.h"
#include "app/texture_viewer.h"
#include "app/viewer_ids.h"
#include "app/wx_text.h"
#include "render/render_error.h"
#include "render/rgb_image.h"

namespace vertigon {

Viewer::Viewer() = default;

Viewer::~Viewer() {
    ReleaseScene();
}

bool Viewer::Start(const std::vector<std::string>& paths, const LoaderOptions& loaderOptions) {
    // A single model named is opened on a second thread while the windows are built; its
    // workspace then becomes the viewer's.
    std::future<OpenedFile> opening;
    if (paths.size() == 1) {
        opening = std::async(std::launch::async, OpenInNewWorkspace, loaderOptions, paths.front());
        state_.CreateCore(nullptr);
    } else {
        state_.CreateCore(loaderOptions);
    }
    ApplyPreferences();
    BuildWindows();
    frame_->Show();
    try {
        view_->CreateRenderer();
    } catch (const RenderError& e) {
        wxMessageBox(ToWx(std::string("Vertigon cannot draw: ") + e.what()), "Error", wxOK | wxICON_ERROR);
        frame_->Destroy();
        return false;
    }
    if (opening.valid()) {
        ShowOpened(opening.get());
    } else {
        for (const std::string& path : paths) OpenFile(path);
    }
    browser_->Show();
    return true;
}

void Viewer::ApplyPreferences() {
    preferences_ = LoadPreferences(preferencesPath_);
    state_.frameOnOpen = preferences_.frameOnOpen;
    state_.gridShown = preferences_.grid;
    state_.axesShown = preferences_.axes;
    if (const auto colour = preferences_.background) {
        state_.SetBackgroundColour((*colour >> 16) & 0xFF, (*colour >> 8) & 0xFF, *colour & 0xFF);
    }
}

void Viewer::BuildWindows() {
    const WindowPlacement placement = preferences_.window.value_or(WindowPlacement{});
    frame_ = new MainFrame(*this, kProgramTitle, wxPoint(placement.x, placement.y),
                           wxSize(placement.width, placement.height));
    if (!pendingStatus_.empty()) frame_->SetStatusText(ToWx(pendingStatus_));
    frame_->SetRecentFiles(preferences_.recentFiles);
    view_ = new RenderView(frame_, state_, [this](int id) { OnContextCommand(id); }, wxPoint(0, 0), wxSize(1392, 893));
    bar_ = new PlaybackBar(frame_, PlaybackBarActions{
                                       [this] { state_.TogglePause(); RefreshPlaybackBar(); },
                                       [this](int32_t delta) { state_.StepFrames(delta); RefreshPlaybackBar(); },
                                       [this](int32_t frame) { state_.SeekFrame(frame); RefreshPlaybackBar(); },
                                       [this](float speed) { state_.SetSpeed(speed); },
                                       [this](bool loop) { state_.SetLoop(loop); },
                                   });
    bar_->Hide();
    frame_->LayOutChildren(view_, bar_);
    frame_->RefreshTools();
    view_->SetFrameObserver([this](uint32_t now) { AfterFrame(now); });
    dropTarget_ = new ModelDropTarget([this](const std::string& path) { OpenFile(path); });
    view_->SetDropTarget(dropTarget_);
    if (framePresented_) view_->SetAfterPresent([this] { framePresented_(*view_); });
    browser_ = new AnimationBrowser(frame_, wxPoint(100, 100), wxSize(150, 300),
                                    [this](int32_t group, int32_t index) { state_.SelectAnimation(group, index); });
    if (wxTheApp) wxTheApp->SetTopWindow(frame_);
    view_->SetFailureHandler([this](const RenderError& error) { RenderFailed(error); });
}

void Viewer::OpenFile(const std::string& path) {
    if (!ConfirmUnsavedChanges()) return;
    try {
        if (state_.OpenFile(path) && frame_) frame_->AddRecentFile(path);
    } catch (const RenderError& error) {
        RenderFailed(error);
    }
}

void Viewer::ShowOpened(OpenedFile opened) {
    const std::string path = opened.path;
    try {
        if (state_.ShowOpened(std::move(opened)) && frame_) frame_->AddRecentFile(path);
    } catch (const RenderError& error) {
        RenderFailed(error);
    }
}

void Viewer::RenderFailed(const RenderError& error) {
    if (failed_) return;
    failed_ = true;
    std::string message = error.what();
    std::string log;
    if (const auto* shader = dynamic_cast<const ShaderError*>(&error)) log = shader->log();
    // Shown once the current event is handled: a paint handler must not run a modal loop.
    const auto show = [this, message, log] {
        wxMessageBox(ToWx(message), "Error", wxOK);
        if (!log.empty()) wxMessageBox(ToWx(log), "Error", wxOK);
        if (frame_) frame_->Close(true);
    };
    if (frame_) {
        frame_->CallAfter(show);
    } else {
        show();
    }
}

void Viewer::ReleaseScene() { state_.TearDown(); }

void Viewer::OnSwitchTool(int id, bool pressed) {
    // Without a model nothing changes; the tool goes back to its unpressed state.
    if (!state_.SetSwitch(id, pressed) && frame_) frame_->RefreshTools();
}

void Viewer::OnViewTextureTool(bool pressed) {
    if (pressed && state_.current()) {
        ShowTextureViewer();
    } else if (!pressed) {
        CloseTextureViewer();
    }
    if (frame_) frame_->RefreshTools();
}

void Viewer::OnContextCommand(int id) {
    if (id >= kIdMenuTexture && id <= kIdMenuWireframe) {
        state_.ToggleSwitch(id);
    } else if (id == kIdMenuFlat || id == kIdMenuGouraud) {
        state_.SetFlatShading(id == kIdMenuFlat);
    } else if (id == kIdMenuViewTextures) {
        ShowTextureViewer();
    } else if (id == kIdMenuViewStats) {
        ShowStats();
    } else if (id >= kIdMenuFirstLod && id <= kIdMenuLastLod) {
        state_.SelectLod(id - kIdMenuFirstLod);
    }
}

bool Viewer::textureViewerShown() const { return textures_ && textures_->IsShown(); }

void Viewer::ShowTextureViewer() {
    const Model* model = state_.currentModel();
    if (!model || !frame_) return;
    if (!textures_) {
        textures_ = new TextureViewer(
            frame_,
            [this] {
                textures_ = nullptr;
                if (frame_) frame_->RefreshTools();
            },
            [this](int32_t index, bool replace) {
                if (replace) {
                    ChooseTextureReplacement(index);
                } else {
                    ChooseTextureExport(index);
                }
            });
    }
    textures_->ShowModel(*model);
    textures_->Show();
    textures_->Raise();
    frame_->RefreshTools();
}

void Viewer::CloseTextureViewer() {
    if (!textures_) return;
    TextureViewer* window = textures_;
    textures_ = nullptr;
    window->Destroy();
}

void Viewer::ShowStats() {
    const Model* model = state_.currentModel();
    if (!model || !frame_) return;
    if (!stats_) stats_ = new StatsWindow(frame_);
    stats_->ShowModel(*model);
    stats_->Show();
    stats_->Raise();
}

void Viewer::ShowAnimationBrowser() {
    if (!browser_) return;
    browser_->Show();
    browser_->Raise();
}

void Viewer::ChooseBackgroundColour() {
    wxColourData data;
    const uint32_t packed = state_.scene().PackedClearColour();
    data.SetColour(wxColour((packed >> 16) & 0xFF, (packed >> 8) & 0xFF, packed & 0xFF));
    wxColourDialog dialog(nullptr, &data);
    if (dialog.ShowModal() != wxID_OK) return;
    const wxColour colour = dialog.GetColourData().GetColour();
    state_.SetBackgroundColour(colour.Red(), colour.Green(), colour.Blue());
    preferences_.background = static_cast<uint32_t>(colour.Red()) << 16 | static_cast<uint32_t>(colour.Green()) << 8 |
                              colour.Blue();
    SavePreferences();
    if (view_) view_->Refresh(false);
}

std::string Viewer::FileDialogWildcard() const {
    return state_.registry() ? state_.registry()->FilterString() : std::string();
}

void Viewer::ChooseFile() {
    wxFileDialog dialog(frame_, "Choose a file", PathToWx(preferences_.lastFolder), "", ToWx(FileDialogWildcard()),
                        wxFD_OPEN, wxDefaultPosition, wxDefaultSize, "filedlg");
    if (dialog.ShowModal() != wxID_OK) return;
    preferences_.lastFolder = PathFromWx(dialog.GetDirectory());
    OpenFile(PathFromWx(dialog.GetPath()));
}

void Viewer::OnViewCommand(int id, bool checked) {
    switch (id) {
        case kIdFrameModel:
            state_.FrameModel();
            break;
        case kIdResetView:
            state_.ResetView();
            break;
        case kIdFrameOnOpen:
            state_.frameOnOpen = checked;
            SavePreferences();
            break;
        case kIdGrid:
            state_.gridShown = checked;
            SavePreferences();
            break;
        case kIdAxes:
            state_.axesShown = checked;
            SavePreferences();
            break;
        case kIdSaveImage:
            ChooseImageFile();
            break;
        case kIdNextFile:
        case kIdPreviousFile: {
            const std::string next = state_.NeighbourPath(id == kIdNextFile ? 1 : -1);
            if (!next.empty()) OpenFile(next);
            break;
        }
        default:
            return;
    }
    if (view_) view_->Refresh(false);
}

bool Viewer::OnKey(int keyCode, bool control, bool alt) {
    switch (MapKey(keyCode, control, alt)) {
        case KeyCommand::None:
            return false;
        case KeyCommand::FrameModel:
            OnViewCommand(kIdFrameModel, false);
            break;
        case KeyCommand::ResetView:
            OnViewCommand(kIdResetView, false);
            break;
        case KeyCommand::PlayPause:
            state_.TogglePause();
            break;
        case KeyCommand::StepBack:
            state_.StepFrames(-1);
            break;
        case KeyCommand::StepForward:
            state_.StepFrames(1);
            break;
        // As a drag the same way would turn.
        case KeyCommand::TurnLeft:
            state_.TurnDegrees(kArrowTurnDegrees, 0.0f);
            break;
        case KeyCommand::TurnRight:
            state_.TurnDegrees(-kArrowTurnDegrees, 0.0f);
            break;
        case KeyCommand::TurnUp:
            state_.TurnDegrees(0.0f, kArrowTurnDegrees);
            break;
        case KeyCommand::TurnDown:
            state_.TurnDegrees(0.0f, -kArrowTurnDegrees);
            break;
        case KeyCommand::ZoomIn:
            state_.Zoom(OrbitControls::kWheelNotch);
            break;
        case KeyCommand::ZoomOut:
            state_.Zoom(-OrbitControls::kWheelNotch);
            break;
        case KeyCommand::NextFile:
            OnViewCommand(kIdNextFile, false);
            break;
        case KeyCommand::PreviousFile:
            OnViewCommand(kIdPreviousFile, false);
            break;
    }
    RefreshPlaybackBar();
    if (view_) view_->Refresh(false);
    return true;
}

void Viewer::ChooseImageFile() {
    if (!view_) return;
    const std::filesystem::path shown(state_.lastPath());
    const std::string name = state_.current() ? shown.stem().string() + ".png" : std::string("vertigon.png");
    wxFileDialog dialog(frame_, "Save image", PathToWx(preferences_.lastFolder), PathToWx(name),
                        "PNG image (*.png)|*.png", wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK) return;
    std::string path = PathFromWx(dialog.GetPath());
    if (std::filesystem::path(path).extension().empty()) path += ".png";
    SaveImage(path);
}

bool Viewer::SaveImage(const std::string& path) {
    const RgbImage image = view_ ? view_->GrabFrame() : RgbImage{};
    const std::string name = std::filesystem::path(path).filename().string();
    if (image.pixels.empty()) {
        ShowStatus("Could not save " + name + ": the view has no picture");
        return false;
    }
    try {
        WritePng(image, path);
    } catch (const RenderError& e) {
        ShowStatus(std::string("Could not save the image: ") + e.what());
        return false;
    }
    ShowStatus("Saved " + name + " (" + std::to_string(image.width) + " x " + std::to_string(image.height) + ")");
    return true;
}

Preferences Viewer::CurrentPreferences() const {
    Preferences preferences = preferences_;
    preferences.frameOnOpen = state_.frameOnOpen;
    preferences.grid = state_.gridShown;
    preferences.axes = state_.axesShown;
    if (frame_) {
        preferences.recentFiles = frame_->RecentFiles();
        if (!frame_->IsMaximized() && !frame_->IsIconized() && !frame_->IsFullScreen()) {
            const wxPoint at = frame_->GetPosition();
            const wxSize size = frame_->GetSize();
            preferences.window = WindowPlacement{at.x, at.y, size.GetWidth(), size.GetHeight()};
        }
    }
    return preferences;
}

void Viewer::SavePreferences() {
    if (!preferencesPath_.empty()) vertigon::SavePreferences(CurrentPreferences(), preferencesPath_);
}

void Viewer::RefreshPlaybackBar() {
    if (!bar_ || !frame_) return;
    const Animation* clip = state_.clip();
    if (bar_->IsShown() != (clip != nullptr)) {
        bar_->Show(clip != nullptr);
        frame_->Layout();
    }
    if (clip) bar_->ShowClip(CurrentFrame(*clip), ClipFrames(*clip), !state_.Playing());
    bar_->ShowSettings(state_.playback().speed, state_.playback().loop);
}

void Viewer::AfterFrame(uint32_t now) {
    RefreshPlaybackBar();
    if (!frame_ || !frame_->GetStatusBar() || frame_->GetStatusBar()->GetFieldsCount() < 2) return;
    if (!state_.Animating()) {
        if (rateShown_) frame_->SetStatusText("", 1);
        rateShown_ = false;
        rateFrames_ = 0;
        return;
    }
    if (rateFrames_ == 0) rateStart_ = now;
    ++rateFrames_;
    const uint32_t elapsed = now - rateStart_;
    if (elapsed >= 1000) {
        frame_->SetStatusText(wxString::Format("%.0f frames/s", (rateFrames_ - 1) * 1000.0 / elapsed), 1);
        rateShown_ = true;
        rateFrames_ = 0;
    }
}

void Viewer::ShowAbout() {
    wxMessageBox(ToWx(AboutText()), "About Vertigon", wxOK | wxICON_INFORMATION, frame_);
}

void Viewer::FillAnimations(Model* model) {
    if (browser_) browser_->Fill(BuildAnimationList(model));
}

void Viewer::ShowStatus(const std::string& text) {
    if (frame_) {
        frame_->SetStatusText(ToWx(text));
    } else {
        pendingStatus_ = text;
    }
}

void Viewer::ShownModelChanged() {
    const Model* model = state_.currentModel();
    if (textures_) {
        if (model) {
            textures_->ShowModel(*model);
        } else {
            CloseTextureViewer();
        }
    }
    if (stats_) {
        if (model) {
            stats_->ShowModel(*model);
        } else {
            stats_->Destroy();
            stats_ = nullptr;
        }
    }
    if (frame_) {
        frame_->SetTitle(ToWx(WindowTitle(model ? state_.lastPath() : std::string(), state_.unsavedChanges())));
        RefreshPlaybackBar();
        frame_->RefreshTools();
        frame_->Update();
    }
    if (view_) view_->Refresh(false);
}

void Viewer::SwitchesChanged() {
    if (frame_) {
        frame_->RefreshTools();
        frame_->Update();
    }
    if (view_) view_->Refresh(false);
}

}  // namespace vertigon
