// VU0 in macro mode: COP2 transfers and the Special1 and Special2 tables.
#include <gtest/gtest.h>

#include <bit>
#include <limits>

#include "tests/ee/ee_machine.h"

namespace vertigon {
namespace {

using testing::EeMachine;
namespace reg = testing::reg;

void ExpectVector(const VuVector& v, float x, float y, float z, float w, const char* what) {
    EXPECT_EQ(v.c[0], x) << what;
    EXPECT_EQ(v.c[1], y) << what;
    EXPECT_EQ(v.c[2], z) << what;
    EXPECT_EQ(v.c[3], w) << what;
}

TEST(EeVu0Macro, TransfersKeepTheComponentOrder) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    EeState& s = m.state();
    s.vf[1] = VuVector{{1.0f, 2.0f, 3.0f, -4.0f}};
    s.gpr[reg::t1] = Reg128{0xC0800000C0400000, 0xC00000003F800000};  // w z y x = -4 -3 -2 1
    s.gpr[reg::s2].lower = 99;
    m.Run(R"(
        qmfc2 $s0, $vf1
        qmtc2 $t1, $vf2
        cfc2 $s2, $vi5          # every control register but 22 reads 0
        ctc2 $t1, $vi22         # no effect
        vdiv $Q, $vf1x, $vf1w   # 1 / -4
        cfc2 $s1, $vi22         # Q's bits, sign-extended
    done:
    )");
    EXPECT_EQ(s.gpr[reg::s0], (Reg128{0xC080000040400000, 0x400000003F800000}));
    ExpectVector(s.vf[2], 1.0f, -2.0f, -3.0f, -4.0f, "qmtc2");
    EXPECT_EQ(m.Gpr(reg::s2), 0u);
    EXPECT_EQ(s.q, -0.25f);
    EXPECT_EQ(m.Gpr(reg::s1), 0xFFFFFFFFBE800000ull);
}

TEST(EeVu0Macro, ArithmeticWithDestMasksAndBroadcasts) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    EeState& s = m.state();
    s.vf[1] = VuVector{{1.0f, 2.0f, 3.0f, 4.0f}};
    s.vf[2] = VuVector{{10.0f, 20.0f, 30.0f, 40.0f}};
    for (int r = 3; r <= 14; ++r) s.vf[r] = VuVector{{-1.0f, -1.0f, -1.0f, -1.0f}};
    s.acc = VuVector{{100.0f, 200.0f, 300.0f, 400.0f}};
    s.q = 0.5f;
    s.macFlags = 0xABCD;
    m.Run(R"(
        vadd.x $vf3, $vf1, $vf2
        vaddy.xyzw $vf4, $vf1, $vf2y
        vsubw.yz $vf5, $vf2, $vf1w
        vmulz.xyzw $vf6, $vf1, $vf2z
        vmaddx.xw $vf7, $vf1, $vf2x
        vmulq.xyzw $vf8, $vf2, $Q
        vaddq.zw $vf9, $vf1, $Q
        vmul.xyzw $vf10, $vf1, $vf2
        vsub.xyzw $vf11, $vf1, $vf2
        vadd.xyzw $vf12, $vf12, $vf12  # the destination may be a source
        vaddw.xyzw $vf13, $vf0, $vf0w   # VF[0] reads (0, 0, 0, 1)
        vadd.xyzw $vf0, $vf1, $vf1      # written, then reset by the next step
        vmove.xyzw $vf14, $vf0
    done:
    )");
    ExpectVector(s.vf[3], 11.0f, -1.0f, -1.0f, -1.0f, "vadd.x");
    ExpectVector(s.vf[4], 21.0f, 22.0f, 23.0f, 24.0f, "vaddy");
    ExpectVector(s.vf[5], -1.0f, 16.0f, 26.0f, -1.0f, "vsubw.yz");
    ExpectVector(s.vf[6], 30.0f, 60.0f, 90.0f, 120.0f, "vmulz");
    ExpectVector(s.vf[7], 110.0f, -1.0f, -1.0f, 440.0f, "vmaddx.xw");
    ExpectVector(s.vf[8], 5.0f, 10.0f, 15.0f, 20.0f, "vmulq");
    ExpectVector(s.vf[9], -1.0f, -1.0f, 3.5f, 4.5f, "vaddq.zw");
    ExpectVector(s.vf[10], 10.0f, 40.0f, 90.0f, 160.0f, "vmul");
    ExpectVector(s.vf[11], -9.0f, -18.0f, -27.0f, -36.0f, "vsub");
    ExpectVector(s.vf[12], -2.0f, -2.0f, -2.0f, -2.0f, "aliased vadd");
    ExpectVector(s.vf[13], 1.0f, 1.0f, 1.0f, 2.0f, "vf0 source");
    ExpectVector(s.vf[14], 0.0f, 0.0f, 0.0f, 1.0f, "vf0 reset");
    EXPECT_EQ(s.macFlags, 0xABCD);  // macro mode leaves the flags alone
}

