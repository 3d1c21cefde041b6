// COP0, the system-control coprocessor: register moves and ERET, EI, DI, TLBWI.
#pragma once

#include <cstdint>

#include "ee/state.h"

namespace vertigon {

void ExecuteCop0(EeState& state, uint32_t op);

}  // namespace vertigon
