// model.ffm decoding: textures, bones, skinned objects, triangles and batches, and the files
// the loader refuses.
#include <cmath>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "formats/ffb/ffb_loader.h"
#include "formats/ffb/ffm_model.h"
#include "formats/load_error.h"
#include "tests/fixtures/ffb_fixtures.h"

namespace vertigon {
namespace {

using testing::FfmCornerDesc;
using testing::FfmDesc;
using testing::FfmMeshDesc;
using testing::FfmObjectDesc;
using testing::FfmWeightEntry;
using testing::FfmWeightListDesc;

std::unique_ptr<Model> LoadFfm(const FfmDesc& desc) {
    return ffb::LoadArchive(testing::PackTar({{"model.ffm", testing::WriteFfm(desc)}}));
}

// A one-bone model with one object and no weight lists, for tests that vary one thing.
FfmDesc OneObjectModel(std::vector<FfmCornerDesc> corners, int positions = 4, int normals = 2) {
    FfmDesc d;
    d.palettes.push_back(testing::RampPalette());
    d.images.push_back({4, 4, std::vector<uint8_t>(16, 1)});
    d.textures.push_back({0, 0, 4, 4});
    d.bones.push_back({});
    FfmObjectDesc object;
    for (int i = 0; i < positions; ++i) object.positions.push_back({static_cast<int16_t>(i), 0, 0});
    for (int i = 0; i < normals; ++i) object.normals.push_back({0, 0, static_cast<int16_t>(i)});
    FfmMeshDesc mesh;
    mesh.corners = std::move(corners);
    object.meshes.push_back(mesh);
    d.objects.push_back(object);
    return d;
}

void ExpectRefused(const FfmDesc& desc, const std::string& reason) {
    try {
        LoadFfm(desc);
        ADD_FAILURE() << "loaded a model that should be refused for: " << reason;
    } catch (const FormatError& e) {
        EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
    }
}

std::vector<int32_t> Positions(const Triangle& t) {
    return {t.positionIndex[0], t.positionIndex[1], t.positionIndex[2]};
}

TEST(FfbModel, TexelWordsDecodeToSixteenthsWithComplementedNegatives) {
    EXPECT_EQ(ffb::DecodeTexel(0x0010), 1.0f);
    EXPECT_EQ(ffb::DecodeTexel(0xFFEF), -1.0f);
    EXPECT_EQ(ffb::DecodeTexel(0x0038), 3.5f);
    EXPECT_EQ(ffb::DecodeTexel(0x7FFF), 2047.9375f);
    EXPECT_EQ(ffb::DecodeTexel(testing::EncodeTexel(-12.25f)), -12.25f);
}

TEST(FfbModel, ConsoleAlphaIsRoundedToEightBits) {
    EXPECT_EQ(ffb::ExpandAlphaRounded(0x80), 255);
    EXPECT_EQ(ffb::ExpandAlphaRounded(0x40), 128);  // 127.5 rounds up
    EXPECT_EQ(ffb::ExpandAlphaRounded(1), 2);
    EXPECT_EQ(ffb::ExpandAlphaRounded(0), 0);
    EXPECT_EQ(ffb::ExpandAlphaRounded(0xFF), 252);  // 508 kept to 8 bits
}

TEST(FfbModel, BonesPlacementAndStructure) {
    const auto model = LoadFfm(testing::SmallFfmModel());
    ASSERT_EQ(model->boneCount(), 3);
    EXPECT_EQ(model->bones[0].parent, -1);
    EXPECT_EQ(model->bones[1].parent, 0);
    EXPECT_EQ(model->bones[2].parent, 1);
    EXPECT_EQ(model->bones[1].translation.y, -200.0f);
    EXPECT_EQ(model->bones[2].translation.x, 50.0f);
    EXPECT_EQ(model->bones[2].scale.y, 0.5f);
    EXPECT_EQ(model->bones[2].scale.x, 1.0f);
    // 90 degrees about z, with the format's 3.14 / 180 per degree.
    const Quat expected = QuatFromEuler(0, 0, 90 * 0.017444444444444446f);
    EXPECT_NEAR(model->bones[1].rotation.z, expected.z, 1e-6f);
    EXPECT_NEAR(model->bones[1].rotation.w, expected.w, 1e-6f);

    EXPECT_EQ(model->placement.orientation, QuatFromEuler(3.1415927f, 0, 0));
    EXPECT_EQ(model->placement.scale.x, 0.0078125f);
    EXPECT_EQ(model->placement.scale.y, 0.0078125f);
    EXPECT_EQ(model->placement.scale.z, 0.0078125f);
    EXPECT_EQ(model->placement.position, (Vec4{0, 0, 0, 0}));

    ASSERT_EQ(model->lodCount(), 1);
    const Lod& lod = model->lods[0];
    EXPECT_EQ(lod.name, "Unamed shape");
    ASSERT_EQ(lod.shapes.size(), 2u);
    ASSERT_EQ(lod.drawGroups.size(), 1u);
    EXPECT_EQ(lod.drawGroups[0].shapeIndices, (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(model->animationGroupCount(), 4);
}

TEST(FfbModel, BoneZeroIsARootAndOtherParentsMustComeFirst) {
    FfmDesc d = testing::SmallFfmModel();
    d.bones[0].parent = 2;  // forced to -1
    d.bones[2].parent = 0xFFFF;
    const auto model = LoadFfm(d);
    EXPECT_EQ(model->bones[0].parent, -1);
    EXPECT_EQ(model->bones[2].parent, -1);
    d.bones[1].parent = 2;
    ExpectRefused(d, "bone 1 names parent 2");
    d.bones[1].parent = 1;
    ExpectRefused(d, "bone 1 names parent 1");
}

TEST(FfbModel, TexturesDecodeThroughTheConvertedPalette) {
    const auto model = LoadFfm(testing::SmallFfmModel());
    ASSERT_EQ(model->textureCount(), 1);
    EXPECT_EQ(model->paletteCount(), 0);
    const Texture& t = model->textures[0];
    ASSERT_EQ(t.width, 8);
    ASSERT_EQ(t.height, 4);
    ASSERT_EQ(t.pixels.size(), 8u * 4 * 4);
    for (int i = 0; i < 32; ++i) {
        const int index = (i * 7) & 0xFF;
        // Index bits 3 and 4 trade places; the ramp palette's entry s is (s, 255 - s, s / 2).
        const int s = (index & ~0x18) | ((index & 0x08) << 1) | ((index & 0x10) >> 1);
        EXPECT_EQ(t.pixels[i * 4 + 0], s / 2) << i;
        EXPECT_EQ(t.pixels[i * 4 + 1], 255 - s) << i;
        EXPECT_EQ(t.pixels[i * 4 + 2], s) << i;
        EXPECT_EQ(t.pixels[i * 4 + 3], 255) << i;
    }
}

TEST(FfbModel, TexturesPickTheirImageAndPaletteAcrossAlignedBlocks) {
    FfmDesc d = testing::SmallFfmModel();
    std::vector<uint8_t> second(1024, 0);
    second[8 * 4 + 0] = 200;  // entry 8 shows at index 16
    second[8 * 4 + 3] = 0x40;
    d.palettes.push_back(second);
    d.images.push_back({3, 7, std::vector<uint8_t>(21, 16)});
    d.images.push_back({2, 2, {0, 16, 16, 0}});
    d.textures.push_back({2, 1, 2, 2});
    testing::FfmLayout layout;
    const std::vector<uint8_t> ffm = testing::WriteFfm(d, &layout);
    const auto model = ffb::LoadArchive(testing::PackTar({{"model.ffm", ffm}}));
    ASSERT_EQ(model->textureCount(), 2);
    const Texture& t = model->textures[1];
    ASSERT_EQ(t.pixels.size(), 16u);
    EXPECT_EQ(t.pixels[4 + 2], 200);  // red of index 16 = source entry 8
    EXPECT_EQ(t.pixels[4 + 3], 128);
    EXPECT_EQ(t.pixels[0 + 2], 0);
    // The first texture is unchanged by the extra blocks.
    EXPECT_EQ(model->textures[0].pixels, LoadFfm(testing::SmallFfmModel())->textures[0].pixels);
}

TEST(FfbModel, TriangleListsReverseTheirCornersAndBackReferencesResolve) {
    const auto model = LoadFfm(testing::SmallFfmModel());
    const Shape& shape = model->lods[0].shapes[0];
    ASSERT_EQ(shape.batchCount(), 1);
    const std::vector<Triangle>& triangles = shape.batches[0].triangles;
    ASSERT_EQ(triangles.size(), 2u);
    EXPECT_EQ(Positions(triangles[0]), (std::vector<int32_t>{2, 1, 0}));
    // Corner 3 takes position and normal of corner 2 through its back references.
    EXPECT_EQ(Positions(triangles[1]), (std::vector<int32_t>{3, 1, 2}));
    EXPECT_EQ(triangles[1].normalIndex[0], 1);
    EXPECT_EQ(triangles[1].normalIndex[2], 0);
    // u in texels over the width 8, v over the height 4.
    EXPECT_EQ(triangles[0].u[1], 0.5f);
    EXPECT_EQ(triangles[0].v[0], 0.5f);
    EXPECT_EQ(triangles[1].u[1], 0.125f);
    for (const Triangle& t : triangles) {
        for (const auto& colour : t.colour) EXPECT_EQ(colour[0] & colour[1] & colour[2] & colour[3], 0xFF);
    }
}

TEST(FfbModel, BackReferencesChainAndNormalsReadOneByteEarlier) {
    // Position 0x8003 steps back one corner; a chain keeps stepping from where it got to.
    // A normal word 0x8002 steps back 5 bytes and reads at 6, the previous corner's normal.
    FfmDesc d = OneObjectModel({{0, 0, 0, 0}, {1, 1, 0, 0}, {2, 0, 0, 0}, {0x8003, 0x8002, 0, 0},
                                {0x8003, 1, 0, 0}, {3, 1, 0, 0}});
    const auto model = LoadFfm(d);
    const std::vector<Triangle>& t = model->lods[0].shapes[0].batches[0].triangles;
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(Positions(t[1]), (std::vector<int32_t>{3, 2, 2}));
    EXPECT_EQ(t[1].normalIndex[2], 0);
}

TEST(FfbModel, BrokenBackReferencesAreRefused) {
    ExpectRefused(OneObjectModel({{0x8000, 0, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 0}}), "refers back to itself");
    ExpectRefused(OneObjectModel({{0xFFFF, 0, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 0}}), "leaves the member");
    ExpectRefused(OneObjectModel({{0, 0xFFFF, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 0}}), "leaves the member");
}

TEST(FfbModel, StripOfFiveCornersAlternatesItsWinding) {
    const auto model = LoadFfm(testing::SmallFfmModel());
    const Shape& shape = model->lods[0].shapes[1];
    ASSERT_EQ(shape.batchCount(), 1);
    const std::vector<Triangle>& t = shape.batches[0].triangles;
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(Positions(t[0]), (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(Positions(t[1]), (std::vector<int32_t>{3, 2, 1}));
    EXPECT_EQ(Positions(t[2]), (std::vector<int32_t>{2, 3, 4}));
    EXPECT_TRUE(shape.batches[0].materials[0].doubleSided);
}

TEST(FfbModel, StripGroupsFollowEachOtherAndShortStripsGiveNothing) {
    FfmDesc d = OneObjectModel({});
    FfmMeshDesc& mesh = d.objects[0].meshes[0];
    mesh.flags = testing::kFfmStripGroups;
    const FfmCornerDesc c0{0, 0, 0, 0}, c1{1, 0, 0, 0}, c2{2, 0, 0, 0}, c3{3, 0, 0, 0};
    mesh.stripGroups = {{{c0, c1}, {c0, c1, c2, c3}}, {{c3, c2, c1}}};
    const auto model = LoadFfm(d);
    const std::vector<Triangle>& t = model->lods[0].shapes[0].batches[0].triangles;
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(Positions(t[0]), (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(Positions(t[1]), (std::vector<int32_t>{3, 2, 1}));
    EXPECT_EQ(Positions(t[2]), (std::vector<int32_t>{3, 2, 1}));
}

TEST(FfbModel, BatchesSplitWhereTextureOrFlagsChange) {
    FfmDesc d = OneObjectModel({});
    d.textures.push_back({0, 0, 2, 8});
    const FfmCornerDesc a{0, 0, testing::EncodeTexel(1), testing::EncodeTexel(2)}, b{1, 0, 0, 0}, c{2, 0, 0, 0};
    const auto mesh = [&](uint8_t flags, uint8_t texture) {
        FfmMeshDesc m;
        m.flags = flags;
        m.texture = texture;
        m.corners = {a, b, c};
        return m;
    };
    d.objects[0].meshes = {mesh(2, 0), mesh(2, 0), mesh(2 | testing::kFfmDoubleSided, 0), mesh(0, 1), mesh(2, 1),
                           mesh(2 | testing::kFfmFlag3, 1)};
    const auto model = LoadFfm(d);
    const Shape& shape = model->lods[0].shapes[0];
    ASSERT_EQ(shape.batchCount(), 4);
    EXPECT_EQ(shape.batches[0].triangleCount(), 2);
    EXPECT_EQ(shape.batches[1].triangleCount(), 1);
    EXPECT_EQ(shape.batches[2].triangleCount(), 1);  // the empty mesh of type 0 opened this batch
    EXPECT_EQ(shape.batches[3].triangleCount(), 1);
    const bool doubleSided[4] = {false, true, false, false};
    const bool flag3[4] = {false, false, false, true};
    const int texture[4] = {0, 0, 1, 1};
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(shape.batches[i].materialCount(), 1);
        const Material& m = shape.batches[i].materials[0];
        EXPECT_EQ(m.doubleSided, doubleSided[i]) << i;
        EXPECT_EQ(m.flag3, flag3[i]) << i;
        EXPECT_EQ(m.textureIndex, texture[i]) << i;
        EXPECT_TRUE(m.lit);
        EXPECT_FALSE(m.translucent);
        EXPECT_FALSE(m.hidden);
        EXPECT_TRUE(m.drawable);
    }
    // u and v are normalised by the batch's own texture: 4 x 4 first, 2 x 8 later.
    EXPECT_EQ(shape.batches[0].triangles[0].u[2], 0.25f);
    EXPECT_EQ(shape.batches[0].triangles[0].v[2], 0.5f);
    EXPECT_EQ(shape.batches[2].triangles[0].u[2], 0.5f);
    EXPECT_EQ(shape.batches[2].triangles[0].v[2], 0.25f);
}

TEST(FfbModel, CompactListsBindSinglesAndShareVertices) {
    const auto model = LoadFfm(testing::SmallFfmModel());
    const Shape& shape = model->lods[0].shapes[0];
    ASSERT_EQ(shape.positionSingles.size(), 3u);
    EXPECT_EQ(shape.positionSingles[2].index, 2);
    EXPECT_EQ(shape.positionSingles[2].bone, 1);
    EXPECT_EQ(shape.positionSingles[2].value, (Vec4{0, 210, 0, 1}));
    ASSERT_EQ(shape.positionGroups.size(), 1u);
    const SkinGroup& g = shape.positionGroups[0];
    EXPECT_EQ(g.index, 3);
    ASSERT_EQ(g.influenceCount, 2);
    EXPECT_EQ(g.firstInfluence, 0);
    // Weights are bytes out of 255: 128 gives 5019, 127 gives 4980 (in ten-thousandths).
    const SkinEntry& first = shape.positionInfluences[0];
    const SkinEntry& second = shape.positionInfluences[1];
    EXPECT_EQ(first.bone, 0);
    EXPECT_FLOAT_EQ(first.value.w, 0.5019f);
    EXPECT_FLOAT_EQ(first.value.x, 10 * 0.5019f);
    EXPECT_EQ(second.bone, 1);
    EXPECT_FLOAT_EQ(second.value.w, 0.498f);
    EXPECT_FLOAT_EQ(second.value.y, 210 * 0.498f);
    ASSERT_EQ(shape.normalSingles.size(), 2u);
    EXPECT_EQ(shape.normalSingles[1].value.z, 4096.0f);
}

TEST(FfbModel, WideListsAndTheDefaultBone) {
    const auto model = LoadFfm(testing::SmallFfmModel());
    const Shape& shape = model->lods[0].shapes[1];
    ASSERT_EQ(shape.positionSingles.size(), 4u);
    // Vertex 4 is in no list: full weight on the default bone 2 at its raw position.
    const SkinEntry& fallback = shape.positionSingles[3];
    EXPECT_EQ(fallback.index, 4);
    EXPECT_EQ(fallback.bone, 2);
    EXPECT_EQ(fallback.value, (Vec4{9, 9, 9, 1}));
    ASSERT_EQ(shape.positionGroups.size(), 1u);
    EXPECT_EQ(shape.positionGroups[0].index, 2);
    ASSERT_EQ(shape.positionInfluences.size(), 2u);
    EXPECT_EQ(shape.positionInfluences[0].bone, 2);
    EXPECT_FLOAT_EQ(shape.positionInfluences[0].value.x, 5 * 0.6f);
    EXPECT_EQ(shape.positionInfluences[1].bone, 1);
    EXPECT_FLOAT_EQ(shape.positionInfluences[1].value.x, 55 * 0.4f);
    ASSERT_EQ(shape.normalSingles.size(), 1u);
    EXPECT_EQ(shape.normalSingles[0].bone, 2);
    EXPECT_EQ(shape.normalSingles[0].value.x, 4096.0f);
}

// Two lists over one object with a vertex above 255: compact block 2 adds to positions but
// replaces normals; wide block 2 replaces both; block 3 always adds.
TEST(FfbModel, SecondBlocksReplaceOrAddByEncodingAndKind) {
    for (bool wide : {false, true}) {
        FfmDesc d = OneObjectModel({}, 300, 300);
        d.bones.push_back({0, {}, {}, {4096, 4096, 4096}});
        const FfmWeightEntry late{1, 2, 3, 258, static_cast<uint16_t>(wide ? 2500 : 64)};
        FfmWeightListDesc adds{0, 0, wide, {}, {}, {late}, 0};
        FfmWeightListDesc second{1, 0, wide, {}, {late}, {}, 0xFFFF};
        d.positionLists = {adds, second};
        d.normalLists = {adds, second};
        const auto model = LoadFfm(d);
        const Shape& shape = model->lods[0].shapes[0];
        const size_t positionGroups = wide ? 0 : 1;
        EXPECT_EQ(shape.positionGroups.size(), positionGroups) << wide;
        EXPECT_EQ(shape.normalGroups.size(), 0u) << wide;
        // The replaced normal keeps only the second list's bone.
        for (const SkinEntry& s : shape.normalSingles) {
            if (s.index == 258) {
                EXPECT_EQ(s.bone, 1);
            }
        }
        if (!wide) {
            ASSERT_EQ(shape.positionGroups.size(), 1u);
            EXPECT_EQ(shape.positionGroups[0].index, 258);
            EXPECT_FLOAT_EQ(shape.positionInfluences[0].value.w, 0.2509f);  // 64 / 255
        }
    }
}

TEST(FfbModel, FiftyInfluencesLoadAndFiftyOneAreRefused) {
    FfmDesc d = OneObjectModel({});
    FfmWeightListDesc list{0, 0, false, {}, {}, std::vector<FfmWeightEntry>(50, FfmWeightEntry{1, 1, 1, 0, 5}), 0};
    d.positionLists = {list};
    d.normalLists = {FfmWeightListDesc{}};
    const auto model = LoadFfm(d);
    ASSERT_EQ(model->lods[0].shapes[0].positionGroups.size(), 1u);
    EXPECT_EQ(model->lods[0].shapes[0].positionGroups[0].influenceCount, 50);
    d.positionLists[0].block3.push_back({1, 1, 1, 0, 5});
    ExpectRefused(d, "more than 50 influences");
}

TEST(FfbModel, IndicesBeyondTheirTablesAreRefused) {
    const FfmDesc good = testing::SmallFfmModel();
    FfmDesc d = good;
    d.objects[0].meshes[0].texture = 1;
    ExpectRefused(d, "texture 1 beyond the texture table");
    d = good;
    d.textures[0].palette = 1;
    ExpectRefused(d, "names a palette beyond");
    d = good;
    d.textures[0].image = 1;
    ExpectRefused(d, "names an image beyond");
    d = good;
    d.positionLists[1].bone = 3;
    ExpectRefused(d, "names bone 3");
    d = good;
    d.normalLists[2].object = 2;
    ExpectRefused(d, "names object 2");
    d = good;
    d.positionLists[0].block1[1].vertex = 4;
    ExpectRefused(d, "names vertex 4");
    d = good;
    d.objects[1].defaultBone = 3;
    ExpectRefused(d, "to bone 3, beyond the skeleton");
    d = good;
    d.objects[0].meshes[0].corners[1].position = 4;
    ExpectRefused(d, "position 4 beyond");
    d = good;
    d.objects[0].meshes[0].corners[1].normal = 2;
    ExpectRefused(d, "normal 2 beyond");
}

TEST(FfbModel, OffsetsOutsideTheMemberAreRefused) {
    testing::FfmLayout layout;
    const std::vector<uint8_t> ffm = testing::WriteFfm(testing::SmallFfmModel(), &layout);
    const auto patched = [&](size_t offset, uint32_t value) {
        std::vector<uint8_t> copy = ffm;
        std::memcpy(copy.data() + offset, &value, 4);
        return testing::PackTar({{"model.ffm", copy}});
    };
    EXPECT_THROW(ffb::LoadArchive(patched(0x10, 0xFFFFFFF0u)), FormatError);              // mesh section
    EXPECT_THROW(ffb::LoadArchive(patched(0x18, static_cast<uint32_t>(ffm.size()))), FormatError);  // texture section
    EXPECT_THROW(ffb::LoadArchive(patched(layout.objectTable + 8, 0x7FFFFFFFu)), FormatError);  // positions
    EXPECT_THROW(ffb::LoadArchive(patched(layout.meshTables[0] + 8, static_cast<uint32_t>(ffm.size()))), FormatError);
    EXPECT_THROW(ffb::LoadArchive(patched(layout.meshSection + 0x1C, 0xFFFFFFFFu)), FormatError);  // bones
}

TEST(FfbModel, AnArchiveWithoutModelFfmGivesNoModel) {
    EXPECT_THROW(ffb::LoadArchive(testing::PackTar({{"1.ffa", {1, 2, 3}}})), FormatError);
    EXPECT_THROW(ffb::LoadArchive(testing::PackTar({{"Model.ffm", testing::WriteFfm(testing::SmallFfmModel())}})),
                 FormatError);
    EXPECT_THROW(ffb::LoadArchive({}), FormatError);
}

}  // namespace
}  // namespace vertigon
