// COP0 and the FPU (COP1), driven by assembled programs.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "tests/ee/ee_machine.h"

namespace vertigon {
namespace {

using testing::EeMachine;
namespace reg = testing::reg;

uint32_t Bits(float f) { return std::bit_cast<uint32_t>(f); }

TEST(EeCop0, MovesCountAndStatusBits) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    EeState& s = m.state();
    s.cycleCounter = 0x123456789;
    s.cop0[9] = 77;  // Count itself is never read
    s.cop0[12] = 0xFFFFFFFF00000001ull;
    m.Run(R"(
        mfc0 $s0, $9
        li $t0, -5
        mtc0 $t0, $14
        mfc0 $s1, $14
        ei
        mfc0 $s2, $12
        di
        mfc0 $s3, $12
        tlbwi
    done:
    )");
    EXPECT_EQ(m.Gpr(reg::s0), 0x123456789ull);
    EXPECT_EQ(m.Gpr(reg::s1), static_cast<uint64_t>(-5));
    EXPECT_EQ(m.Gpr(reg::s2), 0xFFFFFFFF00010001ull);
    EXPECT_EQ(m.Gpr(reg::s3), 0x00000001u);  // DI also clears the upper 32 bits
    EXPECT_EQ(s.cycleCounter, 0x123456789ull);  // only the frame run loop advances it
}

TEST(EeCop0, EretReturnsToEpcAfterASyscall) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    const auto& code = m.Load(R"(
        li $v1, 4
        syscall
    back:
        li $s0, 1
    done:
        nop
        .space 0x40
    handler:
        mfc0 $k0, $14
        addiu $k0, $k0, 4
        mtc0 $k0, $14
        eret
    )");
    // The exception goes to address 0; put a jump to the handler there.
    const testing::AssembledCode vector = testing::AssembleR5900("j " + std::to_string(code.Symbol("handler")) + "\n nop\n", 0);
    for (size_t i = 0; i < vector.bytes.size(); ++i) m.state().mainBase[i] = vector.bytes[i];
    m.RunToDone();
    EXPECT_EQ(m.Gpr(reg::s0), 1u);
    EXPECT_EQ(m.output(), "SYSCALL[4]\n");
}

TEST(EeFpu, ArithmeticAndMoves) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    EeState& s = m.state();
    s.fpr[1] = 6.0f;
    s.fpr[2] = -4.0f;
    s.fpr[3] = std::bit_cast<float>(0x7FC12345u);  // a NaN with a payload
    // The R5900 takes SQRT.S's operand from ft; the assembler writes it to fs (the MIPS32
    // layout) and leaves ft = $f0, so $f0 is the operand actually read.
    s.fpr[0] = -4.0f;
    m.Run(R"(
        add.s $f10, $f1, $f2
        sub.s $f11, $f1, $f2
        mul.s $f12, $f1, $f2
        div.s $f13, $f1, $f2
        sqrt.s $f14, $f2
        abs.s $f15, $f2
        neg.s $f16, $f1
        mov.s $f17, $f3
        div.s $f18, $f1, $f4
        mfc1 $s0, $f2
        li $t0, 0x3F800000
        mtc1 $t0, $f19
        mfc1 $s1, $f1
    done:
    )");
    EXPECT_EQ(s.fpr[10], 2.0f);
    EXPECT_EQ(s.fpr[11], 10.0f);
    EXPECT_EQ(s.fpr[12], -24.0f);
    EXPECT_EQ(s.fpr[13], -1.5f);
    EXPECT_EQ(s.fpr[14], 2.0f);
    EXPECT_EQ(s.fpr[15], 4.0f);
    EXPECT_EQ(s.fpr[16], -6.0f);
    EXPECT_EQ(Bits(s.fpr[17]), 0x7FC12345u);
    EXPECT_EQ(Bits(s.fpr[18]), 0x7FFFFFFFu);  // by zero: the largest magnitude
    EXPECT_EQ(m.Gpr(reg::s0), 0xFFFFFFFFC0800000ull);  // the bit pattern, sign-extended
    EXPECT_EQ(s.fpr[19], 1.0f);
    EXPECT_EQ(m.Gpr(reg::s1), 0x40C00000u);
}

