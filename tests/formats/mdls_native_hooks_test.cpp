// The eight native hooks: their arithmetic and rounding rules, argument overlap, and a call
// from emulated code through the BREAK at a hooked address.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstring>

#include "ee/memory.h"
#include "formats/mdls/native_hooks.h"
#include "tests/ee/ee_machine.h"

namespace vertigon::mdls {
namespace {

using testing::EeMachine;
namespace reg = testing::reg;

constexpr uint32_t kA = 0x1000, kB = 0x1100, kC = 0x1200;

struct Vector {
    float c[4];
};
struct Matrix {
    float m[4][4];
};

class NativeHookTest : public ::testing::Test {
protected:
    EeState& s() { return machine_.state(); }

    template <typename T>
    void Put(uint32_t address, const T& value) {
        std::memcpy(TranslateAddress(s(), address), &value, sizeof value);
    }
    template <typename T>
    T Get(uint32_t address) {
        T value;
        std::memcpy(&value, TranslateAddress(s(), address), sizeof value);
        return value;
    }
    void Arguments(uint32_t a0, uint32_t a1, uint32_t a2 = 0) {
        s().gpr[reg::a0].lower = a0;
        s().gpr[reg::a1].lower = a1;
        s().gpr[reg::a2].lower = a2;
    }

    EeMachine machine_;
};

Matrix Identity() { return {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}}; }

TEST_F(NativeHookTest, DotProductRoundsEachProductBeforeAdding) {
    // (1 + 2^-12)^2 = 1 + 2^-11 + 2^-24: the last bit is lost when the product is rounded, so
    // the sum with -(1 + 2^-11) is exactly 0 (it would be 2^-24 with exact products).
    const float a = 1.0f + std::ldexp(1.0f, -12);
    Put(kA, Vector{{a, 0.0f, 1.0f, 99.0f}});
    Put(kB, Vector{{a, 0.0f, -(1.0f + std::ldexp(1.0f, -11)), 99.0f}});
    Arguments(kA, kB);
    HookDotProduct(s());
    EXPECT_EQ(s().fpr[0], 0.0f);

    // w is not part of it; the order is (y + x) + z: 1e8 + (-1e8) first, then 1.
    Put(kA, Vector{{1e8f, 1.0f, 1.0f, 5.0f}});
    Put(kB, Vector{{1.0f, -1e8f, 1.0f, 5.0f}});
    HookDotProduct(s());
    EXPECT_EQ(s().fpr[0], 1.0f);
}

TEST_F(NativeHookTest, VectorTimesMatrixTruncatesEachProductAndMayOverwriteItsInput) {
    // 3 x (1 + 2^-23) = 3 + 1.5 ulp, truncated to 3 + 2^-22 before 3 is taken off (a sum kept
    // exact would give 1.5 x 2^-22, products rounded to nearest 2^-21).
    Matrix m = {};
    m.m[0][0] = 1.0f + std::ldexp(1.0f, -23);
    m.m[1][0] = -3.0f;
    m.m[3][3] = 2.0f;
    Put(kB, m);
    Put(kC, Vector{{3.0f, 1.0f, 0.0f, 3.0f}});
    Arguments(kA, kB, kC);
    HookVectorTimesMatrix(s());
    const Vector separate = Get<Vector>(kA);
    EXPECT_EQ(separate.c[0], std::ldexp(1.0f, -22));
    EXPECT_EQ(separate.c[3], 6.0f);

    Arguments(kC, kB, kC);  // output over the input vector
    HookVectorTimesMatrix(s());
    EXPECT_EQ(std::memcmp(&separate, TranslateAddress(s(), kC), 16), 0);
}

TEST_F(NativeHookTest, NormalizeDividesXyzByTheLengthAndReturnsIt) {
    Put(kA, Vector{{3.0f, 0.0f, 4.0f, 7.0f}});
    Arguments(kA, 0);
    HookNormalize(s());
    EXPECT_EQ(s().fpr[0], 5.0f);
    const Vector v = Get<Vector>(kA);
    EXPECT_EQ(v.c[0], 0.6f);
    EXPECT_EQ(v.c[2], 0.8f);
    EXPECT_EQ(v.c[3], 7.0f);
}

TEST_F(NativeHookTest, DivisionsByFpr12KeepOrDivideW) {
    Put(kB, Vector{{2.0f, 4.0f, 6.0f, 8.0f}});
    Arguments(kA, kB);
    s().fpr[12] = 2.0f;
    HookDivideVector(s());
    EXPECT_EQ(Get<Vector>(kA).c[3], 4.0f);
    EXPECT_EQ(Get<Vector>(kA).c[0], 1.0f);

    s().fpr[12] = 0.0f;  // whatever the divisor, w is copied
    HookDivideVectorKeepW(s());
    EXPECT_EQ(Get<Vector>(kA).c[3], 8.0f);
}

// The hooks compute as the R5900 does: no infinity or NaN comes out of them.
TEST_F(NativeHookTest, ZeroDivisorsOverflowAndHostNansGiveR5900Numbers) {
    Put(kB, Vector{{-2.0f, 4.0f, 0.0f, 8.0f}});
    Arguments(kA, kB);
    s().fpr[12] = -0.0f;
    HookDivideVector(s());
    const auto bits = Get<std::array<uint32_t, 4>>(kA);
    EXPECT_EQ(bits, (std::array<uint32_t, 4>{0x7FFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}));

    Put(kA, Vector{{0.0f, 0.0f, 0.0f, 1.0f}});  // a zero length
    Arguments(kA, 0);
    HookNormalize(s());
    EXPECT_EQ(s().fpr[0], 0.0f);
    EXPECT_EQ(Get<uint32_t>(kA), 0x7FFFFFFFu);

    // 2^100 squared overflows to the largest magnitude, whose root is 0x5FB504F3; exponent 255
    // (a NaN on the host) is a number, and squares to the largest magnitude too.
    Put(kA, std::array<uint32_t, 4>{0x71800000, 0, 0xFFC00000, 0});
    HookNormalize(s());
    EXPECT_EQ(std::bit_cast<uint32_t>(s().fpr[0]), 0x5FB504F3u);
    const auto normalised = Get<std::array<uint32_t, 4>>(kA);
    EXPECT_EQ(normalised[0], 0x513504F3u);  // 2^100 / 0x5FB504F3, rounded to nearest
    EXPECT_EQ(normalised[2], 0xDF87C3B7u);
}

TEST_F(NativeHookTest, CopyAndTransposeInPlace) {
    Matrix m;
    for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = static_cast<float>(i);
    Put(kB, m);
    Arguments(kA, kB);
    HookCopyMatrix(s());
    EXPECT_EQ(std::memcmp(TranslateAddress(s(), kA), &m, 64), 0);
    Arguments(kA, kA);
    HookTranspose(s());
    const Matrix t = Get<Matrix>(kA);
    EXPECT_EQ(t.m[0][1], 4.0f);
    EXPECT_EQ(t.m[1][0], 1.0f);
    EXPECT_EQ(t.m[3][2], 11.0f);
    EXPECT_EQ(t.m[2][2], 10.0f);
}

TEST_F(NativeHookTest, InvertScaledRigidUndoesRotationScaleAndTranslation) {
    const Matrix identity = Identity();
    Put(kA, identity);
    Arguments(kA, kB);
    HookInvertScaledRigid(s());
    const Matrix same = Get<Matrix>(kB);  // by value: the translation comes out as -0
    for (int i = 0; i < 16; ++i) EXPECT_EQ(same.m[i / 4][i % 4], identity.m[i / 4][i % 4]) << i;

    Matrix t = Identity();
    t.m[3][0] = 5.0f;
    t.m[3][1] = -2.0f;
    t.m[3][2] = 0.5f;
    Put(kA, t);
    HookInvertScaledRigid(s());
    const Matrix inverse = Get<Matrix>(kB);
    EXPECT_EQ(inverse.m[3][0], -5.0f);
    EXPECT_EQ(inverse.m[3][1], 2.0f);
    EXPECT_EQ(inverse.m[3][2], -0.5f);
    EXPECT_EQ(inverse.m[0][0], 1.0f);

    // 2 x (a quarter turn about z) moved by (4, 0, 0), garbage in the w column. It takes the
    // unit axes to (4, 2, 0), (2, 0, 0), (4, 0, 2); the inverse takes them back.
    const Matrix m = {{{0, 2, 0, 7}, {-2, 0, 0, 7}, {0, 0, 2, 7}, {4, 0, 0, 1}}};
    Put(kA, m);
    Arguments(kA, kA);  // in place
    HookInvertScaledRigid(s());
    const Matrix r = Get<Matrix>(kA);
    const auto apply = [&](float x, float y, float z, int c) {
        return x * r.m[0][c] + y * r.m[1][c] + z * r.m[2][c] + r.m[3][c];
    };
    const float points[4][3] = {{4, 0, 0}, {4, 2, 0}, {2, 0, 0}, {4, 0, 2}};
    const float images[4][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int p = 0; p < 4; ++p)
        for (int c = 0; c < 3; ++c)
            EXPECT_FLOAT_EQ(apply(points[p][0], points[p][1], points[p][2], c), images[p][c]) << p << "," << c;
    EXPECT_EQ(r.m[0][3], 0.0f);
    EXPECT_EQ(r.m[2][3], 0.0f);
    EXPECT_EQ(r.m[3][3], 1.0f);
}

TEST_F(NativeHookTest, ArgumentsRunningOffMainMemoryFault) {
    Arguments(kMainMemorySize - 32, kB);
    try {
        HookCopyMatrix(s());
        FAIL() << "no fault";
    } catch (const EeFault& fault) {
        EXPECT_STREQ(fault.what(), "Access to unmapped memory 2000000\n");
    }
}

TEST_F(NativeHookTest, EmulatedCodeCallsAHookThroughItsBreakAndReturnsToRa) {
    SKIP_WITHOUT_MIPS_TOOLS();
    machine_.InstallHook(0x262150, HookDotProduct);
    Put(kA, Vector{{1, 2, 3, 0}});
    Put(kB, Vector{{4, 5, 6, 0}});
    machine_.Run(R"(
        li $a0, 0x1000
        jal 0x262150
        li $a1, 0x1100
        mov.s $f1, $f0
        li $t0, 7
    done:
        nop
    )");
    EXPECT_EQ(s().fpr[1], 32.0f);
    EXPECT_EQ(machine_.Gpr(reg::t0), 7u);
}

}  // namespace
}  // namespace vertigon::mdls
