// Instructions per second of Step on a tight loop of ALU, shift, load, store and branch
// instructions, run the way the run loops do (GPR[0] cleared before every step).
#include <benchmark/benchmark.h>

#include <memory>

#include "ee/interpreter.h"
#include "ee/memory.h"
#include "ee/state.h"
#include "tests/fixtures/r5900_assembler.h"

namespace {

// Ten top-level steps per iteration; the last one also runs the branch's delay slot.
constexpr int kStepsPerIteration = 10;
constexpr int kInstructionsPerIteration = 11;

constexpr const char* kLoop = R"(
        lui $a0, 0x20
        li $t7, -1
    loop:
        addu $t1, $t1, $t0
        sll $t2, $t1, 3
        xor $t3, $t2, $t0
        lw $t4, 0($a0)
        addiu $t4, $t4, 1
        sw $t4, 0($a0)
        srl $t5, $t3, 2
        andi $t6, $t5, 0xFF
        addiu $t0, $t0, 1
        bne $t0, $t7, loop
        or $t8, $t8, $t6
)";

void BM_StepTightLoop(benchmark::State& bench) {
    if (!vertigon::testing::MipsToolsAvailable()) {
        bench.SkipWithError(vertigon::testing::kMipsToolsMissing);
        return;
    }
    const vertigon::testing::AssembledCode code = vertigon::testing::AssembleR5900(kLoop, 0x00100000);
    auto state = std::make_unique<vertigon::EeState>();
    vertigon::EeState& s = *state;
    for (size_t i = 0; i < code.bytes.size(); ++i) s.mainBase[code.base + i] = code.bytes[i];
    s.pc = code.base;
    while (s.pc != code.Symbol("loop")) vertigon::Step(s);

    constexpr int kIterations = 100000;
    for (auto _ : bench) {
        for (int i = 0; i < kIterations * kStepsPerIteration; ++i) {
            s.gpr[0].lower = 0;
            vertigon::Step(s);
        }
        benchmark::DoNotOptimize(s.gpr[8].lower);
    }
    bench.SetItemsProcessed(static_cast<int64_t>(bench.iterations()) * kIterations * kInstructionsPerIteration);
    bench.counters["instructions/s"] =
        benchmark::Counter(static_cast<double>(bench.iterations()) * kIterations * kInstructionsPerIteration,
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_StepTightLoop)->Unit(benchmark::kMillisecond);

}  // namespace
