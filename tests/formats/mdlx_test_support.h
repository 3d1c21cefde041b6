// Small builders shared by the MDLX loader tests.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "formats/mdlx/mdlx_model.h"
#include "tests/fixtures/mdlx_writer.h"

namespace vertigon::testing {

inline std::unique_ptr<Model> LoadMdlx(const MdlxDescription& description) {
    const std::vector<uint8_t> file = WriteMdlx(description);
    GsMemoryImage gs;
    return mdlx::BuildModel(file, gs);
}

inline const Shape& OnlyShape(const Model& model) { return model.lods.at(0).shapes.at(0); }

// A strip of (vertex, flag) elements with texture coordinates 0.
inline std::vector<MdlxStripElement> Strip(std::initializer_list<std::pair<uint8_t, uint8_t>> elements) {
    std::vector<MdlxStripElement> strip;
    for (const auto& [vertex, flag] : elements) strip.push_back({vertex, flag, 0, 0});
    return strip;
}

// A strip that pushes two vertices and then emits one triangle per further vertex.
inline std::vector<MdlxStripElement> TriangleStrip(uint8_t vertices) {
    std::vector<MdlxStripElement> strip;
    for (uint8_t v = 0; v < vertices; ++v) {
        strip.push_back({v, static_cast<uint8_t>(v < 2 ? 0x10 : (v % 2 ? 0x30 : 0x20)), 0, 0});
    }
    return strip;
}

// An unweighted packet whose positions all belong to one bone.
inline MdlxPacket OneBonePacket(uint32_t bone, std::vector<Vec4> positions, std::vector<MdlxStripElement> strip) {
    MdlxPacket packet;
    packet.bones = {bone};
    packet.boneVertexCounts = {static_cast<uint32_t>(positions.size())};
    packet.positions = std::move(positions);
    packet.strip = std::move(strip);
    return packet;
}

// Bones in a chain (each the parent of the next), at unit steps along y.
inline std::vector<MdlxBone> ChainOfBones(size_t count) {
    std::vector<MdlxBone> bones(count);
    for (size_t i = 0; i < count; ++i) {
        bones[i].parent = static_cast<int32_t>(i) - 1;
        bones[i].translation = {0, i == 0 ? 0.0f : 1.0f, 0};
    }
    return bones;
}

// A uniform-grey opaque palette with index i coloured (i, i, i, 0x80).
inline MdlxPalette GreyPalette() {
    MdlxPalette palette{};
    for (size_t i = 0; i < 256; ++i) palette[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 0x80};
    return palette;
}

}  // namespace vertigon::testing
