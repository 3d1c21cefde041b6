#include "formats/raw/raw_geometry.h"

#include <cstdio>

#include "formats/load_error.h"
#include "formats/work_budget.h"
#include "formats/raw/raw_packet.h"

namespace vertigon::raw {

namespace {

constexpr float kPositionScale = 40.0f;
constexpr float kNormalScale = 1.0f / 256.0f;
constexpr uint16_t kFlagEmit = 0;

constexpr uint64_t kBytesPerUnit = 256;

class GeometryBuilder {
public:
    GeometryBuilder(const ByteReader& file, const Chunk& chunk, const MaterialMap& map, uint32_t imageCount,
                    Model& model, WorkBudget& budget)
        : file_(file),
          start_(chunk.offset),
          map_(map),
          imageCount_(imageCount),
          paletteCount_(static_cast<uint32_t>(model.paletteCount())),
          model_(model),
          budget_(budget) {}

    void Build(uint64_t data) {
        const uint32_t lodCount = file_.U16(data);
        if (lodCount > MaterialMap::kLists) {
            Refuse("the file has ", lodCount, " levels of detail; at most ", MaterialMap::kLists, " are supported");
        }
        file_.RequireArray(data + 4, lodCount, 4);
        model_.lods.resize(lodCount);
        for (uint32_t i = 0; i < lodCount; ++i) {
            BuildLod(i, ByteReader::Add(start_, file_.U32(data + 4 + 4 * uint64_t{i})), model_.lods[i]);
        }
    }

private:
    // Records may be shared, which multiplies what a small file describes; every shape, mesh,
    // packet, vertex and strip entry is charged as the records it leads to.
    void Spend(uint64_t units) { budget_.Take(units, kBytesPerUnit, "geometry records"); }

    void BuildLod(uint32_t index, uint64_t record, Lod& lod) {
        char name[32];
        std::snprintf(name, sizeof name, "Lod %u", index);
        lod.name = name;

        const uint32_t shapeCount = file_.U32(record);
        file_.RequireArray(record + 4, shapeCount, 2);
        if (shapeCount > MaterialMap::kShapes) {
            Refuse("Lod ", index, " has ", shapeCount, " shapes; at most ", MaterialMap::kShapes, " are supported");
        }
        Spend(shapeCount);
        lod.shapes.resize(shapeCount);
        for (uint32_t s = 0; s < shapeCount; ++s) {
            BuildShape(s, ByteReader::Add(start_, file_.U16(record + 4 + 2 * uint64_t{s})), lod.shapes[s]);
        }

        DrawGroup group;
        for (int32_t shape : map_.lists[index]) {
            if (static_cast<uint32_t>(shape) >= shapeCount) {
                Refuse("Lod ", index, " draws shape ", static_cast<unsigned>(shape), " of ", shapeCount);
            }
            group.shapeIndices.push_back(shape);
        }
        lod.drawGroups.push_back(std::move(group));
    }

    void BuildShape(uint32_t shapeIndex, uint64_t record, Shape& shape) {
        const uint32_t meshCount = file_.U16(record);
        const bool mirrored = (file_.U8(record + 4) & 1) != 0;
        file_.RequireArray(record + 12, meshCount, 2);
        Spend(meshCount);
        shape.batches.resize(meshCount);
        for (uint32_t m = 0; m < meshCount; ++m) {
            Batch& batch = shape.batches[m];
            AddMaterials(shapeIndex, batch);
            BuildMesh(ByteReader::Add(start_, file_.U16(record + 12 + 2 * uint64_t{m})), mirrored, shape, batch);
        }
    }

    // Material j of every batch of shape s comes from MaterialMap list j.
    void AddMaterials(uint32_t shapeIndex, Batch& batch) {
        batch.materials.resize(MaterialMap::kLists);
        for (int j = 0; j < MaterialMap::kLists; ++j) {
            Material& material = batch.materials[j];
            const MaterialMap::Slot* slot = map_.Find(j, shapeIndex);
            if (!slot) {
                material.hidden = true;
                continue;
            }
            if (slot->textureIndex >= imageCount_) {
                Refuse("shape ", shapeIndex, " uses texture image ", slot->textureIndex, " of ", imageCount_);
            }
            if (slot->paletteIndex >= paletteCount_) {
                Refuse("shape ", shapeIndex, " uses palette ", slot->paletteIndex, " of ", paletteCount_);
            }
            material.drawable = true;
            material.textureIndex = static_cast<int32_t>(paletteCount_ * slot->textureIndex + slot->paletteIndex);
            material.lit = true;
            material.doubleSided = true;
        }
    }

