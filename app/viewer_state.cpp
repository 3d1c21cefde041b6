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

void ViewerState::CreateCore(const LoaderOptions& options) { CreateCore(std::make_unique<LoaderRegistry>(options)); }

void ViewerState::CreateCore(std::unique_ptr<LoaderRegistry> registry) {
    registry_ = std::move(registry);
    view_.CreateScene();
}

void ViewerState::Report(const std::string& message) {
    if (opening_) openReport_ = message;
    if (ui_) ui_->ShowStatus(message);
}

void ViewerState::TearDown() {
    view_.ReleaseScene();
    registry_.reset();
}

void ViewerState::DestroyCurrent() {
    if (!view_.current()) return;
    // Unlinked from the root and destroyed; its model goes with the registry's list.
    view_.Hide();
    if (registry_) registry_->ClearModels();
}

bool ViewerState::OpenFile(const std::string& path) {
    DestroyCurrent();
    LoadFailure failure;
    opening_ = true;
    openReport_.clear();
    Model* model = registry_ ? registry_->OpenModel(path, &failure) : nullptr;
    if (!model || !view_.scene.root) {
        opening_ = false;
        if (ui_) {
            ui_->FillAnimations(nullptr);
            ui_->ShowStatus(OpenFailureText(path, failure));
            ui_->ShownModelChanged();
        }
        return false;
    }
    if (ui_) ui_->FillAnimations(model);
    try {
        view_.Show(*model);
    } catch (...) {
        opening_ = false;
        if (ui_) ui_->FillAnimations(nullptr);
        throw;
    }
    opening_ = false;
    if (ui_) {
        ui_->ShowStatus(OpenSuccessText(path, openReport_));
        ui_->ShownModelChanged();
    }
    return true;
}

bool ViewerState::SetSwitch(int toolId, bool on) {
    const int32_t flag = SwitchFlag(toolId);
    if (!current() || flag == 0 || toolId < kIdTextureToggle || toolId > kIdWireframeToggle) return false;
    if (on) {
        current()->flags |= flag;
    } else {
        current()->flags &= ~flag;
    }
    if (flag == FlagFlat) current()->poseDirty = true;
    if (ui_) ui_->SwitchesChanged();
    return true;
}

bool ViewerState::ToggleSwitch(int menuId) {
    const int32_t flag = SwitchFlag(menuId);
    if (!current() || flag == 0 || menuId < kIdMenuTexture || menuId > kIdMenuWireframe) return false;
    current()->flags ^= flag;
    if (ui_) ui_->SwitchesChanged();
    return true;
}

bool ViewerState::SetFlatShading(bool flat) {
    if (!current()) return false;
    if (flat) {
        current()->flags |= FlagFlat;
    } else {
        current()->flags &= ~FlagFlat;
    }
    current()->poseDirty = true;
    if (ui_) ui_->SwitchesChanged();
    return true;
}

bool ViewerState::SelectLod(int32_t lod) {
    if (!current() || lod < 0 || lod >= current()->model().lodCount()) return false;
    current()->lod = lod;
    if (ui_) ui_->SwitchesChanged();
    return true;
}

bool ViewerState::SelectAnimation(int32_t group, int32_t index) { return view_.SelectAnimation(group, index); }

bool ViewerState::SwitchOn(int toolId) const {
    const int32_t flag = SwitchFlag(toolId);
    return current() && flag != 0 && (current()->flags & flag) != 0;
}

void ViewerState::SetBackgroundColour(uint8_t red, uint8_t green, uint8_t blue) {
    // Half a step up, so that packing (times 255, truncated) gives back the chosen byte.
    view_.scene.clearRed = (static_cast<float>(red) + 0.5f) / 255.0f;
    view_.scene.clearGreen = (static_cast<float>(green) + 0.5f) / 255.0f;
    view_.scene.clearBlue = (static_cast<float>(blue) + 0.5f) / 255.0f;
}

void ViewerState::Zoom(int rotation) {
    if (view_.scene.camera) view_.controls.Zoom(rotation, *view_.scene.camera);
}

bool ViewerState::Motion(const OrbitMotion& motion) {
    return view_.scene.camera && view_.controls.Motion(motion, *view_.scene.camera);
}

void ViewerState::DrawFrame(int32_t width, int32_t height, float step) { view_.DrawFrame(width, height, step); }

}  // namespace vertigon
