// VU0 micro mode, with micro programs built by the test encoder (whose encodings are checked
// here against the published layout and against the assembler's macro-mode forms).
#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "ee/vu0.h"
#include "tests/ee/ee_machine.h"
#include "tests/fixtures/vu0_micro_encoder.h"

namespace vertigon {
namespace {

using testing::EeMachine;
using namespace testing::vu0micro;

constexpr uint32_t kLow25 = 0x01FFFFFF;

TEST(Vu0MicroEncoder, MatchesThePublishedWords) {
    EXPECT_EQ(UpperNop(), 0x000002FFu);
    EXPECT_EQ(LowerNop(), 0x8000033Cu);
    EXPECT_EQ(Waitq(), 0x800003BFu);
    EXPECT_EQ(End(UpperNop()), 0x400002FFu);
    // Lower words without a macro-mode twin, from the field layout.
    EXPECT_EQ(Lq(kXYZW, 1, 2, -1), 0x01E117FFu);        // 0000000 dest ft is imm11
    EXPECT_EQ(Iaddiu(1, 2, 0x7FFF), 0x11E117FFu);       // 0001000 imm15[14:11] it is imm15[10:0]
    EXPECT_EQ(Fmand(1, 2), 0x34011000u);                // 0011010 0000 it is 0
    EXPECT_EQ(Jr(3), 0x48001800u);                      // 0100100 0000 0 is 0
    EXPECT_EQ(Ibeq(1, 2, -2), 0x500117FEu);             // 0101000 0000 it is imm11
    EXPECT_EQ(Ibne(1, 2, 3), 0x52011003u);              // 0101001 0000 it is imm11
    EXPECT_EQ(Sqrt(2, kBcW), 0x818203BDu);              // 1000000 ftf 00 ft 00000 01110 1111 01
}

TEST(Vu0MicroEncoder, SharesItsFieldsWithTheAssemblersMacroForms) {
    SKIP_WITHOUT_MIPS_TOOLS();
    // Micro upper words and the lower special words have the macro-mode instruction's low
    // 25 bits; only bits 25-31 differ.
    const uint32_t ours[] = {
        Add(kXYZW, 1, 2, 3),        AddBc(kX, 4, 5, 6, kBcY),  SubBc(kY | kZ, 7, 8, 9, kBcW),
        MaddBc(kXYZW, 1, 2, 3, kBcZ), AddQ(kZ | kW, 10, 11),   Mul(kXYZW, 12, 13, 14),
        Sub(kX | kW, 15, 16, 17),   MaddaBc(kXYZW, 2, 3, kBcX), MulaBc(kXYZW, 2, 3, kBcW),
        UpperNop(),                 Iadd(1, 2, 3),             Iaddi(1, 2, -3),
        Iand(4, 5, 6),              Move(kY | kW, 7, 8),       Waitq(),
    };
    const testing::AssembledCode code = testing::AssembleR5900(R"(
        vadd.xyzw $vf1, $vf2, $vf3
        vaddy.x $vf4, $vf5, $vf6y
        vsubw.yz $vf7, $vf8, $vf9w
        vmaddz.xyzw $vf1, $vf2, $vf3z
        vaddq.zw $vf10, $vf11, $Q
        vmul.xyzw $vf12, $vf13, $vf14
        vsub.xw $vf15, $vf16, $vf17
        vmaddax.xyzw $ACC, $vf2, $vf3x
        vmulaw.xyzw $ACC, $vf2, $vf3w
        vnop
        viadd $vi1, $vi2, $vi3
        viaddi $vi1, $vi2, -3
        viand $vi4, $vi5, $vi6
        vmove.yw $vf7, $vf8
        vwaitq
    )");
    ASSERT_GE(code.bytes.size(), sizeof ours);
    for (size_t i = 0; i < std::size(ours); ++i) {
        uint32_t macro;
        std::memcpy(&macro, code.bytes.data() + 4 * i, 4);
        EXPECT_EQ(ours[i] & kLow25, macro & kLow25) << "instruction " << i;
        EXPECT_EQ(macro >> 25, 0x25u) << "instruction " << i;  // COP2, CO
    }
    for (uint32_t lowerSpecial : {Iadd(1, 2, 3), Move(kX, 1, 2), Waitq()}) EXPECT_EQ(lowerSpecial >> 25, 0x40u);
}

class Vu0MicroTest : public ::testing::Test {
protected:
    EeMachine machine_;
    EeState& s = machine_.state();