// The R5900's number format: no infinities or NaNs (exponent 255 is a number, the largest
// magnitude 0x7FFFFFFF), denormal operands are zeros, tiny results are zeros, results too large
// the largest magnitude; sums and products rounded toward zero, the smaller addend aligned with
// one guard bit first; quotients and roots rounded to nearest.
TEST(EeFpu, ArithmeticInTheR5900NumberFormat) {
    SKIP_WITHOUT_MIPS_TOOLS();
    const struct {
        const char* instruction;  // $f3 = $f1 op $f2
        uint32_t fs, ft, fd;
        const char* why;
    } cases[] = {
        {"add.s", 0x3FFFFFFF, 0x3F800000, 0x403FFFFF, "3 - 2^-23 truncated (the host rounds up to 3)"},
        {"add.s", 0x3F800000, 0xA1800000, 0x3F800000, "2^-60 lies beyond the guard bit: 1 unchanged"},
        {"add.s", 0xFFFFFFFF, 0x3F800000, 0xFFFFFFFF, "recorded on the console: 1 is nothing beside the largest magnitude"},
        {"sub.s", 0x7F800001, 0x3F800000, 0x7F800001, "recorded"},
        {"sub.s", 0x3F800000, 0x7FFFFFFF, 0xFFFFFFFF, "recorded"},
        {"sub.s", 0x3F800000, 0x3E800001, 0x3F400000, "0.25 + 2^-25 loses its last bit below the guard bit"},
        {"sub.s", 0x3F800000, 0x33800001, 0x3F7FFFFF, "2^-24 + 2^-47 keeps only the guard bit"},
        {"add.s", 0x7F800000, 0x7F800000, 0x7FFFFFFF, "2^128 + 2^128 overflows to the largest magnitude"},
        {"add.s", 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, "negative overflow"},
        {"add.s", 0x3F800000, 0x00400000, 0x3F800000, "a denormal operand is zero"},
        {"sub.s", 0x00800001, 0x00800000, 0x00000000, "2^-149 is too small: +0"},
        {"sub.s", 0x00800000, 0x00800001, 0x80000000, "-2^-149 is too small: -0"},
        {"mul.s", 0x3F800000, 0x3FFFFFFF, 0x3FFFFFFF, "exact"},
        {"mul.s", 0x40400000, 0x3F800001, 0x40400001, "3 + 1.5 ulp truncated (the host rounds to even)"},
        {"mul.s", 0x7F800000, 0x40000000, 0x7FFFFFFF, "2^129 overflows"},
        {"mul.s", 0x7FFFFFFF, 0xBF800000, 0xFFFFFFFF, "the largest magnitude negated"},
        {"mul.s", 0x80800000, 0x3F000000, 0x80000000, "-2^-127 is too small: -0"},
        {"mul.s", 0x00000001, 0x7F000000, 0x00000000, "a denormal operand is zero"},
        {"div.s", 0x3F800000, 0x40400000, 0x3EAAAAAB, "1/3 rounded to nearest"},
        {"div.s", 0x3F800000, 0x3FFFFFFF, 0x3F000001, "recorded: rounded up to nearest"},
        {"div.s", 0x3F800000, 0x00000000, 0x7FFFFFFF, "by +0"},
        {"div.s", 0xBF800000, 0x00000000, 0xFFFFFFFF, "-1 by +0"},
        {"div.s", 0x00000000, 0x00000000, 0x7FFFFFFF, "+0 / +0"},
        {"div.s", 0x00000000, 0x80000000, 0xFFFFFFFF, "+0 / -0"},
        {"div.s", 0x40000000, 0x00000001, 0x7FFFFFFF, "by a denormal, which is zero"},
        {"div.s", 0x7FFFFFFF, 0x3F000000, 0x7FFFFFFF, "overflow"},
        // SQRT.S reads ft; the assembler would put the operand in fs, so the word is written out.
        {".word 0x460200C4  #", 0, 0x7F800000, 0x5F800000, "the root of 2^128"},
        {".word 0x460200C4  #", 0, 0x40A00000, 0x400F1BBD, "the root of 5 rounded to nearest"},
        {".word 0x460200C4  #", 0, 0x7FFFFFFF, 0x5FB504F3, "recorded: rounded up to nearest"},
        {".word 0x460200C4  #", 0, 0x3FFFFFFF, 0x3FB504F3, "recorded"},
        {".word 0x460200C4  #", 0, 0xC0800000, 0x40000000, "the root of |-4|"},
        {".word 0x460200C4  #", 0, 0x00400000, 0x00000000, "the root of a denormal"},
    };
    for (const auto& c : cases) {
        EeMachine m;
        m.state().fpr[1] = std::bit_cast<float>(c.fs);
        m.state().fpr[2] = std::bit_cast<float>(c.ft);
        m.Run(std::string(c.instruction) + " $f3, $f1, $f2\n done:\n");
        EXPECT_EQ(Bits(m.state().fpr[3]), c.fd) << c.instruction << ": " << c.why;
    }
}

