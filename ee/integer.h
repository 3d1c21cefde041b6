// The integer groups decoded below the major opcode: SPECIAL (funct), REGIMM (rt) and MMI
// (funct, with the sub-groups MMI0-MMI3 in bits 6-10).
#pragma once

#include <cstdint>

#include "ee/state.h"

namespace vertigon {

void ExecuteSpecial(EeState& state, uint32_t op);
void ExecuteRegimm(EeState& state, uint32_t op);
void ExecuteMmi(EeState& state, uint32_t op);

}  // namespace vertigon

namespace vertigon {

// MULT and MULT1: the signed product of the low words, split into sign-extended halves.
inline void MultiplyWords(uint64_t a, uint64_t b, uint64_t& hi, uint64_t& lo) {
    const int64_t product = static_cast<int64_t>(static_cast<int32_t>(a)) * static_cast<int32_t>(b);
    lo = SignExtend32(static_cast<uint32_t>(product));
    hi = SignExtend32(static_cast<uint32_t>(static_cast<uint64_t>(product) >> 32));
}

}  // namespace vertigon
