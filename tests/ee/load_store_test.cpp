// Loads and stores: extension rules, the unaligned merges in every alignment, byte exactness,
// quadwords, coprocessor transfers and the special addresses reached through instructions.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/ee/ee_machine.h"

namespace vertigon {
namespace {

using testing::EeMachine;
namespace reg = testing::reg;

constexpr uint32_t kData = 0x00200000;

void PutBytes(EeMachine& m, uint32_t address, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) *TranslateAddress(m.state(), address++) = b;
}

TEST(EeLoadStore, LoadsExtendAsTheirWidthSays) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    PutBytes(m, kData, {0x80, 0xFF, 0x34, 0x92});
    m.state().gpr[reg::a0].lower = kData;
    m.Run(R"(
        lb $s0, 0($a0)
        lbu $s1, 0($a0)
        lh $s2, 2($a0)
        lhu $s3, 2($a0)
        lw $s4, 0($a0)
        lwu $s5, 0($a0)
        lh $s6, 1($a0)          # misaligned: used as computed
    done:
    )");
    EXPECT_EQ(m.Gpr(reg::s0), 0xFFFFFFFFFFFFFF80ull);
    EXPECT_EQ(m.Gpr(reg::s1), 0x80u);
    EXPECT_EQ(m.Gpr(reg::s2), 0xFFFFFFFFFFFF9234ull);
    EXPECT_EQ(m.Gpr(reg::s3), 0x9234u);
    EXPECT_EQ(m.Gpr(reg::s4), 0xFFFFFFFF9234FF80ull);
    EXPECT_EQ(m.Gpr(reg::s5), 0x9234FF80u);
    EXPECT_EQ(m.Gpr(reg::s6), 0x34FFu);
}

TEST(EeLoadStore, WordMergeLoadsInAllFourAlignments) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    PutBytes(m, kData, {0x11, 0x22, 0x33, 0x44});
    m.state().gpr[reg::a0].lower = kData;
    m.Run(R"(
        li $t0, 0xAABBCCDD
        move $s0, $t0
        move $s1, $t0
        move $s2, $t0
        move $s3, $t0
        move $s4, $t0
        move $s5, $t0
        move $s6, $t0
        move $s7, $t0
        lwl $s0, 0($a0)
        lwl $s1, 1($a0)
        lwl $s2, 2($a0)
        lwl $s3, 3($a0)
        lwr $s4, 0($a0)
        lwr $s5, 1($a0)
        lwr $s6, 2($a0)
        lwr $s7, 3($a0)
    done:
    )");
    EXPECT_EQ(m.Gpr(reg::s0), 0x11BBCCDDu);
    EXPECT_EQ(m.Gpr(reg::s1), 0x2211CCDDu);
    EXPECT_EQ(m.Gpr(reg::s2), 0x332211DDu);
    EXPECT_EQ(m.Gpr(reg::s3), 0x44332211u);
    EXPECT_EQ(m.Gpr(reg::s4), 0x44332211u);
    EXPECT_EQ(m.Gpr(reg::s5), 0xFFFFFFFFAA443322ull);
    EXPECT_EQ(m.Gpr(reg::s6), 0xFFFFFFFFAABB4433ull);
    EXPECT_EQ(m.Gpr(reg::s7), 0xFFFFFFFFAABBCC44ull);
}

TEST(EeLoadStore, LwlAndLwrTogetherLoadAnUnalignedWordSignExtended) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    PutBytes(m, kData, {0x01, 0x02, 0x03, 0x84, 0x05, 0x06, 0x07, 0x08});
    m.state().gpr[reg::a0].lower = kData;
    m.Run(R"(
        lwl $s0, 3($a0)
        lwr $s0, 0($a0)
        lwl $s1, 4($a0)
        lwr $s1, 1($a0)
    done:
    )");
    EXPECT_EQ(m.Gpr(reg::s0), 0xFFFFFFFF84030201ull);
    EXPECT_EQ(m.Gpr(reg::s1), 0x05840302u);
}

TEST(EeLoadStore, WordMergeStoresChangeOnlyTheirBytes) {
    SKIP_WITHOUT_MIPS_TOOLS();
    const uint32_t expectedLeft[4] = {0x443322AA, 0x4433AABB, 0x44AABBCC, 0xAABBCCDD};
    const uint32_t expectedRight[4] = {0xAABBCCDD, 0xBBCCDD11, 0xCCDD2211, 0xDD332211};
    for (int k = 0; k < 4; ++k) {
        for (const char* instruction : {"swl", "swr"}) {
            EeMachine m;
            PutBytes(m, kData, {0x99, 0x99, 0x99, 0x99, 0x11, 0x22, 0x33, 0x44, 0x99, 0x99, 0x99, 0x99});
            m.state().gpr[reg::a0].lower = kData + 4;
            m.state().gpr[reg::t0].lower = 0xFFFFFFFFAABBCCDD;
            m.Run(std::string(instruction) + " $t0, " + std::to_string(k) + "($a0)\n done:\n");
            const bool left = instruction[2] == 'l';
            EXPECT_EQ(m.Word(kData + 4), left ? expectedLeft[k] : expectedRight[k]) << instruction << " k=" << k;
            EXPECT_EQ(m.Word(kData), 0x99999999u);
            EXPECT_EQ(m.Word(kData + 8), 0x99999999u);
        }
    }
}

