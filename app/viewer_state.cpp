#include "app/viewer_state.h"

#include <filesystem>

#include "app/viewer_ids.h"

namespace vertigon {

namespace {

std::string FileNameOf(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    return name.empty() ? path : name;
}

}  // namespace

std::string OpenFailureText(const std::string& path, const LoadFailure& failure) {
    const std::string start = "Could not open " + FileNameOf(path) + ": ";
    switch (failure.reason) {
        case LoadFailure::Reason::NoLoader:
            return start + "no loader accepts this kind of file";
        case LoadFailure::Reason::NotAModel:
            return start + "it is an animation file, which opens only beside its model";
        case LoadFailure::Reason::Malformed:
            return start + "the file is damaged (" + failure.message + ")";
        case LoadFailure::Reason::Unreadable:
        case LoadFailure::Reason::Unsupported:
        case LoadFailure::Reason::None:
            break;
    }
    return start + (failure.message.empty() ? std::string("no model was built") : failure.message);
}

std::string OpenSuccessText(const std::string& path, const std::string& report) {
    return "Opened " + FileNameOf(path) + (report.empty() ? std::string() : "; " + report);
}

int32_t SwitchFlag(int id) {
    switch (id) {
        case kIdTextureToggle:
        case kIdMenuTexture:
            return FlagTexture;
        case kIdBlendingToggle:
        case kIdMenuBlending:
            return FlagBlending;
        case kIdFlatToggle:
            return FlagFlat;
        case kIdBonesToggle:
        case kIdMenuBones:
            return FlagBones;
        case kIdWireframeToggle:
        case kIdMenuWireframe:
            return FlagWireframe;
        default:
            return 0;
    }
}

void ViewerState::CreateCore(const LoaderOptions& options) {
    // Reports made while the workspace starts (a refused program image) come here too.
    CreateCore(std::make_unique<Workspace>(options, StatusSink([this](std::string_view m) { Report(std::string(m)); })));
}

void ViewerState::CreateCore(std::unique_ptr<Workspace> workspace) {
    workspace_ = std::move(workspace);
    workspace_->status().SetReporter([this](std::string_view message) { Report(std::string(message)); });
    scene_.CreateRootAndCamera();
}

void ViewerState::Report(const std::string& message) {
    if (opening_) openReport_ = message;
    if (ui_) ui_->ShowStatus(message);
}

void ViewerState::TearDown() {
    current_ = nullptr;
    scene_.camera = nullptr;
    scene_.root.reset();
    workspace_.reset();
}

void ViewerState::DestroyCurrent() {
    if (!current_) return;
    // Unlinked from the root and destroyed; its model goes with the registry's list.
    current_->Detach().reset();
    current_ = nullptr;
    if (workspace_) workspace_->registry().ClearModels();
}

bool ViewerState::OpenFile(const std::string& path) {
    DestroyCurrent();
    LoadFailure failure;
    opening_ = true;
    openReport_.clear();
    Model* model = workspace_ ? workspace_->registry().OpenModel(path, &failure) : nullptr;
    if (!model) opening_ = false;
    if (!model || !scene_.root) {
        if (ui_) {
            ui_->FillAnimations(nullptr);
            ui_->ShowStatus(OpenFailureText(path, failure));
            ui_->ShownModelChanged();
        }
        return false;
    }
    auto entry = std::make_unique<ModelEntry>(*model);
    ModelEntry* raw = entry.get();
    current_ = raw;
    if (ui_) ui_->FillAnimations(model);
    scene_.root->AddChild(std::move(entry));
    raw->position = {0, 0, 0, 0};
    // The second group holds the clips that play on opening.
    raw->SelectAnimation(1, 0);
    opening_ = false;
    if (ui_) {
        ui_->ShowStatus(OpenSuccessText(path, openReport_));
        ui_->ShownModelChanged();
    }
    return true;
}

bool ViewerState::SetSwitch(int toolId, bool on) {
    const int32_t flag = SwitchFlag(toolId);
    if (!current_ || flag == 0 || toolId < kIdTextureToggle || toolId > kIdWireframeToggle) return false;
    if (on) {
        current_->flags |= flag;
    } else {
        current_->flags &= ~flag;
    }
    if (flag == FlagFlat) current_->poseDirty = true;
    if (ui_) ui_->SwitchesChanged();
    return true;
}

bool ViewerState::ToggleSwitch(int menuId) {
    const int32_t flag = SwitchFlag(menuId);
    if (!current_ || flag == 0 || menuId < kIdMenuTexture || menuId > kIdMenuWireframe) return false;
    current_->flags ^= flag;
    if (ui_) ui_->SwitchesChanged();
    return true;
}

bool ViewerState::SetFlatShading(bool flat) {
    if (!current_) return false;
    if (flat) {
        current_->flags |= FlagFlat;
    } else {
        current_->flags &= ~FlagFlat;
    }
    current_->poseDirty = true;
    if (ui_) ui_->SwitchesChanged();
    return true;
}

bool ViewerState::SelectLod(int32_t lod) {
    if (!current_ || lod < 0 || lod >= current_->model().lodCount()) return false;
    current_->lod = lod;
    if (ui_) ui_->SwitchesChanged();
    return true;
}

bool ViewerState::SelectAnimation(int32_t group, int32_t index) {
    if (!current_) return false;
    current_->SelectAnimation(group, index);
    return true;
}

bool ViewerState::SwitchOn(int toolId) const {
    const int32_t flag = SwitchFlag(toolId);
    return current_ && flag != 0 && (current_->flags & flag) != 0;
}

void ViewerState::SetBackgroundColour(uint8_t red, uint8_t green, uint8_t blue) {
    // Half a step up, so that packing (times 255, truncated) gives back the chosen byte.
    scene_.clearRed = (static_cast<float>(red) + 0.5f) / 255.0f;
    scene_.clearGreen = (static_cast<float>(green) + 0.5f) / 255.0f;
    scene_.clearBlue = (static_cast<float>(blue) + 0.5f) / 255.0f;
}

void ViewerState::Zoom(int rotation) {
    if (scene_.camera) controls_.Zoom(rotation, *scene_.camera);
}

bool ViewerState::Motion(const OrbitMotion& motion) {
    return scene_.camera && controls_.Motion(motion, *scene_.camera);
}

void ViewerState::DrawFrame(int32_t width, int32_t height, float step) {
    scene_.SetViewportSize(width, height);
    scene_.UpdateTree(step);
    scene_.Render();
}

}  // namespace vertigon
