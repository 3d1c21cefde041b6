#include "formats/raw/raw_packet.h"

#include "scene/model.h"

namespace vertigon::raw {

namespace {

constexpr uint64_t kVifCodeBytes = 8;  // two VIF codes before every section
constexpr uint8_t kUnpackBytes = 0x62;    // one byte per element: grey levels
constexpr uint8_t kUnpackRgba = 0x6E;     // four bytes per element
constexpr uint32_t kStcycl = 0x01000101;  // opens the coordinate section when no alpha follows greys
constexpr float kCoordScale = 1.0f / 256.0f;

uint64_t RoundUp4(uint64_t n) { return (n + 3) & ~uint64_t{3}; }

// Walks the VIF data section by section; every read is bounds-checked by the reader.
class Cursor {
public:
    Cursor(const ByteReader& file, uint64_t at) : file_(file), at_(at) {}

    uint64_t at() const { return at_; }
    void Skip(uint64_t n) { at_ = ByteReader::Add(at_, n); }
    // Requires `count` elements of `size` bytes and returns where they start.
    uint64_t Take(uint64_t count, uint64_t size) {
        file_.RequireArray(at_, count, size);
        const uint64_t start = at_;
        at_ += count * size;
        return start;
    }

private:
    const ByteReader& file_;
    uint64_t at_;
};

void ReadColours(const ByteReader& file, Cursor& cursor, Packet& packet) {
    packet.colours.clear();
    const uint8_t command = file.U8(cursor.at() + 7);
    const uint32_t count = file.U8(cursor.at() + 6);
    if (command == kUnpackBytes) {
        cursor.Skip(kVifCodeBytes);
        const uint64_t greys = cursor.Take(count, 1);
        cursor.Skip(RoundUp4(count) - count);
        packet.colours.resize(count);
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t g = file.U8(greys + i);
            packet.colours[i] = {g, g, g, 255};
        }
        if (file.U32(cursor.at()) != kStcycl) {
            cursor.Skip(4);
            const uint64_t alphas = cursor.Take(count, 1);
            cursor.Skip(RoundUp4(count) - count);
            for (uint32_t i = 0; i < count; ++i) packet.colours[i][3] = ExpandConsoleAlpha(file.U8(alphas + i));
        }
    } else if (command == kUnpackRgba) {
        cursor.Skip(kVifCodeBytes);
        const uint64_t rgba = cursor.Take(count, 4);
        packet.colours.resize(count);
        for (uint32_t i = 0; i < count; ++i) {
            const uint64_t at = rgba + 4 * uint64_t{i};
            packet.colours[i] = {file.U8(at), file.U8(at + 1), file.U8(at + 2), ExpandConsoleAlpha(file.U8(at + 3))};
        }
    }
    // Any other unpack command opens the coordinate section: there are no colours.
}

}  // namespace

float DecodeFixedPoint(uint16_t x) {
    const auto magnitude = [](uint16_t v) {
        return static_cast<float>((v >> 4) & 0x7FF) + static_cast<float>(v & 0xF) / 16.0f;
    };
    if ((x & 0x8000) == 0) return magnitude(x);
    return -magnitude(static_cast<uint16_t>(~x));
}

PacketDescriptor ReadPacketDescriptor(const ByteReader& file, uint64_t offset, uint64_t chunkStart) {
    file.Require(offset, PacketDescriptor::kBytes);
    PacketDescriptor d;
    d.vifOffset = ByteReader::Add(chunkStart, file.U32(offset));
    d.coordCount = file.U16(offset + 22);
    d.influenceCount = (file.U8(offset + 25) & 0x0F) + 1u;
    d.vertexCount = file.U8(offset + 26);
    d.stripCount = file.U8(offset + 27);
    return d;
}

void DecodePacket(const ByteReader& file, const PacketDescriptor& d, Packet& packet) {
    Cursor cursor(file, d.vifOffset);
    const uint32_t n = d.vertexCount;

    cursor.Skip(kVifCodeBytes);
    const uint64_t positions = cursor.Take(n, 12);
    packet.positions.resize(n);
    for (uint32_t i = 0; i < n; ++i) {
        const uint64_t at = positions + 12 * uint64_t{i};
        packet.positions[i] = {file.F32(at), file.F32(at + 4), file.F32(at + 8)};
    }

    cursor.Skip(kVifCodeBytes);
    const uint64_t normals = cursor.Take(n, 8);
    packet.normals.resize(n);
    for (uint32_t i = 0; i < n; ++i) {
        const uint64_t at = normals + 8 * uint64_t{i};
        packet.normals[i] = {DecodeFixedPoint(file.U16(at)), DecodeFixedPoint(file.U16(at + 2)),
                             DecodeFixedPoint(file.U16(at + 4))};
    }

    // Influences (bone slots, then weights): one bone serves the whole model, so skip them.
    const uint64_t influences = uint64_t{d.influenceCount} * n;
    cursor.Skip(kVifCodeBytes);
    cursor.Take(RoundUp4(influences), 1);
    cursor.Skip(kVifCodeBytes);
    cursor.Take(influences, 4);

    ReadColours(file, cursor, packet);

    cursor.Skip(kVifCodeBytes);
    const uint64_t coords = cursor.Take(d.coordCount, 4);
    packet.coords.resize(d.coordCount);
    for (uint32_t i = 0; i < d.coordCount; ++i) {
        const uint64_t at = coords + 4 * uint64_t{i};
        packet.coords[i] = {DecodeFixedPoint(file.U16(at)) * kCoordScale,
                            DecodeFixedPoint(file.U16(at + 2)) * kCoordScale};
    }

    cursor.Skip(kVifCodeBytes);
    const uint64_t entries = cursor.Take(d.stripCount, 3);
    cursor.Skip(RoundUp4(3 * uint64_t{d.stripCount}) - 3 * uint64_t{d.stripCount});
    cursor.Skip(kVifCodeBytes);
    const uint64_t flags = cursor.Take(d.stripCount, 2);
    packet.strip.resize(d.stripCount);
    for (uint32_t i = 0; i < d.stripCount; ++i) {
        const uint64_t at = entries + 3 * uint64_t{i};
        packet.strip[i] = {static_cast<uint8_t>(file.U8(at) >> 1), file.U8(at + 1), file.U8(at + 2),
                           file.U16(flags + 2 * uint64_t{i})};
    }
}

}  // namespace vertigon::raw
