#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli/commands.h"
#include "cli/load_for_cli.h"
#include "cli/model_json.h"
#include "formats/workspace.h"

namespace vertigon {

namespace {

struct InfoOptions {
    std::string path;
    bool full = false;
    LoaderOptions loader;
};

void DeclareInfo(CLI::App& app, InfoOptions& o) {
    app.add_flag("--full", o.full, "add skin lists and triangles");
    app.add_option("FILE", o.path, "the model")->required();
    AddEeImageOption(app, o.loader.eeImagePath);
}

int RunInfo(const InfoOptions& o) {
    const std::string& path = o.path;
    Workspace workspace(o.loader, CliStatusSink());
    LoaderRegistry& registry = workspace.registry();
    int status = kExitOk;
    Model* model = OpenModelForCli(registry, path, &status);
    if (!model) return status;

    const Json json = {{"path", path},
                       {"loader", registry.FindLoader(path)->GetName()},
                       {"kind", FileKindName(registry.FindFileKind(path))},
                       {"model", ModelJson(*model, o.full)}};
    std::printf("%s\n", JsonText(json).c_str());
    return kExitOk;
}

}  // namespace

CliCommand InfoCommand() {
    return {"info", "[--full] FILE",
            "Open FILE as the viewer does and print its model as one JSON object: bones,\n"
            "textures (size and crc32 of the B,G,R,A pixels), levels of detail with their\n"
            "shapes, batches and materials, placement and animation groups. --full adds the\n"
            "skin lists of every shape and the triangles of every batch.",
            true, Declaring(DeclareInfo, RunInfo)};
}

}  // namespace vertigon
