// The x86 fast path of the R5900 arithmetic against the portable bit-pattern functions, over
// operands from every exponent region, and the host mode around it. (Without the fast path the
// instruction tests check the portable functions against worked values.)
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <vector>

#include "ee/float_mode.h"
#include "ee/vu0_ops.h"

namespace vertigon {
namespace {

#if VERTIGON_HOST_FLOAT_MODE
uint32_t Operand(std::mt19937& random) {
    static constexpr uint32_t kExponents[] = {0, 1, 2, 63, 64, 100, 126, 127, 128, 189, 190, 191, 252, 253, 254, 255};
    const uint32_t exponent = random() % 2 ? kExponents[random() % std::size(kExponents)] : random() % 256;
    const uint32_t fraction = random() % 4 == 0 ? (random() % 2 ? 0 : 0x7FFFFF) : random() & 0x7FFFFF;
    return (random() & 0x80000000) | exponent << 23 | fraction;
}

// Operands near each other half of the time, so that sums cancel and align in every way.
std::vector<uint32_t> Operands(uint32_t seed, size_t count) {
    std::mt19937 random(seed);
    std::vector<uint32_t> operands(count);
    for (size_t i = 0; i < count; ++i) {
        operands[i] = i % 2 && random() % 2 ? operands[i - 1] + random() % 64 - 32 : Operand(random);
    }
    return operands;
}

struct Results {
    std::vector<uint32_t> scalar;
    std::vector<VuVector> vector;
};

// Every FPU operation on each pair and every VU0 lane operation on each group of eight, with
// the host rounding to nearest (portable) or under the R5900 mode (fast).
Results RunAll(EeState& s, const std::vector<uint32_t>& x) {
    Results r;
    const bool host = s.hostFloatMode;
    for (size_t i = 0; i + 1 < x.size(); i += 2) {
        for (const uint32_t bits : {r5900::Add(host, x[i], x[i + 1]), r5900::Sub(host, x[i], x[i + 1]),
                                    r5900::Mul(host, x[i], x[i + 1]), r5900::Div(host, x[i], x[i + 1]),
                                    r5900::SqrtOfMagnitude(host, x[i]),
                                    r5900::FromInt(host, static_cast<int32_t>(x[i]))}) {
            r.scalar.push_back(bits);
        }
    }
    for (size_t i = 0; i + 8 <= x.size(); i += 8) {
        VuVector a, b;
        for (int c = 0; c < 4; ++c) {
            a.c[c] = vu0::FromBits(x[i + c]);
            b.c[c] = vu0::FromBits(x[i + 4 + c]);
        }
        r.vector.push_back(vu0::Add(s, a, b));
        r.vector.push_back(vu0::Sub(s, a, b));
        r.vector.push_back(vu0::Mul(s, a, b));
    }
    return r;
}

TEST(R5900FloatMode, FastPathGivesThePortableBits) {
    const std::vector<uint32_t> operands = Operands(18, 240000);
    EeState portableState;
    const Results portable = RunAll(portableState, operands);
    EeState fastState;
    Results fast;
    {
        const R5900FloatMode mode(fastState);
        fast = RunAll(fastState, operands);
    }
    ASSERT_GE(portable.scalar.size() + 4 * portable.vector.size(), 100000u);
    for (size_t i = 0; i < portable.scalar.size(); ++i) {
        const size_t pair = 2 * (i / 6);
        ASSERT_EQ(fast.scalar[i], portable.scalar[i])
            << "operation " << i % 6 << " of " << std::hex << operands[pair] << ", " << operands[pair + 1];
    }
    for (size_t i = 0; i < portable.vector.size(); ++i) {
        for (int c = 0; c < 4; ++c) {
            ASSERT_EQ(vu0::Bits(fast.vector[i].c[c]), vu0::Bits(portable.vector[i].c[c]))
                << "vector operation " << i % 3 << " lane " << c << " of group " << i / 3;
        }
    }
}

TEST(R5900FloatMode, TheCallersModeComesBackOnEveryWayOut) {
    const unsigned before = _mm_getcsr() & ~0x3Fu;  // without the exception flags
    EeState state;
    try {
        const R5900FloatMode mode(state);
        EXPECT_NE(_mm_getcsr() & ~0x3Fu, before);
        EXPECT_TRUE(state.hostFloatMode);
        throw std::runtime_error("leave");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(_mm_getcsr() & ~0x3Fu, before);
    EXPECT_FALSE(state.hostFloatMode);
}
#endif

}  // namespace
}  // namespace vertigon
