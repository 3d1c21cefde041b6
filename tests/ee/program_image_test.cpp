// Placing an ELF image in main memory, and refusing images that would not fit.
#include <gtest/gtest.h>

#include "ee/program_image.h"
#include "tests/ee/ee_machine.h"
#include "tests/fixtures/byte_writer.h"

namespace vertigon {
namespace {

using testing::ByteWriter;

struct SegmentEntry {
    uint32_t type;
    uint32_t fileOffset;
    uint32_t paddr;
    uint32_t fileSize;
};

// An ELF32 header, the program-header table right after it (entries `entrySize` apart as the
// header states, though readers use a stride of 32), then `payload` at offset 0x100.
std::vector<uint8_t> MakeImage(const std::vector<SegmentEntry>& segments, const std::vector<uint8_t>& payload,
                               int16_t entrySize = 32) {
    ByteWriter w;
    w.Bytes(std::vector<uint8_t>{0x7F, 'E', 'L', 'F', 1, 1, 1}).PadTo(16);
    w.U16(2).U16(8).U32(1).U32(0x100000).U32(52).U32(0).U32(0).U16(52);
    w.S16(entrySize).S16(static_cast<int16_t>(segments.size())).U16(40).U16(0).U16(0);
    for (const SegmentEntry& s : segments) {
        w.U32(s.type).U32(s.fileOffset).U32(s.paddr).U32(s.paddr).U32(s.fileSize).U32(s.fileSize).U32(5).U32(16);
    }
    w.PadTo(0x100).Bytes(payload);
    return w.Take();
}

TEST(EeProgramImage, LoadsEveryLoadableSegmentAtItsPhysicalAddress) {
    testing::EeMachine m;
    EeState& s = m.state();
    WriteWord(s, 0x3000, 0xDEADBEEF);  // a non-loadable segment's target keeps its bytes
    const std::vector<uint8_t> image = MakeImage(
        {{1, 0x100, 0x1000, 4}, {4, 0x104, 0x3000, 4}, {1, 0x104, 0x1FFFFFC, 4}, {1, 0x108, 0x2000, 0}},
        {1, 2, 3, 4, 5, 6, 7, 8, 9});
    const ProgramHeaders headers = LoadProgramImage(s, image);
    EXPECT_EQ(ReadWord(s, 0x1000), 0x04030201u);
    EXPECT_EQ(ReadWord(s, 0x1004), 0u);  // nothing beyond p_filesz
    EXPECT_EQ(ReadWord(s, 0x3000), 0xDEADBEEFu);
    EXPECT_EQ(ReadWord(s, 0x1FFFFFC), 0x08070605u);
    EXPECT_EQ(headers.elfHeader[1], 'E');
    EXPECT_EQ(headers.table.size(), 4u * 32u);
}

TEST(EeProgramImage, ImagesThatDoNotFitAreRefusedBeforeMemoryChanges) {
    const struct {
        const char* why;
        std::vector<uint8_t> image;
    } cases[] = {
        {"segment past the end of main memory", MakeImage({{1, 0x100, 0x1000, 4}, {1, 0x100, 0x1FFFFFD, 4}}, {1, 2, 3, 4})},
        {"segment address wrapping", MakeImage({{1, 0x100, 0xFFFFFFFF, 2}}, {1, 2})},
        {"segment bytes outside the file", MakeImage({{1, 0x100, 0x1000, 8}}, {1, 2, 3, 4})},
        {"header table outside the file", [] {
             std::vector<uint8_t> image = MakeImage({{1, 0x100, 0x1000, 4}}, {1, 2, 3, 4});
             image[28] = 0xF0;  // e_phoff
             return image;
         }()},
        {"entries shorter than the stride", MakeImage({{1, 0x100, 0x1000, 4}}, {1, 2, 3, 4}, 16)},
        {"negative entry count", [] {
             std::vector<uint8_t> image = MakeImage({{1, 0x100, 0x1000, 4}}, {1, 2, 3, 4});
             image[45] = 0x80;
             return image;
         }()},
        {"shorter than a header", std::vector<uint8_t>(51, 0)},
    };
    for (const auto& c : cases) {
        testing::EeMachine m;
        EXPECT_THROW(LoadProgramImage(m.state(), c.image), ProgramImageError) << c.why;
        EXPECT_EQ(ReadWord(m.state(), 0x1000), 0u) << c.why;
    }
}

TEST(EeProgramImage, AnImageWithoutProgramHeadersLoadsNothing) {
    testing::EeMachine m;
    std::vector<uint8_t> image = MakeImage({}, {});
    const ProgramHeaders headers = LoadProgramImage(m.state(), image);
    EXPECT_TRUE(headers.table.empty());
    EXPECT_EQ(headers.elfHeader[0], 0x7F);
}

TEST(EeProgramImage, LinkedExecutableRunsFromItsEntryPoint) {
    SKIP_WITHOUT_MIPS_TOOLS();
    const testing::LinkedProgram program = testing::LinkR5900Program(R"(
        .globl _start
    _start:
        la $t0, value
        lw $s0, 0($t0)
    done:
        nop
        .data
    value: .word 0x13579BDF
    )",
                                                                     0x00100000);
    testing::EeMachine m;
    LoadProgramImage(m.state(), program.elf);
    m.state().pc = program.Symbol("_start");
    EXPECT_TRUE(m.RunTo(program.Symbol("done")).reachedStop);
    EXPECT_EQ(m.Gpr(testing::reg::s0), 0x13579BDFu);
}

}  // namespace
}  // namespace vertigon
