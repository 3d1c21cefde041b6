#include <cstdio>

#include "cli/commands.h"
#include "cli/load_for_cli.h"
#include "cli/view_commands.h"
#include "formats/workspace.h"
#include "render/render_error.h"
#include "render/renderer.h"

namespace vertigon {

RgbImage RenderModelView(Model& model, const ViewOptions& options, EglOffscreenContext& context) {
    ViewSession session(model, options);
    session.Settle();
    if (options.fit) session.Fit();
    session.scene.Render();
    return context.ReadPixels();
}

int RunRender(const Arguments& args) {
    ViewOptions options;
    std::string error;
    if (!ParseViewOptions(args, true, &options, &error)) {
        std::fprintf(stderr, "vertigon-cli render: %s\n", error.c_str());
        return kExitUsage;
    }
    try {
        // The device exists before the model is loaded, so that its materials get real shader
        // sets; the model goes before the device, the device before its context.
        EglOffscreenContext context(options.width, options.height);
        Renderer renderer(context, options.width, options.height);
        Workspace workspace(LoaderOptions{options.eeImage}, CliStatusSink());
        LoaderRegistry& registry = workspace.registry();
        int status = kExitOk;
        Model* model = OpenViewModel(registry, options, "render", &status);
        if (!model) return status;
        WritePng(RenderModelView(*model, options, context), options.output);
    } catch (const RenderError& e) {
        std::fprintf(stderr, "vertigon-cli render: %s\n", e.what());
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace vertigon
