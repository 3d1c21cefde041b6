// COP1, the single-precision FPU: moves, BC1 branches, format S arithmetic, conversions and
// compares. Host single-precision arithmetic; no clamping, flags or rounding modes.
#pragma once

#include <cstdint>

#include "ee/state.h"

namespace vertigon {

void ExecuteCop1(EeState& state, uint32_t op);

}  // namespace vertigon
