// Field extraction from an R5900 instruction word (the published layout), for the integer
// groups and the coprocessors alike.
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

// Coprocessor register fields (FPU formats S and W, VU0 macro and micro upper instructions):
// ft = bits 16-20, fs = bits 11-15, fd = bits 6-10. The micro lower instructions name the
// same fields it, is and id.
inline uint32_t Ft(uint32_t op) { return Rt(op); }
inline uint32_t Fs(uint32_t op) { return Rd(op); }
inline uint32_t Fd(uint32_t op) { return Sa(op); }
inline uint32_t It(uint32_t op) { return Ft(op); }
inline uint32_t Is(uint32_t op) { return Fs(op); }
inline uint32_t Id(uint32_t op) { return Fd(op); }

// VU0 fields: dest mask bits 21-24 (bit 24 x, 23 y, 22 z, 21 w), broadcast component bits 0-1,
// the single components fsf (bits 21-22) and ftf (bits 23-24).
inline bool DestHas(uint32_t op, int component) { return (op >> (24 - component)) & 1; }
inline uint32_t Bc(uint32_t op) { return op & 3; }
inline uint32_t Fsf(uint32_t op) { return (op >> 21) & 3; }
inline uint32_t Ftf(uint32_t op) { return (op >> 23) & 3; }
// The index of the Special2 table and of the micro upper and lower special functs.
inline uint32_t SpecialIndex(uint32_t op) { return Sa(op) * 4 + (op & 3); }
// VCALLMS: the micro program's start in instruction pairs (bits 6-20).
inline uint32_t CallMsPair(uint32_t op) { return (op >> 6) & 0x7FFF; }
// Micro lower immediates: imm11 (bits 0-10) and imm5 (bits 6-10) sign-extended; imm15 =
// bits 21-24 above bits 0-10.
inline int32_t Imm11(uint32_t op) { return static_cast<int32_t>(op << 21) >> 21; }
inline int32_t Imm5(uint32_t op) { return static_cast<int32_t>(op << 21) >> 27; }
inline uint32_t Imm15(uint32_t op) { return ((op >> 21) & 0xF) << 11 | (op & 0x7FF); }

// BREAK (SPECIAL funct 0x0D) with the given code field: what a native hook puts at its address.
constexpr uint32_t kBreakFunct = 0x0D;
constexpr uint32_t BreakInstruction(uint32_t code) { return code << 6 | kBreakFunct; }

}  // namespace vertigon
