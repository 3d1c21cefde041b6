// glTF export: the 54,240-vertex MDLX model, the 100-animation FFB archive, 120 baked frames of
// an emulated MDLS animation on the test program image, and a batch of eight files exported by
// one job and by two at once (as vertigon-cli export -j 1 and -j 2).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_models.h"
#include "cli/export_batch.h"
#include "export/gltf_export.h"
#include "formats/workspace.h"
#include "formats/registry.h"
#include "tests/fixtures/ee_test_image.h"
#include "tests/fixtures/mdls_writer.h"
#include "tests/fixtures/r5900_assembler.h"
#include "tests/fixtures/temp_dir.h"

namespace {

using namespace vertigon;
using namespace vertigon::testing;

// Loads `path` once and exports it as .glb every iteration.
void ExportLoop(benchmark::State& state, const std::string& path, const LoaderOptions& options = {}) {
    Workspace workspace(options);
    Model* model = workspace.registry().OpenModel(path);
    if (!model) {
        state.SkipWithError("the model did not load");
        return;
    }
    TempDir out;
    GltfExportOptions exportOptions;
    exportOptions.warn = [](std::string_view) {};
    const std::filesystem::path target = out.path() / "out.glb";
    for (auto _ : state) ExportGltf(*model, target, exportOptions);
    state.counters["glb_MB"] = static_cast<double>(std::filesystem::file_size(target)) / 1e6;
}

void BM_ExportMdlx54240Vertices(benchmark::State& state) {
    TempDir dir;
    ExportLoop(state, dir.Write("synthetic.mdlx", bench::MdlxBenchFile()));
}
BENCHMARK(BM_ExportMdlx54240Vertices)->Unit(benchmark::kMillisecond);

void BM_ExportFfb100Animations(benchmark::State& state) {
    TempDir dir;
    ExportLoop(state, dir.Write("bench.ffb", bench::FfbBenchArchive()));
}
BENCHMARK(BM_ExportFfb100Animations)->Unit(benchmark::kMillisecond);

// A 20-bone MDLS model with one test animation moving every bone, and the test program image.
void BM_ExportMdlsBaking120Frames(benchmark::State& state) {
    if (!MipsToolsAvailable()) {
        state.SkipWithError(kMipsToolsMissing);
        return;
    }
    constexpr size_t kBones = 20;
    TempDir dir;
    MdlsDescription model;
    model.bones.resize(kBones);
    for (size_t b = 1; b < kBones; ++b) model.bones[b].parentField = static_cast<uint32_t>(b - 1);
    TestAnimation walk;
    walk.bones.resize(kBones);
    for (size_t b = 0; b < kBones; ++b) walk.bones[b].velocity = {float(b % 5) - 2.0f, 1.0f, float(b % 3), 0.0f};
    const std::vector<uint8_t> block = WriteTestAnimationBlock(walk);
    MsetDescription mset;
    mset.offsets = {0x20};
    mset.blocks = {{0x20, block}};
    mset.bytesAfterList = 0x20 + block.size();
    dir.Write("walker.mset", WriteMset(mset));
    const std::string path = dir.Write("walker.mdls", WriteMdls(model));
    const std::string image = dir.Write("ee-image.bin", TestProgramImage());
    ExportLoop(state, path, LoaderOptions{image, false});
    state.counters["frames"] = 120;
}
BENCHMARK(BM_ExportMdlsBaking120Frames)->Unit(benchmark::kMillisecond);

// Eight MDLX models of the benchmark's kind, as one batch.
void BM_ExportEightFiles(benchmark::State& state) {
    TempDir dir;
    ExportBatch batch;
    const std::vector<uint8_t> file = bench::MdlxBenchFile();
    for (int i = 0; i < 8; ++i) batch.models.push_back(dir.Write("model" + std::to_string(i) + ".mdlx", file));
    batch.out = dir.path() / "out";
    batch.jobs = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        if (RunExportBatch(batch, [](const std::string&) {}) != 0) {
            state.SkipWithError("the batch failed");
            return;
        }
    }
}
BENCHMARK(BM_ExportEightFiles)->Arg(1)->Arg(2)->ArgName("jobs")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
