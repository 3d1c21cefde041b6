// Field extraction from an R5900 instruction word (the published layout).
#pragma once

#include <cstdint>

namespace vertigon {

inline uint32_t Opcode(uint32_t op) { return op >> 26; }
inline uint32_t Rs(uint32_t op) { return (op >> 21) & 0x1F; }
inline uint32_t Rt(uint32_t op) { return (op >> 16) & 0x1F; }
inline uint32_t Rd(uint32_t op) { return (op >> 11) & 0x1F; }
inline uint32_t Sa(uint32_t op) { return (op >> 6) & 0x1F; }
inline uint32_t Funct(uint32_t op) { return op & 0x3F; }
inline uint32_t Immediate(uint32_t op) { return op & 0xFFFF; }
inline int32_t SignedImmediate(uint32_t op) { return static_cast<int16_t>(op & 0xFFFF); }
inline uint64_t SignExtendedImmediate(uint32_t op) {
    return static_cast<uint64_t>(static_cast<int64_t>(SignedImmediate(op)));
}
inline uint32_t JumpIndex(uint32_t op) { return op & 0x03FFFFFF; }
// The code field of BREAK and SYSCALL (bits 6-25).
inline uint32_t CodeField(uint32_t op) { return (op >> 6) & 0xFFFFF; }

}  // namespace vertigon
