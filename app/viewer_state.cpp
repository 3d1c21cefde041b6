#include "app/viewer_state.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/about_text.h"
#include "app/viewer_ids.h"
#include "scene/animation.h"
#include "scene/framing.h"

namespace vertigon {

namespace {

std::string FileNameOf(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    return name.empty() ? path : name;
}

}  // namespace

std::string OpenFailureText(const std::string& path, const LoadFailure& failure) {
    // "cannot open PATH: REASON", word for word as the command-line tool says it.
    if (failure.reason == LoadFailure::Reason::Unreadable && !failure.message.empty()) return failure.message;
    const std::string start = "Could not open " + FileNameOf(path) + ": ";
    switch (failure.reason) {
        case LoadFailure::Reason::NoLoader:
            return start + "no loader accepts this kind of file";
        case LoadFailure::Reason::NotAModel:
            return start + "it is an animation file, which opens only beside its model";
        case LoadFailure::Reason::Malformed:
            return start + "the file is damaged (" + failure.message + ")";
        case LoadFailure::Reason::Unreadable:  // without a message
        case LoadFailure::Reason::Unsupported:
        case LoadFailure::Reason::None:
            break;
    }
    return start + (failure.message.empty() ? std::string("no model was built") : failure.message);
}

std::string OpenSuccessText(const std::string& path, const Model& model, const std::string& report) {
    size_t triangles = 0;
    if (!model.lods.empty()) {
        for (const Shape& shape : model.lods.front().shapes) {
            for (const Batch& batch : shape.batches) triangles += batch.triangles.size();
        }
    }
    size_t animations = 0;
    for (const AnimationGroup& group : model.animationGroups) animations += group.animations.size();
    return FileNameOf(path) + ": " + std::to_string(triangles) + " triangles, " + std::to_string(model.boneCount()) +
           " bones, " + std::to_string(model.textureCount()) + " textures, " + std::to_string(animations) +
           " animations" + (report.empty() ? std::string() : "; " + report);
}

std::string WindowTitle(const std::string& shownPath, bool unsaved) {
    if (shownPath.empty()) return kProgramTitle;
    // Built by appending: GCC 12 warns falsely (-Wrestrict) on a literal + string at -O3.
    std::string title = unsaved ? "*" : "";
    title += FileNameOf(shownPath);
    title += " - ";
    title += kProgramTitle;
    return title;
}

std::optional<std::pair<int32_t, int32_t>> EmulatedClipOf(const ModelEntry& entry) {
    const Animation* shown = entry.currentAnimation;
    if (!shown || dynamic_cast<const KeyframeAnimation*>(shown)) return std::nullopt;
    const Model& model = entry.model();
    for (size_t g = 0; g < model.animationGroups.size(); ++g) {
        const auto& clips = model.animationGroups[g].animations;
        for (size_t i = 0; i < clips.size(); ++i) {
            if (clips[i].get() == shown) return std::pair{static_cast<int32_t>(g), static_cast<int32_t>(i)};
        }
    }
    return std::nullopt;
}

std::string NeighbourFile(const std::string& path, int delta, const std::function<bool(const std::string&)>& isModel) {
    namespace fs = std::filesystem;
    const fs::path shown(path);
    std::error_code error;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(shown.parent_path().empty() ? fs::path(".") : shown.parent_path(), error), end;
         !error && it != end; it.increment(error)) {
        std::error_code kindError;
        if (!it->is_regular_file(kindError)) continue;
        if (it->path().filename() == shown.filename() || isModel(it->path().string())) files.push_back(it->path());
    }
    if (error) return {};
    std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) { return a.filename() < b.filename(); });
    const auto at = std::lower_bound(files.begin(), files.end(), shown.filename(),
                                     [](const fs::path& a, const fs::path& name) { return a.filename() < name; });
    const std::ptrdiff_t index = at - files.begin();
    const bool present = at != files.end() && at->filename() == shown.filename();
    // A path no longer in its folder still has a place in the name order.
    const std::ptrdiff_t next = delta > 0 ? index + (present ? 1 : 0) : index - 1;
    if (next < 0 || next >= static_cast<std::ptrdiff_t>(files.size())) return {};
    return files[static_cast<size_t>(next)].string();
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
    if (workspace_) {
        workspace_->status().SetReporter([this](std::string_view message) { Report(std::string(message)); });
    }
    if (!view_.scene.root) view_.CreateScene();
}

void ViewerState::Report(const std::string& message) {
    if (opening_) openReport_ = message;
    if (ui_) ui_->ShowStatus(message);
}

void ViewerState::TearDown() {
    view_.ReleaseScene();
    workspace_.reset();
}

void ViewerState::DestroyCurrent() {
    if (!view_.current()) return;
    // Unlinked from the root and destroyed; its model goes with the registry's list.
    view_.Hide();
    currentPath_.clear();
    edited_.reset();
    if (workspace_) workspace_->registry().ClearModels();
}

