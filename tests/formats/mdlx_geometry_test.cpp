// Geometry of MDLX models: strips into triangles, vertex numbering and merging, weighted
// vertices, batches and materials.
#include <gtest/gtest.h>

#include "formats/mdlx/mdlx_model.h"
#include "tests/formats/mdlx_test_support.h"

namespace vertigon {
namespace {

using testing::LoadMdlx;
using testing::MdlxDescription;
using testing::MdlxPacket;
using testing::MdlxStripElement;
using testing::OnlyShape;
using testing::OneBonePacket;
using testing::Strip;

std::vector<Vec4> Row(size_t count, float y = 0) {
    std::vector<Vec4> positions;
    for (size_t i = 0; i < count; ++i) positions.push_back({float(i), y, 0, 1});
    return positions;
}

MdlxDescription OnePacket(MdlxPacket packet, size_t bones = 1) {
    MdlxDescription d;
    d.bones = testing::ChainOfBones(bones);
    d.subparts = {{0, 0, {std::move(packet)}}};
    return d;
}

void ExpectCorners(const Triangle& t, int32_t a, int32_t b, int32_t c) {
    EXPECT_EQ(t.positionIndex[0], a);
    EXPECT_EQ(t.positionIndex[1], b);
    EXPECT_EQ(t.positionIndex[2], c);
}

TEST(MdlxStrips, FlagsPushAndEmitInTheirCornerOrders) {
    std::vector<MdlxStripElement> strip = {
        {0, 0x10, 4096, 0}, {1, 0x10, -2048, 4096}, {2, 0x20, 1, -1}, {3, 0x30, 8192, 2048}, {4, 0x20, 0, 0}};
    const auto model = LoadMdlx(OnePacket(OneBonePacket(0, Row(5), strip)));
    const Batch& batch = OnlyShape(*model).batches.at(0);
    ASSERT_EQ(batch.triangleCount(), 3);
    // 0x20: newest, middle, oldest; 0x30: oldest, middle, newest.
    ExpectCorners(batch.triangles[0], 2, 1, 0);
    ExpectCorners(batch.triangles[1], 1, 2, 3);
    ExpectCorners(batch.triangles[2], 4, 3, 2);
    // Coordinates travel with their corners, scaled by 1/4096.
    const Triangle& first = batch.triangles[0];
    EXPECT_FLOAT_EQ(first.u[0], 1.0f / 4096);
    EXPECT_FLOAT_EQ(first.v[0], -1.0f / 4096);
    EXPECT_FLOAT_EQ(first.u[1], -0.5f);
    EXPECT_FLOAT_EQ(first.v[1], 1.0f);
    EXPECT_FLOAT_EQ(first.u[2], 1.0f);
    EXPECT_FLOAT_EQ(batch.triangles[1].u[2], 2.0f);
    EXPECT_FLOAT_EQ(batch.triangles[1].v[2], 0.5f);
    for (const Triangle& t : batch.triangles) {
        for (const auto& colour : t.colour) EXPECT_EQ(colour[0] & colour[1] & colour[2] & colour[3], 255);
        for (int32_t n : t.normalIndex) EXPECT_EQ(n, 0);
    }
}

TEST(MdlxStrips, OtherFlagsPassOverTheirElementWithoutPushing) {
    // 0x00 mid-strip keeps the window; 0x21 has the emit bit but is no strip flag. Neither
    // element is looked at, even when it names a vertex the packet does not have.
    const auto model = LoadMdlx(OnePacket(OneBonePacket(
        0, Row(4), Strip({{0, 0x10}, {1, 0x10}, {3, 0x00}, {200, 0x21}, {2, 0x20}, {3, 0x30}}))));
    const Batch& batch = OnlyShape(*model).batches.at(0);
    ASSERT_EQ(batch.triangleCount(), 2);
    ExpectCorners(batch.triangles[0], 2, 1, 0);
    ExpectCorners(batch.triangles[1], 1, 2, 3);
}

TEST(MdlxStrips, EmittingBeforeThreeCornersGivesNoTriangle) {
    const auto model = LoadMdlx(OnePacket(OneBonePacket(0, Row(3), Strip({{0, 0x20}, {1, 0x30}, {2, 0x20}}))));
    const Batch& batch = OnlyShape(*model).batches.at(0);
    ASSERT_EQ(batch.triangleCount(), 1);
    ExpectCorners(batch.triangles[0], 2, 1, 0);
}

TEST(MdlxStrips, TheWindowCarriesOnIntoTheNextPacket) {
    MdlxDescription d = OnePacket(OneBonePacket(0, Row(2), Strip({{0, 0x10}, {1, 0x10}})));
    d.subparts[0].packets.push_back(OneBonePacket(0, Row(1, 5), Strip({{0, 0x20}})));
    const auto model = LoadMdlx(d);
    const Batch& batch = OnlyShape(*model).batches.at(0);
    ASSERT_EQ(batch.triangleCount(), 1);
    ExpectCorners(batch.triangles[0], 2, 1, 0);
}

TEST(MdlxStrips, APacketWithoutCoordinatesUsesZero) {
    std::vector<MdlxStripElement> strip = {{0, 0x10, 4096, 4096}, {1, 0x10, 4096, 4096}, {2, 0x20, 4096, 4096}};
    MdlxPacket packet = OneBonePacket(0, Row(3), strip);
    packet.headerQuadwords = 3;
    const auto model = LoadMdlx(OnePacket(packet));
    const Triangle& t = OnlyShape(*model).batches.at(0).triangles.at(0);
    ExpectCorners(t, 2, 1, 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(t.u[i], 0.0f);
        EXPECT_EQ(t.v[i], 0.0f);
    }
}

TEST(MdlxSections, OptionalSectionsAndPaddingAreSteppedOver) {
    std::vector<MdlxStripElement> strip = {{0, 0x10, 100, 200}, {1, 0x10, 300, 400}, {2, 0x20, 500, 600}};
    const std::vector<Vec4> positions = {{1, 2, 3, 1}, {4, 5, 6, 1}, {7, 8, 9, 1}};
    MdlxPacket plain = OneBonePacket(0, positions, strip);
    const auto expected = LoadMdlx(OnePacket(plain));

    MdlxPacket withColours = plain;
    withColours.colours = true;
    MdlxPacket longHeader = plain;
    longHeader.headerQuadwords = 5;
    MdlxPacket padded = plain;
    padded.paddingBetweenSections = 13;
    padded.fillerTags = 2;
    for (const MdlxPacket& variant : {withColours, longHeader, padded}) {
        const auto model = LoadMdlx(OnePacket(variant));
        const Shape& shape = OnlyShape(*model);
        ASSERT_EQ(shape.positionSingles.size(), 3u);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(shape.positionSingles[i].value, OnlyShape(*expected).positionSingles[i].value);
        }
        const Triangle& t = shape.batches.at(0).triangles.at(0);
        const Triangle& e = OnlyShape(*expected).batches.at(0).triangles.at(0);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(t.positionIndex[i], e.positionIndex[i]);
            EXPECT_EQ(t.u[i], e.u[i]);
            EXPECT_EQ(t.v[i], e.v[i]);
        }
    }
}

