// What vertigon-cli render and pose share: their command line, and the scene the viewer would
// show for a model (start-up camera moved by the orbit controls, one entry with its display
// flags, the start-up animation or the chosen one advanced by a time).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cli/commands.h"
#include "formats/registry.h"
#include "scene/model.h"
#include "scene/model_view.h"

namespace vertigon {

struct ViewOptions {
    static constexpr int kDefaultWidth = 1392;
    static constexpr int kDefaultHeight = 893;
    static constexpr int kMaxSide = 16384;

    std::string path;
    std::string output;  // render only
    int width = kDefaultWidth;
    int height = kDefaultHeight;
    std::optional<float> yaw, pitch, distance;
    std::optional<Vec3> pan;
    bool fit = false;  // --fit: frame the posed model instead of the start-up distance and target
    // The viewer starts animation 0 of group 1 when there is one; a chosen one must exist.
    bool animationChosen = false;
    int32_t group = ModelView::kStartGroup;
    int32_t index = 0;
    float time = 0.0f;  // animation time of the one advancing redraw
    std::optional<int32_t> flags;
    std::string eeImage;  // --ee-image: the program image MDLS animations run in
};

// Declares the options of a view command on `app`, stored into `o` as they are parsed. `render`
// adds -o (then required), --size, the camera options (--fit excludes --distance and --pan) and
// --flags; without it only the file, --animation, --time and --ee-image are taken.
void DeclareViewOptions(CLI::App& app, ViewOptions& o, bool render);

// The same options parsed from the arguments after the command name. Returns false with the
// parser's message for a wrong command line.
bool ParseViewOptions(const Arguments& args, bool render, ViewOptions* options, std::string* error);

// Opens the model of a view command through `registry`; an animation asked for on the command
// line must exist. On failure prints "vertigon-cli COMMAND: reason" on standard error, stores the
// exit status and returns null.
Model* OpenViewModel(LoaderRegistry& registry, const ViewOptions& options, const char* command, int* exitStatus);

// The viewer's view of one model, drawn by `renderer` (none for poses only). Construction
// shows the model with the chosen animation as the viewer opens it; Settle runs the update of
// the redraw that advances it by `time`, after which the bones and the render records hold the
// pose at that time.
class ViewSession {
public:
    ViewSession(Model& model, const ViewOptions& options, SceneRenderer* renderer = nullptr);

    void Settle();
    // Frames the entry at its current pose (yaw and pitch kept); nothing for a model with no
    // positions in its shown Lod.
    void Fit();

    ModelView view;
    ModelEntry* entry = nullptr;

private:
    float time_;
};

// What pose prints: the chosen animation and the world matrix of every bone of the entry after
// Settle, as one JSON object.
std::string PoseJson(Model& model, const ViewOptions& options);

}  // namespace vertigon
