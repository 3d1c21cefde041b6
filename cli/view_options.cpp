#include "cli/view_options.h"

#include "cli/load_for_cli.h"
#include "scene/framing.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "cli/option_values.h"

namespace vertigon {

namespace {

CLI::ValidationError BadValue(const std::string& option, const std::string& value, const std::string& form) {
    return CLI::ValidationError(option, "bad value '" + value + "' (" + form + ")");
}

bool ParseHexFlags(std::string text, int32_t* value) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text = text.substr(2);
    if (text.empty() || text.size() > 8 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return false;
    }
    *value = static_cast<int32_t>(std::strtoul(text.c_str(), nullptr, 16));
    return true;
}

// A finite float option stored into `target`, refused below `minimum`.
void AddFloat(CLI::App& app, const std::string& name, std::optional<float>& target,
              float minimum = -std::numeric_limits<float>::max()) {
    app.add_option_function<std::string>(name, [&target, name, minimum](const std::string& value) {
        const std::optional<float> v = Number<float>(value);
        if (!v || *v < minimum) throw BadValue(name, value, minimum < 0 ? "a number" : "a number of 0 or more");
        target = *v;
    });
}

}  // namespace

void DeclareViewOptions(CLI::App& app, ViewOptions& o, bool render) {
    app.add_option("FILE", o.path, "the model")->required();
    app.add_option_function<std::string>("--animation", [&o](const std::string& value) {
        const auto pair = NumberList<int32_t>(value, ':', 2);
        if (!pair || (*pair)[0] < 0 || (*pair)[1] < 0) throw BadValue("--animation", value, "GROUP:INDEX");
        o.group = (*pair)[0];
        o.index = (*pair)[1];
        o.animationChosen = true;
    });
    app.add_option_function<std::string>("--time", [&o](const std::string& value) {
        const std::optional<float> v = Number<float>(value);
        if (!v || *v < 0) throw BadValue("--time", value, "a time of 0 or more");
        o.time = *v;
    });
    AddEeImageOption(app, o.eeImage);
    if (!render) return;
    app.add_option("-o", o.output, "the PNG to write")->required();
    app.add_option_function<std::string>("--size", [&o](const std::string& value) {
        const auto size = NumberList<int32_t>(value, 'x', 2);
        if (!size || (*size)[0] < 1 || (*size)[1] < 1 || (*size)[0] > ViewOptions::kMaxSide ||
            (*size)[1] > ViewOptions::kMaxSide) {
            throw BadValue("--size", value, "WIDTHxHEIGHT, each 1 to 16384");
        }
        o.width = (*size)[0];
        o.height = (*size)[1];
    });
    AddFloat(app, "--yaw", o.yaw);
    AddFloat(app, "--pitch", o.pitch);
    AddFloat(app, "--distance", o.distance, 0.0f);
    CLI::Option* pan = app.add_option_function<std::string>("--pan", [&o](const std::string& value) {
        const auto xyz = NumberList<float>(value, ',', 3);
        if (!xyz) throw BadValue("--pan", value, "X,Y,Z");
        o.pan = Vec3{(*xyz)[0], (*xyz)[1], (*xyz)[2]};
    });
    app.add_flag("--fit", o.fit, "frame the posed model")->excludes("--distance")->excludes(pan);
    app.add_option_function<std::string>("--flags", [&o](const std::string& value) {
        int32_t flags = 0;
        if (!ParseHexFlags(value, &flags)) throw BadValue("--flags", value, "hexadecimal");
        o.flags = flags;
    });
}

bool ParseViewOptions(const Arguments& args, bool render, ViewOptions* options, std::string* error) {
    ViewOptions o;
    CLI::App app;
    DeclareViewOptions(app, o, render);
    try {
        app.parse(Arguments(args.rbegin(), args.rend()));
    } catch (const CLI::ParseError& e) {
        *error = e.what();
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

void ViewSession::Settle() { view.Update(time_); }

void ViewSession::Fit() {
    if (const std::optional<Framing> framing = FrameBox(CurrentBox(*entry), *view.scene.camera)) {
        view.controls.Frame(*framing, *view.scene.camera);
    }
}

}  // namespace vertigon
