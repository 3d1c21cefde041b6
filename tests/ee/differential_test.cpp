// Programs made of instructions the R5900 shares with MIPS32 run in the interpreter and under
// qemu-mipsel; both must leave the same registers and memory. The programs are generated from
// fixed seeds, so every run checks the same code.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "ee/program_image.h"
#include "tests/ee/ee_machine.h"

namespace vertigon {
namespace {

using testing::EeMachine;
using testing::LinkedProgram;

constexpr int kAreaBytes = 64;
// 16 work registers and HI, LO, stored as words before the memory area.
constexpr int kResultBytes = 18 * 4;
const char* const kWork[] = {"$t0", "$t1", "$t2", "$t3", "$t4", "$t5", "$t6", "$t7",
                             "$s0", "$s1", "$s2", "$s3", "$s4", "$s5", "$s6", "$s7"};

class ProgramGenerator {
public:
    explicit ProgramGenerator(uint32_t seed) : random_(seed) {}

    std::string Generate(int instructions) {
        std::ostringstream out;
        out << ".globl _start\n_start:\n    la $a0, area\n";
        for (const char* r : kWork) out << "    li " << r << ", " << Word() << "\n";
        out << "    li $v0, " << Word() << "\n    mthi $v0\n    li $v0, " << Word() << "\n    mtlo $v0\n";
        for (int i = 0; i < instructions; ++i) Instruction(out);
        out << "    la $a1, result\n";
        for (int i = 0; i < 16; ++i) out << "    sw " << kWork[i] << ", " << 4 * i << "($a1)\n";
        out << "    mfhi $t0\n    sw $t0, 64($a1)\n    mflo $t0\n    sw $t0, 68($a1)\n";
        out << "done:\n    li $v0, 4004\n    li $a0, 1\n    la $a1, result\n    li $a2, " << kResultBytes + kAreaBytes
            << "\n    syscall\n    li $v0, 4001\n    li $a0, 0\n    syscall\n";
        out << ".data\n.align 4\nresult: .space " << kResultBytes << "\narea:\n";
        for (int i = 0; i < kAreaBytes / 4; ++i) out << "    .word " << Word() << "\n";
        return out.str();
    }

private:
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>(random_() % n); }
    std::string Word() { return std::to_string(static_cast<int32_t>(random_())); }
    const char* Reg() { return kWork[Below(16)]; }

    // One ALU instruction: also what fills delay slots.
    void Alu(std::ostringstream& out) {
        static const char* const kThree[] = {"addu", "subu", "and", "or", "xor", "nor", "slt", "sltu",
                                             "sllv", "srlv", "srav", "movz", "movn"};
        static const char* const kShift[] = {"sll", "srl", "sra"};
        static const char* const kSigned[] = {"addiu", "slti", "sltiu"};
        static const char* const kUnsigned[] = {"andi", "ori", "xori"};
        switch (Below(5)) {
            case 0:
            case 1: out << "    " << kThree[Below(13)] << " " << Reg() << ", " << Reg() << ", " << Reg() << "\n"; break;
            case 2: out << "    " << kShift[Below(3)] << " " << Reg() << ", " << Reg() << ", " << Below(32) << "\n"; break;
            case 3:
                out << "    " << kSigned[Below(3)] << " " << Reg() << ", " << Reg() << ", " << static_cast<int>(Below(65536)) - 32768
                    << "\n";
                break;
            default:
                if (Below(4) == 0) {
                    out << "    lui " << Reg() << ", " << Below(65536) << "\n";
                } else {
                    out << "    " << kUnsigned[Below(3)] << " " << Reg() << ", " << Reg() << ", " << Below(65536) << "\n";
                }
        }
    }

    void Memory(std::ostringstream& out) {
        switch (Below(12)) {
            case 0: out << "    lb " << Reg() << ", " << Below(64) << "($a0)\n"; break;
            case 1: out << "    lbu " << Reg() << ", " << Below(64) << "($a0)\n"; break;
            case 2: out << "    lh " << Reg() << ", " << 2 * Below(32) << "($a0)\n"; break;
            case 3: out << "    lhu " << Reg() << ", " << 2 * Below(32) << "($a0)\n"; break;
            case 4: out << "    lw " << Reg() << ", " << 4 * Below(16) << "($a0)\n"; break;
            case 5: out << "    lwl " << Reg() << ", " << Below(64) << "($a0)\n"; break;
            case 6: out << "    lwr " << Reg() << ", " << Below(64) << "($a0)\n"; break;
            case 7: out << "    sb " << Reg() << ", " << Below(64) << "($a0)\n"; break;
            case 8: out << "    sh " << Reg() << ", " << 2 * Below(32) << "($a0)\n"; break;
            case 9: out << "    sw " << Reg() << ", " << 4 * Below(16) << "($a0)\n"; break;
            case 10: out << "    swl " << Reg() << ", " << Below(64) << "($a0)\n"; break;
            default: out << "    swr " << Reg() << ", " << Below(64) << "($a0)\n"; break;
        }
    }

