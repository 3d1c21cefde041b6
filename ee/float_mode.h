// The optional fast path of the R5900 arithmetic (CMake option VERTIGON_HOST_FLOAT_MODE, on by
// default on x86-64 only): host single-precision instructions, run while the host rounds toward
// zero and treats denormals as zero on input and output (x86 MXCSR), which is the R5900's
// rounding for sums and products. A scope object sets that mode for one run loop and puts the
// caller's mode back on every way out; EeState::hostFloatMode tells the instructions it holds.
// Operands whose results could reach 2^128 (where the host has infinities), quotients and roots
// (rounded to nearest on the R5900) take the bit-pattern functions of ee/r5900_float.h, which
// also serve whenever no scope is held and are all there is with the option off. Both paths give
// the same bits.
#pragma once

#include <bit>
#include <cstdint>

#include "ee/r5900_float.h"
#include "ee/state.h"

#ifndef VERTIGON_HOST_FLOAT_MODE
#define VERTIGON_HOST_FLOAT_MODE 0
#endif

#if VERTIGON_HOST_FLOAT_MODE
#if !defined(__x86_64__)
#error "VERTIGON_HOST_FLOAT_MODE needs an x86-64 host"
#endif
#include <emmintrin.h>
#endif

namespace vertigon {

// Holds the R5900 rounding for the host thread while it lives; with the fast path compiled out
// it does nothing.
class R5900FloatMode {
public:
#if VERTIGON_HOST_FLOAT_MODE
    explicit R5900FloatMode(EeState& state);
    ~R5900FloatMode();
#else
    explicit R5900FloatMode(EeState&) {}
    ~R5900FloatMode() {}
#endif
    R5900FloatMode(const R5900FloatMode&) = delete;
    R5900FloatMode& operator=(const R5900FloatMode&) = delete;

#if VERTIGON_HOST_FLOAT_MODE
private:
    EeState& state_;
    bool previous_;
    uint32_t callerControl_;
#endif
};

namespace r5900 {

#if VERTIGON_HOST_FLOAT_MODE
inline float HostFloat(uint32_t bits) { return std::bit_cast<float>(bits); }
inline uint32_t HostBits(float value) { return std::bit_cast<uint32_t>(value); }

// Magnitudes below these bounds keep host results finite: sums below 2^127 (exponent 253 at
// most), factors below 2^64.
inline constexpr uint32_t kSumBound = 0x7F000000;
inline constexpr uint32_t kFactorBound = 0x5F800000;

inline bool Below(uint32_t bits, uint32_t bound) { return (bits & kMaxMagnitude) < bound; }

// The host adds the operands as the R5900's adder aligned them, then truncates.
inline uint32_t Add(bool hostMode, uint32_t a, uint32_t b) {
    if (hostMode && Below(a, kSumBound) && Below(b, kSumBound)) {
        AlignForAdd(a, b);
        return HostBits(HostFloat(a) + HostFloat(b));
    }
    return Add(a, b);
}
inline uint32_t Mul(bool hostMode, uint32_t a, uint32_t b) {
    if (hostMode && Below(a, kFactorBound) && Below(b, kFactorBound)) return HostBits(HostFloat(a) * HostFloat(b));
    return Mul(a, b);
}
inline uint32_t FromInt(bool hostMode, int32_t value) {
    if (hostMode) return HostBits(static_cast<float>(value));
    return FromInt(value);
}
#else
inline uint32_t Add(bool, uint32_t a, uint32_t b) { return Add(a, b); }
inline uint32_t Mul(bool, uint32_t a, uint32_t b) { return Mul(a, b); }
inline uint32_t FromInt(bool, int32_t value) { return FromInt(value); }
#endif

inline uint32_t Sub(bool hostMode, uint32_t a, uint32_t b) { return Add(hostMode, a, b ^ kSignBit); }
inline uint32_t Div(bool, uint32_t a, uint32_t b) { return Div(a, b); }
inline uint32_t SqrtOfMagnitude(bool, uint32_t a) { return SqrtOfMagnitude(a); }

}  // namespace r5900
}  // namespace vertigon
