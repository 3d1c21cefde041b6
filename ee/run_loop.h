// The one loop that runs emulated code: the set-up and frame routines of the harness and
// vertigon-cli ee-run all go through it.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "ee/fault.h"
#include "ee/native_hook_table.h"
#include "ee/state.h"

namespace vertigon {

// An address the loop never executes: reaching `from` continues at `to`.
struct PcSkip {
    uint32_t from;
    uint32_t to;
};

struct RunPlan {
    uint32_t entry = 0;
    uint32_t stop = 0;
    uint64_t stepBound = 0;
    std::span<const PcSkip> skips{};
    // Advance CycleCounter (what MFC0 of Count reads) once per step.
    bool countCycles = false;
    // The routines that run as host code, by the code of the BREAK at their address.
    std::span<const NativeHook> hooks{};
};

// How one run ended.
struct RunResult {
    enum class Outcome {
        Finished,   // the stop address was reached
        Fault,      // the emulator met something it cannot do; `message` says what
        StepBound,  // the step bound was reached first
        Refused,    // the run could not start: its input does not fit emulated memory
    };
    Outcome outcome = Outcome::Finished;
    std::string message;  // one line, no trailing newline; empty when finished
    uint64_t steps = 0;

    bool finished() const { return outcome == Outcome::Finished; }
};

// Starts at the entry and steps until PC is the stop address. Before each step: the stop
// test, then the step bound, then the skips; a delay slot is a step of its own, so the loop sees
// its address too. After a step whose BREAK asks for a hook, the hook runs as part of it. A fault ends the run: its message goes to the
// state's output and into the result. The host computes with the R5900's rounding meanwhile
// (ee/float_mode.h) and has its own mode back afterwards.
RunResult RunUntilStop(EeState& state, const RunPlan& plan);

// Marks `result` as ended by `fault` and writes the fault's message to the state's output.
void EndWithFault(EeState& state, RunResult& result, const EeFault& fault);

}  // namespace vertigon
