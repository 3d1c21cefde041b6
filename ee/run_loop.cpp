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
    try {
        while (s.pc != plan.stop) {
            if (result.steps == plan.stepBound) {
                result.outcome = RunResult::Outcome::StepBound;
                result.message = "did not reach its stop address within " + std::to_string(plan.stepBound) + " steps";
                break;
            }
            for (const PcSkip& skip : plan.skips) {
                if (s.pc == skip.from) {
                    s.pc = skip.to;
                    break;
                }
            }
            if (plan.countCycles) ++s.cycleCounter;
            Step(s);
            if (s.breakPending) [[unlikely]] AnswerBreak(s, plan.hooks);
            ++result.steps;
        }
    } catch (const EeFault& fault) {
        EndWithFault(s, result, fault);
    }
    return result;
}

}  // namespace vertigon
