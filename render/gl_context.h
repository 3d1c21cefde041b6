// Where the device draws: a current OpenGL 3.3 core context and the framebuffer it presents.
// The offscreen EGL context is one; the viewer's canvas supplies its own through
// CallbackGlContext.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

namespace vertigon {

class GlContext {
public:
    virtual ~GlContext() = default;
    // Makes the context current on the calling thread.
    virtual void MakeCurrent() = 0;
    // Shows the finished frame (a buffer swap for a window).
    virtual void Present() = 0;
    // The GL name of the framebuffer drawn into; 0 is the window's own.
    virtual uint32_t Framebuffer() const { return 0; }
    // Called when the device is resized; a window's buffers follow the window by themselves.
    virtual void Resize(int width, int height) {
        (void)width;
        (void)height;
    }
};

// A context owned by someone else (the viewer's GL canvas): the device only asks it to become
// current and to present. The canvas must offer an OpenGL 3.3 core profile, double buffering and
// a depth buffer (16 bits is what the viewer has always used); Renderer::Resize follows its size.
class CallbackGlContext final : public GlContext {
public:
    CallbackGlContext(std::function<void()> makeCurrent, std::function<void()> present)
        : makeCurrent_(std::move(makeCurrent)), present_(std::move(present)) {}

    void MakeCurrent() override {
        if (makeCurrent_) makeCurrent_();
    }
    void Present() override {
        if (present_) present_();
    }

private:
    std::function<void()> makeCurrent_;
    std::function<void()> present_;
};

}  // namespace vertigon
