// Loading a synthetic MDLX model of 8 textures of 256 x 256 and over 50,000 vertices (plain and
// weighted packets, every vertex distinct): from memory, and from a file as the viewer opens it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "formats/mdlx/mdlx_loader.h"
#include "formats/mdlx/mdlx_model.h"
#include "formats/workspace.h"
#include "tests/fixtures/mdlx_writer.h"
#include "tests/fixtures/temp_dir.h"

namespace {

using vertigon::Vec4;
using vertigon::testing::MdlxDescription;
using vertigon::testing::MdlxPacket;

constexpr uint32_t kBones = 16;
constexpr int kTextures = 8;
constexpr int kPacketsPerSubpart = 30;  // 8 x 30 packets of 240 (plain) or 180 (weighted) vertices: 54,240

// Two rows of 120 vertices joined by one strip.
std::vector<vertigon::testing::MdlxStripElement> GridStrip(uint8_t first, uint8_t second, int columns) {
    std::vector<vertigon::testing::MdlxStripElement> strip;
    for (int i = 0; i < 2 * columns; ++i) {
        const auto vertex = static_cast<uint8_t>(i % 2 ? second + i / 2 : first + i / 2);
        const auto flag = static_cast<uint8_t>(i < 2 ? 0x10 : (i % 2 ? 0x30 : 0x20));
        strip.push_back({vertex, flag, static_cast<int16_t>(i * 16), static_cast<int16_t>((i % 2) * 4096)});
    }
    return strip;
}

MdlxPacket PlainPacket(uint32_t bone, float& z) {
    MdlxPacket packet;
    packet.bones = {bone};
    for (int i = 0; i < 240; ++i) packet.positions.push_back({float(i % 120), float(i / 120), z += 0.001f, 1});
    packet.boneVertexCounts = {240};
    packet.strip = GridStrip(0, 120, 120);
    return packet;
}

// 120 single-bone vertices on two bones and 60 two-bone blends.
MdlxPacket WeightedPacket(uint32_t bone, float& z) {
    MdlxPacket packet;
    packet.bones = {bone, (bone + 1) % kBones};
    for (int i = 0; i < 240; ++i) packet.positions.push_back({float(i % 120), float(i / 120), z += 0.001f, 0.5f});
    packet.boneVertexCounts = {120, 120};
    std::vector<uint32_t> singles, blends;
    for (uint32_t i = 0; i < 60; ++i) singles.push_back(i);
    for (uint32_t i = 0; i < 60; ++i) singles.push_back(120 + i);
    for (uint32_t i = 0; i < 60; ++i) {
        blends.push_back(60 + i);
        blends.push_back(180 + i);
    }
    packet.groups = {singles, blends};
    packet.strip = GridStrip(0, 90, 90);
    return packet;
}

std::vector<uint8_t> SyntheticFile() {
    MdlxDescription d;
    for (uint32_t b = 0; b < kBones; ++b) {
        d.bones.push_back({static_cast<int32_t>(b) - 1, {1, 1, 1}, {0.1f, 0, 0}, {0, 1, 0}});
    }
    float z = 0;
    for (int s = 0; s < kTextures; ++s) {
        vertigon::testing::MdlxSubpart subpart{s == 3 ? 0x13u : 0x14u, static_cast<uint32_t>(s), {}};
        for (int p = 0; p < kPacketsPerSubpart; ++p) {
            const uint32_t bone = static_cast<uint32_t>(s * kPacketsPerSubpart + p) % kBones;
            subpart.packets.push_back(p % 4 == 3 ? WeightedPacket(bone, z) : PlainPacket(bone, z));
        }
        d.subparts.push_back(std::move(subpart));
    }
    for (int t = 0; t < kTextures; ++t) {
        std::vector<uint8_t> indices(256 * 256);
        for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<uint8_t>(i * 31 + t);
        d.textures.push_back(vertigon::testing::SwizzledTexture(256, 256, indices));
        vertigon::testing::MdlxPalette palette{};
        for (size_t i = 0; i < 256; ++i) palette[i] = {uint8_t(i), uint8_t(t), uint8_t(255 - i), 0x80};
        d.palettes.push_back(palette);
    }
    return vertigon::testing::WriteMdlx(d);
}

const std::vector<uint8_t>& File() {
    static const std::vector<uint8_t> file = SyntheticFile();
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
        model = vertigon::BuildMdlxModel(File(), gs);
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
