#include "scene/guides.h"

#include <algorithm>
#include <cmath>

namespace vertigon {

namespace {

constexpr int32_t kMostLinesEachSide = 60;
constexpr float kGizmoLength = 0.12f;  // of the half height
constexpr float kGizmoMargin = 0.2f;   // from the corner, in half heights

}  // namespace

std::optional<GridLayout> LayOutGrid(const Box& bindPose) {
    if (bindPose.empty) return std::nullopt;
    float radius = bindPose.Radius();
    if (!std::isfinite(radius)) return std::nullopt;
    if (radius <= 0.0f) radius = 1.0f;
    GridLayout grid;
    grid.spacing = std::pow(10.0f, std::floor(std::log10(radius / 5.0f)));
    grid.halfCount = std::clamp(static_cast<int32_t>(std::ceil(1.5f * radius / grid.spacing)), 1, kMostLinesEachSide);
    const Vec3 centre = bindPose.Centre();
    grid.centre = {std::round(centre.x / grid.spacing) * grid.spacing, bindPose.min.y,
                   std::round(centre.z / grid.spacing) * grid.spacing};
    return grid;
}

std::vector<Vec4> GridLines(const GridLayout& grid) {
    std::vector<Vec4> points;
    const float reach = grid.spacing * static_cast<float>(grid.halfCount);
    const Vec3& c = grid.centre;
    for (int32_t i = -grid.halfCount; i <= grid.halfCount; ++i) {
        const float z = c.z + grid.spacing * static_cast<float>(i);
        points.push_back({c.x - reach, c.y, z, 1.0f});
        points.push_back({c.x + reach, c.y, z, 1.0f});
    }
    for (int32_t i = -grid.halfCount; i <= grid.halfCount; ++i) {
        const float x = c.x + grid.spacing * static_cast<float>(i);
        points.push_back({x, c.y, c.z - reach, 1.0f});
        points.push_back({x, c.y, c.z + reach, 1.0f});
    }
    return points;
}

AxesGizmo CornerAxes(const Mat4& cameraView, float aspect) {
    if (!(aspect > 0.0f)) aspect = 1.0f;
    AxesGizmo gizmo;
    gizmo.view = cameraView;
    gizmo.view.m[3][0] = gizmo.view.m[3][1] = gizmo.view.m[3][2] = 0.0f;
    Mat4& p = gizmo.projection;
    p.m[0][0] = kGizmoLength / aspect;
    p.m[1][1] = kGizmoLength;
    p.m[2][2] = -0.25f * kGizmoLength;  // depth inside 0..1 for any turn
    p.m[3][0] = -1.0f + (kGizmoMargin + kGizmoLength) / aspect;
    p.m[3][1] = -1.0f + kGizmoMargin + kGizmoLength;
    p.m[3][2] = 0.5f;
    p.m[3][3] = 1.0f;
    return gizmo;
}

}  // namespace vertigon
