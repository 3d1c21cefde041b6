#include "formats/mdls/mdls_geometry.h"

#include <string>

#include "formats/load_error.h"

namespace vertigon::mdls {
namespace {

enum RecordType : uint32_t {
    kSlotRecord = 0,
    kVertexRecord = 1,
    kWeightedRecord = 2,
    kEndRecord = 0x8000,
};

constexpr uint64_t kSlotRecordBytes = 128;
// Every record begins with its type and size words.
constexpr uint64_t kRecordHeaderBytes = 8;
constexpr uint64_t kVertexDataOffset = 32;
constexpr uint64_t kSlotListOffset = 16;
constexpr uint64_t kUnweightedVertexBytes = 48;
constexpr uint32_t kUnweightedSlotMask = 0x1FFF;

struct StreamState {
    bool weighted = false;
    uint64_t slotCursor = 0;  // file offset of the next slot-list entry
};

MeshVertex ReadUnweighted(const ByteReader& file, uint64_t at, const SlotTables& slots, MeshGeometry& mesh) {
    const uint32_t slot = file.U32(at + 12) & kUnweightedSlotMask;
    if (slot > 255) Refuse("an unweighted vertex names slot " + std::to_string(slot) + ", above 255");
    SkinEntry influence;
    influence.bone = static_cast<int32_t>(slots.Bone(file, slot));
    influence.value = {file.F32(at + 16), file.F32(at + 20), file.F32(at + 24), 1.0f};
    MeshVertex vertex;
    vertex.firstInfluence = static_cast<uint32_t>(mesh.influences.size());
    vertex.influenceCount = 1;
    vertex.u = file.F32(at + 32);
    vertex.v = file.F32(at + 36);
    mesh.influences.push_back(influence);
    return vertex;
}

// Returns the vertex; `at` moves past it.
MeshVertex ReadWeighted(const ByteReader& file, uint64_t& at, const SlotTables& slots, StreamState& state,
                        MeshGeometry& mesh) {
    const uint32_t count = file.U32(at + 12);
    if (count > kMaxVertexInfluences) {
        Refuse("a vertex has " + std::to_string(count) + " influences, more than " +
                  std::to_string(kMaxVertexInfluences));
    }
    file.Require(at, 32 + 16 * uint64_t{count});
    MeshVertex vertex;
    vertex.firstInfluence = static_cast<uint32_t>(mesh.influences.size());
    vertex.influenceCount = count;
    uint64_t influenceAt = at + 16;
    for (uint32_t k = 0; k < count; ++k, influenceAt += 16) {
        const uint32_t slot = file.U32(state.slotCursor);
        state.slotCursor += 4;
        SkinEntry influence;
        influence.bone = static_cast<int32_t>(slots.Bone(file, slot));
        influence.value = {file.F32(influenceAt), file.F32(influenceAt + 4), file.F32(influenceAt + 8),
                           file.F32(influenceAt + 12)};
        mesh.influences.push_back(influence);
    }
    vertex.u = file.F32(influenceAt);
    vertex.v = file.F32(influenceAt + 4);
    at = influenceAt + 16;
    return vertex;
}

// A strip of n vertices from `first`: n - 2 triangles, the winding flipping after each.
void AddStrip(MeshGeometry& mesh, uint32_t first, uint32_t count, bool winding) {
    for (uint32_t k = 0; k + 2 < count; ++k) {
        const uint32_t a = first + k;
        if (winding) {
            mesh.triangles.push_back({a, a + 1, a + 2});
        } else {
            mesh.triangles.push_back({a + 2, a + 1, a});
        }
        winding = !winding;
    }
}

void ReadVertexBlock(const ByteReader& file, uint64_t record, const SlotTables& slots, StreamState& state,
                     WorkBudget& budget, MeshGeometry& mesh) {
    if (file.U32(record + 22) != kVertexBlockMarker) return;
    const uint32_t count = file.U32(record + 8);
    const bool winding = file.U32(record + 12) != 0;
    const auto first = static_cast<uint32_t>(mesh.vertices.size());
    uint64_t at = record + kVertexDataOffset;
    for (uint32_t i = 0; i < count; ++i) {
        // The vertex, its share of the strip's triangles and its skin group in the shape.
        budget.Take(1, sizeof(MeshVertex) + sizeof(mesh.triangles[0]) + sizeof(SkinGroup), "mesh vertices");
        if (state.weighted) {
            mesh.vertices.push_back(ReadWeighted(file, at, slots, state, mesh));
        } else {
            file.Require(at, kUnweightedVertexBytes);
            mesh.vertices.push_back(ReadUnweighted(file, at, slots, mesh));
            at += kUnweightedVertexBytes;
        }
        budget.Take(mesh.vertices.back().influenceCount, sizeof(SkinEntry), "vertex influences");
    }
    AddStrip(mesh, first, count, winding);
}

}  // namespace

void SlotTables::Declare(uint32_t slot, uint32_t bone) {
    if (slot > 255) Refuse("a slot declaration names slot " + std::to_string(slot) + ", above 255");
    slots_[slot] = bone;
}

uint32_t SlotTables::Bone(const ByteReader& file, uint32_t slot) const {
    uint32_t bone = 0;
    if (slot <= 255) {
        bone = slots_[slot];
    } else if (extended_) {
        bone = file.U32(ByteReader::Add(*extended_, ByteReader::Add(16 * (uint64_t{slot} - 256), 4)));
    } else {
        Refuse("slot " + std::to_string(slot) + " is used without an extended slot table");
    }
    if (bone >= boneCount)
        Refuse("slot " + std::to_string(slot) + " binds bone " + std::to_string(bone) + " of " +
                  std::to_string(boneCount));
    return bone;
}

MeshGeometry ReadMeshStream(const ByteReader& file, uint64_t stream, SlotTables& slots, WorkBudget& budget) {
    MeshGeometry mesh;
    StreamState state;
    uint64_t record = stream;
    for (;;) {
        budget.Take(1, kRecordHeaderBytes, "mesh records");
        const uint32_t type = file.U32(record);
        const uint32_t size = file.U32(record + 4);
        uint64_t advance = size;
        switch (type) {
            case kSlotRecord:
                switch (file.U32(record + 12)) {
                    case 0: slots.Declare(file.U32(record + 8), file.U32(record + 4)); break;
                    case 1: slots.SetExtendedTable(record); break;
                    default: break;
                }
                advance = kSlotRecordBytes;
                break;
            case kVertexRecord: ReadVertexBlock(file, record, slots, state, budget, mesh); break;
            case kWeightedRecord:
                state.weighted = true;
                state.slotCursor = record + kSlotListOffset;
                break;
            case kEndRecord:
            default: break;
        }
        // The end record, and any record whose size would not move on, ends the stream.
        if (advance == 0) break;
        record = ByteReader::Add(record, advance);
    }
    return mesh;
}

}  // namespace vertigon::mdls