TEST(EeFpu, ConversionToSingleTruncatesAndComparesTreatTheFormatAsNumbers) {
    SKIP_WITHOUT_MIPS_TOOLS();
    for (const auto& [in, out] : {std::pair{0x7FFFFFFFu, 0x4EFFFFFFu}, {0x80000001u, 0xCEFFFFFFu}, {16777219u, 0x4B800001u}}) {
        EeMachine m;
        m.state().fpr[1] = std::bit_cast<float>(in);
        m.Run("cvt.s.w $f2, $f1\n done:\n");
        EXPECT_EQ(Bits(m.state().fpr[2]), out) << in;
    }
    const struct {
        uint32_t fs, ft;
        bool equal, less;
    } compares[] = {
        {0x00000001, 0x00000000, true, false},   // a denormal equals zero
        {0x80000000, 0x00000000, true, false},   // -0 equals +0
        {0x80000001, 0x00000000, true, false},   // a negative denormal is not below zero
        {0x7FFFFFFF, 0x7FFFFFFF, true, false},   // the largest magnitude equals itself
        {0x3F800000, 0x7FFFFFFF, false, true},   // and is above 1
        {0x3F800000, 0x7FC00000, false, true},   // exponent 255 is a number, not a NaN
        {0xFFFFFFFF, 0xBF800000, false, true},   // the most negative value is below -1
        {0xBF800000, 0x3F800000, false, true},
    };
    for (const auto& c : compares) {
        EeMachine m;
        m.state().fpr[1] = std::bit_cast<float>(c.fs);
        m.state().fpr[2] = std::bit_cast<float>(c.ft);
        m.Run("c.eq.s $f1, $f2\n bc1t 1f\n nop\n ori $s0, $s0, 1\n 1: c.lt.s $f1, $f2\n done:\n");
        EXPECT_EQ(m.Gpr(reg::s0) == 0, c.equal) << std::hex << c.fs << " == " << c.ft;
        EXPECT_EQ(m.state().fpuCondition == 1, c.less) << std::hex << c.fs << " < " << c.ft;
    }
}

TEST(EeFpu, ConversionsTruncateAndSaturate) {
    SKIP_WITHOUT_MIPS_TOOLS();
    const struct {
        float in;
        uint32_t out;
    } cases[] = {
        {2147483648.0f, 0x7FFFFFFF},  {-3000000000.0f, 0x80000000}, {-1.5f, 0xFFFFFFFF},
        {1.99f, 1},                   {-2147483648.0f, 0x80000000}, {2147483520.0f, 0x7FFFFF80},
        {std::numeric_limits<float>::infinity(), 0x7FFFFFFF},
        {-std::numeric_limits<float>::quiet_NaN(), 0x80000000},
    };
    for (const auto& c : cases) {
        EeMachine m;
        m.state().fpr[1] = c.in;
        m.Run("trunc.w.s $f2, $f1\n done:\n");  // CVT.W.S
        EXPECT_EQ(Bits(m.state().fpr[2]), c.out) << c.in;
    }
    EeMachine m;
    m.state().fpr[1] = std::bit_cast<float>(static_cast<uint32_t>(-7));
    m.Run("cvt.s.w $f2, $f1\n done:\n");
    EXPECT_EQ(m.state().fpr[2], -7.0f);
}

TEST(EeFpu, ComparesAndConditionalBranches) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    EeState& s = m.state();
    s.fpr[1] = 1.0f;
    s.fpr[2] = 2.0f;
    s.fpr[3] = std::numeric_limits<float>::quiet_NaN();  // a large number on the R5900
    m.Run(R"(
        c.lt.s $f1, $f2
        bc1t 1f
        ori $s0, $s0, 1         # delay slot runs
        ori $s0, $s0, 2         # skipped
    1:  c.lt.s $f1, $f3
        bc1tl 2f
        ori $s0, $s0, 4         # likely delay slot of a taken branch: runs
        ori $s0, $s0, 8         # skipped
    2:  c.eq.s $f3, $f3
        bc1f 3f
        nop
        ori $s0, $s0, 16
    3:  c.eq.s $f1, $f1
        bc1fl 4f
        ori $s0, $s0, 32
        ori $s0, $s0, 64
    4:  bc1t done
        nop
        ori $s0, $s0, 128
    done:
    )");
    EXPECT_EQ(m.Gpr(reg::s0), 1u | 4u | 16u | 64u);
    EXPECT_EQ(s.fpuCondition, 1);
}

TEST(EeCoprocessors, UnknownEncodingsFaultWithTheirMessages) {
    SKIP_WITHOUT_MIPS_TOOLS();
    const struct {
        const char* instruction;
        const char* message;
    } cases[] = {
        {"mfpc $t0, 0", "Unhandled MF0 opcode 1\n"},
        {"mtpc $t0, 0", "Unhandled MT0 opcode 1\n"},
        {"tlbr", "Unhandled CO opcode 1\n"},
        {"bc0f .", "Unknown COP0 subOpcode 1000000\n"},
        {"cfc1 $t0, $f31", "Unknown COP1 subOpcode 400000\n"},
        {"madd.s $f0, $f1, $f2", "Unknown COP1 S subOpcode 1C\n"},
        {"c.le.s $f1, $f2", "Unknown COP1 S subOpcode 36\n"},
        {".set arch=mips32\n cvt.d.w $f0, $f2", "Unknown COP1 W subOpcode 21\n"},
        {".set arch=mips32\n bc1f $fcc1, .", "Unknown COP1 BC1 subOpcode 40000\n"},
        {"bc2f .", "Unknown COP2 subOpcode\n"},
        {"vmax.xyzw $vf1, $vf2, $vf3", "Unknown COP2 Special1 subOpcode 2B\n"},
        {"vabs.xyzw $vf1, $vf2", "Unknown COP2 Special2 subOpcode 1C1\n"},
    };
    for (const auto& c : cases) {
        EeMachine m;
        EXPECT_EQ(m.RunToFault(c.instruction), c.message) << c.instruction;
    }
}

}  // namespace
}  // namespace vertigon
