#include "scene/box.h"

#include <algorithm>
#include <cmath>

namespace vertigon {

namespace {

Vec3 Middle(const Vec3& a, const Vec3& b) { return {(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, (a.z + b.z) * 0.5f}; }

}  // namespace

void Box::Add(const Vec4& p) {
    if (empty) {
        min = max = {p.x, p.y, p.z};
        empty = false;
    } else {
        min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
        max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
    }
    centre = Middle(min, max);
}

float Box::Radius() const {
    if (empty) return 0.0f;
    const float dx = max.x - min.x, dy = max.y - min.y, dz = max.z - min.z;
    return 0.5f * std::sqrt(dx * dx + dy * dy + dz * dz);
}

Box BoundsOf(std::span<const Vec4> positions) {
    Box b;
    for (const Vec4& p : positions) b.Add(p);
    return b;
}

Box Enclose(const Box& a, const Box& b) {
    if (a.empty) return b;
    if (b.empty) return a;
    Box both = a;
    both.min = {std::min(a.min.x, b.min.x), std::min(a.min.y, b.min.y), std::min(a.min.z, b.min.z)};
    both.max = {std::max(a.max.x, b.max.x), std::max(a.max.y, b.max.y), std::max(a.max.z, b.max.z)};
    both.centre = Middle(both.min, both.max);
    return both;
}

}  // namespace vertigon
