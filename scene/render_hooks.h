// The model records hold renderer objects (a Material's shader set, the Model's device textures)
// without knowing the renderer. The renderer installs factories for them once a device exists;
// without a device, materials get an inert shader set and textures stay on the host.
#pragma once

#include <functional>
#include <memory>

namespace vertigon {

struct Texture;

class ShaderSet {
public:
    virtual ~ShaderSet() = default;
    virtual void Bind(bool textured, bool lit) = 0;
    virtual void Unbind() = 0;
};

// A texture living on the graphics device.
class DeviceTexture {
public:
    virtual ~DeviceTexture() = default;
};

using ShaderSetFactory = std::function<std::unique_ptr<ShaderSet>()>;
// May return null when the device cannot create the texture; that slot then draws untextured.
using DeviceTextureFactory = std::function<std::unique_ptr<DeviceTexture>(const Texture&)>;

// Installing an empty function restores the defaults (inert shader sets, no device textures).
void SetShaderSetFactory(ShaderSetFactory factory);
void SetDeviceTextureFactory(DeviceTextureFactory factory);

// What loaders call for every Material that gets a shader set.
std::unique_ptr<ShaderSet> CreateShaderSet();
std::unique_ptr<DeviceTexture> CreateDeviceTexture(const Texture& texture);

}  // namespace vertigon
