// MDLS models: skeleton, record streams (slots, strips, weights), shapes, materials, textures.
#include <gtest/gtest.h>

#include "formats/byte_reader.h"
#include "formats/load_error.h"
#include "formats/mdls/mdls_model.h"
#include "formats/registry.h"
#include "formats/workspace.h"
#include "tests/formats/mdls_test_support.h"

namespace vertigon {
namespace {

using namespace testing;

using Corners = std::array<int32_t, 3>;

Corners CornersOf(const Triangle& t) { return {t.positionIndex[0], t.positionIndex[1], t.positionIndex[2]}; }

MdlsDescription OneBone() {
    MdlsDescription d;
    d.bones.resize(1);
    return d;
}

TEST(MdlsLoader, SkeletonTakesTenBitParentsScalesEulerRotationsAndTranslations) {
    MdlsDescription d;
    d.bones.resize(4);
    d.bones[0].parentField = 0x3FF;
    d.bones[1].parentField = 0xABCD0000;  // parent 0 with noise above bit 9
    d.bones[1].scale = {2, 3, 4};
    d.bones[1].rotation = {0.5f, -0.25f, 1.0f};
    d.bones[1].translation = {5, 6, 7};
    d.bones[2].parentField = 0x7FF;  // masks to 0x3FF: a root
    d.bones[3].parentField = 0x401;  // parent 1
    const auto model = LoadMdls(d);
    ASSERT_EQ(model->boneCount(), 4);
    EXPECT_EQ(model->bones[0].parent, -1);
    EXPECT_EQ(model->bones[1].parent, 0);
    EXPECT_EQ(model->bones[2].parent, -1);
    EXPECT_EQ(model->bones[3].parent, 1);
    EXPECT_EQ(model->bones[1].scale, (Vec4{2, 3, 4, 1}));
    EXPECT_EQ(model->bones[1].translation.x, 5.0f);
    EXPECT_EQ(model->bones[1].translation.z, 7.0f);
    EXPECT_EQ(model->bones[1].rotation, QuatFromEuler(0.5f, -0.25f, 1.0f));
}

TEST(MdlsLoader, AParentOutsideTheSkeletonRefusesTheFile) {
    MdlsDescription d;
    d.bones.resize(2);
    d.bones[1].parentField = 2;
    EXPECT_THROW(LoadMdls(d), FormatError);
}

TEST(MdlsLoader, StripsAlternateTheirWindingFromTheBlockFlag) {
    MdlsDescription d = OneBone();
    d.meshes.push_back(Mesh(0, MdlsStream().Vertices(1, Row(5)).Vertices(0, Row(4)).End()));
    const auto model = LoadMdls(d);
    const Shape& shape = model->lods.at(0).shapes.at(0);
    ASSERT_EQ(shape.batchCount(), 1);
    const auto& triangles = shape.batches[0].triangles;
    ASSERT_EQ(triangles.size(), 5u);
    EXPECT_EQ(CornersOf(triangles[0]), (Corners{0, 1, 2}));
    EXPECT_EQ(CornersOf(triangles[1]), (Corners{3, 2, 1}));
    EXPECT_EQ(CornersOf(triangles[2]), (Corners{2, 3, 4}));
    // The second block starts at vertex 5 with the flag 0.
    EXPECT_EQ(CornersOf(triangles[3]), (Corners{7, 6, 5}));
    EXPECT_EQ(CornersOf(triangles[4]), (Corners{6, 7, 8}));
    // Corners carry their vertex's u and v, and white.
    EXPECT_EQ(triangles[1].u[0], 3.0f);
    EXPECT_EQ(triangles[1].v[2], 0.5f);
    EXPECT_EQ(triangles[4].colour[2][3], 255);
}

TEST(MdlsLoader, ShapesCollectTheirMeshesInTableOrder) {
    MdlsDescription d = OneBone();
    d.meshes.push_back(Mesh(0, MdlsStream().Vertices(1, Row(3)).End(), 4));
    d.meshes.push_back(Mesh(2, MdlsStream().Vertices(1, Row(4)).End(), 1));
    d.meshes.push_back(Mesh(2, MdlsStream().Vertices(1, Row(3)).End(), 0));
    d.meshes[1].translucent = true;
    const auto model = LoadMdls(d);
    const Lod& lod = model->lods.at(0);
    EXPECT_EQ(lod.name, "Unamed shape");
    ASSERT_EQ(lod.shapes.size(), 3u);
    EXPECT_EQ(lod.shapes[1].batchCount(), 0);
    ASSERT_EQ(lod.drawGroups.size(), 1u);
    EXPECT_EQ(lod.drawGroups[0].shapeIndices, (std::vector<int32_t>{0, 1, 2}));

    const Shape& two = lod.shapes[2];
    ASSERT_EQ(two.batchCount(), 2);
    EXPECT_EQ(two.positionCount(), 7);
    EXPECT_EQ(two.normalCount(), 0);
    EXPECT_TRUE(two.positionSingles.empty());
    // The later mesh's vertex numbers come after the earlier one's.
    EXPECT_EQ(CornersOf(two.batches[1].triangles[0]), (Corners{4, 5, 6}));
    const Material& translucent = two.batches[0].materials.at(0);
    EXPECT_TRUE(translucent.translucent);
    EXPECT_EQ(translucent.textureIndex, 1);
    EXPECT_FALSE(translucent.lit);
    EXPECT_FALSE(translucent.doubleSided);
    EXPECT_FALSE(translucent.hidden);
    EXPECT_TRUE(translucent.drawable);
    EXPECT_FALSE(two.batches[1].materials.at(0).translucent);
    EXPECT_EQ(lod.shapes[0].batches[0].materials.at(0).textureIndex, 4);
}

TEST(MdlsLoader, UnweightedVerticesBindOneBoneThroughTheSlotTable) {
    MdlsDescription d;
    d.bones.resize(3);
    MdlsStream stream;
    stream.Slot(5, 2).Slot(0, 1).Vertices(1, {At(1, 2, 3, 0x2005), At(4, 5, 6, 0), At(7, 8, 9, 7)}).End();
    d.meshes.push_back(Mesh(0, stream));
    const auto model = LoadMdls(d);
    const Shape& shape = model->lods[0].shapes[0];
    ASSERT_EQ(shape.positionGroups.size(), 3u);
    ASSERT_EQ(shape.positionInfluences.size(), 3u);
    EXPECT_EQ(shape.positionGroups[1].index, 1);
    EXPECT_EQ(shape.positionGroups[1].influenceCount, 1);
    EXPECT_EQ(shape.positionGroups[1].firstInfluence, 1);
    EXPECT_EQ(shape.positionInfluences[0].bone, 2);  // slot field 0x2005: slot 5
    EXPECT_EQ(shape.positionInfluences[0].value, (Vec4{1, 2, 3, 1}));
    EXPECT_EQ(shape.positionInfluences[1].bone, 1);
    EXPECT_EQ(shape.positionInfluences[2].bone, 0);  // an undeclared slot is bone 0
}

TEST(MdlsLoader, WeightedVerticesTakeBonesFromTheSlotListCursor) {
    MdlsDescription d;
    d.bones.resize(6);
    MdlsStream first;
    first.Slot(3, 4).ExtendedSlots({5, 1}).End();
    MdlsStream second;
    second.Vertices(1, {At(0, 0, 0, 3), At(1, 0, 0, 3), At(2, 0, 0, 3)})
        .Weighted({3, 257, 256})
        .WeightedVertices(1, {{{{1, 2, 3, 0.5f}, {4, 5, 6, 0.5f}}, 0.25f, 0.75f}, {{{7, 8, 9, 1}}, 1, 0}, {{}, 0, 0}})
        .Weighted({256})
        .WeightedVertices(0, {{{{1, 1, 1, 1}}, 0, 0}, {{{2, 2, 2, 1}}, 0, 0}, {{{3, 3, 3, 1}}, 0, 0}})
        .End();
    d.meshes.push_back(Mesh(0, first));
    d.meshes.push_back(Mesh(0, second));
    const auto model = LoadMdls(d);
    const Shape& shape = model->lods[0].shapes[0];
    ASSERT_EQ(shape.positionGroups.size(), 9u);
    // Unweighted: the slot table filled by the first mesh's stream.
    EXPECT_EQ(shape.positionInfluences[0].bone, 4);
    // Weighted: slot 3 -> 4, then 257 and 256 through the extended table; the last vertex
    // of the first weighted block has no influences.
    EXPECT_EQ(shape.positionGroups[3].influenceCount, 2);
    EXPECT_EQ(shape.positionGroups[3].firstInfluence, 3);
    EXPECT_EQ(shape.positionInfluences[3].bone, 4);
    EXPECT_EQ(shape.positionInfluences[3].value, (Vec4{1, 2, 3, 0.5f}));
    EXPECT_EQ(shape.positionInfluences[4].bone, 1);
    EXPECT_EQ(shape.positionInfluences[5].bone, 5);
    EXPECT_EQ(shape.positionInfluences[5].value, (Vec4{7, 8, 9, 1}));
    EXPECT_EQ(shape.positionGroups[5].influenceCount, 0);
    // A new slot list restarts the cursor; it runs on past its own list into the next words.
    EXPECT_EQ(shape.positionInfluences[6].bone, 5);
    // The first mesh declares slots only: its batch is empty.
    ASSERT_EQ(shape.batchCount(), 2);
    EXPECT_TRUE(shape.batches[0].triangles.empty());
    const auto& triangles = shape.batches[1].triangles;
    ASSERT_EQ(triangles.size(), 3u);
    EXPECT_EQ(CornersOf(triangles[1]), (Corners{3, 4, 5}));
    EXPECT_EQ(triangles[1].u[0], 0.25f);
    EXPECT_EQ(triangles[1].v[0], 0.75f);
    EXPECT_EQ(CornersOf(triangles[2]), (Corners{8, 7, 6}));
}

TEST(MdlsLoader, RecordsThatAreNotVertexBlocksAddNothing) {
    MdlsDescription d = OneBone();
    MdlsStream stream;
    stream.UnmarkedBlock(4).Record(0x77, 40).Record(0x8000, 24).Vertices(1, Row(3)).End().Vertices(1, Row(3));
    d.meshes.push_back(Mesh(0, stream));
    const auto model = LoadMdls(d);
    EXPECT_EQ(model->lods[0].shapes[0].positionCount(), 3);

    // A record whose size does not move on ends the stream there.
    MdlsDescription stalled = OneBone();
    stalled.meshes.push_back(Mesh(0, MdlsStream().Vertices(1, Row(3)).Record(0x77, 0).Vertices(1, Row(3))));
    EXPECT_EQ(LoadMdls(stalled)->lods[0].shapes[0].positionCount(), 3);
}

TEST(MdlsLoader, SlotsOutsideTheTablesAndTooManyInfluencesRefuseTheFile) {
    const auto refused = [](MdlsStream stream, size_t bones = 2) {
        MdlsDescription d;
        d.bones.resize(bones);
        d.meshes.push_back(Mesh(0, stream.End()));
        return LoadMdls(d);
    };
    EXPECT_THROW(refused(MdlsStream().Vertices(1, {At(0, 0, 0, 256)})), FormatError);
    EXPECT_THROW(refused(MdlsStream().Slot(256, 0)), FormatError);
    EXPECT_THROW(refused(MdlsStream().Weighted({300}).WeightedVertices(1, {{{{1, 1, 1, 1}}, 0, 0}})), FormatError);
    EXPECT_THROW(refused(MdlsStream().Slot(1, 2).Vertices(1, {At(0, 0, 0, 1)})), FormatError);
    EXPECT_THROW(refused(MdlsStream().Vertices(1, {At(0, 0, 0, 0)}), 0), FormatError);
    MdlsWeightedVertex crowded;
    crowded.influences.assign(16, {0, 0, 0, 1});
    EXPECT_THROW(refused(MdlsStream().Weighted(std::vector<uint32_t>(16, 0)).WeightedVertices(1, {crowded})),
                 FormatError);
    crowded.influences.resize(15);
    EXPECT_NO_THROW(refused(MdlsStream().Weighted(std::vector<uint32_t>(15, 0)).WeightedVertices(1, {crowded})));
}

TEST(MdlsLoader, TexturesTakeConsecutiveIndexBytesThroughTheirOwnPalettes) {
    MdlsDescription d = OneBone();
    MdlsTexture small{4, 2, {}, {}};
    MdlsTexture large{8, 8, {}, {}};
    for (uint8_t i = 0; i < 8; ++i) small.indices.push_back(i);
    for (uint8_t i = 0; i < 64; ++i) large.indices.push_back(static_cast<uint8_t>(i + 8));
    for (size_t j = 0; j < 256; ++j) {
        small.palette[j] = {uint8_t(j), 0x10, 0x20, 0x80};
        large.palette[j] = {0x30, uint8_t(j), 0x40, 0x40};
    }
    d.textures = {small, large};
    const auto model = LoadMdls(d);
    ASSERT_EQ(model->textureCount(), 2);
    ASSERT_EQ(model->paletteCount(), 2);
    const Texture& a = model->textures[0];
    EXPECT_EQ(a.width, 4);
    EXPECT_EQ(a.height, 2);
    ASSERT_EQ(a.pixels.size(), 32u);
    // Pixel 1 has index 1: B, G, R of palette entry 1, alpha 0x80 -> 255.
    EXPECT_EQ(a.pixels[4], 0x20);
    EXPECT_EQ(a.pixels[5], 0x10);
    EXPECT_EQ(a.pixels[6], 1);
    EXPECT_EQ(a.pixels[7], 255);
    // Bits 3 and 4 of the index trade places: index 8 shows entry 16.
    const Texture& b = model->textures[1];
    ASSERT_EQ(b.pixels.size(), 256u);
    EXPECT_EQ(b.pixels[1], 16);
    EXPECT_EQ(b.pixels[3], 127);  // (0x40 * 255) >> 7
    EXPECT_EQ(b.pixels[8 * 4 + 1], 8);     // index 16 shows entry 8
    EXPECT_EQ(b.pixels[63 * 4 + 1], 71);  // index 71: bits 3 and 4 clear, in place
    // The palette slot keeps the stored palette in its first half.
    EXPECT_EQ(model->palettes[4 * 7], 7);
    EXPECT_EQ(model->palettes[kPaletteSlotBytes + 4 * 7 + 1], 7);
}

TEST(MdlsLoader, TheModelBlockIsTheHeaderDifferenceKeptInsideTheFile) {
    const auto size = [](uint32_t first, uint32_t second, size_t fileSize) {
        std::vector<uint8_t> file(fileSize, 0);
        std::memcpy(&file[4], &first, 4);
        std::memcpy(&file[8], &second, 4);
        return mdls::ModelBlockSize(ByteReader(file));
    };
    EXPECT_EQ(size(0x80, 0x480, 0x1000), 0x400u);
    EXPECT_EQ(size(0x80, 0x80000, 0x1000), 0x1000u);
    EXPECT_EQ(size(0x480, 0x80, 0x1000), 0u);
}

TEST(MdlsLoader, TheRegistryOpensMdlsModelsWithItsOptions) {
    TempDir dir;
    MdlsDescription d = OneBone();
    d.meshes.push_back(Mesh(0, MdlsStream().Vertices(1, Row(3)).End()));
    const std::string path = dir.Write("Hero.MdLs", WriteMdls(d));
    Workspace workspace(NoImageSearch());
    LoaderRegistry& registry = workspace.registry();
    Model* model = registry.OpenModel(path);
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->lods[0].shapes[0].positionCount(), 3);
    EXPECT_TRUE(model->animationGroups.empty());  // no companion file
}

}  // namespace
}  // namespace vertigon
