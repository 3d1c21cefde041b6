// The mesh objects of model.ffm: raw positions and normals, and meshes whose corners become
// triangle records. Corners may refer back to earlier corners for their indices.
#include <string>
#include <utility>

#include "formats/ffb/ffm_model.h"
#include "formats/ffb/ffm_parts.h"

namespace vertigon::ffb {

namespace {

constexpr uint64_t kObjectBytes = 40;
constexpr uint64_t kMeshBytes = 12;
constexpr uint64_t kCornerBytes = 8;
constexpr uint64_t kVectorBytes = 6;
// Back references follow one another; real files need one or two hops.
constexpr int kMaxBackReferenceHops = 256;

enum MeshType : uint8_t { kTriangleList = 2, kStripGroups = 3 };

std::vector<ShortVector> ReadVectors(const ByteReader& ffm, uint64_t offset, uint64_t count) {
    RequireTable(ffm, offset, count, kVectorBytes);
    std::vector<ShortVector> vectors(count);
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t at = offset + i * kVectorBytes;
        vectors[i] = {ffm.S16(at), ffm.S16(at + 2), ffm.S16(at + 4)};
    }
    return vectors;
}

// Reads one corner, following back references: an index word with bit 15 set moves a read
// position back from the corner's first byte by floor(8r / 3) bytes (r = its low 15 bits) and
// takes the index there; normal indices are read one byte before that position.
class CornerReader {
public:
    CornerReader(const ByteReader& ffm, const Object& object, uint64_t objectIndex, uint64_t meshIndex)
        : ffm_(ffm), object_(object), objectIndex_(objectIndex), meshIndex_(meshIndex) {}

    Corner Read(uint64_t corner) const {
        Corner c;
        c.position = Resolve(corner, ffm_.U16(corner), 0);
        c.normal = Resolve(corner, ffm_.U16(corner + 2), 1);
        c.u = DecodeTexel(ffm_.U16(corner + 4));
        c.v = DecodeTexel(ffm_.U16(corner + 6));
        if (static_cast<size_t>(c.position) >= object_.positions.size()) {
            Refuse("object ", objectIndex_, " mesh ", meshIndex_, ": ",
                   "position " + std::to_string(c.position) + " beyond the object's positions");
        }
        if (static_cast<size_t>(c.normal) >= object_.normals.size()) {
            Refuse("object ", objectIndex_, " mesh ", meshIndex_, ": ", "normal " + std::to_string(c.normal) + " beyond the object's normals");
        }
        return c;
    }

private:
    int32_t Resolve(uint64_t corner, uint16_t value, uint64_t readBefore) const {
        uint64_t position = corner;
        for (int hops = 0; value & 0x8000; ++hops) {
            const uint64_t back = (8 * uint64_t{value & 0x7FFFu}) / 3;
            if (back == 0) Refuse("object ", objectIndex_, " mesh ", meshIndex_, ": ", "a corner refers back to itself");
            if (hops == kMaxBackReferenceHops) {
                Refuse("object ", objectIndex_, " mesh ", meshIndex_, ": ", "a chain of back references does not end");
            }
            if (back + readBefore > position) Refuse("object ", objectIndex_, " mesh ", meshIndex_, ": ", "a back reference leaves the member");
            position -= back;
            value = ffm_.U16(position - readBefore);
        }
        return value;
    }

    const ByteReader& ffm_;
    const Object& object_;
    uint64_t objectIndex_;
    uint64_t meshIndex_;
};

class MeshDecoder {
public:
    MeshDecoder(const ByteReader& ffm, Object& object, uint64_t objectIndex, WorkBudget& budget)
        : ffm_(ffm), object_(object), objectIndex_(objectIndex), budget_(budget) {}

    void TriangleList(uint64_t meshIndex, const Mesh& mesh, uint64_t data, uint64_t cornerCount) {
        RequireTable(ffm_, data, cornerCount, kCornerBytes);
        budget_.Take(cornerCount / 3, sizeof(TriangleRecord) + sizeof(Triangle), "triangles");
        const CornerReader corners(ffm_, object_, objectIndex_, meshIndex);
        for (uint64_t t = 0; t + 3 <= cornerCount; t += 3) {
            const uint64_t c0 = data + t * kCornerBytes;
            // The slots take the corners in reverse order.
            Emit(meshIndex, mesh, corners.Read(c0 + 2 * kCornerBytes), corners.Read(c0 + kCornerBytes),
                 corners.Read(c0));
        }
    }

