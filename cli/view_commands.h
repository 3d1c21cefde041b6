// The work of vertigon-cli render and pose on a model already loaded, apart from files and
// exit statuses, so that tests can run it on hand-built models.
#pragma once

#include <string>

#include "cli/view_options.h"
#include "render/egl_offscreen_context.h"
#include "render/rgb_image.h"

namespace vertigon {

// The frame the viewer would show. The context's renderer must have existed when the model
// was loaded, and the context must have the options' size.
RgbImage RenderModelView(Model& model, const ViewOptions& options, EglOffscreenContext& context);

// The thumbnail of a model: framed as render --fit does, over a transparent background, at the
// options' size. The same conditions on the context as above.
RgbaImage RenderThumbnail(Model& model, const ViewOptions& options, EglOffscreenContext& context);

// The chosen animation and the world matrix of every bone of the entry, as one JSON object.
std::string PoseJson(Model& model, const ViewOptions& options);

}  // namespace vertigon
