// What the VU0 macro instructions and the micro upper instructions share: vector results in
// the R5900's number format (ee/float_mode.h), computed whole before the destination is
// written under its dest mask. A multiply-add rounds the product before the sum, as the
// vector unit's multiplier and adder do one after the other.
#pragma once

#include <bit>
#include <cstdint>

#include "ee/instruction.h"
#include "ee/float_mode.h"
#include "ee/state.h"

namespace vertigon::vu0 {

inline uint32_t Bits(float value) { return std::bit_cast<uint32_t>(value); }
inline float FromBits(uint32_t bits) { return std::bit_cast<float>(bits); }

inline VuVector Splat(float value) { return VuVector{{value, value, value, value}}; }

template <uint32_t (*Combine)(bool, uint32_t, uint32_t)>
inline VuVector Zip(const EeState& s, const VuVector& a, const VuVector& b) {
    VuVector r;
    for (int c = 0; c < 4; ++c) r.c[c] = FromBits(Combine(s.hostFloatMode, Bits(a.c[c]), Bits(b.c[c])));
    return r;
}

inline VuVector Add(const EeState& s, const VuVector& a, const VuVector& b) { return Zip<r5900::Add>(s, a, b); }
inline VuVector Sub(const EeState& s, const VuVector& a, const VuVector& b) { return Zip<r5900::Sub>(s, a, b); }

#if VERTIGON_HOST_FLOAT_MODE
// All four products at once when every factor's magnitude is below the fast path's bound.
inline VuVector Mul(const EeState& s, const VuVector& a, const VuVector& b) {
    if (s.hostFloatMode) {
        const __m128 x = _mm_load_ps(a.c);
        const __m128 y = _mm_load_ps(b.c);
        const __m128i magnitude = _mm_set1_epi32(static_cast<int32_t>(r5900::kMaxMagnitude));
        const __m128i limit = _mm_set1_epi32(static_cast<int32_t>(r5900::kFactorBound - 1));
        const __m128i xOver = _mm_cmpgt_epi32(_mm_and_si128(_mm_castps_si128(x), magnitude), limit);
        const __m128i yOver = _mm_cmpgt_epi32(_mm_and_si128(_mm_castps_si128(y), magnitude), limit);
        if (_mm_movemask_epi8(_mm_or_si128(xOver, yOver)) == 0) {
            VuVector r;
            _mm_store_ps(r.c, _mm_mul_ps(x, y));
            return r;
        }
    }
    return Zip<r5900::Mul>(s, a, b);
}
#else
inline VuVector Mul(const EeState& s, const VuVector& a, const VuVector& b) { return Zip<r5900::Mul>(s, a, b); }
#endif

inline const VuVector& FsOf(const EeState& s, uint32_t op) { return s.vf[Fs(op)]; }
inline const VuVector& FtOf(const EeState& s, uint32_t op) { return s.vf[Ft(op)]; }
inline VuVector FtBroadcast(const EeState& s, uint32_t op) { return Splat(FtOf(s, op).c[Bc(op)]); }

// The results of the arithmetic instructions, before masking.
inline VuVector AddBc(const EeState& s, uint32_t op) { return Add(s, FsOf(s, op), FtBroadcast(s, op)); }
inline VuVector SubBc(const EeState& s, uint32_t op) { return Sub(s, FsOf(s, op), FtBroadcast(s, op)); }
inline VuVector MulBc(const EeState& s, uint32_t op) { return Mul(s, FsOf(s, op), FtBroadcast(s, op)); }
inline VuVector MaddBc(const EeState& s, uint32_t op) { return Add(s, s.acc, Mul(s, FsOf(s, op), FtBroadcast(s, op))); }
inline VuVector AddQ(const EeState& s, uint32_t op) { return Add(s, FsOf(s, op), Splat(s.q)); }
inline VuVector MulQ(const EeState& s, uint32_t op) { return Mul(s, FsOf(s, op), Splat(s.q)); }
inline VuVector AddVector(const EeState& s, uint32_t op) { return Add(s, FsOf(s, op), FtOf(s, op)); }
inline VuVector SubVector(const EeState& s, uint32_t op) { return Sub(s, FsOf(s, op), FtOf(s, op)); }
inline VuVector MulVector(const EeState& s, uint32_t op) { return Mul(s, FsOf(s, op), FtOf(s, op)); }

// The cross terms of the outer product: x = fs.y * ft.z, y = fs.z * ft.x, z = fs.x * ft.y.
inline VuVector CrossTerms(const EeState& s, uint32_t op) {
    const VuVector& a = FsOf(s, op);
    const VuVector& b = FtOf(s, op);
    return Mul(s, VuVector{{a.c[1], a.c[2], a.c[0], 0.0f}}, VuVector{{b.c[2], b.c[0], b.c[1], 0.0f}});
}

// Writes the components named by the dest mask; with `updateFlags` (micro mode) every written
// component also sets its zero and sign flags in MacFlags (zero: the value is a zero; sign:
// the value is below zero). `components` limits the writable components (the outer-product
// instructions have no w).
inline void StoreMasked(EeState& s, VuVector& target, const VuVector& value, uint32_t op, bool updateFlags,
                        int components = 4) {
    for (int c = 0; c < components; ++c) {
        if (!DestHas(op, c)) continue;
        target.c[c] = value.c[c];
        if (updateFlags) {
            const uint32_t bits = Bits(value.c[c]);
            const bool isZero = r5900::IsZero(bits);
            const uint16_t zero = static_cast<uint16_t>(1u << (3 - c));
            const uint16_t sign = static_cast<uint16_t>(1u << (7 - c));
            s.macFlags = static_cast<uint16_t>((s.macFlags & ~(zero | sign)) | (isZero ? zero : 0) |
                                               (!isZero && (bits & r5900::kSignBit) ? sign : 0));
        }
    }
}

// Q = fs.fsf / ft.ftf and Q = the root of |ft.ftf|, for VDIV, VSQRT and the micro SQRT.
inline void DivideIntoQ(EeState& s, uint32_t op) {
    s.q = FromBits(r5900::Div(s.hostFloatMode, Bits(FsOf(s, op).c[Fsf(op)]), Bits(FtOf(s, op).c[Ftf(op)])));
}
inline void SquareRootIntoQ(EeState& s, uint32_t op) {
    s.q = FromBits(r5900::SqrtOfMagnitude(s.hostFloatMode, Bits(FtOf(s, op).c[Ftf(op)])));
}

}  // namespace vertigon::vu0
