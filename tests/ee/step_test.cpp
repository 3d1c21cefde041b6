// Fetch, the NOP shortcut, delay slots, native hooks, SYSCALL and the decoders' fault messages.
#include <gtest/gtest.h>

#include "ee/fault.h"
#include "ee/interpreter.h"
#include "ee/memory.h"
#include "ee/run_loop.h"
#include "tests/ee/ee_machine.h"

namespace vertigon {
namespace {

using testing::EeMachine;
namespace reg = testing::reg;

TEST(EeStep, ZeroWordAdvancesPcAndChangesNothingElse) {
    EeMachine m;
    EeState& s = m.state();
    s.pc = 0x1000;
    s.gpr[reg::t0].lower = 5;
    s.vf[0].c[0] = 9;
    s.vf[1].c[3] = 2;
    const auto gprBefore = s.gpr;
    Step(s);
    EXPECT_EQ(s.pc, 0x1004u);
    EXPECT_EQ(s.gpr, gprBefore);
    EXPECT_EQ(s.vf[0].c[0], 0.0f);
    EXPECT_EQ(s.vf[0].c[3], 1.0f);
    EXPECT_EQ(s.vf[1].c[3], 2.0f);
}

TEST(EeStep, FetchFollowsTheWordReadRules) {
    EeMachine m;
    EeState& s = m.state();
    s.pc = 0xBF80141C;  // reads as 0: a NOP
    Step(s);
    EXPECT_EQ(s.pc, 0xBF801420u);
    s.pc = 0x1000F520;  // the window reads 0x1201: SPECIAL funct 1
    EXPECT_THROW(
        try { Step(s); } catch (const EeFault& f) {
            EXPECT_STREQ(f.what(), "Unknown special opcode 1!\n");
            throw;
        },
        EeFault);
    s.pc = 0x02000000;
    EXPECT_THROW(
        try { Step(s); } catch (const EeFault& f) {
            EXPECT_STREQ(f.what(), "Access to unmapped memory 2000000\n");
            throw;
        },
        EeFault);
}

TEST(EeStep, RegisterZeroReadsZeroInAllBitsAfterEveryInstruction) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    EeState& s = m.state();
    s.gpr[reg::t1] = Reg128{0x1111111111111111, 0x2222222222222222};
    m.Load(R"(
        por $zero, $t1, $t1        # a 128-bit write to r0
        pcpyud $t2, $zero, $zero   # its upper half is zero too
        addiu $zero, $zero, 7
        addu $t0, $zero, $zero
        beq $zero, $zero, 1f
        addiu $zero, $zero, 5      # a delay slot writing r0
    1:  por $t3, $zero, $zero
    done:
    )");
    Step(s);
    EXPECT_EQ(s.gpr[0], Reg128{});
    m.RunToDone();
    EXPECT_EQ(s.gpr[reg::t2], Reg128{});
    EXPECT_EQ(m.Gpr(reg::t0), 0u);
    EXPECT_EQ(s.gpr[reg::t3], Reg128{});
}

TEST(EeStep, TakenBranchUsesOperandsFromBeforeItsDelaySlot) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    m.Run(R"(
        li $t0, 1
        li $t1, 1
        beq $t0, $t1, taken
        addiu $t1, $t1, 1       # delay slot changes an operand; the branch is still taken
        li $t2, 0xBAD
    taken:
        li $t3, 0x600D
    done:
    )");
    EXPECT_EQ(m.Gpr(reg::t1), 2u);
    EXPECT_EQ(m.Gpr(reg::t2), 0u);
    EXPECT_EQ(m.Gpr(reg::t3), 0x600Du);
}

TEST(EeStep, NotTakenBranchRunsItsDelaySlotAsTheNextStep) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    const auto& code = m.Load(R"(
        bne $zero, $zero, away
        addiu $t0, $zero, 3
    away:
    )");
    Step(m.state());
    EXPECT_EQ(m.state().pc, code.base + 4);
    EXPECT_EQ(m.Gpr(reg::t0), 0u);
    Step(m.state());
    EXPECT_EQ(m.Gpr(reg::t0), 3u);
}

TEST(EeStep, NotTakenLikelyBranchSkipsItsDelaySlot) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    const auto& code = m.Load(R"(
        bnel $zero, $zero, away
        addiu $t0, $zero, 3
        addiu $t1, $zero, 4
    away:
    )");
    Step(m.state());
    EXPECT_EQ(m.state().pc, code.base + 8);
    EXPECT_EQ(m.Gpr(reg::t0), 0u);
    Step(m.state());
    EXPECT_EQ(m.Gpr(reg::t1), 4u);
}

