// The work of vertigon-cli render and thumbnail on a model already loaded, apart from files and
// exit statuses, so that tests can run it on hand-built models.
#pragma once

#include <functional>

#include "cli/view_options.h"
#include "render/render_error.h"
#include "render/renderer.h"
#include "render/rgb_image.h"

namespace vertigon {

// The frame the viewer would show, drawn by `renderer`, whose target has the options' size.
RgbImage RenderModelView(Model& model, const ViewOptions& options, Renderer& renderer);

// The thumbnail of a model: framed as render --fit does, over a transparent background, at the
// options' size, drawn by `renderer` as above.
RgbaImage RenderThumbnail(Model& model, const ViewOptions& options, Renderer& renderer);

// Prints a drawing failure on standard error (a shader error as its step and log, anything
// else as "vertigon-cli COMMAND: reason") and returns the exit status, 1.
int ReportRenderFailure(const char* command, const RenderError& error);

// What render and thumbnail share: opens the model of `options` in a workspace of its own,
// makes an offscreen renderer of the options' size and hands both to `draw`, which writes the
// output. The exit status; failures are said on standard error as `command`'s.
int DrawOffscreen(const char* command, const ViewOptions& options,
                  const std::function<void(Model&, Renderer&)>& draw);

}  // namespace vertigon