    void MultiplyDivide(std::ostringstream& out) {
        switch (Below(5)) {
            case 0: out << "    mult " << Reg() << ", " << Reg() << "\n"; break;
            case 1:
            case 2: {
                // A positive divisor keeps clear of division by zero and INT_MIN / -1, which
                // MIPS32 leaves undefined.
                out << "    srl $v0, " << Reg() << ", 1\n    ori $v0, $v0, 1\n";
                out << "    " << (Below(2) ? "div" : "divu") << " $zero, " << Reg() << ", $v0\n";
                break;
            }
            case 3: out << "    " << (Below(2) ? "mfhi " : "mflo ") << Reg() << "\n"; break;
            default: out << "    " << (Below(2) ? "mthi " : "mtlo ") << Reg() << "\n"; break;
        }
    }

    // A forward branch or jump over one instruction, with an ALU delay slot.
    void ControlTransfer(std::ostringstream& out) {
        // Appended rather than "L" + to_string: GCC 12 at -O3 warns falsely (-Wrestrict) on the
        // insert that operator+ inlines.
        std::string label = "L";
        label += std::to_string(labels_++);
        static const char* const kTwo[] = {"beq", "bne", "beql", "bnel"};
        static const char* const kOne[] = {"blez", "bgtz", "bltz", "bgez", "blezl", "bltzl", "bgezl"};
        switch (Below(6)) {
            case 0:
            case 1: {
                const char* a = Reg();
                out << "    " << kTwo[Below(4)] << " " << a << ", " << (Below(3) == 0 ? a : Reg()) << ", " << label << "\n";
                break;
            }
            case 2:
            case 3: out << "    " << kOne[Below(7)] << " " << Reg() << ", " << label << "\n"; break;
            case 4: out << "    jal " << label << "\n"; break;
            default: out << "    la $v0, " << label << "\n    " << (Below(2) ? "jr $v0" : "jalr $v1, $v0") << "\n"; break;
        }
        Alu(out);  // delay slot
        Alu(out);  // skipped when taken
        out << label << ":\n";
        // Fold the link registers into the work registers so that a wrong link shows.
        if (Below(2)) out << "    xor " << Reg() << ", " << Reg() << ", $ra\n";
        if (Below(2)) out << "    addu " << Reg() << ", " << Reg() << ", $v1\n";
    }

    void Instruction(std::ostringstream& out) {
        const uint32_t kind = Below(10);
        if (kind < 4) {
            Alu(out);
        } else if (kind < 7) {
            Memory(out);
        } else if (kind < 8) {
            MultiplyDivide(out);
        } else {
            ControlTransfer(out);
        }
    }

    std::mt19937 random_;
    int labels_ = 0;
};

class EeDifferentialTest : public ::testing::TestWithParam<uint32_t> {};

TEST_P(EeDifferentialTest, InterpreterMatchesQemu) {
    SKIP_WITHOUT_MIPS_TOOLS();
    SKIP_WITHOUT_TOOL(testing::QemuMipselAvailable(), "qemu-mipsel not found: install qemu-user (scripts/setup.sh)");
    const std::string source = ProgramGenerator(GetParam()).Generate(160);
    const LinkedProgram program = testing::LinkR5900Program(source);

    int status = -1;
    const std::vector<uint8_t> expected = testing::RunUnderQemuMipsel(program.elf, &status);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(expected.size(), static_cast<size_t>(kResultBytes + kAreaBytes));

    EeMachine m;
    LoadProgramImage(m.state(), program.elf);
    m.state().pc = program.Symbol("_start");
    const testing::MachineRun run = m.RunTo(program.Symbol("done"));
    ASSERT_TRUE(run.reachedStop) << run.fault;
    const uint8_t* actual = TranslateAddress(m.state(), program.Symbol("result"));
    for (int i = 0; i < kResultBytes + kAreaBytes; i += 4) {
        uint32_t want;
        uint32_t got;
        std::memcpy(&want, expected.data() + i, 4);
        std::memcpy(&got, actual + i, 4);
        EXPECT_EQ(got, want) << (i < kResultBytes ? "register word " : "memory word ") << i / 4 << "\n" << source;
    }
    // 32-bit results stay sign-extended in the 64-bit registers.
    for (int r = 9; r < 24; ++r) {
        const uint64_t value = m.state().gpr[r].lower;
        EXPECT_EQ(value, SignExtend32(static_cast<uint32_t>(value))) << "GPR " << r;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, EeDifferentialTest, ::testing::Values(1u, 2u, 3u, 4u, 5u, 6u));

}  // namespace
}  // namespace vertigon
