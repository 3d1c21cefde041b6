#include "render/renderer.h"

#include "render/render_records.h"

namespace vertigon {

Renderer::Renderer(GlContext& context, int width, int height, const RendererOptions& options)
    : device_(std::make_shared<Device>(context, width, height)),
      shaders_(std::make_unique<RendererShaders>(*device_, options.lowPixelProfile)) {}

Renderer::~Renderer() {
    device_->MakeCurrent();
    shaders_.reset();
    device_->Shutdown();
}

void Renderer::Resize(int width, int height) { device_->Resize(width, height); }

std::shared_ptr<ModelTextures> Renderer::TexturesOf(const Model& model) {
    // Models that went leave expired slots; drop them so that a new model at the same address
    // starts afresh.
    std::erase_if(textures_, [](const auto& slot) { return slot.second.expired(); });
    std::weak_ptr<ModelTextures>& slot = textures_[&model];
    std::shared_ptr<ModelTextures> textures = slot.lock();
    if (!textures) {
        textures = std::make_shared<ModelTextures>();
        slot = textures;
    }
    return textures;
}

std::unique_ptr<LodRenderRecord> Renderer::CreateLodRecord(ModelEntry& entry, int32_t lodIndex) {
    device_->MakeCurrent();
    return std::make_unique<RenderLod>(device_, *shaders_, TexturesOf(entry.model()), entry, lodIndex);
}

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