    void Load(std::initializer_list<Pair> pairs, uint32_t at = 0) {
        const std::vector<uint8_t> bytes = Program(pairs);
        std::memcpy(s.vu0MicroMemory.data() + at, bytes.data(), bytes.size());
    }
    // Runs from `start`; returns the fault message, or "" when the program ended.
    std::string Run(uint32_t start = 0) {
        try {
            Vu0MicroRun(s, start);
        } catch (const EeFault& fault) {
            return fault.what();
        }
        return "";
    }
    void SetData(int quadword, VuVector value) { std::memcpy(s.vu0DataMemory.data() + 16 * quadword, value.c, 16); }
};

TEST_F(Vu0MicroTest, EndBitOnTheFirstPairRunsExactlyTwoPairs) {
    Load({{Iaddiu(1, 0, 1), End(UpperNop())}, {Iaddiu(2, 0, 2), UpperNop()}, {Iaddiu(3, 0, 3), UpperNop()}});
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(s.vi[1], 1u);
    EXPECT_EQ(s.vi[2], 2u);
    EXPECT_EQ(s.vi[3], 0u);
    EXPECT_EQ(s.vu0MicroPc, 16u);
}

TEST_F(Vu0MicroTest, TakenBranchRunsItsDelayPairThenTheTarget) {
    Load({
        {Ibeq(0, 0, 2), UpperNop()},         // target: the pair after the delay pair, + 2 pairs
        {Iaddiu(1, 0, 1), UpperNop()},       // delay pair
        {Iaddiu(2, 0, 2), UpperNop()},       // skipped
        {Ibne(0, 0, 5), End(UpperNop())},    // not taken
        {Iaddiu(4, 0, 4), UpperNop()},
        {Iaddiu(5, 0, 5), UpperNop()},
    });
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(s.vi[1], 1u);
    EXPECT_EQ(s.vi[2], 0u);
    EXPECT_EQ(s.vi[4], 4u);
    EXPECT_EQ(s.vi[5], 0u);
}

TEST_F(Vu0MicroTest, JumpRegisterTargetsViTimesEight) {
    Load({
        {Iaddiu(7, 0, 4), UpperNop()},
        {Jr(7), UpperNop()},
        {Iaddiu(1, 0, 1), UpperNop()},  // delay pair
        {Iaddiu(2, 0, 2), UpperNop()},  // skipped
        {Iaddiu(3, 0, 3), End(UpperNop())},
        {LowerNop(), UpperNop()},
    });
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(s.vi[1], 1u);
    EXPECT_EQ(s.vi[2], 0u);
    EXPECT_EQ(s.vi[3], 3u);
}

TEST_F(Vu0MicroTest, UpperInstructionsSetMacFlagsForWrittenComponents) {
    s.vf[1] = VuVector{{1.0f, 0.0f, -2.0f, 5.0f}};
    s.vf[3] = VuVector{{-1.0f, -1.0f, -1.0f, -1.0f}};
    s.macFlags = 0xFF00;
    Load({
        {Iaddiu(2, 0, 0x7FFF), Add(kXYZW, 2, 1, 0)},  // (1, 0, -2, 6): y zero, z negative
        {Fmand(1, 2), Add(kX, 3, 3, 0)},              // x = -1: only x's flags change
        {Fmand(4, 2), End(UpperNop())},
        {LowerNop(), UpperNop()},
    });
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(s.vi[1], 0x7F24u);
    EXPECT_EQ(s.vi[4], 0x7FA4u);
    EXPECT_EQ(s.macFlags, 0xFFA4);
    s.vi[2] = 0xFFFF;
    Load({{Fmand(5, 2), End(UpperNop())}, {LowerNop(), UpperNop()}});
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(s.vi[5], 0xFFFFFFA4u);  // sign-extended from 16 bits
}

// The flags follow the R5900 values: the clamped -0x7FFFFFFF is negative, denormals are zeros.
TEST_F(Vu0MicroTest, MacFlagsReadTheR5900Values) {
    auto bits = [](uint32_t b) { return std::bit_cast<float>(b); };
    s.vf[1] = VuVector{{bits(0xFFFFFFFF), bits(0x00400000), bits(0x7F800000), 1.0f}};
    s.vf[2] = VuVector{{bits(0xFFFFFFFF), bits(0x80400000), bits(0x7F800000), -1.0f}};
    Load({{LowerNop(), End(Add(kXYZW, 3, 1, 2))}, {LowerNop(), UpperNop()}});
    EXPECT_EQ(Run(), "");
    const uint32_t expected[4] = {0xFFFFFFFF, 0, 0x7FFFFFFF, 0};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(std::bit_cast<uint32_t>(s.vf[3].c[c]), expected[c]) << c;
    EXPECT_EQ(s.macFlags, 0x85);  // x sign; y and w zero
}

TEST_F(Vu0MicroTest, ArithmeticAndIntegerInstructions) {
    s.vf[1] = VuVector{{1.0f, 2.0f, 3.0f, 4.0f}};
    s.vf[2] = VuVector{{10.0f, 20.0f, 30.0f, -9.0f}};
    s.acc = VuVector{{100.0f, 100.0f, 100.0f, 100.0f}};
    s.q = 0.5f;
    Load({
        {Iaddiu(1, 0, 6), AddBc(kXYZW, 3, 1, 2, kBcY)},
        {Iaddi(2, 1, -8), SubBc(kXYZW, 4, 2, 1, kBcW)},
        {Iadd(3, 1, 2), MaddBc(kXYZW, 5, 1, 2, kBcX)},
        {Iand(4, 1, 2), AddQ(kXYZW, 6, 1)},
        {Sqrt(2, kBcW), Mul(kXYZW, 7, 1, 2)},
        {Waitq(), Sub(kXYZW, 8, 2, 1)},
        {Move(kX | kZ, 9, 1), MulaBc(kXYZW, 1, 2, kBcW)},
        {LowerNop(), MaddaBc(kXYZW, 1, 1, kBcX)},
        {LowerNop(), End(UpperNop())},
        {LowerNop(), UpperNop()},
    });
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(s.vi[1], 6u);
    EXPECT_EQ(s.vi[2], static_cast<uint32_t>(-2));
    EXPECT_EQ(s.vi[3], 4u);
    EXPECT_EQ(s.vi[4], 6u & static_cast<uint32_t>(-2));
    const float expected[][4] = {
        {21, 22, 23, 24},      // vf3 = vf1 + vf2.y
        {6, 16, 26, -13},      // vf4 = vf2 - vf1.w
        {110, 120, 130, 140},  // vf5 = ACC + vf1 * vf2.x
        {1.5f, 2.5f, 3.5f, 4.5f},
        {10, 40, 90, -36},
        {9, 18, 27, -13},
        {1, 0, 3, 0},
    };
    for (int r = 0; r < 7; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(s.vf[3 + r].c[c], expected[r][c]) << "vf" << 3 + r << " " << c;
    EXPECT_EQ(s.q, 3.0f);
    // ACC = vf1 * vf2.w, then + vf1 * vf1.x.
    const float acc[4] = {-9 + 1, -18 + 2, -27 + 3, -36 + 4};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(s.acc.c[c], acc[c]);
}

TEST_F(Vu0MicroTest, LoadQuadHonoursTheDestMask) {
    SetData(3, VuVector{{1.0f, 2.0f, 3.0f, 4.0f}});
    s.vf[1] = VuVector{{-1.0f, -1.0f, -1.0f, -1.0f}};
    Load({{Iaddiu(1, 0, 2), UpperNop()}, {Lq(kY | kW, 1, 1, 1), End(UpperNop())}, {LowerNop(), UpperNop()}});
    EXPECT_EQ(Run(), "");
    const float expected[4] = {-1.0f, 2.0f, -1.0f, 4.0f};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(s.vf[1].c[c], expected[c]);
}

TEST_F(Vu0MicroTest, ConstantRegistersAreResetBeforeEachHalf) {
    s.vf[1] = VuVector{{5.0f, 5.0f, 5.0f, 5.0f}};
    Load({
        {Iaddiu(0, 0, 9), Add(kXYZW, 0, 1, 1)},  // both write register 0
        {Iadd(2, 0, 0), UpperNop()},
        {Move(kXYZW, 3, 0), End(UpperNop())},
        {LowerNop(), UpperNop()},
    });
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(s.vi[2], 0u);
    const float one[4] = {0, 0, 0, 1};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(s.vf[3].c[c], one[c]);
}

TEST_F(Vu0MicroTest, VcallmsRunsTheProgramAtItsAddress) {
    SKIP_WITHOUT_MIPS_TOOLS();
    Load({{Iaddiu(1, 0, 42), End(UpperNop())}, {LowerNop(), UpperNop()}}, 0x40);
    machine_.Run("vcallms 0x40\n addiu $s0, $zero, 1\n done:\n");
    EXPECT_EQ(s.vi[1], 42u);
    EXPECT_EQ(machine_.Gpr(testing::reg::s0), 1u);
}

TEST_F(Vu0MicroTest, FaultsInsteadOfLeavingTheMicroMemories) {
    EXPECT_EQ(Run(0x1000), "vu0 micro program counter 1000 outside micro memory\n");
    Load({{Iaddiu(1, 0, 0x200), UpperNop()}, {Jr(1), UpperNop()}, {LowerNop(), UpperNop()}});
    EXPECT_EQ(Run(), "vu0 micro program counter 1000 outside micro memory\n");
    Load({{Iaddiu(1, 0, 255), UpperNop()}, {Lq(kXYZW, 1, 1, 1), End(UpperNop())}, {LowerNop(), UpperNop()}});
    EXPECT_EQ(Run(), "vu0 LQ outside data memory at quadword 256\n");
    Load({{Lq(kXYZW, 1, 0, -1), End(UpperNop())}, {LowerNop(), UpperNop()}});
    EXPECT_EQ(Run(), "vu0 LQ outside data memory at quadword -1\n");
    Load({{Ibeq(0, 0, -1), UpperNop()}, {LowerNop(), UpperNop()}});  // loops forever without an E bit
    EXPECT_EQ(Run(), "vu0 micro program did not end within 1048576 pairs\n");
}

TEST_F(Vu0MicroTest, UnknownCodesFaultWithTheirMessages) {
    const struct {
        Pair pair;
        const char* message;
    } cases[] = {
        {{LowerNop(), Add(kXYZW, 1, 2, 3) - 0x28 + 0x10}, "Unknown vu0 upper code\n"},
        {{LowerNop(), MaddaBc(kXYZW, 1, 2, kBcZ)}, "Unknown vu0 upper code\n"},  // funct 0x3E
        {{LowerNop(), MulaBc(kXYZW, 1, 2, kBcY)}, "Unknown vu0 upper special code 19\n"},
        {{Iaddiu(1, 2, 3) + (1u << 25), UpperNop()}, "Unknown vu0 lower code\n"},
        {{Iadd(1, 2, 3) + 1, UpperNop()}, "Unknown vu0 lower sub code\n"},
        {{Sqrt(1, kBcX) + 1, UpperNop()}, "Unknown vu0 lower sub code\n"},  // index 0x3A
    };
    for (const auto& c : cases) {
        Load({c.pair, {LowerNop(), End(UpperNop())}, {LowerNop(), UpperNop()}});
        EXPECT_EQ(Run(), c.message);
    }
}

}  // namespace
}  // namespace vertigon