TEST(EeLoadStore, DoublewordMergesLoadAndStoreAnUnalignedDoubleword) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    PutBytes(m, kData, {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF});
    m.state().gpr[reg::a0].lower = kData;
    m.Run(R"(
        ldl $s0, 10($a0)        # the eight bytes at a0 + 3
        ldr $s0, 3($a0)
        li $s1, -1
        ldl $s1, 0($a0)         # k = 0: only the top byte
        li $s2, -1
        ldr $s2, 7($a0)         # k = 7: only the bottom byte
        ldl $s3, 7($a0)         # k = 7 and k = 0: the whole aligned doubleword
        ldr $s3, 0($a0)
        dli $t0, 0x0102030405060708
        sdl $t0, 0x25($a0)      # bytes 0x20-0x25 get the six top bytes
        sdr $t0, 0x35($a0)      # bytes 0x35-0x37 get the three bottom bytes
        sd $t0, 0x40($a0)
        ld $s4, 0x40($a0)
        sdl $t0, 0x57($a0)
        sdr $t0, 0x50($a0)
    done:
    )");
    EXPECT_EQ(m.Gpr(reg::s0), 0xAA99887766554433ull);
    EXPECT_EQ(m.Gpr(reg::s1), 0x00FFFFFFFFFFFFFFull);
    EXPECT_EQ(m.Gpr(reg::s2), 0xFFFFFFFFFFFFFF77ull);
    EXPECT_EQ(m.Gpr(reg::s3), 0x7766554433221100ull);
    const uint8_t sdlBytes[8] = {0x06, 0x05, 0x04, 0x03, 0x02, 0x01, 0x00, 0x00};
    const uint8_t sdrBytes[8] = {0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x07, 0x06};
    for (uint32_t i = 0; i < 8; ++i) {
        EXPECT_EQ(m.Byte(kData + 0x20 + i), sdlBytes[i]) << i;
        EXPECT_EQ(m.Byte(kData + 0x30 + i), sdrBytes[i]) << i;
    }
    EXPECT_EQ(m.Gpr(reg::s4), 0x0102030405060708ull);
    EXPECT_EQ(LoadHost<uint64_t>(TranslateAddress(m.state(), kData + 0x50)), 0x0102030405060708ull);
}

TEST(EeLoadStore, NarrowStoresWriteExactlyTheirBytes) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    PutBytes(m, kData, {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE});
    m.state().gpr[reg::a0].lower = kData;
    m.Run(R"(
        li $t0, -0x1234 
        sh $t0, 1($a0)
        sb $t0, 4($a0)
        sw $t0, 5($a0)          # misaligned: used as computed
    done:
    )");
    const uint8_t expected[10] = {0xEE, 0xCC, 0xED, 0xEE, 0xCC, 0xCC, 0xED, 0xFF, 0xFF, 0x00};
    for (uint32_t i = 0; i < 10; ++i) EXPECT_EQ(m.Byte(kData + i), expected[i]) << i;
}

TEST(EeLoadStore, QuadwordsMoveAll128BitsAtTheComputedAddress) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    m.state().gpr[reg::a0].lower = kData;
    m.state().gpr[reg::t0] = Reg128{0x0F0E0D0C0B0A0908, 0x0706050403020100};
    m.Run(R"(
        sq $t0, 0($a0)
        lq $s0, 0($a0)
        sq $t0, 0x24($a0)       # the low four bits are not cleared
        lq $s1, 0x22($a0)
    done:
    )");
    for (uint32_t i = 0; i < 16; ++i) {
        EXPECT_EQ(m.Byte(kData + i), i);
        EXPECT_EQ(m.Byte(kData + 0x24 + i), i);
    }
    EXPECT_EQ(m.Byte(kData + 0x20), 0);
    EXPECT_EQ(m.state().gpr[reg::s0], m.state().gpr[reg::t0]);
    EXPECT_EQ(m.state().gpr[reg::s1], (Reg128{0x0D0C0B0A09080706, 0x0504030201000000}));
}

