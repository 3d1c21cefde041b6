// vertigon-cli thumbnail on each bundled sample, everything the command does after the process
// starts: the offscreen context, the load, two frames and the PNG. A file manager waits for it, so
// it should stay well under a second.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "cli/draw/tool_commands.h"

namespace {

void BM_Thumbnail(benchmark::State& state, const char* sample) {
    const std::string model = std::string(VERTIGON_SOURCE_DIR) + "/samples/" + sample;
    const std::string out = (std::filesystem::temp_directory_path() / "vertigon-thumbnail-bench.png").string();
    for (auto _ : state) {
        if (vertigon::RunCli({"thumbnail", model, out, "--size", "256"}) != vertigon::kExitOk) {
            state.SkipWithError("the thumbnail command failed");
            break;
        }
    }
    std::filesystem::remove(out);
}

BENCHMARK_CAPTURE(BM_Thumbnail, demo_ffb, "demo.ffb")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Thumbnail, winged_totem_raw, "winged_totem.raw")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Thumbnail, mdlx_sample_mdlx, "mdlx_sample.mdlx")->Unit(benchmark::kMillisecond);

}  // namespace
