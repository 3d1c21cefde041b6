// The renderer: one device over the given OpenGL context, installed as the scene's renderer and
// as the factory of material shader sets and device textures for as long as it lives.
//
// The viewer makes it when its canvas exists, with a CallbackGlContext that makes the canvas's
// context current and swaps its buffers, and calls Resize from its size handler; the tool and
// the tests use an EglOffscreenContext. Models must be loaded after the renderer is made, so
// that their materials get real shader sets.
#pragma once

#include <memory>

#include "render/device.h"
#include "render/gl_context.h"
#include "scene/scene_renderer.h"

namespace vertigon {

class Renderer final : public SceneRenderer {
public:
    // Throws RenderError when the context does not offer OpenGL 3.3 core.
    Renderer(GlContext& context, int width, int height, const RendererOptions& options = {});
    // Uninstalls the hooks and shuts the device down; records, shader sets and textures that
    // outlive it stop drawing.
    ~Renderer() override;
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // The window's new client size.
    void Resize(int width, int height);
    Device& device() { return *device_; }

    std::unique_ptr<LodRenderRecord> CreateLodRecord(ModelEntry& entry, int32_t lodIndex) override;
    void SetCurrentFlags(const int32_t* flags) override;
    void Clear(uint32_t argb, float depth, uint32_t stencil) override;
    void SetFrameStates() override;
    void SetTransforms(const Mat4& world, const Mat4& view, const Mat4& projection, const Vec3& eye) override;
    void BeginScene() override;
    void EndScene() override;
    void Present() override;

private:
    std::shared_ptr<Device> device_;
};

}  // namespace vertigon
