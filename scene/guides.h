// Where the viewer's guides go: a ground grid under the model, on its lowest point at the bind
// pose and spaced to its size, and a small x/y/z gizmo in a corner turned with the camera.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "scene/framing.h"
#include "scene/math.h"

namespace vertigon {

struct GridLayout {
    Vec3 centre;           // on the grid's plane, on a line crossing
    float spacing = 1.0f;  // a power of ten
    int32_t halfCount = 1;  // lines each side of the centre, each way
};

// Nothing for an empty box. The spacing is the power of ten at or below a fifth of the box's
// bounding radius; the grid reaches at least one and a half radii each way.
std::optional<GridLayout> LayOutGrid(const Box& bindPose);
// Two points per line: the lines along x, then the lines along z.
std::vector<Vec4> GridLines(const GridLayout& grid);

// The gizmo: a unit line along each axis from the origin, drawn with these matrices. The view
// keeps only the camera's turn; the projection puts the origin in the lower-left corner with
// the lines a fixed share of the view's height long, whatever the aspect.
struct AxesGizmo {
    Mat4 view;
    Mat4 projection;
};
AxesGizmo CornerAxes(const Mat4& cameraView, float aspect);

}  // namespace vertigon
