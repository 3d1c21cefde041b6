// The integer instructions: extension rules, shifts, multiply and divide, MMI.
#include <gtest/gtest.h>

#include "tests/ee/ee_machine.h"

namespace vertigon {
namespace {

using testing::EeMachine;
namespace reg = testing::reg;

TEST(EeInteger, ImmediateArithmeticAndLogic) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    m.Run(R"(
        li $t0, 0x7FFFFFFF
        addiu $s0, $t0, 1       # wraps, sign-extended
        addi $s1, $t0, 1        # no overflow trap
        li $t1, -1
        andi $s2, $t1, 0x8000   # zero-extended immediate, all 64 bits
        ori $s3, $zero, 0xFFFF
        xori $s4, $t1, 0xFFFF
        lui $s5, 0x8000
        sltiu $s6, $zero, 1
        sltiu $s7, $t1, 1
        slti $t2, $t1, 0
        sltiu $t3, $t0, -1      # immediate sign-extended, then compared unsigned
        daddiu $t4, $t0, 1      # 64-bit: no sign extension of the 32-bit overflow
    done:
    )");
    EXPECT_EQ(m.Gpr(reg::s0), 0xFFFFFFFF80000000ull);
    EXPECT_EQ(m.Gpr(reg::s1), 0xFFFFFFFF80000000ull);
    EXPECT_EQ(m.Gpr(reg::s2), 0x8000u);
    EXPECT_EQ(m.Gpr(reg::s3), 0xFFFFu);
    EXPECT_EQ(m.Gpr(reg::s4), 0xFFFFFFFFFFFF0000ull);
    EXPECT_EQ(m.Gpr(reg::s5), 0xFFFFFFFF80000000ull);
    EXPECT_EQ(m.Gpr(reg::s6), 1u);
    EXPECT_EQ(m.Gpr(reg::s7), 0u);
    EXPECT_EQ(m.Gpr(reg::t2), 1u);
    EXPECT_EQ(m.Gpr(reg::t3), 1u);
    EXPECT_EQ(m.Gpr(reg::t4), 0x80000000u);
}

TEST(EeInteger, RegisterArithmeticAndComparisons) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    m.Run(R"(
        li $t0, 0x7FFFFFFF
        li $t1, 1
        li $t2, -1
        addu $s0, $t0, $t1
        add $s1, $t0, $t1
        subu $s2, $zero, $t1
        sub $s3, $t0, $t2
        nor $s4, $zero, $zero
        slt $s5, $t2, $t1
        sltu $s6, $t2, $t1
        dsll32 $t3, $t1, 0      # 1 << 32
        daddu $s7, $t3, $t2     # 0xFFFFFFFF
        dsubu $t4, $zero, $t3
        and $t5, $t2, $t3
        or $t6, $t0, $t3
        xor $t7, $t2, $t3
        slt $t8, $t3, $t0       # 64-bit compare: 1 << 32 > 0x7FFFFFFF
    done:
    )");
    EXPECT_EQ(m.Gpr(reg::s0), 0xFFFFFFFF80000000ull);
    EXPECT_EQ(m.Gpr(reg::s1), 0xFFFFFFFF80000000ull);
    EXPECT_EQ(m.Gpr(reg::s2), ~0ull);
    EXPECT_EQ(m.Gpr(reg::s3), 0xFFFFFFFF80000000ull);
    EXPECT_EQ(m.Gpr(reg::s4), ~0ull);
    EXPECT_EQ(m.Gpr(reg::s5), 1u);
    EXPECT_EQ(m.Gpr(reg::s6), 0u);
    EXPECT_EQ(m.Gpr(reg::s7), 0xFFFFFFFFu);
    EXPECT_EQ(m.Gpr(reg::t4), 0xFFFFFFFF00000000ull);
    EXPECT_EQ(m.Gpr(reg::t5), 0x100000000ull);
    EXPECT_EQ(m.Gpr(reg::t6), 0x17FFFFFFFull);
    EXPECT_EQ(m.Gpr(reg::t7), 0xFFFFFFFEFFFFFFFFull);
    EXPECT_EQ(m.Gpr(reg::t8), 0u);
}

