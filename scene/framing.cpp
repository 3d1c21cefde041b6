#include "scene/framing.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "scene/scene_graph.h"
#include "scene/skin_kernel.h"

namespace vertigon {

namespace {

void AddShape(const Shape& shape, std::span<const Bone> bones, Box& box) {
    SkinSums(PositionLists(shape), shape.positionSingles.size() + shape.positionGroups.size(), bones.size(),
             FloatSkinSum<true>{bones}, [&box](size_t, const Vec4& p) { box.Add(p); });
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
