// The emulated CPU's registers on the command line: setting one from NAME=VALUE text, and
// writing them all into a JSON object.
#pragma once

#include <string>
#include <string_view>

#include "cli/json_output.h"
#include "ee/state.h"

namespace vertigon {

// Sets one register. Names: r0-r31 or the o32 names (zero, at, v0 ... ra, s8 for fp); hi, lo
// (all 128 bits); sa; pc; f0-f31; fcc (the FPU condition, 0 or 1); vf0-vf31 and acc (x,y,z,w);
// vi0-vi31; q; macflags. An integer value is decimal (possibly negative, then sign-extended to 64
// bits) or hexadecimal with 0x and up to 32 digits (more than 16 fill the upper half of a
// 128-bit register). A float value is decimal, or 0x and its bit pattern. Returns false with a
// reason for an unknown name or a bad value.
bool SetEeRegister(EeState& state, std::string_view name, std::string_view value, std::string* error);

// Adds the registers as members of the object `json`: "pc", "gpr" (by name, 32 hex
// digits each, most significant first), "hi", "lo", "sa", "cop0", "cycleCounter", "fpr" (floats;
// null for infinities and NaNs) with "fprBits", "fpuCondition", "vf", "vi", "acc", "q" with
// "qBits", "macFlags".
void AddEeRegistersJson(Json& json, const EeState& state);

// The o32 name of general register i.
const char* GprName(int index);

}  // namespace vertigon