TEST(EeInteger, Shifts) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    m.Run(R"(
        lui $t0, 0x8000          # 0xFFFFFFFF80000000
        srl $s0, $t0, 4
        sra $s1, $t0, 4
        lui $t1, 0x4000
        sll $s2, $t1, 1
        li $t2, 33
        sllv $s3, $t1, $t2      # only the low five bits of rs count: shift by 1
        srlv $s4, $t0, $t2
        srav $s5, $t0, $t2
        dsll32 $t3, $t1, 0      # 0x40000000_00000000
        li $t4, 65
        dsllv $s6, $t3, $t4     # low six bits: shift by 1
        dsrav $s7, $t0, $t4
        dsll $t5, $t1, 4
        dsrl $t6, $t0, 4
        dsrl32 $t7, $t0, 0
        dsra32 $t8, $t0, 4
        sll $t9, $t5, 0         # the low word, sign-extended
    done:
    )");
    EXPECT_EQ(m.Gpr(reg::s0), 0x0000000008000000ull);
    EXPECT_EQ(m.Gpr(reg::s1), 0xFFFFFFFFF8000000ull);
    EXPECT_EQ(m.Gpr(reg::s2), 0xFFFFFFFF80000000ull);
    EXPECT_EQ(m.Gpr(reg::s3), 0xFFFFFFFF80000000ull);
    EXPECT_EQ(m.Gpr(reg::s4), 0x40000000u);
    EXPECT_EQ(m.Gpr(reg::s5), 0xFFFFFFFFC0000000ull);
    EXPECT_EQ(m.Gpr(reg::s6), 0x8000000000000000ull);
    EXPECT_EQ(m.Gpr(reg::s7), 0xFFFFFFFFC0000000ull);
    EXPECT_EQ(m.Gpr(reg::t5), 0x400000000ull);
    EXPECT_EQ(m.Gpr(reg::t6), 0x0FFFFFFFF8000000ull);
    EXPECT_EQ(m.Gpr(reg::t7), 0xFFFFFFFFu);
    EXPECT_EQ(m.Gpr(reg::t8), ~0ull);
    EXPECT_EQ(m.Gpr(reg::t9), 0u);
}

TEST(EeInteger, MovesAndShiftAmount) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    m.Run(R"(
        li $t0, 5
        li $s0, 1
        li $s1, 1
        movz $s0, $t0, $zero
        movn $s1, $t0, $zero
        mthi $t0
        li $t1, -2
        mtlo $t1
        mfhi $s2
        mflo $s3
        mtsa $t0
        mfsa $s4
        li $t2, 0xFFFF
        mtsah $t2, 0xFFFA       # (0xFFFF ^ 0xFFFA) & 7 = 5 halfwords
        mfsa $s5
    done:
    )");
    EXPECT_EQ(m.Gpr(reg::s0), 5u);
    EXPECT_EQ(m.Gpr(reg::s1), 1u);
    EXPECT_EQ(m.Gpr(reg::s2), 5u);
    EXPECT_EQ(m.Gpr(reg::s3), static_cast<uint64_t>(-2));
    EXPECT_EQ(m.Gpr(reg::s4), 5u);
    EXPECT_EQ(m.Gpr(reg::s5), 80u);
}

TEST(EeInteger, MultiplyWritesHiLoAndRd) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    m.Run(R"(
        li $t0, 0x10000
        li $t1, -0x30000
        mult $s0, $t0, $t1      # -0x3_0000_0000
        mfhi $s1
        mflo $s2
        li $t2, 0x40000000
        mult1 $s3, $t2, $t2     # 0x1000_0000_0000_0000 into HI1 and LO1
        mfhi1 $s4
        mflo1 $s5
        mthi1 $t0
        mtlo1 $t1
        mfhi1 $s6
        mflo1 $s7
    done:
    )");
    EXPECT_EQ(m.Gpr(reg::s0), 0u);
    EXPECT_EQ(m.Gpr(reg::s1), static_cast<uint64_t>(-3));
    EXPECT_EQ(m.Gpr(reg::s2), 0u);
    EXPECT_EQ(m.state().lo.lower, 0u);
    EXPECT_EQ(m.Gpr(reg::s3), 0u);
    EXPECT_EQ(m.Gpr(reg::s4), 0x10000000u);
    EXPECT_EQ(m.Gpr(reg::s5), 0u);
    EXPECT_EQ(m.Gpr(reg::s6), 0x10000u);
    EXPECT_EQ(m.Gpr(reg::s7), static_cast<uint64_t>(-0x30000));
    EXPECT_EQ(m.state().hi.lower, static_cast<uint64_t>(-3));  // pipeline 1 left HI0 alone
}

TEST(EeInteger, MultiplyResultHalvesAreSignExtended) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    m.Run(R"(
        li $t0, 0xC0000000
        li $t1, 3
        mult $s0, $t0, $t1      # -0x3_0000_0000 * ... = 0xFFFFFFFF_40000000 as 64 bits
    done:
    )");
    EXPECT_EQ(m.state().lo.lower, 0x40000000u);
    EXPECT_EQ(m.state().hi.lower, ~0ull);
    EXPECT_EQ(m.Gpr(reg::s0), 0x40000000u);
}

struct DivideCase {
    const char* instruction;
    int32_t dividend;
    int32_t divisor;
    uint64_t lo;
    uint64_t hi;
};

