// Loading a synthetic MDLX model of 8 textures of 256 x 256 and over 50,000 vertices (plain and
// weighted packets, every vertex distinct): from memory, and from a file as the viewer opens it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench/bench_models.h"
#include "formats/mdlx/mdlx_loader.h"
#include "formats/mdlx/mdlx_model.h"
#include "formats/workspace.h"
#include "tests/fixtures/temp_dir.h"

namespace {

const std::vector<uint8_t>& File() {
    static const std::vector<uint8_t> file = vertigon::bench::MdlxBenchFile();
    return file;
}

void Report(benchmark::State& state, const vertigon::Model& model) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(File().size()));
    state.counters["file_MB"] = static_cast<double>(File().size()) / 1e6;
    state.counters["vertices"] = model.lods.at(0).shapes.at(0).positionCount();
    state.counters["textures"] = model.textureCount();
}

void BM_MdlxFromMemory(benchmark::State& state) {
    std::unique_ptr<vertigon::Model> model;
    vertigon::GsMemoryImage gs;
    for (auto _ : state) {
        model = vertigon::mdlx::BuildModel(File(), gs);
        benchmark::DoNotOptimize(model.get());
    }
    Report(state, *model);
}
BENCHMARK(BM_MdlxFromMemory)->Unit(benchmark::kMillisecond);

void BM_MdlxLoaderLoad(benchmark::State& state) {
    vertigon::testing::TempDir dir;
    const std::string path = dir.Write("synthetic.mdlx", File());
    vertigon::MdlxLoader loader;
    vertigon::Workspace workspace(vertigon::LoaderOptions{.eeImagePath = {}, .searchDefaultEeImagePlaces = false});
    std::unique_ptr<vertigon::Model> model;
    for (auto _ : state) {
        model = loader.Load(path, workspace.context());
        benchmark::DoNotOptimize(model.get());
    }
    Report(state, *model);
}
BENCHMARK(BM_MdlxLoaderLoad)->Unit(benchmark::kMillisecond);

}  // namespace
