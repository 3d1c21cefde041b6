#include "app/viewer.h"

#include <wx/app.h>
#include <wx/colordlg.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>

#include "app/about_text.h"
#include "app/animation_browser.h"
#include "app/main_frame.h"
#include "app/model_drop_target.h"
#include "app/render_view.h"
#include "app/stats_window.h"
#include "app/texture_viewer.h"
#include "app/viewer_ids.h"
#include "app/wx_text.h"
#include "render/render_error.h"
#include "render/shader_programs.h"

namespace vertigon {

namespace {

void ShowShaderError(const std::string& message, const std::string& log) {
    wxMessageBox(ToWx(message), "Error", wxOK);
    if (!log.empty()) wxMessageBox(ToWx(log), "Error", wxOK);
}

}  // namespace

Viewer::Viewer() = default;

Viewer::~Viewer() {
    ReleaseScene();
    SetShaderErrorReporter(nullptr);
}

bool Viewer::Start(const std::vector<std::string>& paths, const LoaderOptions& loaderOptions) {
    state_.CreateCore(loaderOptions);
    frame_ = new MainFrame(*this, kProgramTitle, wxPoint(50, 50), wxSize(1400, 1000));
    if (!pendingStatus_.empty()) frame_->SetStatusText(ToWx(pendingStatus_));
    view_ = new RenderView(frame_, state_, [this](int id) { OnContextCommand(id); }, wxPoint(0, 0), wxSize(1392, 893));
    dropTarget_ = new ModelDropTarget([this](const std::string& path) { OpenFile(path); });
    view_->SetDropTarget(dropTarget_);
    if (framePresented_) view_->SetAfterPresent([this] { framePresented_(*view_); });
    browser_ = new AnimationBrowser(frame_, wxPoint(100, 100), wxSize(150, 300),
                                    [this](int32_t group, int32_t index) { state_.SelectAnimation(group, index); });
    if (wxTheApp) wxTheApp->SetTopWindow(frame_);

    SetShaderErrorReporter(ShowShaderError);
    frame_->Show();
    try {
        view_->CreateRenderer();
    } catch (const RenderError& e) {
        wxMessageBox(ToWx(std::string("Vertigon cannot draw: ") + e.what()), "Error", wxOK | wxICON_ERROR);
        frame_->Destroy();
        return false;
    }
    for (const std::string& path : paths) OpenFile(path);
    browser_->Show();
    return true;
}

void Viewer::OpenFile(const std::string& path) { state_.OpenFile(path); }

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
        textures_ = new TextureViewer(frame_, [this] {
            textures_ = nullptr;
            if (frame_) frame_->RefreshTools();
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
    if (view_) view_->Refresh(false);
}

std::string Viewer::FileDialogWildcard() const {
    return state_.registry() ? state_.registry()->FilterString() : std::string();
}

void Viewer::ChooseFile() {
    wxFileDialog dialog(frame_, "Choose a file", "", "", ToWx(FileDialogWildcard()), wxFD_OPEN, wxDefaultPosition,
                        wxDefaultSize, "filedlg");
    if (dialog.ShowModal() != wxID_OK) return;
    OpenFile(PathFromWx(dialog.GetPath()));
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
        frame_->RefreshTools();
        frame_->Update();
    }
}

void Viewer::SwitchesChanged() {
    if (frame_) {
        frame_->RefreshTools();
        frame_->Update();
    }
    if (view_) view_->Refresh(false);
}

}  // namespace vertigon