TEST(EeStep, TakenLikelyBranchesRunTheirDelaySlot) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    m.Run(R"(
        li $t0, -1
        beql $zero, $zero, 1f
        addiu $s0, $s0, 1
        nop
    1:  bnel $t0, $zero, 2f
        addiu $s0, $s0, 1
        nop
    2:  blezl $t0, 3f
        addiu $s0, $s0, 1
        nop
    3:  bltzl $t0, 4f
        addiu $s0, $s0, 1
        nop
    4:  bgezl $zero, done
        addiu $s0, $s0, 1
        nop
    done:
    )");
    EXPECT_EQ(m.Gpr(reg::s0), 5u);
}

TEST(EeStep, ConditionalBranchesTestSigned64BitValues) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    // t0 = 0x80000000_00000000: negative as 64 bits although its low word is 0.
    m.Run(R"(
        li $t0, 1
        dsll32 $t0, $t0, 31
        bgtz $t0, 1f
        nop
        ori $s0, $s0, 1
    1:  blez $t0, 2f
        nop
        ori $s0, $s0, 2
    2:  bltz $t0, 3f
        nop
        ori $s0, $s0, 4
    3:  bgez $t0, 4f
        nop
        ori $s0, $s0, 8
    4:  beq $t0, $zero, 5f
        nop
        ori $s0, $s0, 16
    5:
    done:
    )");
    EXPECT_EQ(m.Gpr(reg::s0), 1u | 8u | 16u);
}

TEST(EeStep, BranchLikelyFarOffsetLandsRelativeToTheDelaySlot) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    const auto& code = m.Load(R"(
        beql $zero, $zero, far
        nop
        .space 0x8000 - 4
    far:
        li $t0, 1
    )");
    Step(m.state());
    Step(m.state());  // the delay slot
    EXPECT_EQ(m.state().pc, code.base + 4 + 0x8000);
    EXPECT_EQ(m.state().pc, code.Symbol("far"));
}

TEST(EeStep, JalLinksTheAddressAfterItsDelaySlotSignExtended) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    const auto& code = m.Load(R"(
        jal sub
        li $ra, 0x1234          # the link is written after the delay slot runs
        b done
        nop
    sub:
        jr $ra
        addiu $t0, $zero, 9
    done:
    )",
                              0x80100000);
    Step(m.state());
    EXPECT_EQ(m.state().pc, code.base + 4);  // the delay slot is a step of its own
    Step(m.state());
    EXPECT_EQ(m.state().pc, code.Symbol("sub"));
    EXPECT_EQ(m.Gpr(reg::ra), 0xFFFFFFFF80100008ull);
    EXPECT_TRUE(m.RunTo(code.Symbol("done")).reachedStop);
    EXPECT_EQ(m.Gpr(reg::t0), 9u);
}

TEST(EeStep, JalrReadsItsTargetBeforeTheDelaySlotAndLinksAfter) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    const auto& code = m.Load(R"(
        la $t1, sub
        jalr $s1, $t1
        la $t1, wrong           # too late to change the target
        b done
        nop
    wrong:
        li $t2, 0xBAD
    sub:
        jr $s1
        nop
    done:
    )");
    EXPECT_TRUE(m.RunTo(code.Symbol("done")).reachedStop);
    EXPECT_EQ(m.Gpr(reg::s1), code.base + 16);
    EXPECT_EQ(m.Gpr(reg::t2), 0u);
}

TEST(EeStep, JumpKeepsTheTopBitsOfTheDelaySlotAddress) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    const auto& code = m.Load(R"(
        j target
        nop
        .space 64
    target:
        nop
    )",
                              0xA0100000);
    Step(m.state());
    Step(m.state());
    EXPECT_EQ(m.state().pc, code.Symbol("target"));
    EXPECT_EQ(m.state().pc & 0xF0000000, 0xA0000000u);
}

TEST(EeStep, TheDelaySlotIsAStepOfItsOwnThatRunLoopsSee) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    const auto& code = m.Load(R"(
        jal sub
        addiu $t0, $zero, 3     # delay slot
    sub:
        addiu $t1, $t0, 1
    done:
    )");
    const uint32_t slot = code.base + 4;
    RunResult run = RunUntilStop(m.state(), RunPlan{.entry = code.base, .stop = slot, .stepBound = 10});
    EXPECT_TRUE(run.finished());
    EXPECT_EQ(run.steps, 1u);
    EXPECT_EQ(m.Gpr(reg::t0), 0u);
    EXPECT_EQ(m.Gpr(reg::ra), 0u);  // linked once the slot has run

    run = RunUntilStop(m.state(), RunPlan{.entry = code.base, .stop = code.Symbol("done"), .stepBound = 10});
    EXPECT_TRUE(run.finished());
    EXPECT_EQ(run.steps, 3u);
    EXPECT_EQ(m.Gpr(reg::t1), 4u);
    EXPECT_EQ(m.Gpr(reg::ra), code.base + 8);
    run = RunUntilStop(m.state(), RunPlan{.entry = code.base, .stop = code.Symbol("done"), .stepBound = 2});
    EXPECT_EQ(run.outcome, RunResult::Outcome::StepBound);
}