OpenedFile OpenInNewWorkspace(const LoaderOptions& options, const std::string& path) {
    OpenedFile opened;
    opened.path = path;
    // Reports are kept until a view takes the workspace; the first ones come from its start.
    auto* reports = &opened.startReports;
    opened.workspace = std::make_unique<Workspace>(
        options, StatusSink([&reports](std::string_view message) { reports->emplace_back(message); }));
    std::vector<std::string> openReports;
    reports = &openReports;
    opened.model = opened.workspace->registry().OpenModel(path, &opened.failure);
    if (!openReports.empty()) opened.openReport = openReports.back();
    // The sink must not outlive this frame's lists.
    opened.workspace->status().SetReporter({});
    return opened;
}

void ViewerState::BeginOpen(const std::string& path) {
    DestroyCurrent();
    lastPath_ = path;
    gridLines_.clear();
    playback_.paused = false;
    opening_ = true;
    openReport_.clear();
}

bool ViewerState::OpenFile(const std::string& path) {
    BeginOpen(path);
    LoadFailure failure;
    Model* model = workspace_ ? workspace_->registry().OpenModel(path, &failure) : nullptr;
    return FinishOpen(path, model, failure);
}

bool ViewerState::ShowOpened(OpenedFile opened) {
    DestroyCurrent();
    CreateCore(std::move(opened.workspace));
    for (const std::string& report : opened.startReports) Report(report);
    BeginOpen(opened.path);
    openReport_ = opened.openReport;
    return FinishOpen(opened.path, opened.model, opened.failure);
}

bool ViewerState::FinishOpen(const std::string& path, Model* model, const LoadFailure& failure) {
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
    currentPath_ = path;
    LayOutGuides();
    if (frameOnOpen) FrameModel();
    if (ui_) {
        ui_->ShowStatus(OpenSuccessText(path, *model, openReport_));
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
    LayOutGuides();
    if (ui_) ui_->SwitchesChanged();
    return true;
}

bool ViewerState::SelectAnimation(int32_t group, int32_t index) {
    if (!view_.SelectAnimation(group, index)) return false;
    playback_.paused = false;
    return true;
}

void ViewerState::LayOutGuides() {
    gridLines_.clear();
    if (!current()) return;
    if (const auto grid = LayOutGrid(BindPoseBox(current()->model(), current()->lod))) gridLines_ = GridLines(*grid);
}

void ViewerState::TogglePause() {
    if (!clip()) return;
    // Play from the last frame of a clip that stopped there starts it again.
    if (playback_.paused && !playback_.loop && CurrentFrame(*clip()) >= ClipFrames(*clip()) - 1) {
        playback_.Seek(*current(), 0);
    }
    playback_.paused = !playback_.paused;
}

bool ViewerState::Animating() const {
    const ModelEntry* entry = current();
    return entry && entry->playing && Playing() && clip()->CanPlay() && !clip()->Stopped();
}

bool ViewerState::Moving() const {
    const ModelEntry* entry = current();
    return entry && (entry->poseDirty || entry->skinDirty || Animating());
}

void ViewerState::StepFrames(int32_t delta) {
    if (current() && clip()) playback_.StepFrames(*current(), delta);
}

void ViewerState::SeekFrame(int32_t frame) {
    if (!current() || !clip()) return;
    // Held there: playing on would take the picture away from the frame asked for.
    playback_.paused = true;
    playback_.Seek(*current(), frame);
}

std::string ViewerState::NeighbourPath(int delta) const {
    if (lastPath_.empty() || !workspace_) return {};
    return NeighbourFile(lastPath_, delta, [this](const std::string& candidate) {
        return workspace_->registry().FindFileKind(candidate) == FileKindModel;
    });
}

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

void ViewerState::TurnDegrees(float yawDegrees, float pitchDegrees) {
    if (view_.scene.camera) view_.controls.Turn(yawDegrees * kPi / 180.0f, pitchDegrees * kPi / 180.0f, *view_.scene.camera);
}

bool ViewerState::FrameModel() {
    if (!current() || !view_.scene.camera) return false;
    const std::optional<Framing> framing = FrameBox(CurrentBox(*current()), *view_.scene.camera);
    if (!framing) return false;
    view_.controls.Frame(*framing, *view_.scene.camera);
    return true;
}

void ViewerState::ResetView() {
    if (view_.scene.camera) view_.controls.Reset(*view_.scene.camera);
}

void ViewerState::SetViewSize(int32_t width, int32_t height) { view_.scene.SetViewportSize(width, height); }

void ViewerState::DrawFrame(int32_t width, int32_t height, float step) {
    if (current()) step = playback_.PlanStep(*current(), step);
    view_.DrawFrame(width, height, step);
}

}  // namespace vertigon
