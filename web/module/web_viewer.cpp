#include "web/module/web_viewer.h"

#include <filesystem>
#include <optional>
#include <utility>

#include <nlohmann/json.hpp>

#include "app/animation_list.h"
#include "app/frame_clock.h"
#include "app/model_stats.h"
#include "export/export_error.h"
#include "export/gltf_export.h"
#include "formats/workspace.h"
#include "scene/animation.h"

namespace vertigon {

namespace {

// The page's program-image button takes the place of the desktop's --ee-image and default places.
constexpr const char* kNoProgramImageText =
    "MDLS animations need the game's program image: choose it with the \"Program image\" button";

std::string FileName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

}  // namespace

WebViewer::WebViewer(const std::string& canvasSelector) {
    FillAnimations(nullptr);
    if (!canvasSelector.empty()) {
        context_ = std::make_unique<WebGlContext>(canvasSelector);
        width_ = 1;
        height_ = 1;
        renderer_ = std::make_unique<Renderer>(*context_, width_, height_);
        state_.scene().SetRenderer(renderer_.get());
    }
    MakeCore();
}

WebViewer::~WebViewer() { state_.TearDown(); }

void WebViewer::MakeCore() {
    state_.TearDown();
    state_.CreateCore(LoaderOptions{.eeImagePath = programImage_, .searchDefaultEeImagePlaces = false});
    if (width_ > 0) state_.SetViewSize(width_, height_);
}

void WebViewer::SetProgramImage(const std::string& path) {
    const std::string shown = state_.currentPath();
    programImage_ = path;
    status_.clear();
    MakeCore();
    // A refused image says why at once; an accepted one leaves the status to the reopened model.
    const std::string refusal = status_;
    if (!shown.empty()) Open(shown);
    if (!refusal.empty()) status_ = refusal;
    ++changes_;
}

bool WebViewer::emulatorReady() const {
    Workspace* workspace = state_.workspace();
    return workspace && workspace->emulator().routines() != nullptr;
}

bool WebViewer::Open(const std::string& path) {
    const bool shown = state_.OpenFile(path);
    if (!shown) return false;
    if (!autoplay && state_.Playing()) state_.TogglePause();
    // Framed at the pose of the first frame shown, as render --fit frames it: an emulated clip
    // writes its first pose only when the first redraw runs it.
    if (renderer_) {
        state_.DrawFrame(width_, height_, 0.0f);
        if (state_.frameOnOpen) state_.FrameModel();
    }
    Model* model = state_.currentModel();
    const ModelLoader* loader = state_.registry()->FindLoader(path);
    const bool emulated = loader && std::string_view(loader->GetName()) == "MdlsLoader";
    if (emulated && !emulatorReady() && programImage_.empty()) {
        status_ = OpenSuccessText(path, *model, kNoProgramImageText);
    }
    return true;
}

void WebViewer::FillAnimations(Model* model) {
    const AnimationList list = BuildAnimationList(model);
    nlohmann::json groups = nlohmann::json::array();
    for (const AnimationGroupNode& group : list.groups) {
        nlohmann::json leaves = nlohmann::json::array();
        for (const AnimationLeaf& leaf : group.leaves) {
            leaves.push_back({{"text", leaf.text}, {"group", leaf.group}, {"index", leaf.index}});
        }
        groups.push_back({{"text", group.text}, {"leaves", std::move(leaves)}});
    }
    animations_ = nlohmann::json{{"root", list.rootText}, {"groups", std::move(groups)}}.dump();
    ++changes_;
}

std::string WebViewer::StatsJson() const {
    nlohmann::json lines = nlohmann::json::array();
    if (const Model* model = state_.currentModel()) {
        for (const StatLine& line : ModelStats(*model)) lines.push_back({line.label, line.value});
    }
    return lines.dump();
}

void WebViewer::Resize(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return;
    width_ = width;
    height_ = height;
    if (renderer_) renderer_->Resize(width, height);
    state_.SetViewSize(width, height);
}

void WebViewer::Draw(double milliseconds) {
    const double ticks = milliseconds < 0 ? 0.0 : milliseconds;
    // The desktop's frame clock: whole milliseconds over 25.
    const float step = FrameClock::StepBetween(0, static_cast<uint32_t>(ticks));
    state_.DrawFrame(width_, height_, step);
}

std::vector<uint8_t> WebViewer::ReadPixels() {
    if (!renderer_) return {};
    return renderer_->device().ReadPixels().pixels;
}

bool WebViewer::ExportGlb(const std::string& path) {
    failure_.clear();
    Model* model = state_.currentModel();
    if (!model) {
        failure_ = "No model is shown.";
        return false;
    }
    // As the command-line tool names them: the file name and the loader's format.
    GltfExportOptions options;
    const std::string& source = state_.currentPath();
    options.sourceName = FileName(source);
    if (const ModelLoader* loader = state_.registry()->FindLoader(source)) options.formatName = loader->FormatName();
    std::string firstWarning;
    options.warn = [&](std::string_view line) {
        if (firstWarning.empty()) firstWarning = line;
    };
    // Baking leaves the emulator's memory holding the last baked clip: the shown emulated clip
    // starts again, as the desktop's export does.
    const std::optional<std::pair<int32_t, int32_t>> emulated = EmulatedClipOf(*state_.current());
    bool exported = true;
    try {
        ExportGltf(*model, path, options);
    } catch (const ExportError& error) {
        failure_ = error.what();
        exported = false;
    }
    if (emulated) state_.SelectAnimation(emulated->first, emulated->second);
    status_ = exported ? "Exported " + FileName(path) + (firstWarning.empty() ? "" : " (" + firstWarning + ")")
                       : "Could not export " + FileName(path);
    return exported;
}

std::string LoadBytesReason(const std::string& loaderName, const std::vector<uint8_t>& file,
                            const std::vector<uint8_t>* companion) {
    StatusSink quiet([](std::string_view) {});
    quiet.SetEmulatorWriter([](std::string_view) {});
    Workspace workspace(LoaderOptions{.eeImagePath = {}, .searchDefaultEeImagePlaces = false}, std::move(quiet));
    ModelLoader* loader = workspace.registry().FindLoaderByName(loaderName);
    if (!loader) return "no loader named " + loaderName;
    ModelBytes bytes{.file = file};
    if (companion) bytes.companion = std::span<const uint8_t>(*companion);
    LoadFailure failure;
    if (workspace.registry().LoadFromMemory(*loader, bytes, &failure)) return {};
    return failure.message.empty() ? std::string("refused") : failure.message;
}

}  // namespace vertigon
