#include "ee/hw_registers.h"

#include <cstring>

#include "ee/fault.h"

namespace vertigon {
namespace {

// Every known offset is a multiple of 16; the tables are indexed by offset / 16.
constexpr size_t kSlots = 0x1000;

enum class ReadRule : uint8_t { Unknown, One, Zero, Chip, Backing };
enum class WriteRule : uint8_t { Unknown, Store, Ignore, InterruptMask, StatusBits };

constexpr size_t Slot(uint32_t offset) { return offset >> 4; }

struct ReadTable {
    ReadRule rule[kSlots] = {};

    constexpr ReadTable() {
        rule[Slot(0x1810)] = ReadRule::One;
        for (uint32_t offset : {0x2010u, 0xF130u, 0xF200u, 0xF210u, 0xF220u, 0xF230u}) rule[Slot(offset)] = ReadRule::Zero;
        rule[Slot(0xF520)] = ReadRule::Chip;
        // Words nothing writes (so they read 0) and words the write table stores.
        for (uint32_t offset : {0x3020u, 0x9000u, 0xA000u, 0xA030u, 0xC000u, 0xC020u, 0x3C00u, 0xC400u, 0xC420u,
                                0xC430u, 0xE000u, 0xE010u, 0xE020u, 0xE030u, 0xE040u, 0xE050u, 0xF000u, 0xF010u,
                                0xF430u, 0xF440u})
            rule[Slot(offset)] = ReadRule::Backing;
    }
};

struct WriteTable {
    WriteRule rule[kSlots] = {};

    constexpr void Range(uint32_t first, uint32_t last, WriteRule r) {
        for (uint32_t offset = first; offset <= last; offset += 0x10) rule[Slot(offset)] = r;
    }

    constexpr WriteTable() {
        for (uint32_t page : {0x0000u, 0x0800u, 0x1000u, 0x1800u, 0x3C00u}) Range(page, page + 0x30, WriteRule::Store);
        for (uint32_t offset : {0x3000u, 0x3810u, 0x3820u, 0x3830u, 0xC410u, 0xC420u, 0xC430u, 0xE000u, 0xF000u,
                                0xF010u, 0xF430u, 0xF440u})
            rule[Slot(offset)] = WriteRule::Store;
        Range(0xE020, 0xE060, WriteRule::Store);
        rule[Slot(0xC400)] = WriteRule::InterruptMask;
        rule[Slot(0xE010)] = WriteRule::StatusBits;

        Range(0x2000, 0x2030, WriteRule::Ignore);
        for (uint32_t page : {0x8000u, 0x9000u, 0xA000u, 0xB000u, 0xB400u, 0xC000u, 0xD000u, 0xD400u}) {
            Range(page, page + 0x60, WriteRule::Ignore);
            rule[Slot(page + 0x80)] = WriteRule::Ignore;
        }
        for (uint32_t offset : {0xC800u, 0xF100u, 0xF120u, 0xF140u, 0xF150u, 0xF200u, 0xF220u, 0xF240u, 0xF260u,
                                0xF410u, 0xF480u, 0xF490u, 0xF500u, 0xF510u, 0xF590u})
            rule[Slot(offset)] = WriteRule::Ignore;
    }
};

constexpr ReadTable kReadTable;
constexpr WriteTable kWriteTable;

}  // namespace

uint32_t ReadHwWord(EeState& state, uint32_t offset) {
    const ReadRule rule = (offset & 0xF) == 0 ? kReadTable.rule[Slot(offset)] : ReadRule::Unknown;
    switch (rule) {
        case ReadRule::One: return 1;
        case ReadRule::Zero: return 0;
        case ReadRule::Chip: return 0x1201;
        case ReadRule::Backing: return state.hwRegisters.words[Slot(offset)];
        case ReadRule::Unknown: break;
    }
    ThrowEeFault("Unhandled general register %X to fetch word from\n", offset);
}

void WriteHwWord(EeState& state, uint32_t offset, uint32_t value) {
    const WriteRule rule = (offset & 0xF) == 0 ? kWriteTable.rule[Slot(offset)] : WriteRule::Unknown;
    uint32_t& word = state.hwRegisters.words[Slot(offset & 0xFFF0)];
    switch (rule) {
        case WriteRule::Store: word = value; return;
        case WriteRule::Ignore: return;
        case WriteRule::InterruptMask:
            // While bit 8 is set, a write changes only bit 8.
            word = (word & 0x100) ? (word & ~0x100u) | (value & 0x100) : value;
            return;
        case WriteRule::StatusBits:
            // Bits 0-15 written as 1 are cleared; bits 16-31 written as 1 are toggled.
            word = (word & ~(value & 0xFFFF)) ^ (value & 0xFFFF0000);
            return;
        case WriteRule::Unknown: break;
    }
    ThrowEeFault("Unhandled general register %X to write long int to\n", offset);
}

void WriteHwQuad(EeState& state, uint32_t offset, const Reg128& value) {
    auto store = [&](std::array<uint8_t, 16>& block) {
        std::memcpy(block.data(), &value.lower, 8);
        std::memcpy(block.data() + 8, &value.upper, 8);
    };
    switch (offset) {
        case 0x4000: store(state.hwRegisters.quad4000); return;
        case 0x5000: store(state.hwRegisters.quad5000); return;
        case 0x6000:
        case 0x7000:
        case 0x7010: return;
        default: break;
    }
    ThrowEeFault("Unhandled general register %X to write QWord to\n", offset);
}

}  // namespace vertigon
