// The geometry of an MDLX model entry as plain data: each subpart's DMA chain walked into VIF
// packets, each packet's sections decoded and checked against the file and the skeleton.
#pragma once

#include <cstdint>
#include <vector>

#include "formats/byte_reader.h"
#include "formats/work_budget.h"

namespace vertigon::mdlx {

// A packet sends at most this many bone matrices.
inline constexpr size_t kMaxPacketBones = 48;

struct PacketPosition {
    float x = 0, y = 0, z = 0;
    float w = 1;  // the influence weight in weighted packets; 1 otherwise
};

// Strip flags: push the vertex; push and emit (newest, middle, oldest); push and emit (oldest,
// middle, newest). Any other flag passes over the element.
inline constexpr uint8_t kStripPush = 0x10;
inline constexpr uint8_t kStripEmit = 0x20;
inline constexpr uint8_t kStripEmitForward = 0x30;

inline bool StripFlagPushes(uint8_t flag) {
    return flag == kStripPush || flag == kStripEmit || flag == kStripEmitForward;
}

// One element of the strip: a packet vertex number, its strip flag and its stored texture
// coordinates (0 when the packet has no texture-coordinate section). Elements whose flag pushes
// name a vertex below the packet's vertex count.
struct StripElement {
    uint8_t vertex = 0;
    uint8_t flag = 0;
    int16_t u = 0;
    int16_t v = 0;
};

struct Packet {
    std::vector<uint32_t> bones;  // the bone list, in tag order; every entry below the bone count
    bool weighted = false;        // the header's weight-group count is not 0
    std::vector<PacketPosition> positions;
    std::vector<uint32_t> positionBones;  // the owning bone index of every position
    // Packet vertex v is made of positions vertexPositions[vertexStart[v] .. vertexStart[v + 1]):
    // one position for a single-bone vertex, k + 1 for an entry of weight group k. Every
    // position index is below positions.size().
    std::vector<uint32_t> vertexStart{0};
    std::vector<uint32_t> vertexPositions;
    std::vector<StripElement> strip;

    size_t vertexCount() const { return vertexStart.size() - 1; }
};

struct Subpart {
    uint32_t flags = 0;
    uint32_t textureIndex = 0;
    std::vector<Packet> packets;
};

// Reads the subpart headers at `header` + 0x1C / 0x20 and every packet of their chains. Throws
// FormatError when the file does not hold what the headers claim, when a bone list names a bone
// not below `boneCount` or holds more than 48 bones, or when a strip or weight group names a
// vertex or position the packet does not have.
// Every chain tag walked and every packet built is charged to `budget`: subparts may share chains
// and tags may share packets, so a small file could otherwise ask for vast work.
std::vector<Subpart> ReadSubparts(const ByteReader& file, uint64_t header, uint32_t boneCount, WorkBudget& budget);

}  // namespace vertigon::mdlx
