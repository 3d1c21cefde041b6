// COP1, the single-precision FPU: moves, BC1 branches, format S arithmetic, conversions and
// compares, in the R5900's number format (ee/r5900_float.h). No flags are kept.
#pragma once

#include <cstdint>

#include "ee/state.h"

namespace vertigon {

void ExecuteCop1(EeState& state, uint32_t op);

}  // namespace vertigon
