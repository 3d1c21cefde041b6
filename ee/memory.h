// The emulated address map and the access operations used by loads, stores and instruction
// fetch. Main memory (32 MiB at 0x00000000 with mirrors at 0x20000000, 0x80000000 and
// 0xA0000000) takes an inlined fast path; everything else goes through the special-address
// and register-window rules.
#pragma once

#include <cstdint>
#include <cstring>

#include "ee/state.h"

namespace vertigon {

// True for the four windows onto main memory: bits 25-28 and 30 clear.
inline bool IsMainMemory(uint32_t address) { return (address & 0x5E000000u) == 0; }

inline uint8_t* MainMemoryPointer(const EeState& state, uint32_t address) {
    return state.mainBase + (address & (kMainMemorySize - 1));
}

// Host pointer for an address in main memory (any window) or the scratchpad; any other
// address is a fault.
uint8_t* TranslateAddress(const EeState& state, uint32_t address);
// The same without faulting: null for an address outside both blocks.
uint8_t* TryTranslateAddress(const EeState& state, uint32_t address);
// Host pointer for `length` bytes from `address`, all inside one block; a range that runs off
// the end of its block faults as an access to the first address past it would.
uint8_t* TranslateRange(const EeState& state, uint32_t address, uint32_t length);

uint8_t ReadByteSlow(EeState& state, uint32_t address);
uint16_t ReadHalfSlow(EeState& state, uint32_t address);
uint32_t ReadWordSlow(EeState& state, uint32_t address);
void ReadQuadSlow(EeState& state, uint32_t address, Reg128& destination);
void WriteByteSlow(EeState& state, uint32_t address, uint8_t value);
void WriteHalfSlow(EeState& state, uint32_t address, uint16_t value);
void WriteWordSlow(EeState& state, uint32_t address, uint32_t value);
void WriteDoubleSlow(EeState& state, uint32_t address, uint64_t value);
void WriteQuadSlow(EeState& state, uint32_t address, const Reg128& source);

template <typename T>
inline T LoadHost(const uint8_t* p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

template <typename T>
inline void StoreHost(uint8_t* p, T value) {
    std::memcpy(p, &value, sizeof value);
}

inline uint8_t ReadByte(EeState& state, uint32_t address) {
    if (IsMainMemory(address)) [[likely]]
        return *MainMemoryPointer(state, address);
    return ReadByteSlow(state, address);
}

inline uint16_t ReadHalf(EeState& state, uint32_t address) {
    if (IsMainMemory(address)) [[likely]]
        return LoadHost<uint16_t>(MainMemoryPointer(state, address));
    return ReadHalfSlow(state, address);
}

// Also the instruction fetch.
inline uint32_t ReadWord(EeState& state, uint32_t address) {
    if (IsMainMemory(address)) [[likely]]
        return LoadHost<uint32_t>(MainMemoryPointer(state, address));
    return ReadWordSlow(state, address);
}

// The 64-bit read of LD, LDL, LDR, SDL and SDR: straight through TranslateAddress.
inline uint64_t ReadDouble(EeState& state, uint32_t address) {
    if (IsMainMemory(address)) [[likely]]
        return LoadHost<uint64_t>(MainMemoryPointer(state, address));
    return LoadHost<uint64_t>(TranslateAddress(state, address));
}

// Bytes 0-7 to the lower half, 8-15 to the upper half.
inline void ReadQuad(EeState& state, uint32_t address, Reg128& destination) {
    if (IsMainMemory(address)) [[likely]] {
        const uint8_t* p = MainMemoryPointer(state, address);
        destination.lower = LoadHost<uint64_t>(p);
        destination.upper = LoadHost<uint64_t>(p + 8);
        return;
    }
    ReadQuadSlow(state, address, destination);
}

inline void WriteByte(EeState& state, uint32_t address, uint8_t value) {
    if (IsMainMemory(address)) [[likely]] {
        *MainMemoryPointer(state, address) = value;
        return;
    }
    WriteByteSlow(state, address, value);
}

inline void WriteHalf(EeState& state, uint32_t address, uint16_t value) {
    if (IsMainMemory(address)) [[likely]] {
        StoreHost(MainMemoryPointer(state, address), value);
        return;
    }
    WriteHalfSlow(state, address, value);
}

inline void WriteWord(EeState& state, uint32_t address, uint32_t value) {
    if (IsMainMemory(address)) [[likely]] {
        StoreHost(MainMemoryPointer(state, address), value);
        return;
    }
    WriteWordSlow(state, address, value);
}

inline void WriteDouble(EeState& state, uint32_t address, uint64_t value) {
    if (IsMainMemory(address)) [[likely]] {
        StoreHost(MainMemoryPointer(state, address), value);
        return;
    }
    WriteDoubleSlow(state, address, value);
}

// The lower half to bytes 0-7, the upper half to bytes 8-15.
inline void WriteQuad(EeState& state, uint32_t address, const Reg128& source) {
    if (IsMainMemory(address)) [[likely]] {
        uint8_t* p = MainMemoryPointer(state, address);
        StoreHost(p, source.lower);
        StoreHost(p + 8, source.upper);
        return;
    }
    WriteQuadSlow(state, address, source);
}

}  // namespace vertigon
