// Skinning on the processor: position influences transformed by bone matrices per second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "render/skinning.h"

namespace {

using namespace vertigon;

constexpr int kBones = 64;

std::vector<Bone> PosedBones() {
    std::vector<Bone> bones(kBones);
    for (int b = 0; b < kBones; ++b) {
        bones[b].world = EulerRotation({0.1f * b, 0.05f * b, -0.02f * b, 0});
        bones[b].world.m[3][0] = static_cast<float>(b);
    }
    return bones;
}

// `outputs` positions, each the sum of `perGroup` weighted influences (or one single when
// perGroup is 1), on bones spread by a fixed pseudo-random sequence.
Shape SkinnedShape(int outputs, int perGroup) {
    Shape shape;
    uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int i = 0; i < outputs; ++i) {
        const float x = static_cast<float>(next() % 1000), y = static_cast<float>(next() % 1000), z = 3;
        if (perGroup == 1) {
            shape.positionSingles.push_back({i, static_cast<int32_t>(next() % kBones), {x, y, z, 1}});
            continue;
        }
        shape.positionGroups.push_back({i, perGroup, static_cast<int32_t>(shape.positionInfluences.size())});
        for (int k = 0; k < perGroup; ++k) {
            const float w = 1.0f / static_cast<float>(perGroup);
            shape.positionInfluences.push_back({0, static_cast<int32_t>(next() % kBones), {w * x, w * y, w * z, w}});
        }
    }
    return shape;
}

void BM_SkinPositions(benchmark::State& state) {
    const int perGroup = static_cast<int>(state.range(0));
    constexpr int kOutputs = 50000;
    const Shape shape = SkinnedShape(kOutputs, perGroup);
    const std::vector<Bone> bones = PosedBones();
    std::vector<Vec4> out(kOutputs);
    for (auto _ : state) {
        SkinPositions(shape, bones, out);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    // Items are position influences (a single counts as one).
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kOutputs * perGroup);
}
BENCHMARK(BM_SkinPositions)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond);

}  // namespace
