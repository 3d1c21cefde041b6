#include "formats/mdls/mdls_model.h"

#include <algorithm>
#include <string>

#include "formats/load_error.h"
#include "formats/mdls/mdls_geometry.h"
#include "formats/indexed_pixels.h"

namespace vertigon::mdls {
namespace {

constexpr uint64_t kTextureEntryBytes = 16;
constexpr uint64_t kBoneRecordBytes = 48;
constexpr uint64_t kMeshEntryBytes = 16;
constexpr uint32_t kParentMask = 0x3FF;

// Offsets of the model section, all counted from its start.
struct Sections {
    uint64_t model = 0;
    uint64_t geometry = 0;
};

Sections ReadSections(const ByteReader& file) {
    Sections s;
    s.model = file.U32(4);
    s.geometry = ByteReader::Add(s.model, file.U32(s.model + 32));
    return s;
}

void ReadSkeleton(const ByteReader& file, const Sections& s, Model& model) {
    const uint32_t count = file.U32(s.geometry);
    const uint64_t table = ByteReader::Add(s.geometry, file.U32(s.geometry + 4));
    file.RequireArray(table, count, kBoneRecordBytes);
    model.bones.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t at = table + kBoneRecordBytes * i;
        Bone& bone = model.bones[i];
        const uint32_t parent = file.U32(at + 44) & kParentMask;
        bone.parent = parent == kParentMask ? -1 : static_cast<int32_t>(parent);
        // The scene indexes its bones by parent; one outside the skeleton cannot be drawn.
        if (bone.parent >= static_cast<int32_t>(count))
            Refuse("bone " + std::to_string(i) + " has parent " + std::to_string(parent) + " of " +
                              std::to_string(count));
        bone.scale = {file.F32(at), file.F32(at + 4), file.F32(at + 8), 1.0f};
        bone.rotation = QuatFromEuler(file.F32(at + 16), file.F32(at + 20), file.F32(at + 24));
        bone.translation = {file.F32(at + 32), file.F32(at + 36), file.F32(at + 40), 0.0f};
    }
}

struct MeshEntry {
    bool translucent = false;
    uint8_t shape = 0;
    uint32_t textureIndex = 0;
    uint64_t stream = 0;
};

std::vector<MeshEntry> ReadMeshTable(const ByteReader& file, const Sections& s) {
    const uint32_t count = file.U32(s.geometry + 12);
    const uint64_t table = s.geometry + 16;
    file.RequireArray(table, count, kMeshEntryBytes);
    std::vector<MeshEntry> meshes(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t at = table + kMeshEntryBytes * i;
        meshes[i].translucent = file.U8(at) != 0;
        meshes[i].shape = file.U8(at + 1);
        meshes[i].textureIndex = file.U32(at + 4);
        meshes[i].stream = ByteReader::Add(table, file.U32(at + 12));
    }
    return meshes;
}

Batch MakeBatch(const MeshEntry& entry, const MeshGeometry& mesh, int32_t firstVertex) {
    Batch batch;
    Material material;
    material.drawable = true;
    material.translucent = entry.translucent;
    material.textureIndex = static_cast<int32_t>(entry.textureIndex);
    batch.materials.push_back(std::move(material));
    batch.triangles.reserve(mesh.triangles.size());
    for (const auto& corners : mesh.triangles) {
        Triangle t;
        for (int c = 0; c < 3; ++c) {
            const MeshVertex& vertex = mesh.vertices[corners[c]];
            t.positionIndex[c] = firstVertex + static_cast<int32_t>(corners[c]);
            t.u[c] = vertex.u;
            t.v[c] = vertex.v;
            for (uint8_t& channel : t.colour[c]) channel = 255;
        }
        batch.triangles.push_back(t);
    }
    return batch;
}

// Appends the mesh to its shape: one batch, one skin group per vertex.
void AppendMesh(Shape& shape, const MeshEntry& entry, const MeshGeometry& mesh) {
    const auto firstVertex = static_cast<int32_t>(shape.positionGroups.size());
    const auto firstInfluence = static_cast<int32_t>(shape.positionInfluences.size());
    for (size_t i = 0; i < mesh.vertices.size(); ++i) {
        const MeshVertex& vertex = mesh.vertices[i];
        shape.positionGroups.push_back(SkinGroup{firstVertex + static_cast<int32_t>(i),
                                                 static_cast<int32_t>(vertex.influenceCount),
                                                 firstInfluence + static_cast<int32_t>(vertex.firstInfluence)});
    }
    shape.positionInfluences.insert(shape.positionInfluences.end(), mesh.influences.begin(), mesh.influences.end());
    shape.batches.push_back(MakeBatch(entry, mesh, firstVertex));
}

void ReadGeometry(const ByteReader& file, const Sections& s, Model& model, WorkBudget& budget) {
    const std::vector<MeshEntry> meshes = ReadMeshTable(file, s);
    size_t shapeCount = 0;
    for (const MeshEntry& mesh : meshes) shapeCount = std::max<size_t>(shapeCount, size_t{mesh.shape} + 1);

    Lod& lod = model.lods.emplace_back();
    lod.shapes.resize(shapeCount);
    DrawGroup& group = lod.drawGroups.emplace_back();
    for (size_t i = 0; i < shapeCount; ++i) group.shapeIndices.push_back(static_cast<int32_t>(i));

    SlotTables slots;
    slots.boneCount = static_cast<uint32_t>(model.bones.size());
    for (const MeshEntry& entry : meshes) {
        const MeshGeometry mesh = ReadMeshStream(file, entry.stream, slots, budget);
        AppendMesh(lod.shapes[entry.shape], entry, mesh);
    }
}

// The texture entries, the index images (one after another, a byte per pixel) and the palettes
// (one per texture); the entries and palettes checked to lie in the file.
struct TextureTables {
    uint32_t count = 0;
    uint64_t entries = 0;
    uint64_t images = 0;
    uint64_t palettes = 0;

