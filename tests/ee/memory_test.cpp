// The address map and the access operations, called directly.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ee/fault.h"
#include "ee/memory.h"
#include "ee/state.h"
#include "tests/ee/ee_machine.h"

namespace vertigon {
namespace {

using testing::CapturingSink;

std::string FaultOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EeFault& fault) {
        return fault.what();
    }
    return "";
}

class EeMemoryTest : public ::testing::Test {
protected:
    EeMemoryTest() : state_(std::make_unique<EeState>()), s(*state_) { s.output = &sink; }
    std::unique_ptr<EeState> state_;
    EeState& s;
    CapturingSink sink;
};

TEST_F(EeMemoryTest, MainMemoryAppearsInAllFourWindows) {
    WriteWord(s, 0x00123450, 0xCAFEF00D);
    for (uint32_t window : {0x00000000u, 0x20000000u, 0x80000000u, 0xA0000000u}) {
        EXPECT_EQ(ReadWord(s, window | 0x00123450), 0xCAFEF00Du) << std::hex << window;
        EXPECT_EQ(TranslateAddress(s, window | 0x00123450), s.mainBase + 0x123450);
    }
    EXPECT_EQ(TranslateAddress(s, 0x01FFFFFF), s.mainBase + 0x1FFFFFF);
    EXPECT_EQ(FaultOf([&] { TranslateAddress(s, 0x02000000); }), "Access to unmapped memory 2000000\n");
    EXPECT_EQ(FaultOf([&] { ReadWord(s, 0x40000000); }), "Access to unmapped memory 40000000\n");
}

TEST_F(EeMemoryTest, MemoryStartsZeroedAndResetGivesFreshBlocks) {
    for (uint32_t address : {0x0u, 0x1000000u, 0x1FFFFFCu}) EXPECT_EQ(ReadWord(s, address), 0u);
    WriteWord(s, 0x100, 7);
    WriteWord(s, 0x70000010, 9);
    s.ResetMemory();
    EXPECT_EQ(ReadWord(s, 0x100), 0u);
    EXPECT_EQ(ReadWord(s, 0x70000010), 0u);
}

TEST_F(EeMemoryTest, ScratchpadBounds) {
    WriteByte(s, 0x70000000, 0x11);
    WriteByte(s, 0x70003FFF, 0x22);
    EXPECT_EQ(TranslateAddress(s, 0x70003FFF), s.scratchBase + 0x3FFF);
    EXPECT_EQ(ReadByte(s, 0x70003FFF), 0x22);
    EXPECT_EQ(ReadByte(s, 0x70000000), 0x11);
    EXPECT_EQ(FaultOf([&] { ReadByte(s, 0x70004000); }), "Access to unmapped memory 70004000\n");
    EXPECT_EQ(FaultOf([&] { WriteWord(s, 0x6FFFFFFC, 0); }), "Access to unmapped memory 6FFFFFFC\n");
}

TEST_F(EeMemoryTest, AccessesStraddlingTheEndOfABlockStayInsideTheHostBlock) {
    // Misaligned accesses are used as computed; the last bytes must not reach past the block.
    WriteWord(s, 0x01FFFFFE, 0x44332211);
    EXPECT_EQ(ReadHalf(s, 0x01FFFFFE), 0x2211);
    EXPECT_EQ(ReadWord(s, 0x01FFFFFE), 0x44332211u);
    Reg128 quad{0x0807060504030201, 0x100F0E0D0C0B0A09};
    WriteQuad(s, 0x70003FF9, quad);
    Reg128 back;
    ReadQuad(s, 0x70003FF9, back);
    EXPECT_EQ(back, quad);
}

TEST_F(EeMemoryTest, RegisterAreaOutsideTheWindowIsRefusedByTranslation) {
    const std::string message = "Error: trying to directly access the registers memory !\n";
    EXPECT_EQ(FaultOf([&] { TranslateAddress(s, 0x10000000); }), message);
    EXPECT_EQ(FaultOf([&] { TranslateAddress(s, 0xB3FFFFFC); }), message);
    EXPECT_EQ(FaultOf([&] { ReadWord(s, 0x13000000); }), message);  // type 3
    EXPECT_EQ(FaultOf([&] { WriteByte(s, 0xB3000000, 1); }), message);
    EXPECT_EQ(FaultOf([&] { TranslateAddress(s, 0x14000000); }), "Access to unmapped memory 14000000\n");
}

TEST_F(EeMemoryTest, SpecialAddressesReadFixedValuesWithoutTouchingMemory) {
    for (uint32_t address : {0x1F402005u, 0x3C1A8001u, 0x40196800u, 0xBF80146Eu, 0xFF000000u, 0xFF000010u, 0xFFFFFFFFu})
        EXPECT_EQ(ReadByte(s, address), 0) << std::hex << address;
    EXPECT_EQ(ReadHalf(s, 0xBF803800), 0x000A);
    EXPECT_EQ(ReadWord(s, 0xBF80141C), 0u);
    EXPECT_EQ(ReadWord(s, 0xBC0003C0), 0u);
    EXPECT_EQ(FaultOf([&] { ReadWord(s, 0xBF803800); }), "Access to unmapped memory BF803800\n");
}