// A taken branch in a delay slot runs its own slot, then the enclosing branch's target; chains
// of them are not limited.
TEST(EeStep, ABranchInADelaySlotRunsItsSlotThenTheEnclosingTarget) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    m.Run(R"(
        b outer
        b inner                 # in the delay slot
        addiu $s0, $s0, 1       # its own slot
    inner:
        addiu $s1, $s1, 1       # never reached
    outer:
        .rept 200
        b 1f
        .endr
    1:  addiu $s2, $s2, 1       # the last slot, then the first branch's target: here again
        b done
        nop
    done:
    )");
    EXPECT_EQ(m.Gpr(reg::s0), 1u);
    EXPECT_EQ(m.Gpr(reg::s1), 0u);
    EXPECT_EQ(m.Gpr(reg::s2), 2u);
}

TEST(EeStep, BreakCallsTheNativeHookAndReturnsThroughRa) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    const auto& code = m.Load(R"(
        li $a0, 21
        jal hooked
        nop
        addiu $s0, $v0, 1
    done:
        nop
    hooked:                     # replaced by a BREAK
        li $v0, 0xBAD
        jr $ra
        nop
    )");
    m.InstallHook(code.Symbol("hooked"), [](EeState& s) {
        s.gpr[2].lower = s.gpr[4].lower * 2;
    });
    m.RunToDone();
    EXPECT_EQ(m.Gpr(reg::v0), 42u);
    EXPECT_EQ(m.Gpr(reg::s0), 43u);
}

TEST(EeStep, BreakWithoutAHookEntryIsAFault) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    EXPECT_EQ(m.RunToFault("break 0, 5\n"), "Unknown native hook 5!\n");
}

TEST(EeStep, SyscallCases) {
    SKIP_WITHOUT_MIPS_TOOLS();
    {
        EeMachine m;
        m.Run("li $v1, 122\n syscall\n done:\n");
        EXPECT_EQ(m.Gpr(reg::v0), 0xFFu);
        EXPECT_EQ(m.output(), "SYSCALL[122]\n");
    }
    for (int number : {5, 117, -3}) {
        EeMachine m;
        const auto& code = m.Load("li $v1, " + std::to_string(number) + "\n nop\n call: syscall\n");
        EXPECT_TRUE(m.RunTo(0).reachedStop);
        EXPECT_EQ(m.state().cop0[13], 0x20u);
        EXPECT_EQ(m.state().cop0[14], code.Symbol("call"));
        const std::string expected =
            "SYSCALL[" + std::to_string(number) + "]\n" + (number == 117 ? "PRINT!\n" : "");
        EXPECT_EQ(m.output(), expected);
    }
    EeMachine high;
    const auto& code = high.Load("li $v1, 1\n call: syscall\n", 0x80100000);
    EXPECT_TRUE(high.RunTo(0).reachedStop);
    EXPECT_EQ(high.state().cop0[14], 0xFFFFFFFF00000000ull | code.Symbol("call"));
}

TEST(EeStep, UnknownEncodingsFaultWithTheirGroupsMessage) {
    SKIP_WITHOUT_MIPS_TOOLS();
    const struct {
        const char* instruction;
        const char* message;
    } cases[] = {
        {"bgtzl $t0, .", "Unknown opcode family 5C000000!\n"},
        {"daddi $t0, $t1, 1", "Unknown opcode family 60000000!\n"},
        {"pref 0, 0($t0)", "Unknown opcode family CC000000!\n"},
        {"teq $t0, $t1", "Unknown special opcode 34!\n"},
        {"multu $t0, $t1", "Unknown special opcode 19!\n"},
        {"dsrlv $t0, $t1, $t2", "Unknown special opcode 16!\n"},
        {"bltzal $t0, .", "Unknown REGIMM opcode 100000!\n"},
        {"madd $t0, $t1", "Unknown MMI opcode 0!\n"},
        {"plzcw $t0, $t1", "Unknown MMI opcode 4!\n"},
        {"paddw $t0, $t1, $t2", "Unknown MMI0 opcode 0!\n"},
        {"pabsw $t0, $t1", "Unknown MMI1 opcode 40!\n"},
        {"pmaddw $t0, $t1, $t2", "Unknown MMI2 opcode 0!\n"},
        {"pmadduw $t0, $t1, $t2", "Unknown MMI3 opcode 0!\n"},
    };
    for (const auto& c : cases) {
        EeMachine m;
        EXPECT_EQ(m.RunToFault(c.instruction), c.message) << c.instruction;
    }
}

}  // namespace
}  // namespace vertigon
