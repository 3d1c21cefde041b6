#include "formats/mdlx/mdlx_model.h"

#include <string>

#include "formats/byte_reader.h"
#include "formats/load_error.h"
#include "formats/mdlx/mdlx_packets.h"
#include "formats/mdlx/mdlx_shape_builder.h"
#include "formats/mdlx/mdlx_textures.h"

namespace vertigon::mdlx {

namespace {

// File offsets of the two archive entries' data.
constexpr uint64_t kModelEntryOffset = 24;
constexpr uint64_t kTextureEntryOffset = 40;
// A model entry starting with "PAX" has its skeleton 64 and its geometry 80 bytes further on.
constexpr uint64_t kPaxSkeletonShift = 64;
constexpr uint64_t kPaxGeometryShift = 80;
constexpr uint64_t kHeaderOffset = 0x90;
constexpr uint64_t kBoneRecordBytes = 64;

bool StartsWithPax(const ByteReader& file, uint64_t at) {
    return file.Contains(at, 3) && file.U8(at) == 'P' && file.U8(at + 1) == 'A' && file.U8(at + 2) == 'X';
}

// `header` is the model header: bone count at 0x10, bone table offset (from the header) at 0x14.
void ReadSkeleton(const ByteReader& file, uint64_t header, Model& model) {
    const uint16_t count = file.U16(ByteReader::Add(header, 0x10));
    const uint64_t table = ByteReader::Add(header, file.U32(header + 0x14));
    file.RequireArray(table, count, kBoneRecordBytes);
    model.bones.resize(count);
    for (uint16_t i = 0; i < count; ++i) {
        const uint64_t at = table + i * kBoneRecordBytes;
        Bone& bone = model.bones[i];
        bone.parent = file.S32(at + 4);
        // The scene indexes its bones by parent; one outside the skeleton cannot be drawn.
        if (bone.parent < -1 || bone.parent >= count) {
            Refuse("bone " + std::to_string(i) + " has parent " + std::to_string(bone.parent) + " of " +
                              std::to_string(count));
        }
        bone.scale = {file.F32(at + 16), file.F32(at + 20), file.F32(at + 24), 1.0f};
        bone.rotation = QuatFromEuler(file.F32(at + 32), file.F32(at + 36), file.F32(at + 40));
        bone.translation = {file.F32(at + 48), file.F32(at + 52), file.F32(at + 56), 0.0f};
    }
}

}  // namespace

std::unique_ptr<Model> BuildModel(std::span<const uint8_t> bytes, GsMemoryImage& gs, uint64_t maxWorkBytes) {
    const ByteReader file(bytes);
    WorkBudget budget = WorkBudget::ForFile(bytes.size(), maxWorkBytes);
    const uint64_t modelEntry = file.U32(kModelEntryOffset);
    const uint64_t textureEntry = file.U32(kTextureEntryOffset);

    const bool pax = StartsWithPax(file, modelEntry);
    const uint64_t skeletonHeader = modelEntry + (pax ? kPaxSkeletonShift : 0) + kHeaderOffset;
    const uint64_t geometryHeader = modelEntry + (pax ? kPaxGeometryShift : 0) + kHeaderOffset;

    auto model = std::make_unique<Model>();
    ReadSkeleton(file, skeletonHeader, *model);

    Lod& lod = model->lods.emplace_back();
    lod.drawGroups.push_back({{0}});
    const std::vector<Subpart> subparts =
        ReadSubparts(file, geometryHeader, static_cast<uint32_t>(model->bones.size()), budget);
    lod.shapes.push_back(BuildShape(subparts, static_cast<uint32_t>(model->bones.size())));

    ReadTextures(file, textureEntry, *model, gs, budget);
    return model;
}

TextureLayout DescribeFileTextures(std::span<const uint8_t> bytes) {
    const ByteReader file(bytes);
    return DescribeTextures(file, file.U32(kTextureEntryOffset));
}

}  // namespace vertigon::mdlx
