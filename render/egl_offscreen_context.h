// An OpenGL 3.3 core context without any window: Mesa's surfaceless EGL platform, drawing into
// a framebuffer object of 8-bit colour and 16-bit depth (the depth format the viewer asks for).
// Used by vertigon-cli render, the tests and the benchmarks.
#pragma once

#include <cstdint>

#include "render/gl_context.h"
#include "render/rgb_image.h"

namespace vertigon {

class EglOffscreenContext final : public GlContext {
public:
    // Throws RenderError when no such context can be made.
    EglOffscreenContext(int width, int height);
    ~EglOffscreenContext() override;
    EglOffscreenContext(const EglOffscreenContext&) = delete;
    EglOffscreenContext& operator=(const EglOffscreenContext&) = delete;

    void MakeCurrent() override;
    void Present() override;
    uint32_t Framebuffer() const override { return framebuffer_; }
    void Resize(int width, int height) override;

    int width() const { return width_; }
    int height() const { return height_; }
    // Waits until every command given so far has finished.
    void Finish();
    // Waits for the drawing to finish and reads the colour buffer, top row first.
    RgbImage ReadPixels();

private:
    void AllocateStorage();
    // Frees whatever the constructor made so far; safe to call twice.
    void Teardown();

    void* display_ = nullptr;  // EGLDisplay
    void* context_ = nullptr;  // EGLContext
    uint32_t framebuffer_ = 0;
    uint32_t colourBuffer_ = 0;
    uint32_t depthBuffer_ = 0;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace vertigon
