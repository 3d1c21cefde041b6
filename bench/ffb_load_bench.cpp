// Loading an FFB archive with 100 animations of 60 bones by 100 frames (rotations as delta
// streams, translations constant, scales full): through the gzip reader from a file, from a
// plain file, and decoding alone from memory.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "bench/bench_models.h"
#include "formats/ffb/ffb_loader.h"
#include "formats/workspace.h"
#include "tests/fixtures/temp_dir.h"

namespace {

using namespace vertigon::testing;

struct Files {
    Files()
        : tar(vertigon::bench::FfbBenchArchive()), plain(dir.Write("bench.ffb", tar)), packed(dir.Write("bench_gz.ffb", Gzip(tar))) {}
    TempDir dir;
    std::vector<uint8_t> tar;
    std::string plain;
    std::string packed;
};

Files& SharedFiles() {
    static Files files;
    return files;
}

void Report(benchmark::State& state) {
    state.counters["archive_KiB"] = static_cast<double>(SharedFiles().tar.size()) / 1024.0;
    state.SetItemsProcessed(state.iterations() * vertigon::bench::kFfbAnimations);  // animations per second
}

void BM_LoadGzipArchive(benchmark::State& state) {
    vertigon::FfbLoader loader;
    vertigon::Workspace workspace(vertigon::LoaderOptions{.eeImagePath = {}, .searchDefaultEeImagePlaces = false});
    for (auto _ : state) {
        auto model = loader.Load(SharedFiles().packed, workspace.context());
        benchmark::DoNotOptimize(model.get());
    }
    Report(state);
}
BENCHMARK(BM_LoadGzipArchive)->Unit(benchmark::kMillisecond);

void BM_LoadPlainArchive(benchmark::State& state) {
    vertigon::FfbLoader loader;
    vertigon::Workspace workspace(vertigon::LoaderOptions{.eeImagePath = {}, .searchDefaultEeImagePlaces = false});
    for (auto _ : state) {
        auto model = loader.Load(SharedFiles().plain, workspace.context());
        benchmark::DoNotOptimize(model.get());
    }
    Report(state);
}
BENCHMARK(BM_LoadPlainArchive)->Unit(benchmark::kMillisecond);

void BM_DecodeArchiveInMemory(benchmark::State& state) {
    for (auto _ : state) {
        auto model = vertigon::ffb::LoadArchive(SharedFiles().tar);
        benchmark::DoNotOptimize(model.get());
    }
    Report(state);
}
BENCHMARK(BM_DecodeArchiveInMemory)->Unit(benchmark::kMillisecond);

}  // namespace