TEST(EeInteger, DivideIncludingTheCasesThatMustNotTrap) {
    SKIP_WITHOUT_MIPS_TOOLS();
    const DivideCase cases[] = {
        {"div", 7, -2, static_cast<uint64_t>(-3), 1},
        {"div", -7, 2, static_cast<uint64_t>(-3), static_cast<uint64_t>(-1)},
        {"div", 9, 0, ~0ull, 9},
        {"div", -9, 0, 1, static_cast<uint64_t>(-9)},
        {"div", INT32_MIN, -1, 0xFFFFFFFF80000000ull, 0},
        {"divu", -1, 2, 0x7FFFFFFF, 1},
        {"divu", -7, 0, ~0ull, static_cast<uint64_t>(-7)},
        {"divu", 7, 0, ~0ull, 7},
    };
    for (const DivideCase& c : cases) {
        EeMachine m;
        m.state().gpr[reg::t0].lower = static_cast<uint64_t>(static_cast<int64_t>(c.dividend));
        m.state().gpr[reg::t1].lower = static_cast<uint64_t>(static_cast<int64_t>(c.divisor));
        m.Run(std::string(c.instruction) + " $zero, $t0, $t1\n done:\n");
        EXPECT_EQ(m.state().lo.lower, c.lo) << c.instruction << " " << c.dividend << " / " << c.divisor;
        EXPECT_EQ(m.state().hi.lower, c.hi) << c.instruction << " " << c.dividend << " / " << c.divisor;
    }
}

TEST(EeInteger, ParallelInstructions) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    EeState& s = m.state();
    s.gpr[reg::t0] = Reg128{0x0000000300000002, 0x0000000100000000};  // words 3, 2, 1, 0
    s.gpr[reg::t1] = Reg128{0x0000001300000012, 0x0000001100000010};  // words 0x13 .. 0x10
    s.gpr[reg::t2] = Reg128{0xFFFFFFF0FFFFFFF0, 0xFFFFFFF0FFFFFFF0};
    s.gpr[reg::t3] = Reg128{0x0000002000000020, 0x0000002000000020};
    s.gpr[reg::t4] = Reg128{0x0102030405060708, 0x00FF10203040FF01};
    s.gpr[reg::t5] = Reg128{0x0101010101010101, 0x0102030405060708};
    s.gpr[reg::t6] = Reg128{0xAAAAAAAA0000BEEF, 0x123456789ABCCAFE};
    m.Run(R"(
        pextlw $s0, $t0, $t1
        pextuw $s1, $t0, $t1
        padduw $s2, $t2, $t3
        padduw $s3, $t0, $t1
        psubb $s4, $t4, $t5
        pcpyld $s5, $t0, $t1
        pcpyud $s6, $t0, $t1
        pand $s7, $t4, $t5
        por $t7, $t0, $t1
        pnor $t8, $t0, $t1
        pcpyh $t9, $t6
        pextlw $t0, $t0, $t0    # the destination may be a source
    done:
    )");
    EXPECT_EQ(m.state().gpr[reg::s0], (Reg128{0x0000000100000011, 0x0000000000000010}));
    EXPECT_EQ(m.state().gpr[reg::s1], (Reg128{0x0000000300000013, 0x0000000200000012}));
    EXPECT_EQ(m.state().gpr[reg::s2], (Reg128{~0ull, ~0ull}));
    EXPECT_EQ(m.state().gpr[reg::s3], (Reg128{0x0000001600000014, 0x0000001200000010}));
    EXPECT_EQ(m.state().gpr[reg::s4], (Reg128{0x0001020304050607, 0xFFFD0D1C2B3AF8F9}));
    EXPECT_EQ(m.state().gpr[reg::s5], (Reg128{0x0000000100000000, 0x0000001100000010}));
    EXPECT_EQ(m.state().gpr[reg::s6], (Reg128{0x0000001300000012, 0x0000000300000002}));
    EXPECT_EQ(m.state().gpr[reg::s7], (Reg128{0x0100010001000100, 0x0002000000000700}));
    EXPECT_EQ(m.state().gpr[reg::t7], (Reg128{0x0000001300000012, 0x0000001100000010}));
    EXPECT_EQ(m.state().gpr[reg::t8], (Reg128{0xFFFFFFECFFFFFFED, 0xFFFFFFEEFFFFFFEF}));
    EXPECT_EQ(m.state().gpr[reg::t9], (Reg128{0xBEEFBEEFBEEFBEEF, 0xCAFECAFECAFECAFE}));
    EXPECT_EQ(m.state().gpr[reg::t0], (Reg128{0x0000000100000001, 0x0000000000000000}));
}

}  // namespace
}  // namespace vertigon