TEST_F(EeMemoryTest, IgnoredWritesGoNowhere) {
    EXPECT_EQ(FaultOf([&] {
                  WriteHalf(s, 0xBA000004, 1);
                  WriteHalf(s, 0xBA000008, 1);
                  WriteHalf(s, 0xBF80FFFE, 1);
                  WriteWord(s, 0xBC0003E0, 1);
                  WriteWord(s, 0xBF80141C, 1);
                  WriteWord(s, 0xFF000000, 1);
              }),
              "");
    EXPECT_EQ(FaultOf([&] { WriteHalf(s, 0xBA00000C, 1); }), "Access to unmapped memory BA00000C\n");
}

TEST_F(EeMemoryTest, RegisterWindowReadTable) {
    EXPECT_EQ(ReadWord(s, 0x1000F520), 0x1201u);
    EXPECT_EQ(ReadWord(s, 0xB000F520), 0x1201u);
    EXPECT_EQ(ReadWord(s, 0x10001810), 1u);
    for (uint32_t offset : {0x2010u, 0xF130u, 0xF200u, 0xF210u, 0xF220u, 0xF230u, 0x3020u, 0x9000u, 0xC020u})
        EXPECT_EQ(ReadWord(s, 0x10000000 | offset), 0u) << std::hex << offset;
    EXPECT_EQ(ReadWord(s, 0x12000000), 0x2000u);
    EXPECT_EQ(ReadWord(s, 0xB2001230), 0x2000u);
    EXPECT_EQ(ReadWord(s, 0x11000010), 0u);
    EXPECT_EQ(FaultOf([&] { ReadWord(s, 0x10001234); }), "Unhandled general register 1234 to fetch word from\n");
    EXPECT_EQ(FaultOf([&] { ReadWord(s, 0x10003C10); }), "Unhandled general register 3C10 to fetch word from\n");
}

TEST_F(EeMemoryTest, RegisterWindowWriteTable) {
    // Stored words read back; 0x1810 reads its constant whatever was stored.
    WriteWord(s, 0x1000F000, 0x12345678);
    WriteWord(s, 0xB0003C00, 0x9ABC);
    WriteWord(s, 0x10001810, 0x55);
    EXPECT_EQ(ReadWord(s, 0x1000F000), 0x12345678u);
    EXPECT_EQ(ReadWord(s, 0x10003C00), 0x9ABCu);
    EXPECT_EQ(ReadWord(s, 0x10001810), 1u);
    // Ignored offsets keep their backing words at 0.
    WriteWord(s, 0x10009000, 0xFFFFFFFF);
    WriteWord(s, 0x1000C000, 0xFFFFFFFF);
    EXPECT_EQ(ReadWord(s, 0x10009000), 0u);
    EXPECT_EQ(ReadWord(s, 0x1000C000), 0u);
    for (uint32_t offset : {0x2030u, 0x8080u, 0xD460u, 0xC800u, 0xF590u})
        EXPECT_EQ(FaultOf([&] { WriteWord(s, 0x10000000 | offset, 1); }), "") << std::hex << offset;
    EXPECT_EQ(FaultOf([&] { WriteWord(s, 0x10008070, 1); }), "Unhandled general register 8070 to write long int to\n");
    EXPECT_EQ(FaultOf([&] { WriteWord(s, 0x10001004, 1); }), "Unhandled general register 1004 to write long int to\n");
    EXPECT_EQ(FaultOf([&] { WriteWord(s, 0x11000000, 1); }), "Unhandled register type 1000000\n");
    EXPECT_EQ(FaultOf([&] { WriteWord(s, 0x12000000, 1); }), "Unhandled register type 2000000\n");
}

TEST_F(EeMemoryTest, StatusWordClearsLowBitsAndTogglesHighBits) {
    WriteWord(s, 0x1000E010, 0);
    EXPECT_EQ(ReadWord(s, 0x1000E010), 0u);
    s.hwRegisters.words[0xE01] = 0x00000001;
    WriteWord(s, 0x1000E010, 0x00010001);
    EXPECT_EQ(ReadWord(s, 0x1000E010), 0x00010000u);
    WriteWord(s, 0x1000E010, 0x00030000);
    EXPECT_EQ(ReadWord(s, 0x1000E010), 0x00020000u);
}

