#include "ee/memory.h"

#include <cstdio>

#include "ee/fault.h"
#include "ee/hw_registers.h"

namespace vertigon {
namespace {

// Addresses outside the memory blocks that the game's code touches, answered without a block:
// byte reads of 0, the half-word that reads 0x000A, word reads of 0, writes dropped. From
// kNoDeviceStart on, byte reads give 0 and word writes are dropped.
constexpr uint32_t kZeroByteAddresses[] = {0x1F402005, 0x3C1A8001, 0x40196800, 0xBF80146E};
constexpr uint32_t kTenHalfAddress = 0xBF803800;
constexpr uint32_t kZeroWordAddresses[] = {0xBF80141C, 0xBC0003C0};
constexpr uint32_t kDroppedHalfAddresses[] = {0xBA000004, 0xBA000008};
constexpr uint32_t kDroppedHalfPage = 0xBF80;  // address bits 16-31
constexpr uint32_t kDroppedWordAddresses[] = {0xBC0003E0, 0xBF80141C};
constexpr uint32_t kNoDeviceStart = 0xFF000000;

// Register-window types (address bits 24-27) and the debug output's offset in type 0.
constexpr uint32_t kHwRegisterType = 0;
constexpr uint32_t kRegisterType1 = 0x01000000;
constexpr uint32_t kRegisterType2 = 0x02000000;
constexpr uint32_t kDebugCharacterOffset = 0xF180;

template <size_t N>
bool IsOneOf(uint32_t address, const uint32_t (&list)[N]) {
    for (uint32_t entry : list)
        if (address == entry) return true;
    return false;
}

bool InRegisterArea(uint32_t address) {
    const uint32_t top = address & 0xF0000000;
    return (top == 0x10000000 && address < 0x14000000) || (top == 0xB0000000 && address < 0xB4000000);
}

uint32_t RegisterType(uint32_t address) { return address & 0x0F000000; }

// The part of the register area the access operations handle themselves: types 0, 1 and 2.
// Type 3 falls through to TranslateAddress, which refuses it.
bool InRegisterWindow(uint32_t address) {
    return InRegisterArea(address) && RegisterType(address) <= kRegisterType2;
}

uint32_t RegisterOffset(uint32_t address) { return address & 0xFFFF; }

[[noreturn]] void UnhandledType(uint32_t address) {
    ThrowEeFault("Unhandled register type %X\n", RegisterType(address));
}

}  // namespace

uint8_t* TryTranslateAddress(const EeState& state, uint32_t address) {
    if (IsMainMemory(address)) return MainMemoryPointer(state, address);
    if (address - kScratchpadStart < kScratchpadSize) return state.scratchBase + (address & (kScratchpadSize - 1));
    return nullptr;
}

uint8_t* TranslateAddress(const EeState& state, uint32_t address) {
    if (uint8_t* p = TryTranslateAddress(state, address)) return p;
    if (InRegisterArea(address)) ThrowEeFault("Error: trying to directly access the registers memory !\n");
    ThrowEeFault("Access to unmapped memory %X\n", address);
}

uint8_t* TranslateRange(const EeState& state, uint32_t address, uint32_t length) {
    uint8_t* p = TranslateAddress(state, address);
    const bool main = IsMainMemory(address);
    const uint32_t blockSize = main ? kMainMemorySize : kScratchpadSize;
    const uint32_t offset = address & (blockSize - 1);
    if (length > blockSize - offset) ThrowEeFault("Access to unmapped memory %X\n", address + (blockSize - offset));
    return p;
}

uint8_t ReadByteSlow(EeState& state, uint32_t address) {
    if (IsOneOf(address, kZeroByteAddresses) || address >= kNoDeviceStart) return 0;
    if (InRegisterWindow(address)) {
        if (RegisterType(address) == kHwRegisterType)
            ThrowEeFault("Unhandled general register %X to fetch byte from\n", RegisterOffset(address));
        UnhandledType(address);
    }
    return *TranslateAddress(state, address);
}

uint16_t ReadHalfSlow(EeState& state, uint32_t address) {
    if (address == kTenHalfAddress) return 0x000A;
    if (InRegisterWindow(address)) {
        if (RegisterType(address) == kHwRegisterType)
            ThrowEeFault("Unhandled general register %X to fetch word from\n", RegisterOffset(address));
        UnhandledType(address);
    }
    return LoadHost<uint16_t>(TranslateAddress(state, address));
}

uint32_t ReadWordSlow(EeState& state, uint32_t address) {
    if (IsOneOf(address, kZeroWordAddresses)) return 0;
    if (InRegisterWindow(address)) {
        switch (RegisterType(address)) {
            case kHwRegisterType: return ReadHwWord(state, RegisterOffset(address));
            case kRegisterType1: return 0;  // nothing the game reads; no meaning
            default: return 0x2000;     // type 2
        }
    }
    return LoadHost<uint32_t>(TranslateAddress(state, address));
}

void ReadQuadSlow(EeState& state, uint32_t address, Reg128& destination) {
    if (InRegisterWindow(address)) ThrowEeFault("Unsupported fetchQWordFromRegisters\n");
    const uint8_t* p = TranslateAddress(state, address);
    destination.lower = LoadHost<uint64_t>(p);
    destination.upper = LoadHost<uint64_t>(p + 8);
}

void WriteByteSlow(EeState& state, uint32_t address, uint8_t value) {
    if (InRegisterWindow(address)) {
        if (RegisterType(address) != kHwRegisterType) UnhandledType(address);
        if (RegisterOffset(address) != kDebugCharacterOffset)
            ThrowEeFault("Unhandled general register %X to write byte to\n", RegisterOffset(address));
        const char character = static_cast<char>(value);
        state.output->Write(std::string_view(&character, 1));
        return;
    }
    *TranslateAddress(state, address) = value;
}

void WriteHalfSlow(EeState& state, uint32_t address, uint16_t value) {
    if (IsOneOf(address, kDroppedHalfAddresses) || (address >> 16) == kDroppedHalfPage) return;
    if (InRegisterWindow(address)) {
        if (RegisterType(address) == kHwRegisterType)
            ThrowEeFault("Unhandled general register %X to write half word to\n", RegisterOffset(address));
        UnhandledType(address);
    }
    StoreHost(TranslateAddress(state, address), value);
}

void WriteWordSlow(EeState& state, uint32_t address, uint32_t value) {
    if (IsOneOf(address, kDroppedWordAddresses) || address >= kNoDeviceStart) return;
    if (InRegisterWindow(address)) {
        if (RegisterType(address) != kHwRegisterType) UnhandledType(address);
        WriteHwWord(state, RegisterOffset(address), value);
        return;
    }
    StoreHost(TranslateAddress(state, address), value);
}

void WriteDoubleSlow(EeState& state, uint32_t address, uint64_t value) {
    if (InRegisterWindow(address)) {
        if (RegisterType(address) == kHwRegisterType) WriteHwWord(state, RegisterOffset(address), static_cast<uint32_t>(value));
        return;  // types 1 and 2 ignore it
    }
    StoreHost(TranslateAddress(state, address), value);
}

void WriteQuadSlow(EeState& state, uint32_t address, const Reg128& source) {
    if (InRegisterWindow(address)) {
        switch (RegisterType(address)) {
            case kHwRegisterType: WriteHwQuad(state, RegisterOffset(address), source); return;
            case kRegisterType1: return;
            default: {
                // The one register-window case that is reported and then dropped.
                char text[48];
                std::snprintf(text, sizeof text, "Unhandled register type %X\n", RegisterType(address));
                state.output->Write(text);
                return;
            }
        }
    }
    uint8_t* p = TranslateAddress(state, address);
    StoreHost(p, source.lower);
    StoreHost(p + 8, source.upper);
}

}  // namespace vertigon
