#include "render/egl_offscreen_context.h"

#include <epoxy/egl.h>
#include <epoxy/gl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "render/device.h"
#include "render/render_error.h"

namespace vertigon {

namespace {

// Renderbuffers larger than this are refused by common drivers; the tool checks sizes first.
constexpr int kMaxSide = 16384;

// Contexts made on this thread; the thread's EGL state (its bound API, its current context) is
// released with the last one. The one piece of mutable state the library keeps, because EGL's
// own state is per thread.
thread_local int liveContexts = 0;

bool HasExtension(const char* list, const char* name) {
    if (!list) return false;
    const size_t n = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += n) {
        const bool starts = p == list || p[-1] == ' ';
        const bool ends = p[n] == '\0' || p[n] == ' ';
        if (starts && ends) return true;
    }
    return false;
}

// The message for a failed EGL step, with EGL's error code.
std::string Failure(const std::string& what) {
    char code[16];
    std::snprintf(code, sizeof code, "%04X", static_cast<unsigned>(eglGetError()));
    return "offscreen OpenGL context: " + what + " (EGL error 0x" + code + ")";
}

}  // namespace

EglOffscreenContext::EglOffscreenContext(int width, int height) : width_(width), height_(height) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
        throw RenderError("offscreen OpenGL context: size " + std::to_string(width) + " x " + std::to_string(height) +
                          " is outside 1 to " + std::to_string(kMaxSide));
    }
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!HasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        throw RenderError("offscreen OpenGL context: EGL has no surfaceless platform");
    }
    EGLDisplay display = eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) throw RenderError(Failure("no surfaceless display"));
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor)) throw RenderError(Failure("EGL did not initialise"));
    ++liveContexts;
    display_ = display;

    const char* extensions = eglQueryString(display, EGL_EXTENSIONS);
    if (!HasExtension(extensions, "EGL_KHR_surfaceless_context") ||
        !HasExtension(extensions, "EGL_KHR_no_config_context")) {
        Teardown();
        throw RenderError("offscreen OpenGL context: EGL cannot make a context without a surface");
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        const std::string message = Failure("no desktop OpenGL through EGL");
        Teardown();
        throw RenderError(message);
    }
    const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                 3,
                                 EGL_CONTEXT_MINOR_VERSION,
                                 3,
                                 EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                 EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                 EGL_NONE};
    EGLContext context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
    if (context == EGL_NO_CONTEXT) {
        const std::string message = Failure("no OpenGL 3.3 core context");
        Teardown();
        throw RenderError(message);
    }
    context_ = context;
    MakeCurrent();

    glGenFramebuffers(1, &framebuffer_);
    glGenRenderbuffers(1, &colourBuffer_);
    glGenRenderbuffers(1, &depthBuffer_);
    AllocateStorage();
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        Teardown();
        throw RenderError("offscreen OpenGL context: the framebuffer is incomplete");
    }
}

EglOffscreenContext::~EglOffscreenContext() { Teardown(); }

void EglOffscreenContext::Teardown() {
    EGLDisplay display = display_;
    if (!display) return;
    if (context_) {
        MakeCurrent();
        if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
        if (colourBuffer_) glDeleteRenderbuffers(1, &colourBuffer_);
        if (depthBuffer_) glDeleteRenderbuffers(1, &depthBuffer_);
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display, context_);
        context_ = nullptr;
    }
    framebuffer_ = colourBuffer_ = depthBuffer_ = 0;
    display_ = nullptr;
    // The display itself stays initialised for the life of the process: terminating it would
    // unload the driver, and later contexts would pay for loading it again.
    if (--liveContexts == 0) eglReleaseThread();
}

void EglOffscreenContext::MakeCurrent() {
    if (eglGetCurrentContext() != context_) {
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_);
    }
}

void EglOffscreenContext::Present() { glFlush(); }

void EglOffscreenContext::Finish() {
    MakeCurrent();
    glFinish();
}

void EglOffscreenContext::AllocateStorage() {
    glBindRenderbuffer(GL_RENDERBUFFER, colourBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width_, height_);
    glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width_, height_);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
}

void EglOffscreenContext::Resize(int width, int height) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return;
    if (width == width_ && height == height_) return;
    width_ = width;
    height_ = height;
    MakeCurrent();
    AllocateStorage();
}

RgbImage EglOffscreenContext::ReadPixels() {
    MakeCurrent();
    return ReadFramebufferPixels(framebuffer_, width_, height_);
}

}  // namespace vertigon
