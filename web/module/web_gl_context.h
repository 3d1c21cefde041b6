// The page's canvas as the device's context: a WebGL2 context made by Emscripten on the canvas
// the selector names. The browser shows what was drawn when the frame's task ends, so Present
// does nothing; the drawing buffer is kept, so that the view can be saved as an image later.
#pragma once

#include <string>

#include "render/gl_context.h"

namespace vertigon {

class WebGlContext final : public GlContext {
public:
    // Throws RenderError when the browser offers no WebGL2 context on the canvas.
    explicit WebGlContext(const std::string& canvasSelector);
    ~WebGlContext() override;
    WebGlContext(const WebGlContext&) = delete;
    WebGlContext& operator=(const WebGlContext&) = delete;

    void MakeCurrent() override;
    void Present() override {}

private:
    int handle_ = 0;  // EMSCRIPTEN_WEBGL_CONTEXT_HANDLE
};

}  // namespace vertigon
