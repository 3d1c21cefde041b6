// Loading a synthetic RAW model of 51,200 vertices (two 128 x 128-word images, two palettes)
// from memory: chunk tree, MaterialMap, textures and geometry.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "formats/raw/raw_loader.h"
#include "tests/fixtures/raw_models.h"
#include "tests/fixtures/raw_writer.h"

namespace {

void BM_LoadRawModel(benchmark::State& state) {
    const std::vector<uint8_t> file =
        vertigon::testing::BuildRawFile(vertigon::testing::SyntheticRawModel(static_cast<int>(state.range(0))));
    size_t vertices = 0;
    vertigon::GsMemoryImage gs;
    for (auto _ : state) {
        auto model = vertigon::raw::LoadModel(file, gs);
        vertices = model->lods[0].shapes.size() * model->lods[0].shapes[0].positionSingles.size();
        benchmark::DoNotOptimize(model.get());
    }
    state.counters["vertices"] = static_cast<double>(vertices);
    state.counters["file_bytes"] = static_cast<double>(file.size());
    // File bytes parsed per second.
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}
BENCHMARK(BM_LoadRawModel)->Arg(50000)->Unit(benchmark::kMillisecond);

}  // namespace
