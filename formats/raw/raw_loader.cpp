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

namespace vertigon::raw {

namespace {

const Chunk& RequireChunk(const Chunk& root, const char* tag) {
    const Chunk* chunk = FindChunk(root, tag);
    if (!chunk) Refuse(std::string("the file has no ") + tag + " chunk");
    return *chunk;
}

}  // namespace

std::unique_ptr<Model> LoadModel(std::span<const uint8_t> bytes, GsMemoryImage& gs, uint64_t maxWorkBytes) {
    const ByteReader file(bytes);
    WorkBudget budget = WorkBudget::ForFile(bytes.size(), maxWorkBytes);
    const Chunk root = ReadChunkTree(file);
    const Chunk& geometry = RequireChunk(root, "@FDM");
    const Chunk& materials = RequireChunk(root, "@FOR");
    const Chunk& images = RequireChunk(root, "@FTE");
    const Chunk& palettes = RequireChunk(root, "@FCT");

    auto model = std::make_unique<Model>();
    // One root bone at the origin carries the whole model.
    Bone& rootBone = model->bones.emplace_back();
    rootBone.parent = -1;
    rootBone.rotation = QuatFromEuler(0, 0, 0);

    const MaterialMap map = ReadMaterialMap(file, materials);
    ReadPalettes(file, palettes, *model);
    ReadTextures(file, images, *model, gs, budget);
    ReadGeometry(file, geometry, map, images.count, *model, budget);
    return model;
}

TextureLayout DescribeFileTextures(std::span<const uint8_t> bytes) {
    const ByteReader file(bytes);
    const Chunk root = ReadChunkTree(file);
    return DescribeTextures(file, RequireChunk(root, "@FTE"), RequireChunk(root, "@FCT"));
}

}  // namespace vertigon::raw

namespace vertigon {

bool RawLoader::CanLoad(const std::string& path) { return HasExtension(path, ".raw"); }

FileKind RawLoader::GetFileKind(const std::string&) { return FileKindModel; }

const char* RawLoader::GetFilterString() const { return "Final Fantasy XII Model (*.RAW)|*.RAW"; }

std::unique_ptr<Model> RawLoader::LoadFromMemory(const ModelBytes& bytes, const LoadContext& context) {
    return raw::LoadModel(bytes.file, context.gsMemory, context.options.maxWorkBytes);
}

}  // namespace vertigon
