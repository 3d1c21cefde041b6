// Executing instructions: Step runs the one at PC. Branches and jumps run their delay slot by
// calling Step again before they move PC.
#pragma once

#include <cstdint>

#include "ee/instruction.h"
#include "ee/state.h"

namespace vertigon {

// Delay slots holding branches whose delay slots hold branches... are refused past this depth.
constexpr int kMaxDelaySlotNesting = 64;

// Executes one instruction at PC: resets VF[0], fetches, advances PC by 4, executes, and leaves
// GPR[0] zero in all 128 bits. Faults throw EeFault and leave the state as far as the
// instruction got.
void Step(EeState& state);

// Executes the instruction in the delay slot at PC (PC then points past it).
void RunDelaySlot(EeState& state);

// A taken conditional branch: the delay slot runs, then PC = delay-slot address + offset * 4.
// Taken branches and jumps live out of line: they recurse into Step, and inlined into the
// decoders they would make every instruction pay for saving registers around that call.
void TakeBranch(EeState& state, uint32_t op);

inline void BranchIf(EeState& state, uint32_t op, bool taken) {
    if (taken) TakeBranch(state, op);
}

// Branch-likely: when not taken, the delay slot is skipped.
inline void BranchLikelyIf(EeState& state, uint32_t op, bool taken) {
    if (taken) {
        TakeBranch(state, op);
    } else {
        state.pc += 4;
    }
}

// Jumps to `target` after the delay slot; with a link register, it receives the address after
// the delay slot (sign-extended) once the slot has run.
void JumpTo(EeState& state, uint32_t target);
void JumpAndLinkTo(EeState& state, uint32_t target, uint32_t linkRegister);

// BREAK: calls the native hook whose index is the code field, then returns through GPR[31].
void CallNativeHook(EeState& state, uint32_t op);

}  // namespace vertigon
