// vertigon-cli ee-run, run as a user would: a program assembled and linked at test time.

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "tests/ee/ee_machine.h"
#include "tests/fixtures/cli_runner.h"
#include "tests/fixtures/r5900_assembler.h"
#include "tests/fixtures/temp_dir.h"

namespace vertigon {
namespace {

testing::CliResult RunEeRun(const std::string& arguments) {
    return testing::RunCommandLine(std::string(VERTIGON_CLI_PATH) + " ee-run " + arguments);
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class CliEeRun : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_WITHOUT_MIPS_TOOLS();
        program_ = testing::LinkR5900Program(R"(
            .globl _start
        _start:
            addu $v0, $a0, $a1
            la $t0, table
            sw $v0, 4($t0)
        stop:
            li $t1, 0x41
            lui $t2, 0x1000
            sb $t1, -0xE80($t2)     # not the character port: 0x0FFFF180 is unmapped
        loop:
            b loop
            nop
        character:
            li $t2, 0x1000F180
            sb $t1, 0($t2)
        after_character:
            nop
        coprocessors:
            add.s $f2, $f0, $f1
            vadd.xyzw $vf3, $vf1, $vf2
            vsqrt $Q, $vf1w
            c.lt.s $f1, $f0
        after_coprocessors:
            nop
            .data
        table: .word 0x11111111, 0, 0x33333333
        )",
                                                      0x00100000);
        elf_ = dir_.Write("program.elf", program_.elf);
    }

    std::string Address(const std::string& label) const {
        char text[16];
        std::snprintf(text, sizeof text, "0x%X", program_.Symbol(label));
        return text;
    }

    testing::TempDir dir_;
    testing::LinkedProgram program_;
    std::string elf_;
};

TEST_F(CliEeRun, RunsToTheStopAddressAndPrintsRegistersAndMemory) {
    const testing::CliResult run = RunEeRun(elf_ + " --entry " + Address("_start") + " --stop " + Address("stop") +
                                          " --set a0=40 --set a1=-2 --set t9=0x0102030405060708090a0b0c0d0e0f10" +
                                          " --dump " + Address("table") + ":12");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "\"outcome\":\"stop\"")) << run.out;
    EXPECT_TRUE(Has(run.out, "\"steps\":4,")) << run.out;
    EXPECT_TRUE(Has(run.out, "\"v0\":\"00000000000000000000000000000026\"")) << run.out;
    EXPECT_TRUE(Has(run.out, "\"a1\":\"0000000000000000fffffffffffffffe\"")) << run.out;
    EXPECT_TRUE(Has(run.out, "\"t9\":\"0102030405060708090a0b0c0d0e0f10\"")) << run.out;
    EXPECT_TRUE(Has(run.out, "\"bytes\":\"111111112600000033333333\"")) << run.out;
    char pc[32];
    std::snprintf(pc, sizeof pc, "\"pc\":\"%08x\"", program_.Symbol("stop"));
    EXPECT_TRUE(Has(run.out, pc)) << run.out;
}

TEST_F(CliEeRun, FaultPrintsTheMessageOnStandardErrorAndExits1) {
    const testing::CliResult run = RunEeRun(elf_ + " --entry " + Address("_start") + " --stop " + Address("loop"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Access to unmapped memory FFFF180\n");
    EXPECT_TRUE(Has(run.out, "\"outcome\":\"fault\"")) << run.out;
}

TEST_F(CliEeRun, CharacterOutputGoesToStandardErrorKeepingJsonClean) {
    const testing::CliResult run = RunEeRun(elf_ + " --entry " + Address("character") + " --stop " + Address("after_character") +
                                          " --set t1=0x41");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "A");
    EXPECT_EQ(run.out.front(), '{');
}

TEST_F(CliEeRun, SetsAndPrintsCoprocessorRegisters) {
    const testing::CliResult run = RunEeRun(elf_ + " --entry " + Address("coprocessors") + " --stop " +
                                          Address("after_coprocessors") +
                                          " --set f0=1.5 --set f1=0x40000000 --set vf1=1,2,3,16 --set vf2=0.5,0.5,0.5,0.5" +
                                          " --set vi3=7 --set macflags=0x24 --set acc=1,-1,0.25,0 --set fcc=1");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "\"fpr\":[1.5,2,3.5,0,")) << run.out;
    EXPECT_TRUE(Has(run.out, "\"fprBits\":[\"3fc00000\",\"40000000\",\"40600000\",")) << run.out;
    EXPECT_TRUE(Has(run.out, "\"fpuCondition\":0,")) << run.out;
    EXPECT_TRUE(Has(run.out, "[1,2,3,16],[0.5,0.5,0.5,0.5],[1.5,2.5,3.5,16.5],")) << run.out;
    EXPECT_TRUE(Has(run.out, "\"vi\":[0,0,0,7,")) << run.out;
    EXPECT_TRUE(Has(run.out, "\"acc\":[1,-1,0.25,0],\"q\":4,\"qBits\":\"40800000\",\"macFlags\":36")) << run.out;
    EXPECT_EQ(RunEeRun(elf_ + " --entry 0 --stop 0 --set vf1=1,2,3").status, 64);
    EXPECT_EQ(RunEeRun(elf_ + " --entry 0 --stop 0 --set fcc=2").status, 64);
    EXPECT_EQ(RunEeRun(elf_ + " --entry 0 --stop 0 --set f40=1").status, 64);
}

TEST_F(CliEeRun, StepBoundExits3) {
    const testing::CliResult run = RunEeRun(elf_ + " --entry " + Address("loop") + " --stop " + Address("_start") +
                                          " --max-steps 1000");
    EXPECT_EQ(run.status, 3);
    EXPECT_TRUE(Has(run.out, "\"outcome\":\"step-bound\",\"steps\":1000,")) << run.out;
}

TEST_F(CliEeRun, BadCommandLinesAndImages) {
    const std::string entry = " --entry " + Address("_start") + " --stop " + Address("stop");
    EXPECT_EQ(RunEeRun(elf_).status, 64);
    EXPECT_EQ(RunEeRun(elf_ + entry + " --set q7=1").status, 64);
    EXPECT_EQ(RunEeRun(elf_ + entry + " --set a0=0x1z").status, 64);
    EXPECT_EQ(RunEeRun(elf_ + entry + " --dump 0x02000000:4").status, 64);
    EXPECT_EQ(RunEeRun(elf_ + entry + " --dump 0x100000").status, 64);
    EXPECT_EQ(RunEeRun((dir_.path() / "missing.elf").string() + entry).status, 1);
    std::vector<uint8_t> image = program_.elf;
    image[44] = 0x7F;  // e_phnum far past the table
    const testing::CliResult refused = RunEeRun(dir_.Write("bad.elf", image) + entry);
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(Has(refused.err, "program image")) << refused.err;
}

}  // namespace
}  // namespace vertigon
