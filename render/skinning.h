// Skinning on the processor: a shape's skin lists transformed by the bone world matrices through
// the scene's skinning sum (packed where the build allows). Pure arithmetic, no device.
#pragma once

#include <cstdint>
#include <span>

#include "scene/animation.h"
#include "scene/box.h"
#include "scene/model.h"

namespace vertigon {

// Positions: every single stores value x bone world (rows 0-3) at its index; every group stores
// the sum over its influences. Entries whose index, bone or influence range falls outside the
// arrays are skipped.
void SkinPositions(const Shape& shape, std::span<const Bone> bones, std::span<Vec4> out);

// Normals: as positions with rows 0-2 only (w ignored), then every stored normal of non-zero
// length is scaled to unit length (x, y, z; w untouched).
void SkinNormals(const Shape& shape, std::span<const Bone> bones, std::span<Vec4> out);

enum class CornerIndex { Position, Normal };
// The bytes of a position or normal vertex stream: one 16-byte vector of `source` per triangle
// corner, picked by the corner's position or normal index; an index outside `source` gives zeros.
// `out` holds 48 bytes per triangle.
void GatherCorners(std::span<const Triangle> triangles, std::span<const Vec4> source, CornerIndex index,
                   uint8_t* out);

}  // namespace vertigon
