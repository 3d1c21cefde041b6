// Single precision as the R5900's FPU and vector units compute it. The format is IEEE-like
// (sign, 8-bit exponent, 23-bit fraction) with no infinities, NaNs or denormals: an exponent of
// 0 is zero whatever the fraction, every other exponent (255 included) an ordinary number, so
// the largest magnitude is 0x7FFFFFFF, about 2^129. Sums, products and conversions are rounded
// toward zero, quotients and square roots to nearest; a result too large is the largest
// magnitude with the result's sign, one too small to be normal is zero with the result's sign.
//
// These functions work on bit patterns: operands become doubles (exact: the range and the 24
// significant bits fit), the double result is rounded back by bit operations. They give the
// same result whether the host rounds to nearest or toward zero, on every processor.
// ee/float_mode.h adds the optional host-float path of x86-64.
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
    // Rebias the exponent from 127 to 1023 and widen the fraction from 23 to 52 bits.
    const uint64_t magnitude = (uint64_t{bits & kMaxMagnitude} << 29) + (uint64_t{1023 - 127} << 52);
    return std::bit_cast<double>(sign | (IsZero(bits) ? 0 : magnitude));
}

// A double rounded toward zero into the format, with the overflow and underflow rules. Without
// its sign and low 29 bits the double is the format's exponent and fraction, rebiased.
inline uint32_t Truncate(double value) {
    constexpr uint64_t kRebias = uint64_t{1023 - 127} << 23;
    const uint64_t d = std::bit_cast<uint64_t>(value);
    const uint32_t sign = static_cast<uint32_t>(d >> 32) & kSignBit;
    const uint64_t magnitude = (d << 1) >> 30;
    if (magnitude <= kRebias + 0x7FFFFF) return sign;
    return sign | (magnitude - kRebias > kMaxMagnitude ? kMaxMagnitude : static_cast<uint32_t>(magnitude - kRebias));
}

// The adder aligns the operand with the smaller exponent to the larger one keeping one guard
// bit: with exponents d apart, its lowest d - 1 fraction bits are lost, and from d = 25 on it
// is a zero (its sign kept). Then the exact sum is truncated, so a far smaller operand leaves
// the larger one unchanged whatever its sign.
inline void AlignForAdd(uint32_t& a, uint32_t& b) {
    const uint32_t ea = (a >> 23) & 0xFF;
    const uint32_t eb = (b >> 23) & 0xFF;
    const uint32_t d = ea > eb ? ea - eb : eb - ea;
    const uint32_t keep = d == 0 ? ~0u : d >= 25 ? kSignBit : ~((1u << (d - 1)) - 1);
    (ea < eb ? a : b) &= keep;
}

// After alignment the double sum is exact: at most 24 + 24 bits and a carry.
inline uint32_t Add(uint32_t a, uint32_t b) {
    AlignForAdd(a, b);
    return Truncate(Decode(a) + Decode(b));
}

inline uint32_t Sub(uint32_t a, uint32_t b) { return Add(a, b ^ kSignBit); }

// The double product of two 24-bit significands is exact.
inline uint32_t Mul(uint32_t a, uint32_t b) { return Truncate(Decode(a) * Decode(b)); }

// A double rounded to nearest into the format: half a unit of the format's last place added
// to the double's bits (a carry runs into the exponent), then truncated. Halfway cases need no
// rule of their own: no quotient or root of the format's values lies exactly halfway.
inline uint32_t RoundToNearest(double value) {
    return Truncate(std::bit_cast<double>(std::bit_cast<uint64_t>(value) + (uint64_t{1} << 28)));
}

// A zero divisor gives the largest magnitude, signed by the exclusive or of the operands'
// signs, for a zero dividend too. Otherwise the exact quotient of two 24-bit significands lies
// at least 2^-48 (relative) from every halfway point of the format, while the double quotient
// is within 2^-52 of it whichever way the host rounds: both round to the same value.
inline uint32_t Div(uint32_t a, uint32_t b) {
    if (IsZero(b)) return ((a ^ b) & kSignBit) | kMaxMagnitude;
    return RoundToNearest(Decode(a) / Decode(b));
}

// The root of |a|; an exact root lies at least 2^-50 (relative) from every halfway point, so
// the double root is safe to round as for Div.
inline uint32_t SqrtOfMagnitude(uint32_t a) { return RoundToNearest(std::sqrt(Decode(a & kMaxMagnitude))); }

// A signed integer converted, rounded toward zero.
inline uint32_t FromInt(int32_t value) { return Truncate(static_cast<double>(value)); }

// The host float nearest a value of the format: exponent 0 is a zero, exponent 255 (beyond the
// host's range, an infinity or NaN there) the largest host magnitude with the value's sign.
inline float ToHostFloat(uint32_t bits) {
    const uint32_t exponent = bits & kExponentMask;
    if (exponent == 0) return std::bit_cast<float>(bits & kSignBit);
    if (exponent == kExponentMask) return std::bit_cast<float>((bits & kSignBit) | 0x7F7FFFFF);
    return std::bit_cast<float>(bits);
}

// An integer that orders the values as numbers: every zero maps to 0.
inline int32_t OrderKey(uint32_t bits) {
    if (IsZero(bits)) return 0;
    const auto magnitude = static_cast<int32_t>(bits & kMaxMagnitude);
    return (bits & kSignBit) ? -magnitude : magnitude;
}

inline bool Equal(uint32_t a, uint32_t b) { return OrderKey(a) == OrderKey(b); }
inline bool Less(uint32_t a, uint32_t b) { return OrderKey(a) < OrderKey(b); }

}  // namespace vertigon::r5900