TEST_F(EeMemoryTest, InterruptMaskWordChangesOnlyBit8WhileBit8IsSet) {
    WriteWord(s, 0x1000C400, 0x1234);  // bit 8 clear: replaced whole
    EXPECT_EQ(ReadWord(s, 0x1000C400), 0x1234u);
    WriteWord(s, 0x1000C400, 0x0100);
    WriteWord(s, 0x1000C400, 0xFFFFFEFF);  // bit 8 set: only bit 8 follows the value
    EXPECT_EQ(ReadWord(s, 0x1000C400), 0u);
    WriteWord(s, 0x1000C400, 0xFFFFFFFF);
    EXPECT_EQ(ReadWord(s, 0x1000C400), 0xFFFFFFFFu);
    WriteWord(s, 0x1000C400, 0xABCD0100);
    EXPECT_EQ(ReadWord(s, 0x1000C400), 0xFFFFFFFFu);
}

TEST_F(EeMemoryTest, ByteAndHalfAccessesToTheWindow) {
    WriteByte(s, 0x1000F180, 0x41);
    WriteByte(s, 0xB000F180, 'b');
    EXPECT_EQ(sink.text(), "Ab");
    EXPECT_EQ(FaultOf([&] { WriteByte(s, 0x1000F184, 1); }), "Unhandled general register F184 to write byte to\n");
    EXPECT_EQ(FaultOf([&] { WriteByte(s, 0x1100F180, 1); }), "Unhandled register type 1000000\n");
    EXPECT_EQ(FaultOf([&] { ReadByte(s, 0x1000F180); }), "Unhandled general register F180 to fetch byte from\n");
    EXPECT_EQ(FaultOf([&] { ReadByte(s, 0x12000000); }), "Unhandled register type 2000000\n");
    EXPECT_EQ(FaultOf([&] { ReadHalf(s, 0x10001810); }), "Unhandled general register 1810 to fetch word from\n");
    EXPECT_EQ(FaultOf([&] { ReadHalf(s, 0xB1000000); }), "Unhandled register type 1000000\n");
    EXPECT_EQ(FaultOf([&] { WriteHalf(s, 0x1000F000, 1); }), "Unhandled general register F000 to write half word to\n");
    EXPECT_EQ(FaultOf([&] { WriteHalf(s, 0x12000000, 1); }), "Unhandled register type 2000000\n");
}

TEST_F(EeMemoryTest, DoubleAndQuadWritesToTheWindow) {
    WriteDouble(s, 0x1000F010, 0x1111111122222222);
    EXPECT_EQ(ReadWord(s, 0x1000F010), 0x22222222u);
    EXPECT_EQ(FaultOf([&] {
                  WriteDouble(s, 0x11000000, 1);
                  WriteDouble(s, 0x12000008, 1);
                  WriteQuad(s, 0x11000000, Reg128{});
                  WriteQuad(s, 0x10006000, Reg128{});
                  WriteQuad(s, 0x10007010, Reg128{});
              }),
              "");
    WriteQuad(s, 0x10004000, Reg128{0x100F0E0D0C0B0A09, 0x0807060504030201});
    WriteQuad(s, 0x10005000, Reg128{2, 1});
    for (int i = 0; i < 16; ++i) EXPECT_EQ(s.hwRegisters.quad4000[i], i + 1);
    EXPECT_EQ(s.hwRegisters.quad5000[0], 1);
    EXPECT_EQ(s.hwRegisters.quad5000[8], 2);
    // Type 2 is reported and dropped; execution goes on.
    EXPECT_EQ(FaultOf([&] { WriteQuad(s, 0x12000000, Reg128{}); }), "");
    EXPECT_EQ(sink.text(), "Unhandled register type 2000000\n");
    EXPECT_EQ(FaultOf([&] { WriteQuad(s, 0x10004010, Reg128{}); }), "Unhandled general register 4010 to write QWord to\n");
    EXPECT_EQ(FaultOf([&] { WriteDouble(s, 0x10001234, 1); }), "Unhandled general register 1234 to write long int to\n");
    Reg128 out;
    EXPECT_EQ(FaultOf([&] { ReadQuad(s, 0x10004000, out); }), "Unsupported fetchQWordFromRegisters\n");
    EXPECT_EQ(FaultOf([&] { ReadQuad(s, 0xB1000000, out); }), "Unsupported fetchQWordFromRegisters\n");
}

TEST_F(EeMemoryTest, InstallNativeHookPlantsABreakWithItsIndex) {
    auto hook = [](EeState&) {};
    NativeHookTable hooks;
    for (uint32_t i = 0; i < 3; ++i) InstallNativeHook(s, hooks, 0x262150 + 8 * i, hook);
    EXPECT_EQ(ReadWord(s, 0x262150), 0x0Du);
    EXPECT_EQ(ReadWord(s, 0x262158), 0x4Du);
    EXPECT_EQ(ReadWord(s, 0x262160), 0x8Du);
    ASSERT_EQ(hooks.size(), 3u);
    EXPECT_EQ(hooks[2].address, 0x262160u);
}

}  // namespace
}  // namespace vertigon
