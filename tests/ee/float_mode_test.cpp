// The host-float path of the R5900 arithmetic against the bit-pattern functions, over operands
// from every exponent region, and the host mode around it.
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

#include "ee/float_mode.h"

namespace vertigon {
namespace {

uint32_t Operand(std::mt19937& random) {
    static constexpr uint32_t kExponents[] = {0, 1, 2, 63, 64, 100, 126, 127, 128, 189, 190, 191, 252, 253, 254, 255};
    const uint32_t exponent = random() % 2 ? kExponents[random() % std::size(kExponents)] : random() % 256;
    const uint32_t fraction = random() % 4 == 0 ? (random() % 2 ? 0 : 0x7FFFFF) : random() & 0x7FFFFF;
    return (random() & 0x80000000) | exponent << 23 | fraction;
}

#if VERTIGON_HOST_FLOAT_MODE
TEST(R5900FloatMode, HostPathAgreesWithTheBitPatternFunctions) {
    EeState state;
    const R5900FloatMode mode(state);
    std::mt19937 random(18);
    for (int i = 0; i < 200000; ++i) {
        const uint32_t a = Operand(random);
        const uint32_t b = Operand(random);
        ASSERT_EQ(r5900::Add(true, a, b), r5900::Add(a, b)) << std::hex << a << " + " << b;
        ASSERT_EQ(r5900::Mul(true, a, b), r5900::Mul(a, b)) << std::hex << a << " * " << b;
        ASSERT_EQ(r5900::Div(true, a, b), r5900::Div(a, b)) << std::hex << a << " / " << b;
        ASSERT_EQ(r5900::SqrtOfMagnitude(true, a), r5900::SqrtOfMagnitude(a)) << std::hex << a;
        ASSERT_EQ(r5900::FromInt(true, static_cast<int32_t>(a)), r5900::FromInt(static_cast<int32_t>(a))) << a;
    }
}

TEST(R5900FloatMode, TheCallersModeComesBackOnEveryWayOut) {
    const unsigned before = _mm_getcsr() & ~0x3Fu;  // without the exception flags
    EeState state;
    try {
        const R5900FloatMode mode(state);
        EXPECT_NE(_mm_getcsr() & ~0x3Fu, before);
        {
            const CallerFloatMode hook(state);
            EXPECT_EQ(_mm_getcsr() & ~0x3Fu, before);
        }
        EXPECT_NE(_mm_getcsr() & ~0x3Fu, before);
        throw std::runtime_error("leave");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(_mm_getcsr() & ~0x3Fu, before);
    EXPECT_FALSE(state.hostFloatMode);
}
#endif

}  // namespace
}  // namespace vertigon
