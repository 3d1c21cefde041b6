// The decoded tables of model.ffm, shared by its decoders (textures, objects, weight lists)
// before the model records are built from them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "formats/byte_reader.h"
#include "formats/work_budget.h"
#include "scene/model.h"

namespace vertigon::ffb {

// Influences of one vertex; the format allows at most this many.
inline constexpr size_t kMaxVertexInfluences = 50;

struct Influence {
    int32_t bone = 0;
    int16_t x = 0, y = 0, z = 0;  // in the bone's space
    int32_t weight = 0;           // 10000 is 1.0
};

using VertexInfluences = std::vector<Influence>;
using ShortVector = std::array<int16_t, 3>;  // x, y, z as stored

struct Corner {
    int32_t position = 0;
    int32_t normal = 0;
    float u = 0, v = 0;  // texels
};

struct Mesh {
    int32_t texture = 0;
    bool doubleSided = false;
    bool flag3 = false;
    int32_t batchKey = 0;
};

// One triangle of an object, in mesh order; its slots are in drawing order.
struct TriangleRecord {
    int32_t mesh = 0;
    int32_t batchKey = 0;
    int32_t texture = 0;
    Corner slots[3];
};

struct Object {
    int32_t defaultBone = 0;
    std::vector<ShortVector> positions;
    std::vector<ShortVector> normals;
    std::vector<Mesh> meshes;
    std::vector<TriangleRecord> triangles;
    std::vector<VertexInfluences> positionInfluences;  // one per position
    std::vector<VertexInfluences> normalInfluences;    // one per normal
    int32_t batchCount = 0;
};

// Offsets of the two sections, counted from the start of the member.
struct Sections {
    uint64_t mesh = 0;
    uint64_t texture = 0;
};

// Like ByteReader::RequireArray, but an empty table may sit anywhere: its offset is never read.
inline void RequireTable(const ByteReader& reader, uint64_t offset, uint64_t count, uint64_t entryBytes) {
    if (count != 0) reader.RequireArray(offset, count, entryBytes);
}

// Textures through their palettes and images; fills model.textures.
void DecodeTextures(const ByteReader& ffm, uint64_t textureSection, Model& model, WorkBudget& budget);

// Objects with their raw positions and normals, meshes and triangle records.
std::vector<Object> DecodeObjects(const ByteReader& ffm, uint64_t meshSection, int32_t textureCount,
                                  WorkBudget& budget);

// The position weight lists in table order, then the normal weight lists, then the default
// binding of every vertex no list named.
void ApplyWeightLists(const ByteReader& ffm, uint64_t meshSection, int32_t boneCount,
                      std::vector<Object>& objects, WorkBudget& budget);

}  // namespace vertigon::ffb
