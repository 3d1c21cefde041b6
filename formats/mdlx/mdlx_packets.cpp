#include "formats/mdlx/mdlx_packets.h"

#include <string>
#include <utility>

#include "formats/load_error.h"

namespace vertigon::mdlx {

namespace {

constexpr uint64_t kSubpartHeaderBytes = 32;
constexpr uint64_t kTagBytes = 16;
// A reference of four quadwords: one bone matrix. Its address word is the bone index.
constexpr uint32_t kBoneReferenceTag = 0x30000004;
// Read from byte 11 of a tag: the first VIF code's command byte is MSCNT and nothing follows.
constexpr uint32_t kClosingCode = 0x17;

uint64_t AlignUp16(uint64_t value) { return ByteReader::Add(value, 15) & ~uint64_t{15}; }

// A VIF section: a set-cycle code (0x01 0x01 ...), an unpack code whose third byte is the
// element count, then the elements.
struct Section {
    uint64_t start = 0;
    uint32_t count = 0;
    uint64_t elements() const { return start + 8; }
};

Section SectionAt(const ByteReader& file, uint64_t start) { return {start, file.U8(ByteReader::Add(start, 6))}; }

// The section after `previous`: step past its elements, then scan forward to the next pair of
// bytes 0x01 0x01.
Section NextSection(const ByteReader& file, const Section& previous, uint64_t elementBytes) {
    const uint64_t length = ByteReader::Mul(previous.count, elementBytes);
    file.Require(previous.elements(), length);
    const auto data = file.data();
    for (uint64_t at = previous.elements() + length; at + 1 < data.size(); ++at) {
        if (data[at] == 0x01 && data[at + 1] == 0x01) return SectionAt(file, at);
    }
    Refuse("a VIF packet ends before all its sections");
}

void ReadPositions(const ByteReader& file, const Section& section, Packet& packet) {
    const uint64_t stride = packet.weighted ? 16 : 12;
    file.RequireArray(section.elements(), section.count, stride);
    packet.positions.resize(section.count);
    for (uint32_t i = 0; i < section.count; ++i) {
        const uint64_t at = section.elements() + i * stride;
        PacketPosition& p = packet.positions[i];
        p.x = file.F32(at);
        p.y = file.F32(at + 4);
        p.z = file.F32(at + 8);
        p.w = packet.weighted ? file.F32(at + 12) : 1.0f;
    }
}

// One count per listed bone: the first count positions belong to the first bone, and so on.
// Every position must get exactly one bone.
void ReadBoneVertexCounts(const ByteReader& file, uint64_t list, Packet& packet) {
    const size_t positions = packet.positions.size();
    file.RequireArray(list, packet.bones.size(), 4);
    packet.positionBones.reserve(positions);
    for (size_t i = 0; i < packet.bones.size(); ++i) {
        const uint32_t count = file.U32(list + 4 * i);
        if (count > positions - packet.positionBones.size()) {
            Refuse("a packet's bone vertex counts cover more than its " + std::to_string(positions) + " positions");
        }
        packet.positionBones.insert(packet.positionBones.end(), count, packet.bones[i]);
    }
    if (packet.positionBones.size() != positions) {
        Refuse("a packet's bone vertex counts leave " + std::to_string(positions - packet.positionBones.size()) +
                  " positions without a bone");
    }
}

// Unweighted: packet vertex i is position i.
void NumberPlainVertices(Packet& packet) {
    const auto count = static_cast<uint32_t>(packet.positions.size());
    packet.vertexStart.resize(size_t{count} + 1);
    packet.vertexPositions.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        packet.vertexStart[i + 1] = i + 1;
        packet.vertexPositions[i] = i;
    }
}

// Weighted: after the bone vertex counts (from `list`), padding to 16 bytes, the G group sizes,
// then per group k padding to 16 bytes and its entries of k + 1 position indices. The entries of
// group 0 come first in the packet's vertex numbering, then those of group 1, and so on.
void ReadWeightGroups(const ByteReader& file, uint64_t list, uint32_t groupCount, Packet& packet) {
    uint64_t offset = AlignUp16(4 * uint64_t{packet.bones.size()});
    const uint64_t sizes = ByteReader::Add(list, offset);
    file.RequireArray(sizes, groupCount, 4);
    offset += 4 * uint64_t{groupCount};
    for (uint32_t k = 0; k < groupCount; ++k) {
        const uint32_t entries = file.U32(sizes + 4 * uint64_t{k});
        const uint64_t influences = uint64_t{k} + 1;
        offset = AlignUp16(offset);
        const uint64_t at = ByteReader::Add(list, offset);
        const uint64_t words = ByteReader::Mul(entries, influences);
        file.RequireArray(at, words, 4);
        for (uint64_t word = 0; word < words; ++word) {
            const uint32_t position = file.U32(at + 4 * word);
            if (position >= packet.positions.size()) {
                Refuse("weight group " + std::to_string(k) + " names position " + std::to_string(position) +
                          " of a packet with " + std::to_string(packet.positions.size()));
            }
            packet.vertexPositions.push_back(position);
            if ((word + 1) % influences == 0) {
                packet.vertexStart.push_back(static_cast<uint32_t>(packet.vertexPositions.size()));
            }
        }
        offset += 4 * words;
    }
}

void ReadStrip(const ByteReader& file, const Section* coordinates, const Section& indices, const Section& flags,
               Packet& packet) {
    const uint32_t n = flags.count;
    if (indices.count < n || (coordinates && coordinates->count < n)) {
        Refuse("a packet has more strip flags than vertex numbers or texture coordinates");
    }
    packet.strip.resize(n);
    for (uint32_t i = 0; i < n; ++i) {
        StripElement& e = packet.strip[i];
        e.flag = file.U8(flags.elements() + i);
        e.vertex = file.U8(indices.elements() + i);
        if (coordinates) {
            e.u = file.S16(coordinates->elements() + 4 * uint64_t{i});
            e.v = file.S16(coordinates->elements() + 4 * uint64_t{i} + 2);
        }
        if (StripFlagPushes(e.flag) && e.vertex >= packet.vertexCount()) {
            Refuse("a strip names vertex " + std::to_string(e.vertex) + " of a packet with " +
                      std::to_string(packet.vertexCount()));
        }
    }
}

Packet ReadPacket(const ByteReader& file, uint64_t data, std::vector<uint32_t> bones, uint32_t boneCount) {
    Packet packet;
    for (uint32_t bone : bones) {
        if (bone >= boneCount) {
            Refuse("a packet names bone " + std::to_string(bone) + " of " + std::to_string(boneCount));
        }
    }
    packet.bones = std::move(bones);

    // Sections in order: header, texture coordinates (headers of 4 quadwords or more), vertex
    // numbers, strip flags, colours (headers of exactly 4 whose colour word is set, skipped), two
    // skipped sections (headers of exactly 5), positions, bone vertex counts [+ weight groups].
    const Section header = SectionAt(file, data);
    const uint64_t headerBytes = 8 + 16 * uint64_t{header.count};
    // A header too short to hold a field leaves it 0.
    const auto headerWord = [&](uint64_t offset) -> uint32_t {
        return offset + 4 <= headerBytes ? file.U32(ByteReader::Add(data, offset)) : 0;
    };
    const uint32_t colourWord = headerWord(0x28);
    const uint32_t groupCount = headerWord(0x30);
    packet.weighted = groupCount != 0;

    Section previous = header;
    uint64_t previousElementBytes = 16;
    const auto next = [&](uint64_t elementBytes) {
        previous = NextSection(file, previous, previousElementBytes);
        previousElementBytes = elementBytes;
        return previous;
    };
    Section coordinates;
    const bool hasCoordinates = header.count >= 4;
    if (hasCoordinates) coordinates = next(4);
    const Section indices = next(1);
    const Section flags = next(1);
    if (header.count == 4 && colourWord != 0) next(4);
    if (header.count == 5) {
        next(12);
        next(1);
    }
    const Section positions = next(packet.weighted ? 16 : 12);
    ReadPositions(file, positions, packet);
    const uint64_t list = next(4).elements();

    ReadBoneVertexCounts(file, list, packet);
    if (packet.weighted) {
        ReadWeightGroups(file, list, groupCount, packet);
    } else {
        NumberPlainVertices(packet);
    }
    ReadStrip(file, hasCoordinates ? &coordinates : nullptr, indices, flags, packet);
    return packet;
}

// The bytes of the records a packet holds.
uint64_t PacketBytes(const Packet& p) {
    return p.bones.size() * sizeof(uint32_t) + p.positions.size() * sizeof(PacketPosition) +
           p.positionBones.size() * sizeof(uint32_t) + p.vertexStart.size() * sizeof(uint32_t) +
           p.vertexPositions.size() * sizeof(uint32_t) + p.strip.size() * sizeof(StripElement);
}

// Walks the chain tag by tag. Bone references add to the bone list of the packet being
// collected; a closing tag ends the packet, whose data the first tag after the previous closing
// tag points to. Other tags are passed over, and so is anything after the last closing tag.
void ReadChain(const ByteReader& file, uint64_t header, uint64_t chain, uint32_t tagCount, uint32_t boneCount,
               WorkBudget& budget, Subpart& subpart) {
    file.RequireArray(chain, tagCount, kTagBytes);
    budget.Take(tagCount, kTagBytes, "DMA chain tags");
    std::vector<uint32_t> bones;
    uint64_t firstTag = chain;
    for (uint32_t t = 0; t < tagCount; ++t) {
        const uint64_t tag = chain + t * kTagBytes;
        if (file.U32(tag) == kBoneReferenceTag) {
            if (bones.size() == kMaxPacketBones) {
                Refuse("a packet references more than " + std::to_string(kMaxPacketBones) + " bones");
            }
            bones.push_back(file.U32(tag + 4));
        }
        if (file.U32(tag + 11) == kClosingCode) {
            const uint64_t data = ByteReader::Add(header, file.U32(firstTag + 4));
            subpart.packets.push_back(ReadPacket(file, data, std::move(bones), boneCount));
            budget.Take(1, PacketBytes(subpart.packets.back()), "VIF packets");
            bones.clear();
            firstTag = tag + kTagBytes;
        }
    }
}

}  // namespace

std::vector<Subpart> ReadSubparts(const ByteReader& file, uint64_t header, uint32_t boneCount, WorkBudget& budget) {
    const uint32_t count = file.U32(ByteReader::Add(header, 0x1C));
    const uint64_t headers = ByteReader::Add(header, 0x20);
    file.RequireArray(headers, count, kSubpartHeaderBytes);
    std::vector<Subpart> subparts(count);
    for (uint32_t s = 0; s < count; ++s) {
        const uint64_t at = headers + s * kSubpartHeaderBytes;
        Subpart& subpart = subparts[s];
        subpart.flags = file.U32(at);
        subpart.textureIndex = file.U32(at + 4);
        const uint64_t chain = ByteReader::Add(header, file.U32(at + 16));
        ReadChain(file, header, chain, file.U32(at + 24), boneCount, budget, subpart);
    }
    return subparts;
}

}  // namespace vertigon::mdlx
