// Where the camera goes so that a model fills the view: the box of a Lod at a pose, and the orbit
// target and distance that make the box's bounding sphere fill a share of the view.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "scene/animation.h"
#include "scene/box.h"
#include "scene/math.h"
#include "scene/model.h"

namespace vertigon {

class Camera;
class ModelEntry;

// The box of Lod `lod`'s skinned positions with the bones' world matrices: the positions the
// skin writes, with the entries the renderer skips skipped.
Box PosedBox(const Model& model, int32_t lod, std::span<const Bone> bones);
// The box at the bind pose: bone worlds composed from the model's own bones and placement.
Box BindPoseBox(const Model& model, int32_t lod);
// The box of the entry's shown Lod at its current pose; a pose still waiting to be composed from
// the local transforms is composed on a copy first.
Box CurrentBox(const ModelEntry& entry);

struct Framing {
    Vec3 target;
    float distance = 0.0f;
};

inline constexpr float kFramedShare = 0.8f;

// The box centre, and the distance at which its bounding sphere spans `share` of the view's
// height (of its width when the view is narrower than tall) through the camera's own projection.
// An empty box gives nothing; a box of one point frames a sphere of radius 1.
std::optional<Framing> FrameBox(const Box& box, const Camera& camera, float share = kFramedShare);

}  // namespace vertigon
