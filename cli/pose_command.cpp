#include <cstdio>

#include "cli/commands.h"
#include "cli/json_writer.h"
#include "cli/load_for_cli.h"
#include "cli/view_commands.h"
#include "formats/workspace.h"

namespace vertigon {

std::string PoseJson(Model& model, const ViewOptions& options) {
    ViewSession session(model, options);
    session.Settle();
    const ModelEntry& entry = *session.entry;

    JsonWriter json;
    json.BeginObject();
    json.Key("path").String(options.path);
    json.Key("animation");
    if (entry.currentAnimation) {
        const Animation& animation = *entry.currentAnimation;
        json.BeginObject();
        json.Key("group").Int(options.group);
        json.Key("index").Int(options.index);
        json.Key("name").String(animation.GetName());
        json.Key("length").Float(animation.GetLength());
        json.Key("time").Float(animation.time);
        json.EndObject();
    } else {
        json.Null();
    }
    json.Key("bones").BeginArray();
    for (size_t k = 0; k < entry.bones.size(); ++k) {
        const Bone& bone = entry.bones[k];
        json.BeginObject();
        json.Key("index").Int(static_cast<int64_t>(k));
        json.Key("parent").Int(bone.parent);
        json.Key("world").BeginArray();
        for (const auto& row : bone.world.m) {
            json.BeginArray();
            for (float v : row) json.Float(v);
            json.EndArray();
        }
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    return json.text();
}

int RunPose(const Arguments& args) {
    ViewOptions options;
    std::string error;
    if (!ParseViewOptions(args, false, &options, &error)) {
        std::fprintf(stderr, "vertigon-cli pose: %s\n", error.c_str());
        return kExitUsage;
    }
    Workspace workspace(LoaderOptions{options.eeImage}, CliStatusSink());
    LoaderRegistry& registry = workspace.registry();
    int status = kExitOk;
    Model* model = OpenViewModel(registry, options, "pose", &status);
    if (!model) return status;
    std::printf("%s\n", PoseJson(*model, options).c_str());
    return kExitOk;
}

}  // namespace vertigon