    void BuildMesh(uint64_t record, bool mirrored, Shape& shape, Batch& batch) {
        const uint64_t table = ByteReader::Add(start_, file_.U16(record + 4));
        const uint32_t packetCount = file_.U16(record + 6);
        file_.RequireArray(table, packetCount, 2);
        Spend(packetCount);
        for (uint32_t p = 0; p < packetCount; ++p) {
            const uint64_t descriptorAt = ByteReader::Add(start_, file_.U16(table + 2 * uint64_t{p}));
            const PacketDescriptor descriptor = ReadPacketDescriptor(file_, descriptorAt, start_);
            Spend(uint64_t{descriptor.vertexCount} + descriptor.stripCount);
            DecodePacket(file_, descriptor, packet_);
            AddPacket(mirrored, shape, batch);
        }
    }

    void AddPacket(bool mirrored, Shape& shape, Batch& batch) {
        const auto n = static_cast<int32_t>(packet_.positions.size());
        const auto first = static_cast<int32_t>(shape.positionSingles.size());
        AddVertices(first, 1.0f, shape);
        if (mirrored) AddVertices(first + n, -1.0f, shape);

        // A window over the last three strip entries; an entry flagged 0 closes a triangle.
        const std::vector<StripEntry>& strip = packet_.strip;
        for (size_t k = 2; k < strip.size(); ++k) {
            if (strip[k].flag != kFlagEmit) continue;
            const StripEntry* corners[3] = {&strip[k - 2], &strip[k - 1], &strip[k]};
            Triangle triangle = MakeTriangle(corners, first);
            batch.triangles.push_back(triangle);
            if (mirrored) {
                for (int c = 0; c < 3; ++c) {
                    triangle.positionIndex[c] += n;
                    triangle.normalIndex[c] += n;
                }
                batch.triangles.push_back(triangle);
            }
        }
    }

    void AddVertices(int32_t first, float xSign, Shape& shape) {
        const size_t n = packet_.positions.size();
        for (size_t i = 0; i < n; ++i) {
            const int32_t index = first + static_cast<int32_t>(i);
            const Vec3& p = packet_.positions[i];
            const Vec3& q = packet_.normals[i];
            const Vec4 position{xSign * p.x * kPositionScale, p.y * kPositionScale, p.z * kPositionScale, 1.0f};
            const Vec4 normal{xSign * q.x * kNormalScale, q.y * kNormalScale, q.z * kNormalScale, 1.0f};
            shape.positionSingles.push_back({index, 0, position});
            shape.normalSingles.push_back({index, 0, normal});
        }
    }

    Triangle MakeTriangle(const StripEntry* const (&corners)[3], int32_t first) const {
        Triangle triangle;
        for (int c = 0; c < 3; ++c) {
            const StripEntry& e = *corners[c];
            const auto vertexCount = static_cast<unsigned>(packet_.positions.size());
            const auto coordCount = static_cast<unsigned>(packet_.coords.size());
            if (e.vertex >= vertexCount) Refuse("a strip names vertex ", e.vertex, " of a packet of ", vertexCount);
            if (e.coord >= coordCount) Refuse("a strip names coordinate ", e.coord, " of a packet of ", coordCount);
            triangle.positionIndex[c] = first + e.vertex;
            triangle.normalIndex[c] = first + e.vertex;
            triangle.u[c] = packet_.coords[e.coord][0];
            triangle.v[c] = packet_.coords[e.coord][1];
            static constexpr std::array<uint8_t, 4> kOpaqueWhite = {255, 255, 255, 255};
            const auto& colour = e.colour < packet_.colours.size() ? packet_.colours[e.colour] : kOpaqueWhite;
            for (int b = 0; b < 4; ++b) triangle.colour[c][b] = colour[b];
        }
        return triangle;
    }

    const ByteReader& file_;
    const uint64_t start_;
    const MaterialMap& map_;
    const uint32_t imageCount_;
    const uint32_t paletteCount_;
    Model& model_;
    WorkBudget& budget_;
    Packet packet_;  // decoding storage shared by every packet
};

}  // namespace

void ReadGeometry(const ByteReader& file, const Chunk& chunk, const MaterialMap& map, uint32_t imageCount,
                  Model& model, WorkBudget& budget) {
    GeometryBuilder(file, chunk, map, imageCount, model, budget).Build(chunk.dataOffset());
}

}  // namespace vertigon::raw
