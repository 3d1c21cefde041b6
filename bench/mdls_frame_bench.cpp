// One evaluated time of an MDLS animation: RunFrameRoutine on the test program image
// (tests/fixtures/ee_test_image.h) for a model of 100 moving bones, as Apply runs it every
// redraw. Reports microseconds per call and interpreter steps per second (a step is one
// fetched instruction; a taken branch's delay-slot instruction runs inside its step).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "ee/output.h"
#include "formats/mdls/animation_routines.h"
#include "tests/fixtures/ee_test_image.h"
#include "tests/fixtures/mdls_writer.h"
#include "tests/fixtures/r5900_assembler.h"

namespace {

using namespace vertigon;
using namespace vertigon::testing;

constexpr size_t kBones = 100;

class QuietSink final : public EeOutputSink {
public:
    void Write(std::string_view) override {}
};

void BM_RunFrameRoutine100Bones(benchmark::State& bench) {
    if (!MipsToolsAvailable()) {
        bench.SkipWithError(kMipsToolsMissing);
        return;
    }
    QuietSink quiet;
    mdls::AnimationRoutines harness(TestProgramImage(), quiet);

    MdlsDescription model;
    model.bones.resize(kBones);
    harness.SetModelSource(std::make_shared<const std::vector<uint8_t>>(WriteMdls(model)), SIZE_MAX);
    TestAnimation animation;
    animation.timeScale = 2.0f;
    animation.bones.resize(kBones);
    for (size_t b = 0; b < kBones; ++b) {
        animation.bones[b].rest.m[3][1] = float(b);
        animation.bones[b].velocity = {float(b % 7) - 3.0f, 1.0f, float(b % 3), 0.0f};
    }
    const std::vector<uint8_t> block = WriteTestAnimationBlock(animation);
    if (!harness.RunSetupRoutine(block).finished()) {
        bench.SkipWithError("the set-up routine did not finish");
        return;
    }

    uint64_t steps = 0;
    float time = 0.0f;
    for (auto _ : bench) {
        harness.animationTime = time;
        time += 0.25f;
        const RunResult run = harness.RunFrameRoutine();
        if (!run.finished()) {
            bench.SkipWithError(run.message.c_str());
            return;
        }
        steps += run.steps;
        benchmark::DoNotOptimize(harness.poseOutput.data());
    }
    const double calls = static_cast<double>(bench.iterations());
    bench.counters["steps/call"] = benchmark::Counter(static_cast<double>(steps) / calls);
    bench.counters["steps/s"] = benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RunFrameRoutine100Bones)->Unit(benchmark::kMicrosecond);

}  // namespace
