// The eight routines of the game's program image that run as host code
// (ee/native_hook_table.h; their places in formats/mdls/animation_routines.h). Each reads its
// pointer arguments from a0, a1 and a2 (lower 32 bits), a float argument from FPR[12], and
// returns a float in FPR[0]. Vectors are four floats x, y, z, w; matrices sixteen floats, row-major.
// They compute in the R5900's number format with its rounding (ee/r5900_float.h), one operation
// at a time as the routines they replace do: no infinity or NaN can come out, a zero divisor
// gives the largest magnitude.
#pragma once

#include <cstdint>

#include "ee/state.h"

namespace vertigon::mdls {

// FPR[0] = (a1.y*a0.y + a1.x*a0.x) + a1.z*a0.z.
void HookDotProduct(EeState& state);
// The matrix at a1 copied to a0.
void HookCopyMatrix(EeState& state);
// L = |xyz| of the vector at a0; its x, y, z divided by L in place (w kept); FPR[0] = L.
void HookNormalize(EeState& state);
// The matrix at a0 = the transpose of the matrix at a1 (a0 may equal a1).
void HookTranspose(EeState& state);
// The vector at a0 = the vector at a1 with all four components divided by FPR[12].
void HookDivideVector(EeState& state);
// The same for x, y, z; w is copied.
void HookDivideVectorKeepW(EeState& state);
// The vector at a0 = the vector at a2 times the matrix at a1, each component summed over the
// rows in order (a0 may overlap either input).
void HookVectorTimesMatrix(EeState& state);
// The matrix at a1 = the inverse of the uniformly scaled rigid transform at a0.
void HookInvertScaledRigid(EeState& state);

}  // namespace vertigon::mdls