TEST(MdlxVertices, SingleBoneVerticesMergePerBoneAcrossTheShape) {
    const Vec4 p{1, 2, 3, 1}, q{4, 5, 6, 1}, r{7, 8, 9, 1};
    MdlxDescription d;
    d.bones = testing::ChainOfBones(2);
    // Subpart 0: p, q, q on bone 1. Subpart 1: q and r on bone 1, p and -0/0/0 on bone 0; then
    // +0/0/0 and r on bone 0.
    MdlxPacket first = OneBonePacket(1, {p, q, q}, Strip({{0, 0x10}, {1, 0x10}, {2, 0x20}}));
    MdlxPacket second;
    second.bones = {1, 0};
    second.boneVertexCounts = {2, 2};
    second.positions = {q, r, p, Vec4{-0.0f, 0, 0, 1}};
    second.strip = Strip({{0, 0x10}, {1, 0x10}, {2, 0x20}, {3, 0x30}});
    MdlxPacket third = OneBonePacket(0, {Vec4{0, 0, 0, 1}, r}, Strip({{0, 0x10}, {1, 0x10}}));
    d.subparts = {{0, 0, {first}}, {0, 0, {second, third}}};
    const auto model = LoadMdlx(d);
    const Shape& shape = OnlyShape(*model);

    // Output numbers in order of appearance: p1 0, q1 1 (twice), r1 2, p0 3, 0/0/0 on bone 0 is 4
    // (and +0 meets -0 as equal), r0 5.
    ASSERT_EQ(shape.positionSingles.size(), 6u);
    EXPECT_EQ(shape.positionCount(), 6);
    // Listed bone by bone: bone 0 first although its vertices came later.
    const std::vector<std::pair<int32_t, int32_t>> expected = {{3, 0}, {4, 0}, {5, 0}, {0, 1}, {1, 1}, {2, 1}};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(shape.positionSingles[i].index, expected[i].first) << i;
        EXPECT_EQ(shape.positionSingles[i].bone, expected[i].second) << i;
        EXPECT_EQ(shape.positionSingles[i].value.w, 1.0f);
    }
    EXPECT_EQ(shape.positionSingles[0].value, (Vec4{1, 2, 3, 1}));
    ExpectCorners(shape.batches.at(0).triangles.at(0), 1, 1, 0);
    ExpectCorners(shape.batches.at(1).triangles.at(0), 3, 2, 1);
    ExpectCorners(shape.batches.at(1).triangles.at(1), 2, 3, 4);
    EXPECT_TRUE(shape.positionGroups.empty());
    EXPECT_TRUE(shape.normalSingles.empty());
}

