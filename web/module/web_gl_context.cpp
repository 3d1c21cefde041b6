#include "web/module/web_gl_context.h"

#include <emscripten/html5.h>

#include "render/render_error.h"

namespace vertigon {

WebGlContext::WebGlContext(const std::string& canvasSelector) {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    // The offscreen frames of the command-line tool: opaque, no multisampling, a depth and a
    // stencil buffer.
    attributes.alpha = false;
    attributes.depth = true;
    attributes.stencil = true;
    attributes.antialias = false;
    attributes.premultipliedAlpha = false;
    attributes.preserveDrawingBuffer = true;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE handle = emscripten_webgl_create_context(canvasSelector.c_str(), &attributes);
    if (handle <= 0) throw RenderError("this browser offers no WebGL2 drawing on the page");
    handle_ = static_cast<int>(handle);
    MakeCurrent();
}

WebGlContext::~WebGlContext() {
    if (handle_ > 0) emscripten_webgl_destroy_context(handle_);
}

void WebGlContext::MakeCurrent() {
    if (handle_ > 0) emscripten_webgl_make_context_current(handle_);
}

}  // namespace vertigon
