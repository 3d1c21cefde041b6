#include "render/skinning.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#if VERTIGON_SSE_SKINNING
#include <xmmintrin.h>
#endif

namespace vertigon {

namespace {

// x.row0 + y.row1 + z.row2 + w.row3, summed left to right as the scalar formula reads; the
// packed (x86-64 builds with VERTIGON_HOST_FLOAT_MODE) and the portable forms give the same bits.
#if VERTIGON_SSE_SKINNING
using Lane = __m128;

inline Lane Load(const Vec4& v) { return _mm_load_ps(&v.x); }
inline void Store(Vec4& v, Lane l) { _mm_store_ps(&v.x, l); }
inline Lane Zero() { return _mm_setzero_ps(); }
inline Lane Add(Lane a, Lane b) { return _mm_add_ps(a, b); }

inline Lane TransformPoint(Lane v, const Mat4& m) {
    Lane r = _mm_mul_ps(_mm_shuffle_ps(v, v, 0x00), _mm_load_ps(m.m[0]));
    r = _mm_add_ps(r, _mm_mul_ps(_mm_shuffle_ps(v, v, 0x55), _mm_load_ps(m.m[1])));
    r = _mm_add_ps(r, _mm_mul_ps(_mm_shuffle_ps(v, v, 0xAA), _mm_load_ps(m.m[2])));
    return _mm_add_ps(r, _mm_mul_ps(_mm_shuffle_ps(v, v, 0xFF), _mm_load_ps(m.m[3])));
}

inline Lane TransformDirection(Lane v, const Mat4& m) {
    Lane r = _mm_mul_ps(_mm_shuffle_ps(v, v, 0x00), _mm_load_ps(m.m[0]));
    r = _mm_add_ps(r, _mm_mul_ps(_mm_shuffle_ps(v, v, 0x55), _mm_load_ps(m.m[1])));
    return _mm_add_ps(r, _mm_mul_ps(_mm_shuffle_ps(v, v, 0xAA), _mm_load_ps(m.m[2])));
}
#else
using Lane = Vec4;

inline Lane Load(const Vec4& v) { return v; }
inline void Store(Vec4& v, Lane l) { v = l; }
inline Lane Zero() { return {}; }
inline Lane Add(Lane a, Lane b) { return a + b; }

inline Lane Row(const Mat4& m, int i) { return {m.m[i][0], m.m[i][1], m.m[i][2], m.m[i][3]}; }

inline Lane TransformPoint(Lane v, const Mat4& m) {
    return Row(m, 0) * v.x + Row(m, 1) * v.y + Row(m, 2) * v.z + Row(m, 3) * v.w;
}

inline Lane TransformDirection(Lane v, const Mat4& m) { return Row(m, 0) * v.x + Row(m, 1) * v.y + Row(m, 2) * v.z; }
#endif

inline bool InRange(int32_t index, size_t size) { return static_cast<uint32_t>(index) < size; }

template <Lane (*Transform)(Lane, const Mat4&)>
void Skin(std::span<const SkinEntry> singles, std::span<const SkinGroup> groups, std::span<const SkinEntry> influences,
          std::span<const Bone> bones, std::span<Vec4> out) {
    for (const SkinEntry& s : singles) {
        if (!InRange(s.index, out.size()) || !InRange(s.bone, bones.size())) continue;
        Store(out[static_cast<size_t>(s.index)], Transform(Load(s.value), bones[static_cast<size_t>(s.bone)].world));
    }
    for (const SkinGroup& g : groups) {
        if (!InRange(g.index, out.size()) || g.firstInfluence < 0 || g.influenceCount < 0) continue;
        const size_t first = static_cast<size_t>(g.firstInfluence);
        const size_t count = static_cast<size_t>(g.influenceCount);
        if (first > influences.size() || count > influences.size() - first) continue;
        Lane sum = Zero();
        for (const SkinEntry& influence : influences.subspan(first, count)) {
            if (!InRange(influence.bone, bones.size())) continue;
            sum = Add(sum, Transform(Load(influence.value), bones[static_cast<size_t>(influence.bone)].world));
        }
        Store(out[static_cast<size_t>(g.index)], sum);
    }
}

}  // namespace

void SkinPositions(const Shape& shape, std::span<const Bone> bones, std::span<Vec4> out) {
    Skin<TransformPoint>(shape.positionSingles, shape.positionGroups, shape.positionInfluences, bones, out);
}

void SkinNormals(const Shape& shape, std::span<const Bone> bones, std::span<Vec4> out) {
    Skin<TransformDirection>(shape.normalSingles, shape.normalGroups, shape.normalInfluences, bones, out);
    for (Vec4& n : out) {
        const float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        if (length != 0.0f) {
            n.x = n.x / length;
            n.y = n.y / length;
            n.z = n.z / length;
        }
    }
}

Bounds BoundsOf(std::span<const Vec4> positions) {
    Bounds b;
    for (const Vec4& p : positions) {
        if (p.x < b.min.x) b.min.x = p.x;
        if (p.y < b.min.y) b.min.y = p.y;
        if (p.z < b.min.z) b.min.z = p.z;
        if (p.x > b.max.x) b.max.x = p.x;
        if (p.y > b.max.y) b.max.y = p.y;
        if (p.z > b.max.z) b.max.z = p.z;
    }
    b.centre = {(b.min.x + b.max.x) * 0.5f, (b.min.y + b.max.y) * 0.5f, (b.min.z + b.max.z) * 0.5f};
    return b;
}

Bounds Enclose(const Bounds& a, const Bounds& c) {
    Bounds b;
    b.min = {std::fmin(a.min.x, c.min.x), std::fmin(a.min.y, c.min.y), std::fmin(a.min.z, c.min.z)};
    b.max = {std::fmax(a.max.x, c.max.x), std::fmax(a.max.y, c.max.y), std::fmax(a.max.z, c.max.z)};
    b.centre = {(b.min.x + b.max.x) * 0.5f, (b.min.y + b.max.y) * 0.5f, (b.min.z + b.max.z) * 0.5f};
    return b;
}

void GatherCorners(std::span<const Triangle> triangles, std::span<const Vec4> source, CornerIndex index,
                   uint8_t* out) {
    constexpr Vec4 kZero{};
    for (const Triangle& t : triangles) {
        const int32_t* corners = index == CornerIndex::Position ? t.positionIndex : t.normalIndex;
        for (int c = 0; c < 3; ++c) {
            const Vec4& v = InRange(corners[c], source.size()) ? source[static_cast<size_t>(corners[c])] : kZero;
            std::memcpy(out, &v.x, 16);
            out += 16;
        }
    }
}

}  // namespace vertigon
