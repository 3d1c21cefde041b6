// The RAW loader against fixtures built byte by byte: the chunk tree, the MaterialMap, palettes
// and textures, and the geometry of Lods, shapes, meshes and strips.
#include "formats/raw/raw_loader.h"

#include <gtest/gtest.h>

#include "formats/load_error.h"
#include "formats/ps2/gs_memory.h"
#include "formats/raw/raw_chunks.h"
#include "formats/registry.h"
#include "formats/workspace.h"
#include "tests/fixtures/byte_writer.h"
#include "tests/fixtures/raw_models.h"
#include "tests/fixtures/temp_dir.h"

namespace vertigon {
namespace {

using testing::RawFileDesc;

std::unique_ptr<Model> Load(const RawFileDesc& desc) {
    GsMemoryImage gs;
    return raw::LoadModel(testing::BuildRawFile(desc), gs);
}

std::vector<uint8_t> Leaf(std::string_view tag, std::string_view name) {
    return testing::RawChunkBytes(tag, 0, name, std::vector<uint8_t>(16, 0));
}

std::array<uint8_t, 4> PixelAt(const Texture& texture, int x, int y) {
    const uint8_t* p = &texture.pixels[(static_cast<size_t>(y) * texture.width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

std::array<uint8_t, 4> Colour(const Triangle& t, int corner) {
    return {t.colour[corner][0], t.colour[corner][1], t.colour[corner][2], t.colour[corner][3]};
}

TEST(RawChunks, FindChunkSearchesChildrenDepthFirstInOrder) {
    const auto bytes = testing::RawContainer(
        {testing::RawContainer({Leaf("@FTE", "a"), Leaf("@FOR", "inner")}), Leaf("@FOR", "outer"), Leaf("@FCT", "b")},
        "root");
    const ByteReader file(bytes);
    const raw::Chunk root = raw::ReadChunkTree(file);
    ASSERT_EQ(root.children.size(), 3u);
    EXPECT_EQ(root.count, 3u);
    EXPECT_EQ(root.name, "root");
    EXPECT_EQ(raw::FindChunk(root, "@FOR")->name, "inner");
    EXPECT_EQ(raw::FindChunk(root, "@FCT")->name, "b");
    EXPECT_EQ(raw::FindChunk(root, "@FRP"), &root);
    EXPECT_EQ(raw::FindChunk(root, "@FDM"), nullptr);
    // Offsets inside a chunk count from its header.
    const raw::Chunk* outer = raw::FindChunk(root.children[1], "@FOR");
    EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(bytes.data() + outer->offset), 4), "@FOR");
}

TEST(RawChunks, ARootThatIsNoContainerHasNoChildren) {
    // Its data looks like child positions, but only "@FRP" chunks have children.
    const auto bytes = testing::RawChunkBytes("@FDM", 1, "", {0, 0, 0, 0, 0, 0, 0, 0});
    const raw::Chunk root = raw::ReadChunkTree(ByteReader(bytes));
    EXPECT_TRUE(root.children.empty());
    EXPECT_EQ(raw::FindChunk(root, "@FDM"), &root);
    GsMemoryImage gs;
    EXPECT_THROW(raw::LoadModel(bytes, gs), FormatError);  // the other three chunks are missing
}

TEST(RawChunks, SharedChildrenCannotMultiplyTheTree) {
    // 40 containers, each naming the next one twice: 2^40 paths through 40 chunks.
    testing::ByteWriter w;
    for (int k = 0; k < 40; ++k) {
        w.Text("@FRP").U32(0).U32(0).U32(2).Zeros(32);
        w.U32(16).U32(16).Zeros(8);
    }
    w.Text("@FDM").Zeros(44);
    EXPECT_THROW(raw::ReadChunkTree(ByteReader(w.bytes())), FormatError);
}

TEST(RawLoader, MissingChunksAreRefused) {
    const RawFileDesc desc = testing::SmallRawModel();
    const auto geometry = testing::RawGeometryChunk(desc.lods);
    const auto map = testing::RawMaterialMapChunk(desc.materialMap);
    const auto images = testing::RawImageChunk(desc.images);
    const auto palettes = testing::RawPaletteChunk(desc.palettes);
    GsMemoryImage gs;
    EXPECT_NO_THROW(raw::LoadModel(testing::RawContainer({palettes, testing::RawContainer({images, map}), geometry}), gs));
    EXPECT_THROW(raw::LoadModel(testing::RawContainer({geometry, map, images}), gs), FormatError);
    EXPECT_THROW(raw::LoadModel(testing::RawContainer({geometry, images, palettes}), gs), FormatError);
}

TEST(RawLoader, OneRootBoneAndNamedLodsWithDrawGroupsFromTheLists) {
    const auto model = Load(testing::SmallRawModel());
    ASSERT_EQ(model->boneCount(), 1);
    EXPECT_EQ(model->bones[0].parent, -1);
    EXPECT_EQ(model->bones[0].rotation, QuatFromEuler(0, 0, 0));
    EXPECT_FLOAT_EQ(model->bones[0].scale.x, 1.0f);

    ASSERT_EQ(model->lodCount(), 2);
    EXPECT_EQ(model->lods[0].name, "Lod 0");
    EXPECT_EQ(model->lods[1].name, "Lod 1");
    ASSERT_EQ(model->lods[0].shapes.size(), 2u);
    ASSERT_EQ(model->lods[1].shapes.size(), 1u);
    ASSERT_EQ(model->lods[0].drawGroups.size(), 1u);
    EXPECT_EQ(model->lods[0].drawGroups[0].shapeIndices, (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(model->lods[1].drawGroups[0].shapeIndices, (std::vector<int32_t>{0}));
    EXPECT_EQ(model->lods[0].shapes[1].batchCount(), 2);
}

TEST(RawLoader, MaterialsComeFromTheFourListsThroughSelectorsAndPairs) {
    const auto model = Load(testing::SmallRawModel());
    // Two palettes: texture index = 2 x image + palette.
    const auto& shape0 = model->lods[0].shapes[0].batches[0].materials;
    ASSERT_EQ(shape0.size(), 4u);
    EXPECT_FALSE(shape0[0].hidden);
    EXPECT_EQ(shape0[0].textureIndex, 0);  // list 0, encoding 2: selector 1 -> pair 0 = image 0, palette 0
    EXPECT_EQ(shape0[1].textureIndex, 4);  // list 1, encoding 1: selector 0 -> pair 2 = image 2, palette 0
    EXPECT_FALSE(shape0[2].hidden);        // list 2 repeats list 1's entry
    EXPECT_EQ(shape0[2].textureIndex, 4);
    EXPECT_TRUE(shape0[3].hidden);
    EXPECT_FALSE(shape0[3].drawable);
    for (int j = 0; j < 3; ++j) {
        EXPECT_TRUE(shape0[j].drawable);
        EXPECT_TRUE(shape0[j].lit);
        EXPECT_TRUE(shape0[j].doubleSided);
        EXPECT_FALSE(shape0[j].translucent);
        EXPECT_FALSE(shape0[j].flag3);
    }
    // Shape 1 is only in list 0: selector 2 -> pair 1 = image 1, palette 1. Every batch alike.
    for (const Batch& batch : model->lods[0].shapes[1].batches) {
        EXPECT_EQ(batch.materials[0].textureIndex, 3);
        EXPECT_TRUE(batch.materials[1].hidden);
        EXPECT_TRUE(batch.materials[2].hidden);
    }
}

TEST(RawLoader, SelectorsAndPairsBeyondTheirArraysAreRefused) {
    RawFileDesc desc = testing::SmallRawModel();
    desc.materialMap.lists[0][0].selector = 3;  // three selector entries
    EXPECT_THROW(Load(desc), FormatError);
    desc = testing::SmallRawModel();
    desc.materialMap.selectors[1] = 3;  // three pairs
    EXPECT_THROW(Load(desc), FormatError);
    desc = testing::SmallRawModel();
    desc.materialMap.encodings[0] = 7;  // repeats before any entry was read
    EXPECT_THROW(Load(desc), FormatError);
}

TEST(RawLoader, MaterialsNamingMissingImagesPalettesOrShapesAreRefused) {
    RawFileDesc desc = testing::SmallRawModel();
    desc.materialMap.pairs[0] = {3, 0};
    EXPECT_THROW(Load(desc), FormatError);
    desc = testing::SmallRawModel();
    desc.materialMap.pairs[0] = {0, 2};
    EXPECT_THROW(Load(desc), FormatError);
    desc = testing::SmallRawModel();
    desc.materialMap.lists[1].push_back({1, 0});  // Lod 1 has a single shape
    EXPECT_THROW(Load(desc), FormatError);
}

TEST(RawLoader, SixTexturesFromThreeImagesAndTwoPalettes) {
    const auto model = Load(testing::SmallRawModel());
    ASSERT_EQ(model->paletteCount(), 2);
    ASSERT_EQ(model->textureCount(), 6);
    for (const Texture& t : model->textures) {
        EXPECT_EQ(t.width, 16);  // 2 x 8 words
        EXPECT_EQ(t.height, 8);  // 2 x 4 rows
        EXPECT_EQ(t.pixels.size(), 16u * 8u * 4u);
    }
    // Palette 0 entry i is (i, 10, 20, 128); palette 1 entry i is (30, i, 40, 64). Pixels are
    // B, G, R, A with the alpha expanded. Image k is uniformly index 1, 2 and 8.
    EXPECT_EQ(PixelAt(model->textures[0], 5, 3), (std::array<uint8_t, 4>{20, 10, 1, 255}));
    EXPECT_EQ(PixelAt(model->textures[1], 0, 0), (std::array<uint8_t, 4>{40, 1, 30, 127}));
    EXPECT_EQ(PixelAt(model->textures[3], 15, 7), (std::array<uint8_t, 4>{40, 2, 30, 127}));
    // Texture 4 is image 2 with palette 0; index 8 shows stored entry 16 (bits 3 and 4 swap).
    EXPECT_EQ(PixelAt(model->textures[4], 7, 7), (std::array<uint8_t, 4>{20, 10, 16, 255}));
    EXPECT_EQ(PixelAt(model->textures[5], 2, 1), (std::array<uint8_t, 4>{40, 16, 30, 127}));

    // The palette slots keep the stored bytes, then the converted ones.
    const auto slot = model->PaletteSlot(1);
    EXPECT_EQ(slot[8 * 4 + 1], 8);
    EXPECT_EQ(slot[1024 + 8 * 4 + 1], 16);
    EXPECT_EQ(slot[1024 + 8 * 4 + 3], 64);
}

TEST(RawLoader, ImagesAreUnswizzledWithDoubledBufferWidths) {
    // 96 words across: with the widths of W div 64 and W div 32 the page rows would overlap.
    constexpr uint16_t kW = 96;
    constexpr uint16_t kH = 64;
    RawFileDesc desc = testing::SmallRawModel();
    desc.images = {testing::RawImageDesc{kW, kH, {}}};
    desc.images[0].words.resize(size_t{kW} * kH * 4);
    auto& words = desc.images[0].words;
    for (size_t i = 0; i < words.size(); ++i) words[i] = static_cast<uint8_t>(i * 7 + i / 509);
    const auto redRamp = [](int i) { return std::array<uint8_t, 4>{static_cast<uint8_t>(i), 0, 0, 128}; };
    desc.palettes = {testing::RawPalette(redRamp)};
    desc.materialMap.pairs = {{0, 0}, {0, 0}, {0, 0}};
    const auto model = Load(desc);
    ASSERT_EQ(model->textureCount(), 1);
    const Texture& texture = model->textures[0];
    ASSERT_EQ(texture.width, 2 * kW);
    ASSERT_EQ(texture.height, 2 * kH);

    GsMemoryImage gs;
    std::vector<uint8_t> doubled, single;
    ASSERT_TRUE(UnswizzlePsmt8(gs, desc.images[0].words, kW, kH, kW / 32, kW / 16, doubled));
    ASSERT_TRUE(UnswizzlePsmt8(gs, desc.images[0].words, kW, kH, kW / 64, kW / 32, single));
    const auto palette = model->ConvertedPalette(0);
    int doubledMismatches = 0, singleMismatches = 0;
    for (size_t i = 0; i < doubled.size(); ++i) {
        const uint8_t red = texture.pixels[i * 4 + 2];
        doubledMismatches += red != palette[doubled[i] * 4u + 2];
        singleMismatches += red != palette[single[i] * 4u + 2];
    }
    EXPECT_EQ(doubledMismatches, 0);
    EXPECT_GT(singleMismatches, 0);
}

TEST(RawLoader, MirroredShapeScalesPositionsAndDecodesFixedPointNormals) {
    const auto model = Load(testing::SmallRawModel());
    const Shape& shape = model->lods[0].shapes[0];
    ASSERT_EQ(shape.positionSingles.size(), 8u);  // four vertices and their mirror images
    ASSERT_EQ(shape.normalSingles.size(), 8u);
    EXPECT_TRUE(shape.positionGroups.empty());
    EXPECT_TRUE(shape.positionInfluences.empty());
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(shape.positionSingles[i].index, i);
        EXPECT_EQ(shape.positionSingles[i].bone, 0);
        EXPECT_EQ(shape.normalSingles[i].index, i);
    }
    EXPECT_EQ(shape.positionSingles[0].value, (Vec4{60, 0, 0, 1}));
    EXPECT_EQ(shape.positionSingles[3].value, (Vec4{100, 40, 20, 1}));
    EXPECT_EQ(shape.positionSingles[4].value, (Vec4{-60, 0, 0, 1}));
    EXPECT_EQ(shape.positionSingles[7].value, (Vec4{-100, 40, 20, 1}));
    EXPECT_EQ(shape.normalSingles[0].value, (Vec4{1.0f / 256, 0, 0, 1}));
    EXPECT_EQ(shape.normalSingles[1].value, (Vec4{-1.0f / 256, 0, 0, 1}));
    EXPECT_EQ(shape.normalSingles[3].value, (Vec4{0, 0, 1.5f / 256, 1}));
    EXPECT_EQ(shape.normalSingles[4].value, (Vec4{-1.0f / 256, 0, 0, 1}));
    EXPECT_EQ(shape.normalSingles[5].value, (Vec4{1.0f / 256, 0, 0, 1}));
}

TEST(RawLoader, StripWindowEmitsTrianglesAndTheirMirrorImages) {
    const auto model = Load(testing::SmallRawModel());
    // Flags 0x8000, 0x8000, 0, 0: (0, 1, 2) and (1, 2, 3), each followed by its mirror image.
    const auto& triangles = model->lods[0].shapes[0].batches[0].triangles;
    ASSERT_EQ(triangles.size(), 4u);
    const int32_t expected[4][3] = {{0, 1, 2}, {4, 5, 6}, {1, 2, 3}, {5, 6, 7}};
    for (int t = 0; t < 4; ++t) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(triangles[t].positionIndex[c], expected[t][c]) << t << "," << c;
            EXPECT_EQ(triangles[t].normalIndex[c], expected[t][c]) << t << "," << c;
        }
    }
    // Coordinates: entry k uses coordinate k = (0,0), (0,1), (1,0), (1,1).
    EXPECT_EQ(triangles[2].u[0], 0.0f);
    EXPECT_EQ(triangles[2].v[0], 1.0f);
    EXPECT_EQ(triangles[2].u[2], 1.0f);
    EXPECT_EQ(triangles[2].v[2], 1.0f);
    EXPECT_EQ(triangles[3].u[2], 1.0f);
}

TEST(RawLoader, OnlyEmittedTrianglesAreCountedAndNumberingRunsOnAcrossMeshes) {
    const auto model = Load(testing::SmallRawModel());
    const Shape& shape = model->lods[0].shapes[1];
    ASSERT_EQ(shape.positionSingles.size(), 7u);
    ASSERT_EQ(shape.batches[0].triangleCount(), 1);
    // Flags 0x8000, 0x8000, 0, 0x4000: the last entry closes nothing and is not counted.
    ASSERT_EQ(shape.batches[1].triangleCount(), 1);
    const Triangle& t = shape.batches[1].triangles[0];
    EXPECT_EQ(t.positionIndex[0], 3);  // the second mesh's vertices follow the first mesh's three
    EXPECT_EQ(t.positionIndex[2], 5);
    EXPECT_EQ(shape.positionSingles[3].value, (Vec4{0, 0, 40, 1}));
}

TEST(RawLoader, VertexColoursInEveryForm) {
    const auto model = Load(testing::SmallRawModel());
    using C = std::array<uint8_t, 4>;
    // Grey with an alpha block: alpha 128 -> 255, 64 -> 127.
    const Triangle& quad = model->lods[0].shapes[0].batches[0].triangles[0];
    EXPECT_EQ(Colour(quad, 0), (C{100, 100, 100, 255}));
    EXPECT_EQ(Colour(quad, 1), (C{50, 50, 50, 127}));
    // RGBA, and a colour index beyond the colours read: opaque white.
    const Triangle& rgba = model->lods[0].shapes[1].batches[0].triangles[0];
    EXPECT_EQ(Colour(rgba, 0), (C{255, 0, 0, 255}));
    EXPECT_EQ(Colour(rgba, 1), (C{0, 255, 0, 63}));
    EXPECT_EQ(Colour(rgba, 2), (C{255, 255, 255, 255}));
    EXPECT_FLOAT_EQ(rgba.u[0], 0.25f);
    EXPECT_FLOAT_EQ(rgba.v[1], 0.5f);
    // No colour section.
    EXPECT_EQ(Colour(model->lods[0].shapes[1].batches[1].triangles[0], 1), (C{255, 255, 255, 255}));
    // Grey without an alpha block: opaque.
    EXPECT_EQ(Colour(model->lods[1].shapes[0].batches[0].triangles[0], 2), (C{200, 200, 200, 255}));
}

TEST(RawLoader, StripEntriesOutsideTheWindowOrPacketRules) {
    RawFileDesc desc = testing::SmallRawModel();
    // Flag 0 on the first two entries: no full window yet, so nothing is emitted.
    auto& strip = desc.lods[1].shapes[0].meshes[0].packets[0].strip;
    strip[0].flag = 0;
    strip[1].flag = 0;
    strip[2].flag = 0x8000;
    EXPECT_EQ(Load(desc)->lods[1].shapes[0].batches[0].triangleCount(), 0);

    // An entry that closes no triangle may name anything; a corner must exist in the packet.
    desc = testing::SmallRawModel();
    desc.lods[0].shapes[1].meshes[1].packets[0].strip[3].vertex = 100;
    EXPECT_NO_THROW(Load(desc));
    desc.lods[0].shapes[1].meshes[1].packets[0].strip[2].vertex = 4;
    EXPECT_THROW(Load(desc), FormatError);
    desc = testing::SmallRawModel();
    desc.lods[0].shapes[1].meshes[1].packets[0].strip[1].coord = 1;
    EXPECT_THROW(Load(desc), FormatError);
}

TEST(RawLoader, MoreThanFourLodsAreRefused) {
    RawFileDesc desc = testing::SmallRawModel();
    desc.lods.resize(4, desc.lods[1]);
    EXPECT_EQ(Load(desc)->lodCount(), 4);
    desc.lods.push_back(desc.lods[1]);
    EXPECT_THROW(Load(desc), FormatError);
}

TEST(RawLoader, OpensThroughTheRegistry) {
    testing::TempDir dir;
    const std::string path = dir.Write("small.RAW", testing::BuildRawFile(testing::SmallRawModel()));
    Workspace workspace;
    LoaderRegistry& registry = workspace.registry();
    LoadFailure failure;
    Model* model = registry.OpenModel(path, &failure);
    ASSERT_NE(model, nullptr) << failure.message;
    EXPECT_EQ(model->lodCount(), 2);

    const std::string broken = dir.Write("broken.raw", std::vector<uint8_t>(40, 0));
    EXPECT_EQ(registry.OpenModel(broken, &failure), nullptr);
    EXPECT_EQ(failure.reason, LoadFailure::Reason::Malformed);
}

}  // namespace
}  // namespace vertigon
