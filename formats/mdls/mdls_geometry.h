// The record streams of MDLS meshes: slot declarations that bind slot numbers to bones, vertex
// blocks (triangle strips with a winding flag), the switch to weighted vertices with its slot
// list, and the end record.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "formats/byte_reader.h"
#include "formats/work_budget.h"
#include "scene/model.h"

namespace vertigon::mdls {

inline constexpr uint32_t kVertexBlockMarker = 0x0412303E;
// The most bones one MDLS vertex may be weighted to.
inline constexpr uint32_t kMaxVertexInfluences = 15;

// Slot numbers 0-255 go through the slot table, larger ones through the extended table that a
// slot declaration may name. Both are shared by every mesh of a file.
class SlotTables {
public:
    void Declare(uint32_t slot, uint32_t bone);
    void SetExtendedTable(uint64_t recordOffset) { extended_ = recordOffset; }
    // The bone of a slot; FormatError for a slot outside the tables or a bone outside the
    // skeleton.
    uint32_t Bone(const ByteReader& file, uint32_t slot) const;

    uint32_t boneCount = 0;

private:
    std::array<uint32_t, 256> slots_{};
    std::optional<uint64_t> extended_;
};

struct MeshVertex {
    uint32_t firstInfluence = 0;  // into the mesh's influences
    uint32_t influenceCount = 0;
    float u = 0, v = 0;
};

// One mesh's stream decoded: vertices numbered from 0 in stream order, triangles over them.
struct MeshGeometry {
    std::vector<MeshVertex> vertices;
    std::vector<SkinEntry> influences;
    std::vector<std::array<uint32_t, 3>> triangles;
};

// Decodes the stream at `stream`, charging `budget` with every record walked and every vertex
// built: streams of several meshes may overlap, so a small file could ask for vast geometry.
MeshGeometry ReadMeshStream(const ByteReader& file, uint64_t stream, SlotTables& slots, WorkBudget& budget);

}  // namespace vertigon::mdls
