// Executing instructions: Step runs the one at PC. A taken branch or jump only records its
// target in nextPc; its delay slot is the next step, after which execution goes on there.
#pragma once

#include <cstdint>

#include "ee/instruction.h"
#include "ee/state.h"

namespace vertigon {

// Executes one instruction at PC: resets VF[0], fetches, advances PC by 4, executes (a delay
// slot then continues at nextPc). GPR[0] stays zero in all 128 bits (writes naming it are
// discarded). Faults throw EeFault and leave the state as far as the instruction got. A BREAK
// leaves breakPending set for the caller to answer (ee/native_hook_table.h).
void Step(EeState& state);

// Execution starts afresh at `address`: no pending branch, link or BREAK.
void StartAt(EeState& state, uint32_t address);

// A taken branch or jump: the delay slot at PC runs next, then execution goes on at `target`;
// `link.reg`, if not 0, receives `link.address` (sign-extended) once the slot has run.
// Inside a delay slot, a taken branch runs its own delay slot and then the enclosing branch's
// target: the enclosing branch decides where execution goes.
void TakeBranch(EeState& state, uint32_t target, PendingLink link = {});

// Conditional branches: target = delay-slot address + offset * 4.
inline uint32_t BranchTarget(const EeState& state, uint32_t op) {
    return state.pc + (static_cast<uint32_t>(SignedImmediate(op)) << 2);
}

inline void BranchIf(EeState& state, uint32_t op, bool taken) {
    if (taken) TakeBranch(state, BranchTarget(state, op));
}

// Branch-likely: when not taken, the delay slot is annulled (inside a delay slot the enclosing
// branch's target follows all the same).
inline void BranchLikelyIf(EeState& state, uint32_t op, bool taken) {
    if (taken) {
        TakeBranch(state, BranchTarget(state, op));
    } else {
        state.ContinueAt(state.pc + 4);
    }
}

// Jumps to `target` after the delay slot; with a link register, it receives the address after
// the delay slot (sign-extended) once the slot has run.
inline void JumpTo(EeState& state, uint32_t target) { TakeBranch(state, target); }
inline void JumpAndLinkTo(EeState& state, uint32_t target, uint32_t linkRegister) {
    TakeBranch(state, target, PendingLink{linkRegister, state.pc + 4});
}

// BREAK: asks the caller for the native hook whose index is the code field and returns through
// GPR[31] as the hooked routine would (without a delay slot).
void RaiseBreak(EeState& state, uint32_t op);

}  // namespace vertigon
