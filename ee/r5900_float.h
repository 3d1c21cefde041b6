// Single precision as the R5900's FPU and vector units compute it. The format is IEEE-like
// (sign, 8-bit exponent, 23-bit fraction) with no infinities, NaNs or denormals: an exponent of
// 0 is zero whatever the fraction, every other exponent (255 included) an ordinary number, so
// the largest magnitude is 0x7FFFFFFF, about 2^129. Results are rounded toward zero; a result
// too large is the largest magnitude with the result's sign, one too small to be normal is
// zero with the result's sign.
//
// These functions work on bit patterns: operands become doubles (exact: the range and the 24
// significant bits fit), the double result is truncated back by bit operations. They give the
// same result whether the host rounds to nearest or toward zero. ee/float_mode.h adds the
// faster host-float path the run loops use.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

namespace vertigon::r5900 {

inline constexpr uint32_t kSignBit = 0x80000000;
inline constexpr uint32_t kMaxMagnitude = 0x7FFFFFFF;
inline constexpr uint32_t kExponentMask = 0x7F800000;

inline bool IsZero(uint32_t bits) { return (bits & kExponentMask) == 0; }

// The value of a bit pattern.
inline double Decode(uint32_t bits) {
    const uint64_t sign = uint64_t{bits & kSignBit} << 32;
    if (IsZero(bits)) return std::bit_cast<double>(sign);
    // Rebias the exponent from 127 to 1023 and widen the fraction from 23 to 52 bits.
    const uint64_t magnitude = (uint64_t{bits & kMaxMagnitude} << 29) + (uint64_t{1023 - 127} << 52);
    return std::bit_cast<double>(sign | magnitude);
}

// A double rounded toward zero into the format, with the overflow and underflow rules.
inline uint32_t Truncate(double value) {
    const uint64_t d = std::bit_cast<uint64_t>(value);
    const uint32_t sign = static_cast<uint32_t>(d >> 32) & kSignBit;
    const int64_t exponent = static_cast<int64_t>((d >> 52) & 0x7FF) - (1023 - 127);
    if (exponent <= 0) return sign;
    if (exponent > 255) return sign | kMaxMagnitude;
    return sign | static_cast<uint32_t>(exponent) << 23 | (static_cast<uint32_t>(d >> 29) & 0x7FFFFF);
}

// fs + ft. With exponents at most 28 apart the double sum is exact (24 + 28 bits and a carry);
// farther apart, the smaller operand lies below the larger one's last place, so the larger one
// is the truncated sum when the signs agree and the next value toward zero when they differ.
inline uint32_t Add(uint32_t a, uint32_t b) {
    const uint32_t ea = (a >> 23) & 0xFF;
    const uint32_t eb = (b >> 23) & 0xFF;
    if (ea != 0 && eb != 0 && (ea > eb + 28 || eb > ea + 28)) {
        const uint32_t larger = ea > eb ? a : b;
        if (((a ^ b) & kSignBit) == 0) return larger;
        const uint32_t result = larger - 1;
        return IsZero(result) ? result & kSignBit : result;
    }
    return Truncate(Decode(a) + Decode(b));
}

inline uint32_t Sub(uint32_t a, uint32_t b) { return Add(a, b ^ kSignBit); }

// The double product of two 24-bit significands is exact.
inline uint32_t Mul(uint32_t a, uint32_t b) { return Truncate(Decode(a) * Decode(b)); }

// A zero divisor gives the largest magnitude, signed by the exclusive or of the operands'
// signs, for a zero dividend too. Otherwise the double quotient, though rounded, lies on the
// same side of every value of the format as the exact one (they are at least 2^-49 relative
// apart, the double's error below 2^-52), so truncating it truncates the exact quotient.
inline uint32_t Div(uint32_t a, uint32_t b) {
    if (IsZero(b)) return ((a ^ b) & kSignBit) | kMaxMagnitude;
    return Truncate(Decode(a) / Decode(b));
}

// The root of |a| (the same argument as for Div makes the double root safe to truncate).
inline uint32_t SqrtOfMagnitude(uint32_t a) { return Truncate(std::sqrt(Decode(a & kMaxMagnitude))); }

// A signed integer converted, rounded toward zero.
inline uint32_t FromInt(int32_t value) { return Truncate(static_cast<double>(value)); }

// An integer that orders the values as numbers: every zero maps to 0.
inline int32_t OrderKey(uint32_t bits) {
    if (IsZero(bits)) return 0;
    const auto magnitude = static_cast<int32_t>(bits & kMaxMagnitude);
    return (bits & kSignBit) ? -magnitude : magnitude;
}

inline bool Equal(uint32_t a, uint32_t b) { return OrderKey(a) == OrderKey(b); }
inline bool Less(uint32_t a, uint32_t b) { return OrderKey(a) < OrderKey(b); }

}  // namespace vertigon::r5900
