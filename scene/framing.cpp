#include "scene/framing.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "scene/scene_graph.h"

namespace vertigon {

void Box::Add(const Vec4& p) {
    if (empty) {
        min = max = {p.x, p.y, p.z};
        empty = false;
        return;
    }
    min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
    max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
}

Vec3 Box::Centre() const {
    return {(min.x + max.x) * 0.5f, (min.y + max.y) * 0.5f, (min.z + max.z) * 0.5f};
}

float Box::Radius() const {
    if (empty) return 0.0f;
    const float dx = max.x - min.x, dy = max.y - min.y, dz = max.z - min.z;
    return 0.5f * std::sqrt(dx * dx + dy * dy + dz * dz);
}

namespace {

bool InRange(int32_t index, size_t size) { return index >= 0 && static_cast<size_t>(index) < size; }

void AddShape(const Shape& shape, std::span<const Bone> bones, Box& box) {
    for (const SkinEntry& single : shape.positionSingles) {
        if (!InRange(single.bone, bones.size())) continue;
        box.Add(bones[static_cast<size_t>(single.bone)].world.Transform(single.value));
    }
    const auto& influences = shape.positionInfluences;
    for (const SkinGroup& group : shape.positionGroups) {
        if (group.firstInfluence < 0 || group.influenceCount <= 0) continue;
        const size_t first = static_cast<size_t>(group.firstInfluence);
        const size_t count = static_cast<size_t>(group.influenceCount);
        if (first > influences.size() || count > influences.size() - first) continue;
        Vec4 sum;
        for (size_t i = first; i < first + count; ++i) {
            if (!InRange(influences[i].bone, bones.size())) continue;
            sum = sum + bones[static_cast<size_t>(influences[i].bone)].world.Transform(influences[i].value);
        }
        box.Add(sum);
    }
}

}  // namespace

Box PosedBox(const Model& model, int32_t lod, std::span<const Bone> bones) {
    Box box;
    if (!InRange(lod, model.lods.size())) return box;
    for (const Shape& shape : model.lods[static_cast<size_t>(lod)].shapes) AddShape(shape, bones, box);
    return box;
}

Box BindPoseBox(const Model& model, int32_t lod) {
    std::vector<Bone> bones = model.bones;
    Placement placement = model.placement;
    ComposePose(kIdentity, placement, bones);
    return PosedBox(model, lod, bones);
}

Box CurrentBox(const ModelEntry& entry) {
    if (!entry.poseDirty) return PosedBox(entry.model(), entry.lod, entry.bones);
    std::vector<Bone> bones = entry.bones;
    Placement placement = entry.placement();
    ComposePose(entry.world, placement, bones);
    return PosedBox(entry.model(), entry.lod, bones);
}

std::optional<Framing> FrameBox(const Box& box, const Camera& camera, float share) {
    if (box.empty || !(share > 0.0f)) return std::nullopt;
    const Vec3 centre = box.Centre();
    float radius = box.Radius();
    if (!std::isfinite(radius) || !std::isfinite(centre.x) || !std::isfinite(centre.y) || !std::isfinite(centre.z)) {
        return std::nullopt;
    }
    if (radius <= 0.0f) radius = 1.0f;
    // The projection's scales turn the tangent of an angle off the axis into a share of the half
    // view; the larger scale (the narrower side) decides.
    const Mat4 projection = camera.ProjectionMatrix();
    const float scale = std::max(std::abs(projection.m[0][0]), std::abs(projection.m[1][1]));
    if (!(scale > 0.0f)) return std::nullopt;
    // A sphere seen from d spans tan(asin(r / d)) = r / sqrt(d^2 - r^2) off the axis.
    const float ratio = scale / share;
    return Framing{centre, radius * std::sqrt(1.0f + ratio * ratio)};
}

}  // namespace vertigon
