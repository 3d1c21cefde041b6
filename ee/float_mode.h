// The fast path of the R5900 arithmetic: host single-precision instructions, run while the host
// rounds toward zero and treats denormals as zero on input and output (x86 MXCSR), which is the
// R5900's rounding. A scope object sets that mode for one run loop and puts the caller's mode
// back on every way out; EeState::hostFloatMode tells the instructions it holds. Operands whose
// exponents could reach 2^128 (where the host has infinities) and divisors near zero take the
// bit-pattern functions of ee/r5900_float.h, which also serve whenever no scope is held.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

#include "ee/r5900_float.h"
#include "ee/state.h"

#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>
#define VERTIGON_HOST_FLOAT_MODE 1
#endif

namespace vertigon {

// Holds the R5900 rounding for the host thread while it lives.
class R5900FloatMode {
public:
    explicit R5900FloatMode(EeState& state);
    ~R5900FloatMode();
    R5900FloatMode(const R5900FloatMode&) = delete;
    R5900FloatMode& operator=(const R5900FloatMode&) = delete;

private:
    EeState& state_;
    bool previous_;
    uint32_t callerControl_;
};

// Puts the caller's host mode back for the life of the object (around native hooks, which
// compute as the host does), if a R5900FloatMode is held.
class CallerFloatMode {
public:
    explicit CallerFloatMode(const EeState& state);
    ~CallerFloatMode();
    CallerFloatMode(const CallerFloatMode&) = delete;
    CallerFloatMode& operator=(const CallerFloatMode&) = delete;

private:
    bool active_;
    uint32_t r5900Control_ = 0;
};

namespace r5900 {

inline float HostFloat(uint32_t bits) { return std::bit_cast<float>(bits); }
inline uint32_t HostBits(float value) { return std::bit_cast<uint32_t>(value); }

// Magnitudes below these bounds keep host results finite: sums below 2^127 (exponent 253 at
// most), factors below 2^64, divisors from 2^-63 up.
inline constexpr uint32_t kSumBound = 0x7F000000;
inline constexpr uint32_t kFactorBound = 0x5F800000;
inline constexpr uint32_t kDivisorFloor = 0x20000000;

inline bool Below(uint32_t bits, uint32_t bound) { return (bits & kMaxMagnitude) < bound; }

inline uint32_t Add(bool hostMode, uint32_t a, uint32_t b) {
    if (hostMode && Below(a, kSumBound) && Below(b, kSumBound)) return HostBits(HostFloat(a) + HostFloat(b));
    return Add(a, b);
}
inline uint32_t Sub(bool hostMode, uint32_t a, uint32_t b) { return Add(hostMode, a, b ^ kSignBit); }
inline uint32_t Mul(bool hostMode, uint32_t a, uint32_t b) {
    if (hostMode && Below(a, kFactorBound) && Below(b, kFactorBound)) return HostBits(HostFloat(a) * HostFloat(b));
    return Mul(a, b);
}
inline uint32_t Div(bool hostMode, uint32_t a, uint32_t b) {
    if (hostMode && Below(a, kFactorBound) && Below(b, kFactorBound) && !Below(b, kDivisorFloor))
        return HostBits(HostFloat(a) / HostFloat(b));
    return Div(a, b);
}
inline uint32_t SqrtOfMagnitude(bool hostMode, uint32_t a) {
    if (hostMode && Below(a, kExponentMask)) return HostBits(std::sqrt(HostFloat(a & kMaxMagnitude)));
    return SqrtOfMagnitude(a);
}
inline uint32_t FromInt(bool hostMode, int32_t value) {
    if (hostMode) return HostBits(static_cast<float>(value));
    return FromInt(value);
}

}  // namespace r5900
}  // namespace vertigon
