#include <cstdio>

#include "cli/commands.h"
#include "cli/load_for_cli.h"
#include "cli/view_commands.h"
#include "formats/workspace.h"
#include "render/egl_offscreen_context.h"
#include "render/render_error.h"
#include "render/renderer.h"

namespace vertigon {

RgbImage RenderModelView(Model& model, const ViewOptions& options, Renderer& renderer) {
    ViewSession session(model, options, &renderer);
    session.Settle();
    if (options.fit) session.Fit();
    session.view.scene.Render();
    return renderer.device().ReadPixels();
}

int ReportRenderFailure(const char* command, const RenderError& error) {
    if (const auto* shader = dynamic_cast<const ShaderError*>(&error)) {
        // The step and the compiler's log, as they stand.
        std::fputs(shader->what(), stderr);
        const std::string& log = shader->log();
        if (!log.empty()) {
            std::fputs(log.c_str(), stderr);
            if (log.back() != '\n') std::fputc('\n', stderr);
        }
    } else {
        std::fprintf(stderr, "vertigon-cli %s: %s\n", command, error.what());
    }
    return kExitFailed;
}

int DrawOffscreen(const char* command, const ViewOptions& options,
                  const std::function<void(Model&, Renderer&)>& draw) {
    Workspace workspace(LoaderOptions{options.eeImage}, CliStatusSink());
    int status = kExitOk;
    Model* model = OpenViewModel(workspace.registry(), options, command, &status);
    if (!model) return status;
    try {
        // The device goes before its context; the model, with the workspace, after both.
        EglOffscreenContext context(options.width, options.height);
        Renderer renderer(context, options.width, options.height);
        draw(*model, renderer);
    } catch (const RenderError& e) {
        return ReportRenderFailure(command, e);
    }
    return kExitOk;
}

int RunRender(const Arguments& args) {
    ViewOptions options;
    std::string error;
    if (!ParseViewOptions(args, true, &options, &error)) {
        std::fprintf(stderr, "vertigon-cli render: %s\n", error.c_str());
        return kExitUsage;
    }
    return DrawOffscreen("render", options, [&](Model& model, Renderer& renderer) {
        WritePng(RenderModelView(model, options, renderer), options.output);
    });
}

}  // namespace vertigon
