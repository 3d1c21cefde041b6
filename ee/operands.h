// The registers an instruction's fields name, read and written the same way by every decoder.
// Scalar instructions use the lower 64 bits of a general register; 32-bit results are kept
// sign-extended.
#pragma once

#include <cstdint>

#include "ee/instruction.h"
#include "ee/state.h"

namespace vertigon {

inline uint64_t RsValue(const EeState& s, uint32_t op) { return s.gpr[Rs(op)].lower; }
inline uint64_t RtValue(const EeState& s, uint32_t op) { return s.gpr[Rt(op)].lower; }
inline int64_t SignedRsValue(const EeState& s, uint32_t op) { return static_cast<int64_t>(RsValue(s, op)); }
inline uint32_t RsWord(const EeState& s, uint32_t op) { return static_cast<uint32_t>(RsValue(s, op)); }
inline uint32_t RtWord(const EeState& s, uint32_t op) { return static_cast<uint32_t>(RtValue(s, op)); }

inline uint64_t& RdLower(EeState& s, uint32_t op) { return s.gpr[Rd(op)].lower; }
inline uint64_t& RtLower(EeState& s, uint32_t op) { return s.gpr[Rt(op)].lower; }
inline void SetRdWord(EeState& s, uint32_t op, uint32_t value) { RdLower(s, op) = SignExtend32(value); }
inline void SetRtWord(EeState& s, uint32_t op, uint32_t value) { RtLower(s, op) = SignExtend32(value); }

// All 128 bits, for the multimedia and quadword instructions.
inline const Reg128& RsQuad(const EeState& s, uint32_t op) { return s.gpr[Rs(op)]; }
inline const Reg128& RtQuad(const EeState& s, uint32_t op) { return s.gpr[Rt(op)]; }
inline Reg128& RdQuad(EeState& s, uint32_t op) { return s.gpr[Rd(op)]; }
inline Reg128& RtQuad(EeState& s, uint32_t op) { return s.gpr[Rt(op)]; }

// Effective address of a load or store: the lower word of rs plus the sign-extended offset.
inline uint32_t EffectiveAddress(const EeState& s, uint32_t op) {
    return RsWord(s, op) + static_cast<uint32_t>(SignedImmediate(op));
}

}  // namespace vertigon
