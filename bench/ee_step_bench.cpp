// Instructions per second of Step on tight loops: one of ALU, shift, load, store and branch
// instructions, one of FPU and VU0 macro arithmetic.
#include <benchmark/benchmark.h>

#include <memory>

#include "ee/float_mode.h"
#include "ee/interpreter.h"
#include "ee/memory.h"
#include "ee/state.h"
#include "tests/fixtures/r5900_assembler.h"

namespace {

// Each loop is eleven instructions per iteration, the branch's delay slot a step like the others.
constexpr int kInstructionsPerIteration = 11;

constexpr const char* kIntegerLoop = R"(
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

// The values stay ordinary numbers: each sum is undone by the next difference.
constexpr const char* kFloatLoop = R"(
        li $t7, -1
        lui $t1, 0x3FC0        # 1.5
        mtc1 $t1, $f1
        lui $t1, 0x3F00        # 0.5
        mtc1 $t1, $f2
        lui $t1, 0x4040        # 3.0
        mtc1 $t1, $f4
        dsll32 $t2, $t1, 0
        or $t2, $t2, $t1
        pcpyld $t2, $t2, $t2
        qmtc2 $t2, $vf4        # (3, 3, 3, 3)
        lui $t1, 0x3F00
        dsll32 $t2, $t1, 0
        or $t2, $t2, $t1
        pcpyld $t2, $t2, $t2
        qmtc2 $t2, $vf2        # (0.5, 0.5, 0.5, 0.5)
        vaddw.xyzw $vf1, $vf2, $vf0w
    loop:
        add.s $f3, $f1, $f2
        mul.s $f5, $f3, $f4
        div.s $f6, $f5, $f4
        sub.s $f1, $f6, $f2
        vadd.xyzw $vf3, $vf1, $vf2
        vmulx.xyzw $vf5, $vf3, $vf4x
        vmulax.xyzw $ACC, $vf5, $vf2x
        vmaddy.xyzw $vf6, $vf1, $vf2y
        addiu $t0, $t0, 1
        bne $t0, $t7, loop
        vsub.xyzw $vf1, $vf3, $vf2
)";

void RunLoop(benchmark::State& bench, const char* source) {
    if (!vertigon::testing::MipsToolsAvailable()) {
        bench.SkipWithError(vertigon::testing::kMipsToolsMissing);
        return;
    }
    const vertigon::testing::AssembledCode code = vertigon::testing::AssembleR5900(source, 0x00100000);
    auto state = std::make_unique<vertigon::EeState>();
    vertigon::EeState& s = *state;
    for (size_t i = 0; i < code.bytes.size(); ++i) s.mainBase[code.base + i] = code.bytes[i];
    s.pc = code.base;
    while (s.pc != code.Symbol("loop")) vertigon::Step(s);

    constexpr int kIterations = 100000;
    const vertigon::R5900FloatMode floatMode(s);  // as the run loops hold it
    for (auto _ : bench) {
        for (int i = 0; i < kIterations * kInstructionsPerIteration; ++i) {
            vertigon::Step(s);
        }
        benchmark::DoNotOptimize(s.gpr[8].lower);
        benchmark::DoNotOptimize(s.fpr[1]);
    }
    const double instructions = static_cast<double>(bench.iterations()) * kIterations * kInstructionsPerIteration;
    bench.SetItemsProcessed(static_cast<int64_t>(instructions));
    bench.counters["instructions/s"] = benchmark::Counter(instructions, benchmark::Counter::kIsRate);
}

void BM_StepTightLoop(benchmark::State& bench) { RunLoop(bench, kIntegerLoop); }
BENCHMARK(BM_StepTightLoop)->Unit(benchmark::kMillisecond);

void BM_StepFloatLoop(benchmark::State& bench) { RunLoop(bench, kFloatLoop); }
BENCHMARK(BM_StepFloatLoop)->Unit(benchmark::kMillisecond);

}  // namespace
