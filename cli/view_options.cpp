#include "cli/view_options.h"

#include "cli/load_for_cli.h"
#include "scene/framing.h"

#include <cerrno>
#include <cstdio>
#include <cmath>
#include <cstdlib>

namespace vertigon {

namespace {

bool ParseFloat(const std::string& text, float* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const float v = std::strtof(text.c_str(), &end);
    if (*end != '\0' || errno == ERANGE || !std::isfinite(v)) return false;
    *value = v;
    return true;
}

bool ParseInt(const std::string& text, int32_t* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return false;
    *value = static_cast<int32_t>(v);
    return true;
}

// "A<sep>B" split at the first separator; the text is a copy, as a or b may be its source.
bool SplitPair(std::string text, char separator, std::string* a, std::string* b) {
    const size_t at = text.find(separator);
    if (at == std::string::npos) return false;
    *a = text.substr(0, at);
    *b = text.substr(at + 1);
    return true;
}

bool ParseHexFlags(std::string text, int32_t* value) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text = text.substr(2);
    if (text.empty() || text.size() > 8 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return false;
    }
    *value = static_cast<int32_t>(std::strtoul(text.c_str(), nullptr, 16));
    return true;
}

}  // namespace

bool ParseViewOptions(const Arguments& args, bool render, ViewOptions* options, std::string* error) {
    ViewOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "-o" || arg == "--size" || arg == "--yaw" || arg == "--pitch" ||
                                arg == "--distance" || arg == "--pan" || arg == "--animation" || arg == "--time" ||
                                arg == "--flags" || arg == "--ee-image";
        if (arg == "--fit" && render) {
            o.fit = true;
            continue;
        }
        if (!takesValue) {
            if (o.path.empty() && !arg.empty() && arg[0] != '-') {
                o.path = arg;
                continue;
            }
            *error = "unexpected argument '" + arg + "'";
            return false;
        }
        if (i + 1 >= args.size()) {
            *error = arg + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        const std::string bad = "bad value '" + value + "' for " + arg;
        std::string a, b, c;
        float f = 0;
        if (arg == "-o" && render) {
            o.output = value;
        } else if (arg == "--size" && render) {
            int32_t w = 0, h = 0;
            if (!SplitPair(value, 'x', &a, &b) || !ParseInt(a, &w) || !ParseInt(b, &h) || w < 1 || h < 1 ||
                w > ViewOptions::kMaxSide || h > ViewOptions::kMaxSide) {
                *error = bad + " (WIDTHxHEIGHT, each 1 to 16384)";
                return false;
            }
            o.width = w;
            o.height = h;
        } else if ((arg == "--yaw" || arg == "--pitch" || arg == "--distance") && render) {
            if (!ParseFloat(value, &f) || (arg == "--distance" && f < 0)) {
                *error = bad;
                return false;
            }
            (arg == "--yaw" ? o.yaw : arg == "--pitch" ? o.pitch : o.distance) = f;
        } else if (arg == "--pan" && render) {
            Vec3 pan;
            if (!SplitPair(value, ',', &a, &b) || !SplitPair(b, ',', &b, &c) || !ParseFloat(a, &pan.x) ||
                !ParseFloat(b, &pan.y) || !ParseFloat(c, &pan.z)) {
                *error = bad + " (X,Y,Z)";
                return false;
            }
            o.pan = pan;
        } else if (arg == "--animation") {
            if (!SplitPair(value, ':', &a, &b) || !ParseInt(a, &o.group) || !ParseInt(b, &o.index) || o.group < 0 ||
                o.index < 0) {
                *error = bad + " (GROUP:INDEX)";
                return false;
            }
            o.animationChosen = true;
        } else if (arg == "--time") {
            if (!ParseFloat(value, &o.time) || o.time < 0) {
                *error = bad + " (a time of 0 or more)";
                return false;
            }
        } else if (arg == "--ee-image") {
            o.eeImage = value;
        } else if (arg == "--flags" && render) {
            int32_t flags = 0;
            if (!ParseHexFlags(value, &flags)) {
                *error = bad + " (hexadecimal)";
                return false;
            }
            o.flags = flags;
        } else {
            *error = "unexpected argument '" + arg + "'";
            return false;
        }
    }
    if (o.path.empty()) {
        *error = "a model file is required";
        return false;
    }
    if (o.fit && (o.distance || o.pan)) {
        *error = "--fit chooses the distance and the target itself; leave out --distance and --pan";
        return false;
    }
    if (render && o.output.empty()) {
        *error = "an output file is required (-o OUT.png)";
        return false;
    }
    *options = o;
    return true;
}

namespace {

bool HasAnimation(const Model& model, int32_t group, int32_t index) {
    if (group < 0 || group >= model.animationGroupCount()) return false;
    const AnimationGroup& animations = model.animationGroups[static_cast<size_t>(group)];
    return index >= 0 && index < animations.animationCount() && animations.animations[static_cast<size_t>(index)];
}

}  // namespace

Model* OpenViewModel(LoaderRegistry& registry, const ViewOptions& options, const char* command, int* exitStatus) {
    Model* model = OpenModelForCli(registry, options.path, exitStatus);
    if (!model) return nullptr;
    if (options.animationChosen && !HasAnimation(*model, options.group, options.index)) {
        std::fprintf(stderr, "vertigon-cli %s: %s has no animation %d:%d\n", command, options.path.c_str(),
                     options.group, options.index);
        *exitStatus = kExitFailed;
        return nullptr;
    }
    return model;
}

ViewSession::ViewSession(Model& model, const ViewOptions& options, SceneRenderer* renderer)
    : view(renderer), time_(options.time) {
    view.CreateScene();
    Scene& scene = view.scene;
    OrbitControls& controls = view.controls;
    scene.SetViewportSize(options.width, options.height);
    if (options.yaw) controls.yaw = *options.yaw;
    if (options.pitch) controls.pitch = *options.pitch;
    if (options.distance) controls.distance = *options.distance;
    if (options.pan) {
        controls.panX = options.pan->x;
        controls.panY = options.pan->y;
        controls.panZ = options.pan->z;
    }
    controls.UpdateCamera(*scene.camera);

    entry = view.Show(model, options.group, options.index);
    if (options.flags) {
        // The viewer opens every model with the start-up flags and draws it before anyone can
        // switch; flat shading then keeps the normals of that first pose. The switch re-skins
        // the pose on show: recomputing it from the local transforms would drop a pose that an
        // emulated animation wrote as world matrices, which the viewer restores one redraw later.
        view.Update(0.0f);
        entry->flags = *options.flags;
        entry->skinDirty = true;
    }
}

void ViewSession::Settle() {
    view.Update(time_);
    view.Update(0.0f);
}

void ViewSession::Fit() {
    if (const std::optional<Framing> framing = FrameBox(CurrentBox(*entry), *view.scene.camera)) {
        view.controls.Frame(*framing, *view.scene.camera);
    }
}

}  // namespace vertigon
