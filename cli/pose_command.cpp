#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli/commands.h"
#include "cli/json_output.h"
#include "cli/load_for_cli.h"
#include "cli/view_options.h"
#include "formats/workspace.h"

namespace vertigon {

std::string PoseJson(Model& model, const ViewOptions& options) {
    ViewSession session(model, options);
    session.Settle();
    const ModelEntry& entry = *session.entry;

    Json animation = nullptr;
    if (entry.currentAnimation) {
        const Animation& current = *entry.currentAnimation;
        animation = {{"group", options.group},
                     {"index", options.index},
                     {"name", current.GetName()},
                     {"length", current.GetLength()},
                     {"time", current.time}};
    }
    Json bones = Json::array();
    for (size_t k = 0; k < entry.bones.size(); ++k) {
        const Bone& bone = entry.bones[k];
        Json world = Json::array();
        for (const auto& row : bone.world.m) {
            Json values = Json::array();
            for (float v : row) values.push_back(v);
            world.push_back(std::move(values));
        }
        bones.push_back({{"index", k}, {"parent", bone.parent}, {"world", std::move(world)}});
    }
    const Json json = {{"path", options.path}, {"animation", std::move(animation)}, {"bones", std::move(bones)}};
    return JsonText(json);
}

namespace {

void DeclarePose(CLI::App& app, ViewOptions& options) { DeclareViewOptions(app, options, false); }

int RunPose(const ViewOptions& options) {
    Workspace workspace(LoaderOptions{options.eeImage}, CliStatusSink());
    LoaderRegistry& registry = workspace.registry();
    int status = kExitOk;
    Model* model = OpenViewModel(registry, options, "pose", &status);
    if (!model) return status;
    std::printf("%s\n", PoseJson(*model, options).c_str());
    return kExitOk;
}

}  // namespace

CliCommand PoseCommand() {
    return {"pose", "FILE [--animation G:I] [--time T]",
            "Print as JSON the world matrix (rows of row-vector form) of every bone of FILE\n"
            "after the same animation choice and advance.",
            true, Declaring(DeclarePose, RunPose)};
}

}  // namespace vertigon
