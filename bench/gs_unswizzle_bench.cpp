// Unswizzling a 256 x 256-word upload (a 512 x 512 index image): write as PSMCT32, read as PSMT8.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "formats/ps2/gs_memory.h"

namespace {

void BM_UnswizzlePsmt8(benchmark::State& state) {
    constexpr uint32_t kWords = 256;
    std::vector<uint8_t> upload(kWords * kWords * 4);
    for (size_t i = 0; i < upload.size(); ++i) upload[i] = static_cast<uint8_t>(i * 7);
    vertigon::GsMemoryImage gs;
    std::vector<uint8_t> indices;
    for (auto _ : state) {
        bool ok = vertigon::UnswizzlePsmt8(gs, upload, kWords, kWords, kWords / 64, 2 * kWords / 64, indices);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(indices.data());
    }
    // Bytes in (the upload) per second.
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(upload.size()));
}
BENCHMARK(BM_UnswizzlePsmt8)->Unit(benchmark::kMicrosecond);

}  // namespace
