#include <cstdio>

#include "cli/commands.h"
#include "cli/view_commands.h"
#include "render/render_error.h"
#include "render/egl_offscreen_context.h"
#include "render/renderer.h"

namespace vertigon {

RgbImage RenderModelView(Model& model, const ViewOptions& options, Renderer& renderer) {
    ViewSession session(model, options, &renderer);
    session.Settle();
    if (options.fit) session.Fit();
    session.view.scene.Render();
    return renderer.device().ReadPixels();
}

int RunRender(const Arguments& args) {
    ViewOptions options;
    std::string error;
    if (!ParseViewOptions(args, true, &options, &error)) {
        std::fprintf(stderr, "vertigon-cli render: %s\n", error.c_str());
        return kExitUsage;
    }
    LoaderRegistry registry(LoaderOptions{options.eeImage});
    int status = kExitOk;
    Model* model = OpenViewModel(registry, options, "render", &status);
    if (!model) return status;
    try {
        // The device goes before its context; the model, with the registry, after both.
        EglOffscreenContext context(options.width, options.height);
        Renderer renderer(context, options.width, options.height);
        WritePng(RenderModelView(*model, options, renderer), options.output);
    } catch (const ShaderError& e) {
        // The step and the compiler's log, as they stand.
        std::fputs(e.what(), stderr);
        if (!e.log().empty()) {
            std::fputs(e.log().c_str(), stderr);
            if (e.log().back() != '\n') std::fputc('\n', stderr);
        }
        return kExitFailed;
    } catch (const RenderError& e) {
        std::fprintf(stderr, "vertigon-cli render: %s\n", e.what());
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace vertigon
