#include "render/render_records.h"

#include <bit>
#include <cstring>
#include <limits>

#include "render/bone_lines.h"
#include "render/shader_programs.h"
#include "render/shader_sets.h"
#include "render/skinning.h"

namespace vertigon {

namespace {

// The wireframe overlay is pulled toward the viewer by this fraction of the depth range.
constexpr float kWireframeDepthBias = std::bit_cast<float>(0xB851B717u);  // about -0.00005

inline bool InRange(int32_t index, size_t size) { return static_cast<uint32_t>(index) < size; }

// Three vertices per triangle, or none when that count does not fit the device's int32 counts.
int32_t VertexCountOf(const Batch& batch) {
    const size_t triangles = batch.triangles.size();
    if (triangles > static_cast<size_t>(std::numeric_limits<int32_t>::max() / 3)) return 0;
    return static_cast<int32_t>(triangles * 3);
}

}  // namespace

void ModelTextures::Upload(Device& device, const Model& model) {
    if (uploaded && revision == model.textureRevision) return;
    revision = model.textureRevision;
    slots.clear();
    slots.reserve(model.textures.size());
    for (const Texture& texture : model.textures) slots.push_back(device.CreateTexture(texture));
    uploaded = true;
}

// ---- creation and destruction ----

RenderLod::RenderLod(std::shared_ptr<Device> device, RendererShaders& shaders, std::shared_ptr<ModelTextures> textures,
                     ModelEntry& entry, int32_t lodIndex)
    : device_(std::move(device)),
      shaders_(shaders),
      textures_(std::move(textures)),
      entry_(entry),
      model_(entry.model()),
      lod_(model_.lods.at(static_cast<size_t>(lodIndex))) {
    shapes_.resize(lod_.shapes.size());
    for (size_t i = 0; i < lod_.shapes.size(); ++i) {
        const Shape& shape = lod_.shapes[i];
        RenderShape& render = shapes_[i];
        render.shape = &shape;
        render.skinnedPositions.resize(static_cast<size_t>(shape.positionCount()));
        render.skinnedNormals.resize(static_cast<size_t>(shape.normalCount()));
        render.batches.resize(shape.batches.size());
        for (size_t b = 0; b < shape.batches.size(); ++b) {
            const Batch& batch = shape.batches[b];
            RenderBatch& renderBatch = render.batches[b];
            renderBatch.batch = &batch;
            for (const Material& material : batch.materials) {
                std::unique_ptr<RenderMaterial> renderMaterial;
                if (material.drawable) {
                    shaders_.Materials();  // compiled now, so that a failure shows here
                    renderMaterial = std::make_unique<RenderMaterial>();
                }
                renderBatch.materials.push_back(std::move(renderMaterial));
            }
            renderBatch.buffers = std::make_unique<VertexStreams>(device_, VertexCountOf(batch));
        }
    }
}

RenderLod::~RenderLod() {
    // Shapes and their batches go last to first, the order they were built in reversed.
    while (!shapes_.empty()) {
        RenderShape& shape = shapes_.back();
        while (!shape.batches.empty()) shape.batches.pop_back();
        shapes_.pop_back();
    }
}

// ---- skinning ----

void RenderLod::Skin() {
    Bounds bounds;
    for (RenderShape& shape : shapes_) {
        SkinShape(*device_, entry_, shape);
        bounds = Enclose(bounds, shape.bounds);
    }
    bounds_ = bounds;
}

void SkinShape(Device& device, const ModelEntry& entry, RenderShape& shape) {
    SkinPositions(*shape.shape, entry.bones, shape.skinnedPositions);
    if (!shape.skinnedNormals.empty()) SkinNormals(*shape.shape, entry.bones, shape.skinnedNormals);
    shape.bounds = BoundsOf(shape.skinnedPositions);
    for (RenderBatch& batch : shape.batches) FillBatchBuffers(device, entry, shape, batch);
}

void FillBatchBuffers(Device& device, const ModelEntry& entry, const RenderShape& shape, RenderBatch& batch) {
    VertexStreams& buffers = *batch.buffers;
    const size_t n = static_cast<size_t>(buffers.vertexCount());
    if (n == 0 || !device.alive()) return;
    const std::vector<Triangle>& triangles = batch.batch->triangles;
    std::vector<uint8_t>& scratch = device.scratch();
    scratch.resize(n * 16);

    GatherCorners(triangles, shape.skinnedPositions, CornerIndex::Position, scratch.data());
    buffers.Write(StreamPositions, scratch.data());

    if (!batch.constantStreamsWritten) {
        uint8_t* out = scratch.data();
        for (const Triangle& t : triangles) {
            for (int c = 0; c < 3; ++c) {
                const float uv[2] = {t.u[c], t.v[c]};
                std::memcpy(out, uv, 8);
                out += 8;
            }
        }
        buffers.Write(StreamUvs, scratch.data());
    }

    // With flat shading on, the normals stay those of the last pose written without it.
    if ((entry.flags & FlagFlat) == 0 && !shape.skinnedNormals.empty()) {
        GatherCorners(triangles, shape.skinnedNormals, CornerIndex::Normal, scratch.data());
        buffers.Write(StreamNormals, scratch.data());
    }

    if (!batch.constantStreamsWritten) {
        uint8_t* out = scratch.data();
        for (const Triangle& t : triangles) {
            std::memcpy(out, t.colour, 12);
            out += 12;
        }
        buffers.Write(StreamColours, scratch.data());
        batch.constantStreamsWritten = true;
    }
}

// ---- drawing ----

void RenderLod::Draw() {
    if (!device_->alive()) return;
    // The model's textures go to the device when one of its entries is first drawn.
    textures_->Upload(*device_, model_);
    for (size_t g = 0; g < lod_.drawGroups.size(); ++g) {
        for (int32_t index : lod_.drawGroups[g].shapeIndices) {
            if (InRange(index, shapes_.size())) DrawShape(shapes_[static_cast<size_t>(index)], static_cast<int32_t>(g));
        }
    }
    if (entry_.flags & FlagBones) DrawBoneLines(*device_, shaders_.BoneLines(), entry_.bones);
}

void RenderLod::DrawShape(RenderShape& shape, int32_t group) {
    // Opaque batches first, then translucent ones, each in batch order.
    for (bool translucent : {false, true}) {
        for (RenderBatch& batch : shape.batches) {
            const std::vector<Material>& materials = batch.batch->materials;
            if (!InRange(group, materials.size())) continue;
            const Material& material = materials[static_cast<size_t>(group)];
            if (!material.hidden && material.translucent == translucent) {
                DrawBatch(batch, group);
            }
        }
    }
}

void RenderLod::DrawBatch(RenderBatch& batch, int32_t group) {
    Device& device = *device_;
    const size_t g = static_cast<size_t>(group);
    if (!InRange(group, batch.materials.size()) || !batch.materials[g]) return;  // not drawable: skipped
    const Material& m = batch.batch->materials[g];
    RenderMaterial& r = *batch.materials[g];
    std::vector<std::unique_ptr<DeviceTexture>>& slots = textures_->slots;
    r.textureSlot = InRange(m.textureIndex, slots.size()) ? &slots[static_cast<size_t>(m.textureIndex)] : nullptr;
    r.textured = (entry_.flags & FlagTexture) != 0;
    r.lit = m.lit;

    device.SetCullMode(m.doubleSided ? CullMode::None : CullMode::CounterClockwise);
    if (entry_.flags & FlagWireframe) {
        device.SetFillMode(FillMode::Wireframe);
        device.SetSlopeScaleDepthBias(0.0f);
        device.SetDepthBias(kWireframeDepthBias);
        WireShaderSet& wire = shaders_.Wire();
        wire.Bind(false, false);
        DrawBuffers(device, *batch.buffers);
        wire.Unbind();
    }
    device.SetSlopeScaleDepthBias(0.0f);
    device.SetDepthBias(0.0f);
    device.SetFillMode(FillMode::Solid);

    // A slot left empty by a failed upload binds no texture, and the batch draws untextured
    // rather than with whatever texture an earlier batch left bound.
    const DeviceTexture* texture = r.textureSlot ? r.textureSlot->get() : nullptr;
    BindTexture(device, texture);
    MaterialShaderSet& materials = shaders_.Materials();
    materials.Bind(r.textured && texture != nullptr, r.lit);
    DrawBuffers(device, *batch.buffers);
    materials.Unbind();
}

void DrawBuffers(Device& device, const VertexStreams& buffers) {
    device.DrawTriangleList(buffers, buffers.vertexCount() / 3);
}

}  // namespace vertigon