    // Groups of strips; a group's header gives its length in 16-byte units, its strip count
    // and the corner count of every strip; the corners follow at the next multiple of 8.
    void StripGroups(uint64_t meshIndex, const Mesh& mesh, uint64_t data, uint64_t groupCount) {
        const CornerReader corners(ffm_, object_, objectIndex_, meshIndex);
        uint64_t group = data;
        for (uint64_t g = 0; g < groupCount; ++g) {
            const uint64_t groupBytes = uint64_t{ffm_.U8(group)} * 16;
            const uint64_t stripCount = ffm_.U8(group + 2);
            if (groupBytes == 0) Refuse("object ", objectIndex_, " mesh ", meshIndex, ": ", "a strip group of length 0");
            const std::span<const uint8_t> stripSizes = ffm_.Bytes(group + 4, stripCount);
            uint64_t cornerCount = 0;
            for (uint8_t k : stripSizes) cornerCount += k;
            const uint64_t first = group + (4 + stripCount + 7) / 8 * 8;
            // Every corner of a group lies inside it, so a mesh can yield no more triangles
            // than its bytes allow.
            if (first - group + cornerCount * kCornerBytes > groupBytes) {
                Refuse("object ", objectIndex_, " mesh ", meshIndex, ": ", "a strip group's corners run past its length");
            }
            ffm_.RequireArray(first, cornerCount, kCornerBytes);
            budget_.Take(cornerCount, sizeof(TriangleRecord) + sizeof(Triangle), "triangles");
            uint64_t strip = first;
            for (uint8_t k : stripSizes) {
                for (uint64_t t = 0; t + 2 < k; ++t) {
                    uint64_t a = t, b = t + 1, c = t + 2;
                    if (t % 2 == 1) std::swap(a, c);
                    Emit(meshIndex, mesh, corners.Read(strip + a * kCornerBytes),
                         corners.Read(strip + b * kCornerBytes), corners.Read(strip + c * kCornerBytes));
                }
                strip += uint64_t{k} * kCornerBytes;
            }
            group = ByteReader::Add(group, groupBytes);
        }
    }

private:
    void Emit(uint64_t meshIndex, const Mesh& mesh, const Corner& s0, const Corner& s1, const Corner& s2) {
        TriangleRecord record;
        record.mesh = static_cast<int32_t>(meshIndex);
        record.batchKey = mesh.batchKey;
        record.texture = mesh.texture;
        record.slots[0] = s0;
        record.slots[1] = s1;
        record.slots[2] = s2;
        object_.triangles.push_back(record);
    }

    const ByteReader& ffm_;
    Object& object_;
    uint64_t objectIndex_;
    WorkBudget& budget_;
};

}  // namespace

float DecodeTexel(uint16_t word) {
    const auto magnitude = [](uint16_t w) {
        return static_cast<float>((w >> 4) & 0x7FF) + static_cast<float>(w & 0xF) * 0.0625f;
    };
    if ((word & 0x8000) == 0) return magnitude(word);
    return -magnitude(static_cast<uint16_t>(~word));
}

std::vector<Object> DecodeObjects(const ByteReader& ffm, uint64_t m, int32_t textureCount, WorkBudget& budget) {
    const uint64_t objectCount = ffm.U16(ByteReader::Add(m, 0x06));
    const uint64_t table = ByteReader::Add(m, ffm.U32(ByteReader::Add(m, 0x10)));
    RequireTable(ffm, table, objectCount, kObjectBytes);

    std::vector<Object> objects(objectCount);
    for (uint64_t k = 0; k < objectCount; ++k) {
        const uint64_t entry = table + k * kObjectBytes;
        Object& object = objects[k];
        object.defaultBone = ffm.U16(entry);
        const uint64_t positionCount = ffm.U16(entry + 4);
        const uint64_t meshCount = ffm.U16(entry + 6);
        const uint64_t normalCount = ffm.U16(entry + 22);
        budget.Take(positionCount + normalCount, 2 * sizeof(SkinEntry) + sizeof(VertexInfluences), "vertices");
        object.positions = ReadVectors(ffm, ByteReader::Add(m, ffm.U32(entry + 8)), positionCount);
        object.normals = ReadVectors(ffm, ByteReader::Add(m, ffm.U32(entry + 12)), normalCount);
        object.positionInfluences.resize(positionCount);
        object.normalInfluences.resize(normalCount);

        const uint64_t meshTable = ByteReader::Add(m, ffm.U32(entry + 16));
        RequireTable(ffm, meshTable, meshCount, kMeshBytes);
        MeshDecoder decoder(ffm, object, k, budget);
        for (uint64_t j = 0; j < meshCount; ++j) {
            const uint64_t e = meshTable + j * kMeshBytes;
            const uint8_t flags = ffm.U8(e);
            Mesh mesh;
            mesh.texture = ffm.U8(e + 2);
            mesh.doubleSided = (flags & 0x04) != 0;
            mesh.flag3 = (flags & 0x08) != 0;
            if (mesh.texture >= textureCount) {
                Refuse("object ", k, " mesh ", j, ": ", "texture " + std::to_string(mesh.texture) + " beyond the texture table");
            }
            // A new batch starts wherever the texture or a drawing flag changes.
            if (j > 0) {
                const Mesh& previous = object.meshes.back();
                const bool same = previous.texture == mesh.texture && previous.doubleSided == mesh.doubleSided &&
                                  previous.flag3 == mesh.flag3;
                mesh.batchKey = previous.batchKey + (same ? 0 : 1);
            }
            object.meshes.push_back(mesh);
            const uint64_t count = ffm.U32(e + 4);
            const uint64_t data = ByteReader::Add(m, ffm.U32(e + 8));
            switch (flags & 0x03) {
                case kTriangleList: decoder.TriangleList(j, mesh, data, count); break;
                case kStripGroups: decoder.StripGroups(j, mesh, data, count); break;
                default: break;  // carries no triangles
            }
        }
        object.batchCount = object.meshes.empty() ? 0 : object.meshes.back().batchKey + 1;
    }
    return objects;
}

}  // namespace vertigon::ffb
