// One geometry packet of a RAW mesh: a descriptor and the VIF data it points to (positions,
// normals, skipped influences, optional colours, texture coordinates, a triangle strip).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "formats/byte_reader.h"
#include "scene/math.h"

namespace vertigon::raw {

struct PacketDescriptor {
    static constexpr uint64_t kBytes = 28;

    uint64_t vifOffset = 0;       // in the file
    uint32_t coordCount = 0;
    uint32_t influenceCount = 1;  // per vertex, in the skipped influence section
    uint32_t vertexCount = 0;
    uint32_t stripCount = 0;
};

struct StripEntry {
    uint8_t vertex = 0;  // into the packet's vertices
    uint8_t colour = 0;  // into the packet's colours; beyond them means opaque white
    uint8_t coord = 0;   // into the packet's texture coordinates
    uint16_t flag = 0;   // 0 closes a triangle with the two entries before it
};

struct Packet {
    std::vector<Vec3> positions;                 // as stored
    std::vector<Vec3> normals;                   // fixed point decoded, not yet scaled
    std::vector<std::array<uint8_t, 4>> colours;  // R, G, B, A with the alpha expanded to 8 bits
    std::vector<std::array<float, 2>> coords;     // u, v; 1.0 is the texture size
    std::vector<StripEntry> strip;
};

// `chunkStart` is the file offset the descriptor's offsets count from.
PacketDescriptor ReadPacketDescriptor(const ByteReader& file, uint64_t offset, uint64_t chunkStart);

// Decodes the packet's VIF data into `packet`, reusing its storage. Throws FormatError when a
// section lies outside the file.
void DecodePacket(const ByteReader& file, const PacketDescriptor& descriptor, Packet& packet);

// The 16-bit fixed-point numbers of normals and texture coordinates: 11 integer bits and four
// fraction bits, negative values stored as the complement.
float DecodeFixedPoint(uint16_t x);

}  // namespace vertigon::raw
