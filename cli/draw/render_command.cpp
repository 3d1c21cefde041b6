#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli/commands.h"
#include "cli/load_for_cli.h"
#include "cli/draw/tool_commands.h"
#include "cli/draw/view_drawing.h"
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

namespace {

void DeclareRender(CLI::App& app, ViewOptions& options) { DeclareViewOptions(app, options, true); }

int RunRender(const ViewOptions& options) {
    return DrawOffscreen("render", options, [&](Model& model, Renderer& renderer) {
        WritePng(RenderModelView(model, options, renderer), options.output);
    });
}

}  // namespace

CliCommand RenderCommand() {
    return {"render",
            "FILE -o OUT.png [--size WxH] [--yaw R] [--pitch R] [--distance D]\n"
            "[--pan X,Y,Z] [--fit] [--animation G:I] [--time T] [--flags HEX]",
            "Render the frame the viewer would show for FILE offscreen into a PNG: 1392x893\n"
            "by default, the start-up camera turned by --yaw and --pitch (radians), at\n"
            "--distance from the target --pan, or with --fit looking at the centre of the\n"
            "posed model from where it fills about 80 % of the picture's height; animation 0\n"
            "of group 1 when present, or the one chosen with --animation, advanced as after\n"
            "T x 25 ms of the viewer's clock (--time T); the display flags in hexadecimal,\n"
            "switched after the first frame as in the viewer (default 7: textures on; add 8\n"
            "flat shading, 10 wireframe, 20 the skeleton).",
            true, Declaring(DeclareRender, RunRender)};
}

}  // namespace vertigon
