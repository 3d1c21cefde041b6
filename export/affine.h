// Affine transforms in double precision for turning the viewer's bone matrices into glTF node
// transforms. The viewer's matrices act on row vectors (p' = p x M, translation in row 3);
// their fourth column never reaches a drawn position, so it is not read here.
#pragma once

#include <array>

#include "scene/animation.h"
#include "scene/math.h"
#include "scene/model.h"

namespace vertigon {

struct Affine {
    double a[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};  // p' = p x a + t
    double t[3] = {0, 0, 0};

    static Affine From(const Mat4& m);
    // The transform that applies this one, then `next`.
    Affine Then(const Affine& next) const;
    // False when the linear part is singular; `out` is then left alone.
    bool Inverse(Affine& out) const;
    std::array<double, 3> Apply(const std::array<double, 3>& p) const;
    // The glTF column-major array of this transform: the row-major rows of the viewer's matrix.
    std::array<double, 16> ColumnMajor() const;
};

// A glTF node transform: translation, unit rotation quaternion (x, y, z, w), scale.
struct NodeTransform {
    std::array<double, 3> translation{0, 0, 0};
    std::array<double, 4> rotation{0, 0, 0, 1};
    std::array<double, 3> scale{1, 1, 1};
};

// The translation, rotation and scale whose product T x R x S (glTF's order) comes nearest to the
// transform. `shear` receives how far the linear part is from any rotation times axis scale, as
// the largest element difference over the largest scale (0 for a plain rotation and scale).
NodeTransform Decompose(const Affine& transform, double* shear);

// The bone's local transform as the scene builds it: rotation, then scale, then translation.
Affine LocalTransform(const Bone& bone);

// The viewer's matrix for a Model's placement: rotation, scale, then translation.
Affine PlacementTransform(const Placement& placement);

// Flips q onto the hemisphere of `previous` (same rotation, shortest blend between the two).
void KeepHemisphere(std::array<double, 4>& q, const std::array<double, 4>& previous);

}  // namespace vertigon
