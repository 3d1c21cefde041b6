// Loads and stores of the major-opcode table. Effective address = lower 32 bits of GPR[rs]
// plus the sign-extended offset, modulo 2^32; no access checks alignment.
#pragma once

#include <cstdint>

#include "ee/state.h"

namespace vertigon {

void LoadByte(EeState& state, uint32_t op);
void LoadByteUnsigned(EeState& state, uint32_t op);
void LoadHalf(EeState& state, uint32_t op);
void LoadHalfUnsigned(EeState& state, uint32_t op);
void LoadWord(EeState& state, uint32_t op);
void LoadWordUnsigned(EeState& state, uint32_t op);
void LoadWordLeft(EeState& state, uint32_t op);
void LoadWordRight(EeState& state, uint32_t op);
void LoadDouble(EeState& state, uint32_t op);
void LoadDoubleLeft(EeState& state, uint32_t op);
void LoadDoubleRight(EeState& state, uint32_t op);
void LoadQuad(EeState& state, uint32_t op);

void StoreByte(EeState& state, uint32_t op);
void StoreHalf(EeState& state, uint32_t op);
void StoreWord(EeState& state, uint32_t op);
void StoreWordLeft(EeState& state, uint32_t op);
void StoreWordRight(EeState& state, uint32_t op);
void StoreDouble(EeState& state, uint32_t op);
void StoreDoubleLeft(EeState& state, uint32_t op);
void StoreDoubleRight(EeState& state, uint32_t op);
void StoreQuad(EeState& state, uint32_t op);

// Coprocessor loads and stores: FPR[rt] as a word, VF[rt] as a quadword (x, y, z, w).
void LoadWordToFpu(EeState& state, uint32_t op);
void StoreWordFromFpu(EeState& state, uint32_t op);
void LoadQuadToVu0(EeState& state, uint32_t op);
void StoreQuadFromVu0(EeState& state, uint32_t op);

}  // namespace vertigon
