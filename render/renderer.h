// The renderer: one device over the given OpenGL context, and the maker of everything drawing a
// Model needs on that device (the model's device textures, the vertex buffers of each scene
// entry). It holds the shader sets its records draw with: compiled once, kept until it goes.
// Models are loaded without it; a scene handed a renderer has it make the records of its
// entries when they are made or first updated.
//
// The viewer makes it when its canvas exists, with a CallbackGlContext that makes the canvas's
// context current and swaps its buffers, and calls Resize from its size handler; the tool and
// the tests use an EglOffscreenContext.
#pragma once

#include <map>
#include <memory>

#include "render/device.h"
#include "render/gl_context.h"
#include "render/shader_sets.h"
#include "scene/scene_renderer.h"

namespace vertigon {

struct Model;
struct ModelTextures;

struct RendererOptions {
    // Choose the low-pixel-profile program variants (textures unlit, lit batches red), as the
    // viewer does on hardware with only the oldest pixel shader profiles.
    bool lowPixelProfile = false;
};

class Renderer final : public SceneRenderer {
public:
    // Throws RenderError when the context does not offer OpenGL 3.3 core.
    Renderer(GlContext& context, int width, int height, const RendererOptions& options = {});
    // Deletes its shader sets and shuts the device down; records and textures that outlive it
    // stop drawing.
    ~Renderer() override;
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // The window's new client size.
    void Resize(int width, int height);
    Device& device() { return *device_; }

    // Throws ShaderError when the material programs do not compile.
    std::unique_ptr<LodRenderRecord> CreateLodRecord(ModelEntry& entry, int32_t lodIndex) override;
    void Clear(uint32_t argb, float depth, uint32_t stencil) override;
    void SetFrameStates() override;
    void SetTransforms(const Mat4& world, const Mat4& view, const Mat4& projection, const Vec3& eye) override;
    void BeginScene() override;
    void EndScene() override;
    void Present() override;

private:
    // The device textures of `model`, shared by all records made from it while any lives.
    std::shared_ptr<ModelTextures> TexturesOf(const Model& model);

    std::shared_ptr<Device> device_;
    std::unique_ptr<RendererShaders> shaders_;
    std::map<const Model*, std::weak_ptr<ModelTextures>> textures_;
};

}  // namespace vertigon