    uint16_t Width(const ByteReader& file, uint32_t i) const { return file.U16(entries + kTextureEntryBytes * i + 4); }
    uint16_t Height(const ByteReader& file, uint32_t i) const { return file.U16(entries + kTextureEntryBytes * i + 6); }
    uint64_t Palette(uint32_t i) const { return palettes + kPaletteBytes * i; }
};

TextureTables ReadTextureTables(const ByteReader& file, const Sections& s) {
    TextureTables t;
    t.count = file.U32(s.model + 12) >> 4;
    t.entries = ByteReader::Add(s.model, file.U32(s.model + 8));
    t.images = ByteReader::Add(s.model, file.U32(s.model + 16));
    t.palettes = ByteReader::Add(s.model, file.U32(s.model + 24));
    file.RequireArray(t.entries, t.count, kTextureEntryBytes);
    file.RequireArray(t.palettes, t.count, kPaletteBytes);
    return t;
}

void ReadTextures(const ByteReader& file, const Sections& s, Model& model, WorkBudget& budget) {
    const TextureTables tables = ReadTextureTables(file, s);
    const uint32_t count = tables.count;
    model.AllocatePalettes(count);
    for (uint32_t i = 0; i < count; ++i) {
        const auto stored = file.Bytes(tables.Palette(i), kPaletteBytes);
        auto slot = model.PaletteSlot(static_cast<int32_t>(i));
        std::copy(stored.begin(), stored.end(), slot.begin());
        ConvertPalette(std::span<const uint8_t, kPaletteBytes>(stored.data(), kPaletteBytes),
                       slot.subspan<kPaletteBytes, kPaletteBytes>());
    }

    model.textures.resize(count);
    uint64_t cursor = tables.images;
    for (uint32_t i = 0; i < count; ++i) {
        Texture& texture = model.textures[i];
        texture.width = tables.Width(file, i);
        texture.height = tables.Height(file, i);
        const uint64_t pixelCount = uint64_t(texture.width) * uint64_t(texture.height);
        budget.Take(pixelCount, 4, "texture pixels");
        const auto indices = file.Bytes(cursor, pixelCount);
        cursor += pixelCount;
        IndicesToPixels(indices, model.ConvertedPalette(static_cast<int32_t>(i)), ExpandConsoleAlpha, texture.pixels);
    }
}

}  // namespace

std::unique_ptr<Model> ReadModel(const ByteReader& file, uint64_t maxWorkBytes) {
    WorkBudget budget = WorkBudget::ForFile(file.size(), maxWorkBytes);
    const Sections sections = ReadSections(file);
    auto model = std::make_unique<Model>();
    ReadSkeleton(file, sections, *model);
    ReadGeometry(file, sections, *model, budget);
    ReadTextures(file, sections, *model, budget);
    return model;
}

TextureLayout DescribeFileTextures(const ByteReader& file) {
    const TextureTables tables = ReadTextureTables(file, ReadSections(file));
    TextureLayout layout;
    uint64_t cursor = tables.images;
    for (uint32_t i = 0; i < tables.count; ++i) {
        const uint32_t width = tables.Width(file, i);
        const uint32_t height = tables.Height(file, i);
        layout.images.push_back({cursor, width, height});
        layout.palettes.push_back({tables.Palette(i)});
        layout.textures.push_back({static_cast<int32_t>(i), static_cast<int32_t>(i)});
        cursor = ByteReader::Add(cursor, uint64_t{width} * height);
    }
    return layout;
}

size_t ModelBlockSize(const ByteReader& file) {
    const uint32_t first = file.U32(4);
    const uint32_t second = file.U32(8);
    if (second < first) return 0;
    return static_cast<size_t>(std::min<uint64_t>(second - first, file.size()));
}

}  // namespace vertigon::mdls
