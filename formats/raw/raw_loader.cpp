#include "formats/raw/raw_loader.h"

#include "formats/byte_reader.h"
#include "formats/file_io.h"
#include "formats/load_context.h"
#include "formats/loader_options.h"
#include "formats/load_error.h"
#include "formats/raw/raw_chunks.h"
#include "formats/raw/raw_geometry.h"
#include "formats/raw/raw_material_map.h"
#include "formats/raw/raw_textures.h"

namespace vertigon {

namespace {

const RawChunk& RequireChunk(const RawChunk& root, const char* tag) {
    const RawChunk* chunk = FindChunk(root, tag);
    if (!chunk) Refuse(std::string("the file has no ") + tag + " chunk");
    return *chunk;
}

}  // namespace

bool RawLoader::CanLoad(const std::string& path) { return HasExtension(path, ".raw"); }

FileKind RawLoader::GetFileKind(const std::string&) { return FileKindModel; }

const char* RawLoader::GetFilterString() const { return "Final Fantasy XII Model (*.RAW)|*.RAW"; }

std::unique_ptr<Model> RawLoader::LoadFromMemory(const ModelBytes& bytes, const LoadContext& context) {
    return LoadRawModel(bytes.file, context.gsMemory, context.options.maxWorkBytes);
}

std::unique_ptr<Model> LoadRawModel(std::span<const uint8_t> bytes, GsMemoryImage& gs, uint64_t maxWorkBytes) {
    const ByteReader file(bytes);
    WorkBudget budget = WorkBudget::ForFile(bytes.size(), maxWorkBytes);
    const RawChunk root = ReadRawChunkTree(file);
    const RawChunk& geometry = RequireChunk(root, "@FDM");
    const RawChunk& materials = RequireChunk(root, "@FOR");
    const RawChunk& images = RequireChunk(root, "@FTE");
    const RawChunk& palettes = RequireChunk(root, "@FCT");

    auto model = std::make_unique<Model>();
    // One root bone at the origin carries the whole model.
    Bone& rootBone = model->bones.emplace_back();
    rootBone.parent = -1;
    rootBone.rotation = QuatFromEuler(0, 0, 0);

    const RawMaterialMap map = ReadRawMaterialMap(file, materials);
    ReadRawPalettes(file, palettes, *model);
    ReadRawTextures(file, images, *model, gs, budget);
    ReadRawGeometry(file, geometry, map, images.count, *model, budget);
    return model;
}

TextureLayout DescribeRawFileTextures(std::span<const uint8_t> bytes) {
    const ByteReader file(bytes);
    const RawChunk root = ReadRawChunkTree(file);
    return DescribeRawTextures(file, RequireChunk(root, "@FTE"), RequireChunk(root, "@FCT"));
}

}  // namespace vertigon
