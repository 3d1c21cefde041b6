// Loading an FFB archive with 100 animations of 60 bones by 100 frames (rotations as delta
// streams, translations constant, scales full): through the gzip reader from a file, from a
// plain file, and decoding alone from memory.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "formats/ffb/ffb_loader.h"
#include "formats/workspace.h"
#include "tests/fixtures/ffb_fixtures.h"
#include "tests/fixtures/temp_dir.h"

namespace {

using namespace vertigon::testing;

constexpr int kAnimations = 100;
constexpr int kBones = 60;
constexpr int kFrames = 100;

FfaAnimationDesc BenchAnimation(int index) {
    FfaAnimationDesc animation{kFrames, kBones, {}};
    for (int bone = 0; bone < kBones; ++bone) {
        for (int axis = 0; axis < 3; ++axis) {
            std::vector<int32_t> values;
            for (int f = 0; f < kFrames; ++f) {
                const double phase = 6.283185307179586 * f / kFrames + 0.1 * (bone + axis + index);
                values.push_back(static_cast<int32_t>(std::lround(300 * std::sin(phase) * (axis + 1))));
            }
            animation.channels.push_back(ChannelFor(values));
        }
        animation.channels.push_back(ChannelCode(0));
        animation.channels.push_back(ConstantChannel(static_cast<int16_t>(10 * bone)));
        animation.channels.push_back(ChannelCode(0));
        for (int axis = 0; axis < 3; ++axis) animation.channels.push_back(ChannelCode(1));
    }
    return animation;
}

std::vector<uint8_t> BenchArchive() {
    FfmDesc model = SmallFfmModel();
    while (model.bones.size() < kBones) {
        model.bones.push_back({static_cast<uint16_t>(model.bones.size() - 1), {}, {0, 100, 0}, {4096, 4096, 4096}});
    }
    std::vector<FfaAnimationDesc> animations;
    for (int i = 0; i < kAnimations; ++i) animations.push_back(BenchAnimation(i));
    return PackTar({{"model.ffm", WriteFfm(model)}, {"2.ffa", WriteFfa(animations)}});
}

struct Files {
    Files() : tar(BenchArchive()), plain(dir.Write("bench.ffb", tar)), packed(dir.Write("bench_gz.ffb", Gzip(tar))) {}
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
    state.SetItemsProcessed(state.iterations() * kAnimations);  // animations per second
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
        auto model = vertigon::LoadFfbArchive(SharedFiles().tar);
        benchmark::DoNotOptimize(model.get());
    }
    Report(state);
}
BENCHMARK(BM_DecodeArchiveInMemory)->Unit(benchmark::kMillisecond);

}  // namespace
