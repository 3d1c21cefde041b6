#include "render/bone_lines.h"

#include "render/device.h"
#include "render/shader_sets.h"

namespace vertigon {

namespace {

Vec4 Origin(const Mat4& world) { return {world.m[3][0], world.m[3][1], world.m[3][2], 1.0f}; }

}  // namespace

std::vector<Vec4> BoneLineVertices(const std::vector<Bone>& bones) {
    std::vector<Vec4> points;
    for (const Bone& bone : bones) {
        if (bone.parent < 0 || static_cast<size_t>(bone.parent) >= bones.size()) continue;
        points.push_back(Origin(bones[static_cast<size_t>(bone.parent)].world));
        points.push_back(Origin(bone.world));
    }
    return points;
}

void DrawBoneLines(Device& device, ShaderSet& shaders, const std::vector<Bone>& bones) {
    if (!device.alive()) return;
    const std::vector<Vec4> points = BoneLineVertices(bones);
    if (points.empty()) return;
    device.SetDepthEnable(false);
    device.SetFillMode(FillMode::Solid);
    shaders.Bind(false, false);
    device.DrawLineList(points.data(), static_cast<int32_t>(points.size() / 2));
    shaders.Unbind();
    device.SetDepthEnable(true);
}

}  // namespace vertigon
