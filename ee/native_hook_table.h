// Routines of a loaded program that run as host code instead. Installing one puts a BREAK whose
// code field is the hook's index at the routine's first instruction; executing that BREAK
// returns through GPR[31] at once and leaves the call for the run loop to answer.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "ee/state.h"

namespace vertigon {

// Reads its arguments from the emulated registers and memory and writes its results back.
using NativeHookFunction = void (*)(EeState&);

struct NativeHook {
    uint32_t address = 0;
    NativeHookFunction function = nullptr;
};

// A hook's index is its position.
using NativeHookTable = std::vector<NativeHook>;

// Puts a BREAK with code field = the new hook's index at `address` (through WriteWord) and
// appends the hook to the table.
void InstallNativeHook(EeState& state, NativeHookTable& hooks, uint32_t address, NativeHookFunction function);

// Runs the hook a pending BREAK names and clears the request; a code with no hook faults
// ("Unknown native hook %X!\n").
void AnswerBreak(EeState& state, std::span<const NativeHook> hooks);

}  // namespace vertigon
