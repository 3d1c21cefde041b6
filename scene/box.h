// The one axis-aligned box type: what the renderer's skinned shapes cover, what the camera frames
// and what the grid lies under.
#pragma once

#include <span>

#include "scene/math.h"

namespace vertigon {

// Empty until a point is added; an empty box runs from 1,000,000 down to -1,000,000 with centre 0.
// `centre` follows every change.
struct Box {
    Vec3 min{1000000.0f, 1000000.0f, 1000000.0f};
    Vec3 max{-1000000.0f, -1000000.0f, -1000000.0f};
    Vec3 centre;
    bool empty = true;

    void Add(const Vec4& point);
    Vec3 Centre() const { return centre; }
    // Half the diagonal: the radius of the box's bounding sphere; 0 when empty.
    float Radius() const;
};

// The renderer's name for the same box.
using Bounds = Box;

// The box of the positions (x, y, z).
Box BoundsOf(std::span<const Vec4> positions);
// The box around two boxes.
Box Enclose(const Box& a, const Box& b);

}  // namespace vertigon
