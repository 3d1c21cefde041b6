#include "ee/run_loop.h"

#include "ee/float_mode.h"
#include "ee/interpreter.h"

namespace vertigon {

void EndWithFault(EeState& s, RunResult& result, const EeFault& fault) {
    std::string message = fault.what();
    s.output->Write(message);
    while (!message.empty() && message.back() == '\n') message.pop_back();
    result.outcome = RunResult::Outcome::Fault;
    result.message = std::move(message);
}

RunResult RunUntilStop(EeState& s, const RunPlan& plan) {
    RunResult result;
    const R5900FloatMode floatMode(s);
    StartAt(s, plan.entry);
    // Held in locals: read through `plan`, they would be loaded again after every step.
    const uint32_t stop = plan.stop;
    const uint64_t stepBound = plan.stepBound;
    const std::span<const PcSkip> skips = plan.skips;
    const bool countCycles = plan.countCycles;
    uint64_t steps = 0;
    try {
        while (s.pc != stop) {
            if (steps == stepBound) {
                result.outcome = RunResult::Outcome::StepBound;
                result.message = "did not reach its stop address within " + std::to_string(stepBound) + " steps";
                break;
            }
            for (const PcSkip& skip : skips) {
                if (s.pc == skip.from) {
                    s.pc = skip.to;
                    break;
                }
            }
            if (countCycles) ++s.cycleCounter;
            Step(s);
            if (s.breakPending) [[unlikely]] AnswerBreak(s, plan.hooks);
            ++steps;
        }
    } catch (const EeFault& fault) {
        EndWithFault(s, result, fault);
    }
    result.steps = steps;
    return result;
}

}  // namespace vertigon
