// model.ffm as a whole: the header names the mesh and texture sections; the skeleton lives
// in the mesh section. Decoding fills plain tables first; the model records are built from
// them at the end.
#include "formats/ffb/ffm_model.h"

#include <string>

#include "formats/ffb/ffm_parts.h"

namespace vertigon::ffb {

namespace {

constexpr uint64_t kBoneBytes = 20;
// Hundredths of a degree to radians, with the 3.14 / 180 the format's tools use.
constexpr double kDegreeToRadian = 0.017444444444444446;
constexpr double kScaleUnit = 0.000244140625;  // 1 / 4096
constexpr uint16_t kNoParent = 0xFFFF;

// Bone 0 is always a root. Any other bone names a parent before it, or 0xFFFF for none.
std::vector<Bone> DecodeBones(const ByteReader& ffm, uint64_t m) {
    const uint64_t count = ffm.U16(ByteReader::Add(m, 0x0A));
    const uint64_t table = ByteReader::Add(m, ffm.U32(ByteReader::Add(m, 0x1C)));
    RequireTable(ffm, table, count, kBoneBytes);
    std::vector<Bone> bones(count);
    for (uint64_t b = 0; b < count; ++b) {
        const uint64_t e = table + b * kBoneBytes;
        Bone& bone = bones[b];
        const uint16_t parent = ffm.U16(e);
        if (b == 0 || parent == kNoParent) {
            bone.parent = -1;
        } else if (parent < b) {
            bone.parent = parent;
        } else {
            Refuse("bone " + std::to_string(b) + " names parent " + std::to_string(parent) +
                              ", which does not come before it");
        }
        const auto angle = [&](uint64_t at) { return static_cast<float>(ffm.S16(at) / 100.0 * kDegreeToRadian); };
        bone.rotation = QuatFromEuler(angle(e + 2), angle(e + 4), angle(e + 6));
        bone.translation.Set(ffm.S16(e + 8), ffm.S16(e + 10), ffm.S16(e + 12), 0.0f);
        const auto scale = [&](uint64_t at) { return static_cast<float>(ffm.U16(at) * kScaleUnit); };
        bone.scale.Set(scale(e + 14), scale(e + 16), scale(e + 18), 1.0f);
    }
    return bones;
}

// One single per vertex bound to one bone; a group of weighted influences otherwise.
void BuildSkin(const std::vector<VertexInfluences>& vertices, std::vector<SkinEntry>& singles,
               std::vector<SkinGroup>& groups, std::vector<SkinEntry>& influences) {
    for (size_t v = 0; v < vertices.size(); ++v) {
        const VertexInfluences& slots = vertices[v];
        const int32_t index = static_cast<int32_t>(v);
        if (slots.size() == 1) {
            const Influence& s = slots[0];
            singles.push_back({index, s.bone, Vec4{float(s.x), float(s.y), float(s.z), 1.0f}});
            continue;
        }
        groups.push_back({index, static_cast<int32_t>(slots.size()), static_cast<int32_t>(influences.size())});
        for (const Influence& s : slots) {
            const float w = static_cast<float>(s.weight / 10000.0);
            influences.push_back({0, s.bone, Vec4{s.x * w, s.y * w, s.z * w, w}});
        }
    }
}

// Texels to the 0..1 range of the texture; a texture without pixels leaves them at 0.
float Normalised(float texels, int32_t extent) { return extent > 0 ? texels / static_cast<float>(extent) : 0.0f; }

std::vector<Batch> BuildBatches(const Object& object, const std::vector<Texture>& textures) {
    std::vector<Batch> batches(static_cast<size_t>(object.batchCount));
    // Every mesh of a batch shares its texture and flags: the first one gives the material.
    for (const Mesh& mesh : object.meshes) {
        Batch& batch = batches[static_cast<size_t>(mesh.batchKey)];
        if (!batch.materials.empty()) continue;
        Material material;
        material.drawable = true;
        material.lit = true;
        material.doubleSided = mesh.doubleSided;
        material.translucent = false;
        material.flag3 = mesh.flag3;
        material.textureIndex = mesh.texture;
        material.hidden = false;
        batch.materials.push_back(std::move(material));
    }
    for (const TriangleRecord& record : object.triangles) {
        const Texture& texture = textures[static_cast<size_t>(record.texture)];
        Triangle triangle;
        for (int j = 0; j < 3; ++j) {
            const Corner& slot = record.slots[j];
            triangle.positionIndex[j] = slot.position;
            triangle.normalIndex[j] = slot.normal;
            triangle.u[j] = Normalised(slot.u, texture.width);
            triangle.v[j] = Normalised(slot.v, texture.height);
            for (uint8_t& channel : triangle.colour[j]) channel = 0xFF;
        }
        batches[static_cast<size_t>(record.batchKey)].triangles.push_back(triangle);
    }
    return batches;
}

Shape BuildShape(const Object& object, const std::vector<Texture>& textures) {
    Shape shape;
    BuildSkin(object.positionInfluences, shape.positionSingles, shape.positionGroups, shape.positionInfluences);
    BuildSkin(object.normalInfluences, shape.normalSingles, shape.normalGroups, shape.normalInfluences);
    shape.batches = BuildBatches(object, textures);
    return shape;
}

}  // namespace

void DecodeModel(const ByteReader& ffm, Model& model, WorkBudget& budget) {
    const Sections sections{ffm.U32(0x10), ffm.U32(0x18)};

    DecodeTextures(ffm, sections.texture, model, budget);
    model.bones = DecodeBones(ffm, sections.mesh);
    std::vector<Object> objects = DecodeObjects(ffm, sections.mesh, model.textureCount(), budget);
    ApplyWeightLists(ffm, sections.mesh, model.boneCount(), objects, budget);

    Lod lod;
    DrawGroup everything;
    for (size_t k = 0; k < objects.size(); ++k) {
        lod.shapes.push_back(BuildShape(objects[k], model.textures));
        everything.shapeIndices.push_back(static_cast<int32_t>(k));
    }
    lod.drawGroups.push_back(std::move(everything));
    model.lods.clear();
    model.lods.push_back(std::move(lod));

    model.placement.position = Vec4{0, 0, 0, 0};
    model.placement.orientation = QuatFromEuler(3.1415927f, 0.0f, 0.0f);
    model.placement.scale.Set(0.0078125f, 0.0078125f, 0.0078125f, model.placement.scale.w);
}

}  // namespace vertigon::ffb
