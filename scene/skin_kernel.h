// The skinning sum, written once for the renderer, the framing and the exporter: every single
// stores its value through its bone's matrix at its index, every group stores the sum over its
// influences. The arithmetic is the caller's (float lanes, packed lanes, double with bind
// weights); which entries count is decided here alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "scene/animation.h"
#include "scene/model.h"

namespace vertigon {

// Whether `index` names one of `size` items; negative indices never do.
inline bool InRange(int32_t index, size_t size) { return index >= 0 && static_cast<size_t>(index) < size; }

// One kind of skinned output of a shape (positions or normals).
struct SkinLists {
    std::span<const SkinEntry> singles;
    std::span<const SkinGroup> groups;
    std::span<const SkinEntry> influences;
};

inline SkinLists PositionLists(const Shape& s) { return {s.positionSingles, s.positionGroups, s.positionInfluences}; }
inline SkinLists NormalLists(const Shape& s) { return {s.normalSingles, s.normalGroups, s.normalInfluences}; }

// The influences of group `g`, or nothing when its output index (of `outputs`) or its influence
// range falls outside.
inline std::optional<std::span<const SkinEntry>> GroupInfluences(const SkinGroup& g,
                                                                 std::span<const SkinEntry> influences,
                                                                 size_t outputs) {
    if (!InRange(g.index, outputs) || g.firstInfluence < 0 || g.influenceCount < 0) return std::nullopt;
    const size_t first = static_cast<size_t>(g.firstInfluence);
    const size_t count = static_cast<size_t>(g.influenceCount);
    if (first > influences.size() || count > influences.size() - first) return std::nullopt;
    return influences.subspan(first, count);
}

// Runs the sum over `lists` for `outputs` outputs and `bones` bones (none: the arithmetic looks no
// bone up, so every bone index counts). Entries whose index, bone or influence range falls outside
// are skipped. `sum` gives Single(entry) -> Value, Zero() -> Value and Add(Value&, entry); `store`
// takes (output index, Value), singles first, then groups, each in list order.
template <class Sum, class Store>
void SkinSums(const SkinLists& lists, size_t outputs, std::optional<size_t> bones, const Sum& sum, Store&& store) {
    const auto boneInRange = [&](int32_t bone) { return !bones || InRange(bone, *bones); };
    for (const SkinEntry& s : lists.singles) {
        if (!InRange(s.index, outputs) || !boneInRange(s.bone)) continue;
        store(static_cast<size_t>(s.index), sum.Single(s));
    }
    for (const SkinGroup& g : lists.groups) {
        const auto influences = GroupInfluences(g, lists.influences, outputs);
        if (!influences) continue;
        auto value = sum.Zero();
        for (const SkinEntry& e : *influences) {
            if (boneInRange(e.bone)) sum.Add(value, e);
        }
        store(static_cast<size_t>(g.index), std::move(value));
    }
}

// The float arithmetic of the sum through the bones' world matrices: x.row0 + y.row1 + z.row2
// (+ w.row3 for points), summed left to right.
template <bool kPoint>
struct FloatSkinSum {
    std::span<const Bone> bones;

    Vec4 Through(const SkinEntry& e) const {
        const Mat4& m = bones[static_cast<size_t>(e.bone)].world;
        const Vec4& v = e.value;
        const Vec4 r = Row(m, 0) * v.x + Row(m, 1) * v.y + Row(m, 2) * v.z;
        if constexpr (kPoint) return r + Row(m, 3) * v.w;
        return r;
    }
    Vec4 Single(const SkinEntry& e) const { return Through(e); }
    Vec4 Zero() const { return {}; }
    void Add(Vec4& sum, const SkinEntry& e) const { sum = sum + Through(e); }

private:
    static Vec4 Row(const Mat4& m, int i) { return {m.m[i][0], m.m[i][1], m.m[i][2], m.m[i][3]}; }
};

}  // namespace vertigon