TEST(EeVu0Macro, AccumulatorOuterProductAndMoves) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    EeState& s = m.state();
    s.vf[1] = VuVector{{1.0f, 2.0f, 3.0f, 9.0f}};
    s.vf[2] = VuVector{{4.0f, 5.0f, 6.0f, 9.0f}};
    s.vf[3] = VuVector{{7.0f, 7.0f, 7.0f, 7.0f}};
    s.vf[5] = VuVector{{-1.0f, -1.0f, -1.0f, -1.0f}};
    m.Run(R"(
        vopmula.xyz $ACC, $vf1, $vf2    # the usual cross-product pair
        vopmsub.xyz $vf3, $vf2, $vf1
        vmulaw.xyzw $ACC, $vf1, $vf2w
        vmaddax.xyzw $ACC, $vf2, $vf1x
        vmaddw.xyzw $vf4, $vf1, $vf0w   # ACC + vf1
        vmr32.xyzw $vf5, $vf1
        vmr32.xyzw $vf6, $vf6
        vmove.yw $vf7, $vf2
        vnop
        vwaitq
    done:
    )");
    ExpectVector(s.vf[3], -3.0f, 6.0f, -3.0f, 7.0f, "cross product (w untouched)");
    ExpectVector(s.acc, 13.0f, 23.0f, 33.0f, 90.0f, "ACC");
    ExpectVector(s.vf[4], 14.0f, 25.0f, 36.0f, 99.0f, "vmaddw");
    ExpectVector(s.vf[5], 2.0f, 3.0f, 9.0f, 1.0f, "vmr32");
    ExpectVector(s.vf[7], 0.0f, 5.0f, 0.0f, 9.0f, "vmove.yw");
}

TEST(EeVu0Macro, DivideAndSquareRootSetQ) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    EeState& s = m.state();
    s.vf[1] = VuVector{{0.0f, 6.0f, 0.0f, 0.0f}};
    s.vf[2] = VuVector{{2.0f, 0.0f, -9.0f, 4.0f}};
    m.Run(R"(
        vdiv $Q, $vf1y, $vf2w
        vmulq.x $vf3, $vf2, $Q
        vsqrt $Q, $vf2z
    done:
    )");
    EXPECT_EQ(s.vf[3].c[0], 3.0f);  // 2 * (6 / 4)
    EXPECT_EQ(s.q, 3.0f);
    EeMachine zero;
    zero.Run("vdiv $Q, $vf0w, $vf0x\n done:\n");
    EXPECT_EQ(std::bit_cast<uint32_t>(zero.state().q), 0x7FFFFFFFu);  // 1 / 0: the largest magnitude
}

VuVector FromBits(uint32_t x, uint32_t y, uint32_t z, uint32_t w) {
    return VuVector{{std::bit_cast<float>(x), std::bit_cast<float>(y), std::bit_cast<float>(z), std::bit_cast<float>(w)}};
}

void ExpectBits(const VuVector& v, uint32_t x, uint32_t y, uint32_t z, uint32_t w, const char* what) {
    const uint32_t expected[4] = {x, y, z, w};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(std::bit_cast<uint32_t>(v.c[c]), expected[c]) << what << " component " << c;
}

// The FPU's number format, lane by lane; a multiply-add truncates the product before the sum.
TEST(EeVu0Macro, ArithmeticInTheR5900NumberFormat) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    EeState& s = m.state();
    s.vf[1] = FromBits(0x3FFFFFFF, 0x7F800000, 0x00400000, 0x40400000);
    s.vf[2] = FromBits(0x3F800000, 0x7F800000, 0x7F000000, 0x3F800001);
    s.acc = FromBits(0, 0, 0, 0xC0400000);  // w = -3
    m.Run(R"(
        vadd.xyzw $vf3, $vf1, $vf2
        vmul.xyzw $vf4, $vf1, $vf2
        vsub.xyzw $vf5, $vf0, $vf1
        vmaddw.w $vf6, $vf1, $vf2w
        vdiv $Q, $vf1y, $vf0x
        vsqrt $Q, $vf1y
        cfc2 $s0, $vi22
        vdiv $Q, $vf1w, $vf0y
    done:
    )");
    // 3 - 2^-23 truncated; 2^129 overflows; a denormal is zero; 4 + 2^-23 truncated.
    ExpectBits(s.vf[3], 0x403FFFFF, 0x7FFFFFFF, 0x7F000000, 0x40800000, "vadd");
    // exact; 2^256 overflows; a denormal is zero; 3 + 1.5 ulp truncated.
    ExpectBits(s.vf[4], 0x3FFFFFFF, 0x7FFFFFFF, 0x00000000, 0x40400001, "vmul");
    ExpectBits(s.vf[5], 0xBFFFFFFF, 0xFF800000, 0x00000000, 0xC0000000, "vsub from vf0");
    // -3 + (3 + 2^-22): a product kept exact would give 1.5 * 2^-22.
    EXPECT_EQ(std::bit_cast<uint32_t>(s.vf[6].c[3]), 0x34800000u);
    EXPECT_EQ(m.Gpr(testing::reg::s0), 0x5F800000u);  // the root of 2^128
    EXPECT_EQ(std::bit_cast<uint32_t>(s.q), 0x7FFFFFFFu);  // 3 / 0

    // The adder's one guard bit and the rounded quotient, as the FPU has them.
    EeMachine g;
    g.state().vf[1] = FromBits(0xFFFFFFFF, 0x7F800001, 0x3F800000, 0x3F800000);
    g.state().vf[2] = FromBits(0x3F800000, 0xBF800000, 0xB3800001, 0x3FFFFFFF);
    g.Run("vadd.xyzw $vf3, $vf1, $vf2\n vdiv $Q, $vf1w, $vf2w\n done:\n");
    ExpectBits(g.state().vf[3], 0xFFFFFFFF, 0x7F800001, 0x3F7FFFFF, 0x403FFFFF, "vadd, far apart");
    EXPECT_EQ(std::bit_cast<uint32_t>(g.state().q), 0x3F000001u);
}

}  // namespace
}  // namespace vertigon