// Packet bones 2 then 1: positions 0-1 belong to bone 2, 2-3 to bone 1.
MdlxPacket WeightedPacket() {
    MdlxPacket packet;
    packet.bones = {2, 1};
    packet.boneVertexCounts = {2, 2};
    packet.positions = {{1, 1, 1, 0.25f}, {0.5f, 0, 0, 0.5f}, {2, 2, 2, 1}, {0, 0.5f, 0, 0.5f}};
    packet.groups = {{0, 2}, {1, 3, 1, 3}, {0, 1, 3}};
    packet.strip = Strip({{0, 0x10}, {1, 0x10}, {2, 0x20}, {3, 0x30}, {4, 0x20}});
    return packet;
}

TEST(MdlxVertices, WeightGroupsNumberSinglesFirstAndNeverMergeBlends) {
    const auto model = LoadMdlx(OnePacket(WeightedPacket(), 3));
    const Shape& shape = OnlyShape(*model);

    // Group 0 gives singles (stored weight dropped, w = 1): packet vertex 0 (bone 2) -> 0,
    // vertex 1 (bone 1) -> 1.
    ASSERT_EQ(shape.positionSingles.size(), 2u);
    EXPECT_EQ(shape.positionSingles[0].index, 1);
    EXPECT_EQ(shape.positionSingles[0].bone, 1);
    EXPECT_EQ(shape.positionSingles[0].value, (Vec4{2, 2, 2, 1}));
    EXPECT_EQ(shape.positionSingles[1].index, 0);
    EXPECT_EQ(shape.positionSingles[1].bone, 2);
    EXPECT_EQ(shape.positionSingles[1].value, (Vec4{1, 1, 1, 1}));

    // Two identical two-bone entries stay two vertices; all three blends are owned by bone 1.
    ASSERT_EQ(shape.positionGroups.size(), 3u);
    EXPECT_EQ(shape.positionCount(), 5);
    const int32_t groups[3][3] = {{2, 2, 0}, {3, 2, 2}, {4, 3, 4}};
    for (size_t g = 0; g < 3; ++g) {
        EXPECT_EQ(shape.positionGroups[g].index, groups[g][0]);
        EXPECT_EQ(shape.positionGroups[g].influenceCount, groups[g][1]);
        EXPECT_EQ(shape.positionGroups[g].firstInfluence, groups[g][2]);
    }
    // Influences keep the stored, already weighted floats and their own bones.
    ASSERT_EQ(shape.positionInfluences.size(), 7u);
    EXPECT_EQ(shape.positionInfluences[0].bone, 2);
    EXPECT_EQ(shape.positionInfluences[0].value, (Vec4{0.5f, 0, 0, 0.5f}));
    EXPECT_EQ(shape.positionInfluences[1].bone, 1);
    EXPECT_EQ(shape.positionInfluences[1].value, (Vec4{0, 0.5f, 0, 0.5f}));
    EXPECT_EQ(shape.positionInfluences[4].bone, 2);
    EXPECT_EQ(shape.positionInfluences[4].value, (Vec4{1, 1, 1, 0.25f}));
    EXPECT_EQ(shape.positionInfluences[6].bone, 1);

    const Batch& batch = shape.batches.at(0);
    ASSERT_EQ(batch.triangleCount(), 3);
    ExpectCorners(batch.triangles[0], 2, 1, 0);
    ExpectCorners(batch.triangles[1], 1, 2, 3);
    ExpectCorners(batch.triangles[2], 4, 3, 2);
}

