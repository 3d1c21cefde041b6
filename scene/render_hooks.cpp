#include "scene/render_hooks.h"

namespace vertigon {

namespace {

class InertShaderSet final : public ShaderSet {
public:
    void Bind(bool, bool) override {}
    void Unbind() override {}
};

ShaderSetFactory& ShaderFactorySlot() {
    static ShaderSetFactory slot;
    return slot;
}

DeviceTextureFactory& TextureFactorySlot() {
    static DeviceTextureFactory slot;
    return slot;
}

}  // namespace

void SetShaderSetFactory(ShaderSetFactory factory) { ShaderFactorySlot() = std::move(factory); }

void SetDeviceTextureFactory(DeviceTextureFactory factory) { TextureFactorySlot() = std::move(factory); }

std::unique_ptr<ShaderSet> CreateShaderSet() {
    if (ShaderFactorySlot()) return ShaderFactorySlot()();
    return std::make_unique<InertShaderSet>();
}

std::unique_ptr<DeviceTexture> CreateDeviceTexture(const Texture& texture) {
    if (TextureFactorySlot()) return TextureFactorySlot()(texture);
    return nullptr;
}

}  // namespace vertigon
