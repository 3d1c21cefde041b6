// The renderer's records for one Lod of one scene entry: skinned arrays and bounding boxes per
// shape, four vertex streams per batch, and the drawing of the Lod's draw groups with the
// entry's display flags.
#pragma once

#include <memory>
#include <vector>

#include "render/device.h"
#include "render/shader_sets.h"
#include "scene/model.h"
#include "scene/scene_graph.h"
#include "scene/scene_renderer.h"

namespace vertigon {

// The device textures a renderer made from one Model, one slot per texture (empty where the
// upload failed), shared by every Lod record of every entry of that model.
struct ModelTextures {
    std::vector<std::unique_ptr<DeviceTexture>> slots;
    bool uploaded = false;
    uint32_t revision = 0;  // the model's textureRevision at the upload

    // Uploads every texture of `model` once, and again when its textureRevision moves on.
    void Upload(Device& device, const Model& model);
};

// What a drawable material of a batch draws with, filled at each draw: textures on or not, lit
// or not (the choice among the renderer's material programs), the model's device-texture slot.
struct RenderMaterial {
    bool textured = false;
    bool lit = false;
    const std::unique_ptr<DeviceTexture>* textureSlot = nullptr;
};

struct RenderShape;

struct RenderBatch {
    std::vector<std::unique_ptr<RenderMaterial>> materials;  // null where the material is not drawable
    const Batch* batch = nullptr;
    std::unique_ptr<VertexStreams> buffers;  // 3 vertices per triangle
    bool constantStreamsWritten = false;     // uvs and colours never change after the first fill
};

struct RenderShape {
    const Shape* shape = nullptr;
    std::vector<Vec4> skinnedPositions;
    std::vector<Vec4> skinnedNormals;  // empty when the shape has no normals
    Bounds bounds;
    std::vector<RenderBatch> batches;
};

class RenderLod final : public LodRenderRecord {
public:
    // Draws with the renderer's `shaders`, which this record uses only while the device is alive
    // (the renderer shuts it down when it goes). Throws ShaderError when the Lod has a drawable
    // material and the material programs do not compile.
    RenderLod(std::shared_ptr<Device> device, RendererShaders& shaders, std::shared_ptr<ModelTextures> textures,
              ModelEntry& entry, int32_t lodIndex);
    ~RenderLod() override;

    void Skin() override;
    void Draw() override;
    Bounds GetBounds() const override { return bounds_; }

    const std::vector<RenderShape>& shapes() const { return shapes_; }
    const ModelTextures& textures() const { return *textures_; }

private:
    // Drawing in the renderer's order: each draw group's shapes, each shape's opaque batches
    // before its translucent ones.
    void DrawShape(RenderShape& shape, int32_t group);
    void DrawBatch(RenderBatch& batch, int32_t group);

    std::shared_ptr<Device> device_;
    RendererShaders& shaders_;
    std::shared_ptr<ModelTextures> textures_;
    ModelEntry& entry_;
    Model& model_;
    const Lod& lod_;
    std::vector<RenderShape> shapes_;
    Bounds bounds_;
};

// The steps of skinning, in the order the renderer runs them.
void SkinShape(Device& device, const ModelEntry& entry, RenderShape& shape);
void FillBatchBuffers(Device& device, const ModelEntry& entry, const RenderShape& shape, RenderBatch& batch);
void DrawBuffers(Device& device, const VertexStreams& buffers);

}  // namespace vertigon