TEST(MdlxVertices, BlendsAreListedByOwnerBoneAndShareTheCounterWithSingles) {
    MdlxDescription d;
    d.bones = testing::ChainOfBones(4);
    // A blend owned by bone 3, then a plain packet, then a blend owned by bone 0.
    MdlxPacket high;
    high.bones = {3};
    high.boneVertexCounts = {2};
    high.positions = {{1, 0, 0, 0.5f}, {2, 0, 0, 0.5f}};
    high.groups = {{}, {0, 1}};
    MdlxPacket plain = OneBonePacket(2, {{9, 9, 9, 1}}, {});
    MdlxPacket low;
    low.bones = {3, 0};
    low.boneVertexCounts = {1, 1};
    low.positions = {{3, 0, 0, 0.5f}, {4, 0, 0, 0.5f}};
    low.groups = {{}, {0, 1}};
    d.subparts = {{0, 0, {high, plain}}, {0, 0, {low}}};
    const auto model = LoadMdlx(d);
    const Shape& shape = OnlyShape(*model);
    ASSERT_EQ(shape.positionGroups.size(), 2u);
    EXPECT_EQ(shape.positionGroups[0].index, 2);  // bone 0's blend first
    EXPECT_EQ(shape.positionGroups[0].firstInfluence, 0);
    EXPECT_EQ(shape.positionGroups[1].index, 0);
    EXPECT_EQ(shape.positionGroups[1].firstInfluence, 2);
    EXPECT_EQ(shape.positionInfluences[0].bone, 3);
    EXPECT_EQ(shape.positionInfluences[1].bone, 0);
    ASSERT_EQ(shape.positionSingles.size(), 1u);
    EXPECT_EQ(shape.positionSingles[0].index, 1);
}

TEST(MdlxBatches, EverySubpartIsOneBatchWithOneMaterial) {
    MdlxDescription d;
    d.bones = testing::ChainOfBones(1);
    const MdlxPacket packet = OneBonePacket(0, Row(3), testing::TriangleStrip(3));
    for (uint32_t flags : {0x13u, 0x14u, 0x03u, 0x00u, 0xA3u}) d.subparts.push_back({flags, flags & 7, {packet}});
    d.subparts.push_back({0x13, 9, {}});  // no packets: an empty batch
    const auto model = LoadMdlx(d);
    const Shape& shape = OnlyShape(*model);
    ASSERT_EQ(shape.batchCount(), 6);
    const bool translucent[6] = {true, false, true, false, true, true};
    for (size_t i = 0; i < 6; ++i) {
        const Batch& batch = shape.batches[i];
        ASSERT_EQ(batch.materialCount(), 1);
        const Material& m = batch.materials[0];
        EXPECT_EQ(m.translucent, translucent[i]) << i;
        EXPECT_EQ(m.textureIndex, static_cast<int32_t>(d.subparts[i].textureIndex));
        EXPECT_TRUE(m.drawable);
        EXPECT_FALSE(m.lit || m.doubleSided || m.flag3 || m.hidden);
        EXPECT_EQ(batch.triangleCount(), i < 5 ? 1 : 0);
    }
    // Identical positions of one bone in five subparts are one vertex.
    EXPECT_EQ(shape.positionCount(), 3);
}

}  // namespace
}  // namespace vertigon
