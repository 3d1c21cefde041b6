#include "render/renderer.h"

#include "render/render_records.h"
#include "render/shader_sets.h"
#include "scene/render_hooks.h"

namespace vertigon {

Renderer::Renderer(GlContext& context, int width, int height, const RendererOptions& options)
    : device_(std::make_shared<Device>(context, width, height, options)) {
    std::shared_ptr<Device> device = device_;
    SetShaderSetFactory([device]() -> std::unique_ptr<ShaderSet> {
        device->MakeCurrent();
        return std::make_unique<MaterialShaderSet>(device);
    });
    SetDeviceTextureFactory([device](const Texture& texture) { return device->CreateTexture(texture); });
    SetSceneRenderer(this);
}

Renderer::~Renderer() {
    if (GetSceneRenderer() == this) SetSceneRenderer(nullptr);
    SetShaderSetFactory(nullptr);
    SetDeviceTextureFactory(nullptr);
    device_->Shutdown();
}

void Renderer::Resize(int width, int height) { device_->Resize(width, height); }

std::unique_ptr<LodRenderRecord> Renderer::CreateLodRecord(ModelEntry& entry, int32_t lodIndex) {
    device_->MakeCurrent();
    return std::make_unique<RenderLod>(device_, entry, lodIndex);
}

void Renderer::SetCurrentFlags(const int32_t* flags) { device_->currentFlags = flags; }

void Renderer::Clear(uint32_t argb, float depth, uint32_t stencil) { device_->Clear(argb, depth, stencil); }

void Renderer::SetFrameStates() {
    device_->SetCullMode(CullMode::CounterClockwise);
    device_->SetBlendFactors(BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha);
    device_->SetAlphaBlendEnable(true);
}

void Renderer::SetTransforms(const Mat4& world, const Mat4& view, const Mat4& projection, const Vec3& eye) {
    device_->world = world;
    device_->view = view;
    device_->projection = projection;
    device_->eyePosition = eye;
}

void Renderer::BeginScene() { device_->BeginScene(); }

void Renderer::EndScene() { device_->EndScene(); }

void Renderer::Present() { device_->Present(); }

}  // namespace vertigon
