#include "render/skinning.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "scene/skin_kernel.h"

#if VERTIGON_SSE_SKINNING
#include <xmmintrin.h>
#endif

namespace vertigon {

namespace {

#if VERTIGON_SSE_SKINNING
// The packed form of the float sum (x86-64 builds with VERTIGON_HOST_FLOAT_MODE): the same
// products summed in the same order, so the same bits as the portable form.
template <bool kPoint>
struct PackedSkinSum {
    std::span<const Bone> bones;

    __m128 Through(const SkinEntry& e) const {
        const Mat4& m = bones[static_cast<size_t>(e.bone)].world;
        const __m128 v = _mm_load_ps(&e.value.x);
        __m128 r = _mm_mul_ps(_mm_shuffle_ps(v, v, 0x00), _mm_load_ps(m.m[0]));
        r = _mm_add_ps(r, _mm_mul_ps(_mm_shuffle_ps(v, v, 0x55), _mm_load_ps(m.m[1])));
        r = _mm_add_ps(r, _mm_mul_ps(_mm_shuffle_ps(v, v, 0xAA), _mm_load_ps(m.m[2])));
        if constexpr (kPoint) r = _mm_add_ps(r, _mm_mul_ps(_mm_shuffle_ps(v, v, 0xFF), _mm_load_ps(m.m[3])));
        return r;
    }
    __m128 Single(const SkinEntry& e) const { return Through(e); }
    __m128 Zero() const { return _mm_setzero_ps(); }
    void Add(__m128& sum, const SkinEntry& e) const { sum = _mm_add_ps(sum, Through(e)); }
};

template <bool kPoint>
void Skin(const SkinLists& lists, std::span<const Bone> bones, std::span<Vec4> out) {
    SkinSums(lists, out.size(), bones.size(), PackedSkinSum<kPoint>{bones},
             [out](size_t i, __m128 v) { _mm_store_ps(&out[i].x, v); });
}
#else
template <bool kPoint>
void Skin(const SkinLists& lists, std::span<const Bone> bones, std::span<Vec4> out) {
    SkinSums(lists, out.size(), bones.size(), FloatSkinSum<kPoint>{bones}, [out](size_t i, const Vec4& v) { out[i] = v; });
}
#endif

}  // namespace

void SkinPositions(const Shape& shape, std::span<const Bone> bones, std::span<Vec4> out) {
    Skin<true>(PositionLists(shape), bones, out);
}

void SkinNormals(const Shape& shape, std::span<const Bone> bones, std::span<Vec4> out) {
    Skin<false>(NormalLists(shape), bones, out);
    for (Vec4& n : out) {
        const float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        if (length != 0.0f) {
            n.x = n.x / length;
            n.y = n.y / length;
            n.z = n.z / length;
        }
    }
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
