#include <cstdio>

#include "cli/commands.h"
#include "cli/load_for_cli.h"
#include "cli/model_json.h"
#include "formats/workspace.h"

namespace vertigon {

int RunInfo(const Arguments& args) {
    bool full = false;
    std::string path;
    LoaderOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--full") {
            full = true;
        } else if (arg == "--ee-image" && i + 1 < args.size()) {
            options.eeImagePath = args[++i];
        } else if (path.empty() && (arg.empty() || arg[0] != '-')) {
            path = arg;
        } else {
            std::fprintf(stderr, "vertigon-cli info: unexpected argument '%s'\n", arg.c_str());
            return kExitUsage;
        }
    }
    if (path.empty()) {
        std::fprintf(stderr, "vertigon-cli info: a model file is required\n");
        return kExitUsage;
    }

    Workspace workspace(options, CliStatusSink());
    LoaderRegistry& registry = workspace.registry();
    int status = kExitOk;
    Model* model = OpenModelForCli(registry, path, &status);
    if (!model) return status;

    const Json json = {{"path", path},
                       {"loader", registry.FindLoader(path)->GetName()},
                       {"kind", FileKindName(registry.FindFileKind(path))},
                       {"model", ModelJson(*model, full)}};
    std::printf("%s\n", JsonText(json).c_str());
    return kExitOk;
}

}  // namespace vertigon
