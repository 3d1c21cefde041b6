// The hardware-register window (type 0, 0x10000000 and 0xB0000000): just enough behaviour for
// the game code to pass its waits. Offsets are the low 16 bits of the address.
#pragma once

#include <cstdint>

#include "ee/state.h"

namespace vertigon {

uint32_t ReadHwWord(EeState& state, uint32_t offset);
void WriteHwWord(EeState& state, uint32_t offset, uint32_t value);
void WriteHwQuad(EeState& state, uint32_t offset, const Reg128& value);

}  // namespace vertigon
