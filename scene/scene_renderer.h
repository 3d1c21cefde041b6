// What the scene asks of the renderer: per-Lod render records for each scene entry, and the
// steps of a frame. The scene knows only this interface and is handed its renderer; a scene
// without one gives its entries no render records and draws nothing, so models load, pose and
// export on a machine without any GPU.
#pragma once

#include <cstdint>
#include <memory>

#include "scene/box.h"
#include "scene/math.h"

namespace vertigon {

class ModelEntry;


// The renderer's records for one Lod of one scene entry.
class LodRenderRecord {
public:
    virtual ~LodRenderRecord() = default;
    // Re-skins every shape from the entry's bone matrices and rewrites the vertex buffers.
    virtual void Skin() = 0;
    // Draws the Lod with the display flags of the entry it was made for.
    virtual void Draw() = 0;
    // The box of the last skinned pose.
    virtual Bounds GetBounds() const = 0;
};

class SceneRenderer {
public:
    virtual ~SceneRenderer() = default;

    // Builds the records for Lod `lodIndex` of the entry's model, with whatever device objects
    // (shader sets, textures) drawing it needs.
    virtual std::unique_ptr<LodRenderRecord> CreateLodRecord(ModelEntry& entry, int32_t lodIndex) = 0;

    // Clears colour (packed A8R8G8B8) and depth of the whole target.
    virtual void Clear(uint32_t argb, float depth, uint32_t stencil) = 0;
    // Cull counter-clockwise faces; blend with source alpha over inverse source alpha.
    virtual void SetFrameStates() = 0;
    // The camera's matrices and eye position, read by the shader programs.
    virtual void SetTransforms(const Mat4& world, const Mat4& view, const Mat4& projection, const Vec3& eye) = 0;
    virtual void BeginScene() = 0;
    virtual void EndScene() = 0;
    virtual void Present() = 0;
};

}  // namespace vertigon