TEST(EeLoadStore, CoprocessorTransfers) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    EeState& s = m.state();
    s.gpr[reg::a0].lower = kData;
    s.fpr[3] = 1.5f;
    s.vf[4] = VuVector{{1.0f, -2.0f, 3.5f, 0.25f}};
    m.Run(R"(
        swc1 $f3, 0($a0)
        lwc1 $f5, 0($a0)
        sqc2 $vf4, 0x10($a0)
        lqc2 $vf6, 0x10($a0)
        lqc2 $vf0, 0x10($a0)    # VF[0] is reset before the next step
        nop
    done:
    )");
    EXPECT_EQ(m.Word(kData), 0x3FC00000u);
    EXPECT_EQ(s.fpr[5], 1.5f);
    EXPECT_EQ(m.Word(kData + 0x10), 0x3F800000u);
    EXPECT_EQ(m.Word(kData + 0x14), 0xC0000000u);
    EXPECT_EQ(m.Word(kData + 0x1C), 0x3E800000u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(s.vf[6].c[i], s.vf[4].c[i]);
    EXPECT_EQ(s.vf[0].c[0], 0.0f);
    EXPECT_EQ(s.vf[0].c[3], 1.0f);
}

TEST(EeLoadStore, SpecialAddressesThroughInstructions) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    m.state().hwRegisters.words[0xE01] = 0x1;
    m.Run(R"(
        li $a0, 0x1000F180
        li $t0, 0x41
        sb $t0, 0($a0)          # one character
        li $t0, 0x0A
        sb $t0, 0($a0)
        li $a0, 0x1000F520
        lw $s0, 0($a0)
        li $a0, 0x10001810
        lw $s1, 0($a0)
        lui $a1, 0x1200
        lw $s2, 0($a1)
        li $t1, 0x00010001
        li $a0, 0x1000E010
        sw $t1, 0($a0)
        lw $s3, 0($a0)
        sq $t1, 0($a1)          # reported, dropped, and execution goes on
        lui $a2, 0x1100
        sd $t1, 0($a2)          # ignored
        lui $a3, 0xFF00
        lb $s4, 0x10($a3)
    done:
    )");
    EXPECT_EQ(m.output(), "A\nUnhandled register type 2000000\n");
    EXPECT_EQ(m.Gpr(reg::s0), 0x1201u);
    EXPECT_EQ(m.Gpr(reg::s1), 1u);
    EXPECT_EQ(m.Gpr(reg::s2), 0x2000u);
    EXPECT_EQ(m.Gpr(reg::s3), 0x00010000u);
    EXPECT_EQ(m.Gpr(reg::s4), 0u);
}

TEST(EeLoadStore, ScratchpadThroughInstructions) {
    SKIP_WITHOUT_MIPS_TOOLS();
    EeMachine m;
    const std::string fault = m.RunToFault(R"(
        lui $a0, 0x7000
        li $t0, 0x5A
        sb $t0, 0x3FFF($a0)
        lbu $s0, 0x3FFF($a0)
        lbu $s1, 0x4000($a0)
    )");
    EXPECT_EQ(fault, "Access to unmapped memory 70004000\n");
    EXPECT_EQ(m.Gpr(reg::s0), 0x5Au);
}

TEST(EeLoadStore, MemoryFaultsThroughInstructions) {
    SKIP_WITHOUT_MIPS_TOOLS();
    const struct {
        const char* source;
        const char* message;
    } cases[] = {
        {"lui $a0, 0x1000\n ld $t0, 0($a0)", "Error: trying to directly access the registers memory !\n"},
        {"lui $a0, 0x1000\n lq $t0, 0x4000($a0)", "Unsupported fetchQWordFromRegisters\n"},
        {"lui $a0, 0x1000\n sqc2 $vf1, 0x4000($a0)", "Error: trying to directly access the registers memory !\n"},
        {"lui $a0, 0x1000\n sh $t0, 0($a0)", "Unhandled general register 0 to write half word to\n"},
        {"lui $a0, 0x1000\n sq $t0, 0x10($a0)", "Unhandled general register 10 to write QWord to\n"},
        {"lui $a0, 0x1000\n sw $t0, 4($a0)", "Unhandled general register 4 to write long int to\n"},
        {"lui $a0, 0x1100\n lb $t0, 0($a0)", "Unhandled register type 1000000\n"},
        {"lui $a0, 0x1000\n lbu $t0, 0($a0)", "Unhandled general register 0 to fetch byte from\n"},
    };
    for (const auto& c : cases) {
        EeMachine m;
        EXPECT_EQ(m.RunToFault(c.source), c.message) << c.source;
    }
}

}  // namespace
}  // namespace vertigon
