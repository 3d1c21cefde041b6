// The models the load and export benchmarks share, built byte by byte with the test fixtures.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/fixtures/ffb_fixtures.h"
#include "tests/fixtures/mdlx_writer.h"

namespace vertigon::bench {

using testing::FfaAnimationDesc;
using testing::MdlxDescription;
using testing::MdlxPacket;
using namespace testing;

constexpr uint32_t kMdlxBones = 16;
constexpr int kMdlxTextures = 8;
constexpr int kPacketsPerSubpart = 30;  // 8 x 30 packets of 240 (plain) or 180 (weighted) vertices: 54,240

// Two rows of 120 vertices joined by one strip.
inline std::vector<vertigon::testing::MdlxStripElement> GridStrip(uint8_t first, uint8_t second, int columns) {
    std::vector<vertigon::testing::MdlxStripElement> strip;
    for (int i = 0; i < 2 * columns; ++i) {
        const auto vertex = static_cast<uint8_t>(i % 2 ? second + i / 2 : first + i / 2);
        const auto flag = static_cast<uint8_t>(i < 2 ? 0x10 : (i % 2 ? 0x30 : 0x20));
        strip.push_back({vertex, flag, static_cast<int16_t>(i * 16), static_cast<int16_t>((i % 2) * 4096)});
    }
    return strip;
}

inline MdlxPacket PlainPacket(uint32_t bone, float& z) {
    MdlxPacket packet;
    packet.bones = {bone};
    for (int i = 0; i < 240; ++i) packet.positions.push_back({float(i % 120), float(i / 120), z += 0.001f, 1});
    packet.boneVertexCounts = {240};
    packet.strip = GridStrip(0, 120, 120);
    return packet;
}

// 120 single-bone vertices on two bones and 60 two-bone blends.
inline MdlxPacket WeightedPacket(uint32_t bone, float& z) {
    MdlxPacket packet;
    packet.bones = {bone, (bone + 1) % kMdlxBones};
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

// 8 textures of 256 x 256 and 54,240 vertices (plain and weighted packets, every vertex distinct).
inline std::vector<uint8_t> MdlxBenchFile() {
    MdlxDescription d;
    for (uint32_t b = 0; b < kMdlxBones; ++b) {
        d.bones.push_back({static_cast<int32_t>(b) - 1, {1, 1, 1}, {0.1f, 0, 0}, {0, 1, 0}});
    }
    float z = 0;
    for (int s = 0; s < kMdlxTextures; ++s) {
        vertigon::testing::MdlxSubpart subpart{s == 3 ? 0x13u : 0x14u, static_cast<uint32_t>(s), {}};
        for (int p = 0; p < kPacketsPerSubpart; ++p) {
            const uint32_t bone = static_cast<uint32_t>(s * kPacketsPerSubpart + p) % kMdlxBones;
            subpart.packets.push_back(p % 4 == 3 ? WeightedPacket(bone, z) : PlainPacket(bone, z));
        }
        d.subparts.push_back(std::move(subpart));
    }
    for (int t = 0; t < kMdlxTextures; ++t) {
        std::vector<uint8_t> indices(256 * 256);
        for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<uint8_t>(i * 31 + t);
        d.textures.push_back(vertigon::testing::SwizzledTexture(256, 256, indices));
        vertigon::testing::MdlxPalette palette{};
        for (size_t i = 0; i < 256; ++i) palette[i] = {uint8_t(i), uint8_t(t), uint8_t(255 - i), 0x80};
        d.palettes.push_back(palette);
    }
    return vertigon::testing::WriteMdlx(d);
}

constexpr int kFfbAnimations = 100;
constexpr int kFfbBones = 60;
constexpr int kFfbFrames = 100;

inline FfaAnimationDesc BenchAnimation(int index) {
    FfaAnimationDesc animation{kFfbFrames, kFfbBones, {}};
    for (int bone = 0; bone < kFfbBones; ++bone) {
        for (int axis = 0; axis < 3; ++axis) {
            std::vector<int32_t> values;
            for (int f = 0; f < kFfbFrames; ++f) {
                const double phase = 6.283185307179586 * f / kFfbFrames + 0.1 * (bone + axis + index);
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

// 100 animations of 60 bones by 100 frames: rotations as delta streams, translations
// constant, scales full.
inline std::vector<uint8_t> FfbBenchArchive() {
    FfmDesc model = SmallFfmModel();
    while (model.bones.size() < kFfbBones) {
        model.bones.push_back({static_cast<uint16_t>(model.bones.size() - 1), {}, {0, 100, 0}, {4096, 4096, 4096}});
    }
    std::vector<FfaAnimationDesc> animations;
    for (int i = 0; i < kFfbAnimations; ++i) animations.push_back(BenchAnimation(i));
    return PackTar({{"model.ffm", WriteFfm(model)}, {"2.ffa", WriteFfa(animations)}});
}

}  // namespace vertigon::bench
