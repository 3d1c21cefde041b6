// What the VU0 macro instructions and the micro upper instructions share: vector results computed whole before the destination is written under its dest mask.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "ee/instruction.h"
#include "ee/state.h"

namespace vertigon::vu0 {

inline VuVector Splat(float value) { return VuVector{{value, value, value, value}}; }

template <typename Combine>
inline VuVector Zip(const VuVector& a, const VuVector& b, Combine combine) {
    VuVector r;
    for (int c = 0; c < 4; ++c) r.c[c] = combine(a.c[c], b.c[c]);
    return r;
}

inline VuVector Add(const VuVector& a, const VuVector& b) { return Zip(a, b, [](float x, float y) { return x + y; }); }
inline VuVector Sub(const VuVector& a, const VuVector& b) { return Zip(a, b, [](float x, float y) { return x - y; }); }
inline VuVector Mul(const VuVector& a, const VuVector& b) { return Zip(a, b, [](float x, float y) { return x * y; }); }

inline const VuVector& FsOf(const EeState& s, uint32_t op) { return s.vf[Fs(op)]; }
inline const VuVector& FtOf(const EeState& s, uint32_t op) { return s.vf[Ft(op)]; }
inline VuVector FtBroadcast(const EeState& s, uint32_t op) { return Splat(FtOf(s, op).c[Bc(op)]); }

// The results of the arithmetic instructions, before masking.
inline VuVector AddBc(const EeState& s, uint32_t op) { return Add(FsOf(s, op), FtBroadcast(s, op)); }
inline VuVector SubBc(const EeState& s, uint32_t op) { return Sub(FsOf(s, op), FtBroadcast(s, op)); }
inline VuVector MulBc(const EeState& s, uint32_t op) { return Mul(FsOf(s, op), FtBroadcast(s, op)); }
inline VuVector MaddBc(const EeState& s, uint32_t op) { return Add(s.acc, Mul(FsOf(s, op), FtBroadcast(s, op))); }
inline VuVector AddQ(const EeState& s, uint32_t op) { return Add(FsOf(s, op), Splat(s.q)); }
inline VuVector MulQ(const EeState& s, uint32_t op) { return Mul(FsOf(s, op), Splat(s.q)); }
inline VuVector AddVector(const EeState& s, uint32_t op) { return Add(FsOf(s, op), FtOf(s, op)); }
inline VuVector SubVector(const EeState& s, uint32_t op) { return Sub(FsOf(s, op), FtOf(s, op)); }
inline VuVector MulVector(const EeState& s, uint32_t op) { return Mul(FsOf(s, op), FtOf(s, op)); }

// The cross terms of the outer product: x = fs.y * ft.z, y = fs.z * ft.x, z = fs.x * ft.y.
inline VuVector CrossTerms(const EeState& s, uint32_t op) {
    const VuVector& a = FsOf(s, op);
    const VuVector& b = FtOf(s, op);
    return VuVector{{a.c[1] * b.c[2], a.c[2] * b.c[0], a.c[0] * b.c[1], 0.0f}};
}

// Writes the components named by the dest mask; with `updateFlags` (micro mode) every written
// component also sets its zero and sign flags in MacFlags. `components` limits the writable
// components (the outer-product instructions have no w).
inline void StoreMasked(EeState& s, VuVector& target, const VuVector& value, uint32_t op, bool updateFlags,
                        int components = 4) {
    for (int c = 0; c < components; ++c) {
        if (!DestHas(op, c)) continue;
        target.c[c] = value.c[c];
        if (updateFlags) {
            const uint16_t zero = static_cast<uint16_t>(1u << (3 - c));
            const uint16_t sign = static_cast<uint16_t>(1u << (7 - c));
            s.macFlags = static_cast<uint16_t>((s.macFlags & ~(zero | sign)) | (value.c[c] == 0.0f ? zero : 0) |
                                               (value.c[c] < 0.0f ? sign : 0));
        }
    }
}

inline float SquareRootOfMagnitude(float value) { return std::sqrt(std::fabs(value)); }

}  // namespace vertigon::vu0
