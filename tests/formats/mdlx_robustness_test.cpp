// Files that do not hold what they claim give no model, never a read outside the buffer.
#include <gtest/gtest.h>

#include <cstring>

#include "formats/load_error.h"
#include "formats/mdlx/mdlx_loader.h"
#include "formats/workspace.h"
#include "tests/formats/mdlx_test_support.h"

namespace vertigon {
namespace {

using testing::MdlxDescription;
using testing::MdlxLayout;
using testing::MdlxPacket;

// Two subparts: a weighted packet with a colour section, and a plain one with a 5-quadword
// header; one small texture and its palette.
MdlxDescription Fixture() {
    MdlxDescription d;
    d.bones = testing::ChainOfBones(3);
    MdlxPacket weighted;
    weighted.bones = {1, 2};
    weighted.boneVertexCounts = {2, 1};
    weighted.positions = {{1, 0, 0, 1}, {0, 1, 0, 0.5f}, {0, 0, 1, 0.5f}};
    weighted.groups = {{0}, {1, 2}};
    weighted.strip = {{0, 0x10, 10, 20}, {1, 0x10, 30, 40}, {0, 0x20, 50, 60}};
    weighted.colours = true;
    MdlxPacket plain = testing::OneBonePacket(0, {{1, 2, 3, 1}, {4, 5, 6, 1}, {7, 8, 9, 1}, {1, 2, 3, 1}},
                                              testing::TriangleStrip(4));
    plain.headerQuadwords = 5;
    d.subparts = {{0x13, 0, {weighted}}, {0x14, 0, {plain}}};
    d.textures = {testing::UniformTexture(64, 2, 9)};
    d.palettes = {testing::GreyPalette()};
    return d;
}

// True when a model was built, false when the file was refused; anything else fails the test.
bool LoadsOrIsRefused(GsMemoryImage& gs, std::span<const uint8_t> bytes) {
    try {
        return mdlx::BuildModel(bytes, gs) != nullptr;
    } catch (const LoadError&) {
        return false;
    }
}

void PatchU32(std::vector<uint8_t>& file, size_t offset, uint32_t value) { std::memcpy(&file[offset], &value, 4); }

uint32_t ReadU32(const std::vector<uint8_t>& file, size_t offset) {
    uint32_t value = 0;
    std::memcpy(&value, &file[offset], 4);
    return value;
}

TEST(MdlxRobustness, EveryTruncationLoadsOrIsRefused) {
    GsMemoryImage gs;
    for (bool variant : {false, true}) {
        MdlxDescription d = Fixture();
        d.pax = variant;
        d.prefixedTextures = variant;
        const std::vector<uint8_t> file = testing::WriteMdlx(d);
        ASSERT_TRUE(LoadsOrIsRefused(gs, file));
        size_t loaded = 0;
        for (size_t length = 0; length < file.size(); ++length) {
            // A copy of exactly `length` bytes, so the sanitizer sees any read past its end.
            const std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<ptrdiff_t>(length));
            loaded += LoadsOrIsRefused(gs, cut);
        }
        // Only the last 192 bytes can go: they belong to palette slots 1 to 3 of the palettes'
        // 4096-byte block, which a file with one palette never reads.
        EXPECT_EQ(loaded, 192u);
    }
}

TEST(MdlxRobustness, EverySingleByteChangeLoadsOrIsRefused) {
    GsMemoryImage gs;
    MdlxLayout layout;
    const std::vector<uint8_t> file = testing::WriteMdlx(Fixture(), &layout);
    size_t refused = 0;
    for (size_t i = 0; i < file.size(); ++i) {
        // Palette bytes only colour pixels: one 64-byte piece of the palette data stands for all.
        if (i >= layout.paletteData + 64) break;
        for (uint8_t mask : {0xFF, 0x01, 0x80}) {
            std::vector<uint8_t> changed = file;
            changed[i] ^= mask;
            refused += !LoadsOrIsRefused(gs, changed);
        }
    }
    EXPECT_GT(refused, 0u);
}

MdlxDescription WithPacket(MdlxPacket packet, size_t bones = 3) {
    MdlxDescription d;
    d.bones = testing::ChainOfBones(bones);
    d.subparts = {{0, 0, {std::move(packet)}}};
    return d;
}

void ExpectRefused(const MdlxDescription& d, const char* why) {
    EXPECT_THROW(testing::LoadMdlx(d), FormatError) << why;
}

TEST(MdlxRobustness, PacketsNamingWhatTheyDoNotHaveAreRefused) {
    const std::vector<Vec4> positions = {{1, 2, 3, 1}, {4, 5, 6, 1}, {7, 8, 9, 1}};
    const MdlxPacket good = testing::OneBonePacket(2, positions, testing::TriangleStrip(3));
    ASSERT_NO_THROW(testing::LoadMdlx(WithPacket(good)));

    MdlxPacket badBone = good;
    badBone.bones = {3};
    ExpectRefused(WithPacket(badBone), "a bone not below the bone count");

    MdlxPacket tooManyBones = good;
    tooManyBones.bones.assign(49, 0);
    tooManyBones.boneVertexCounts.assign(49, 0);
    tooManyBones.boneVertexCounts[0] = 3;
    ExpectRefused(WithPacket(tooManyBones), "49 bone references");
    tooManyBones.bones.resize(48);
    tooManyBones.boneVertexCounts.resize(48);
    EXPECT_NO_THROW(testing::LoadMdlx(WithPacket(tooManyBones))) << "48 bone references";

    MdlxPacket badVertex = good;
    badVertex.strip[2].vertex = 3;
    ExpectRefused(WithPacket(badVertex), "a strip naming vertex 3 of 3");

    MdlxPacket weighted = good;
    weighted.groups = {{0, 1}, {2, 0}};
    ASSERT_NO_THROW(testing::LoadMdlx(WithPacket(weighted)));
    weighted.groups = {{0, 1}, {2, 3}};
    ExpectRefused(WithPacket(weighted), "a weight group naming position 3 of 3");
    weighted.groups = {{0, 1}, {2, 0}};
    weighted.strip[2].vertex = 3;
    ExpectRefused(WithPacket(weighted), "a strip naming vertex 3 of the 3 weighted vertices");

    MdlxPacket counts = good;
    counts.boneVertexCounts = {2};
    ExpectRefused(WithPacket(counts), "positions left without a bone");
    counts.boneVertexCounts = {4};
    ExpectRefused(WithPacket(counts), "bone counts beyond the positions");
}

TEST(MdlxRobustness, BoneParentsOutsideTheSkeletonAreRefused) {
    const MdlxPacket packet = testing::OneBonePacket(0, {}, {});
    for (int32_t parent : {3, -2, 1000}) {
        MdlxDescription d = WithPacket(packet);
        d.bones[2].parent = parent;
        ExpectRefused(d, "parent outside the skeleton");
    }
}

TEST(MdlxRobustness, OffsetsAndCountsBeyondTheFileAreRefused) {
    GsMemoryImage gs;
    MdlxLayout layout;
    const std::vector<uint8_t> file = testing::WriteMdlx(Fixture(), &layout);
    const auto refusedWith = [&](size_t offset, uint32_t value) {
        std::vector<uint8_t> changed = file;
        PatchU32(changed, offset, value);
        return !LoadsOrIsRefused(gs, changed);
    };
    EXPECT_TRUE(refusedWith(24, 0xFFFFFFF0)) << "model entry";
    EXPECT_TRUE(refusedWith(40, static_cast<uint32_t>(file.size()))) << "texture entry";
    EXPECT_TRUE(refusedWith(layout.skeletonHeader + 0x14, 0xFFFFFF00)) << "bone table";
    EXPECT_TRUE(refusedWith(layout.geometryHeader + 0x1C, 0xFFFFFFFF)) << "subpart count";
    EXPECT_TRUE(refusedWith(layout.geometryHeader + 0x20 + 16, 0x7FFFFFFF)) << "chain offset";
    EXPECT_TRUE(refusedWith(layout.geometryHeader + 0x20 + 24, 0xFFFFFFFF)) << "tag count";
    EXPECT_TRUE(refusedWith(layout.textureContainer + 8, 0xFFFFFFFF)) << "texture count";
    EXPECT_TRUE(refusedWith(layout.textureContainer + 12, 0xFFFFFFFF)) << "palette count";
    EXPECT_TRUE(refusedWith(layout.textureContainer + 32, 0xFFFFFF00)) << "palette data";
    EXPECT_TRUE(refusedWith(layout.registers + 0xD0, 0x10000)) << "upload width";
}

// Loads through the loader, with the work limit a caller set in the workspace's options.
std::unique_ptr<Model> LoadWithLimit(const std::vector<uint8_t>& file, uint64_t maxWorkBytes) {
    LoaderOptions options;
    options.searchDefaultEeImagePlaces = false;
    options.maxWorkBytes = maxWorkBytes;
    Workspace workspace(options);
    return MdlxLoader().LoadFromMemory(ModelBytes{file}, workspace.context());
}

void ExpectRefusedForWork(const std::vector<uint8_t>& file, uint64_t maxWorkBytes) {
    try {
        LoadWithLimit(file, maxWorkBytes);
        ADD_FAILURE() << "loaded";
    } catch (const FormatError& e) {
        EXPECT_NE(std::string(e.what()).find("asks for too many"), std::string::npos) << e.what();
    }
}

// Subparts may share a chain and tags a packet, so a small file can ask for the same packet to
// be built many times over; the shared work budget bounds how many.
TEST(MdlxRobustness, SharedChainsAndPacketsAreChargedToTheWorkBudget) {
    // One packet of 255 positions; more subparts with empty chains.
    std::vector<Vec4> positions(255, Vec4{1, 2, 3, 1});
    MdlxDescription d = WithPacket(testing::OneBonePacket(0, positions, testing::TriangleStrip(255)));
    constexpr size_t kSubparts = 128;
    for (size_t i = 1; i < kSubparts; ++i) d.subparts.push_back({0, 0, {}});
    MdlxLayout layout;
    std::vector<uint8_t> file = testing::WriteMdlx(d, &layout);
    const size_t headers = layout.geometryHeader + 0x20;

    // Eight subparts sharing the first chain stay within the budget of the file's size, and are
    // refused under a caller's lower limit.
    std::vector<uint8_t> eight = file;
    for (size_t s = 1; s < 8; ++s) {
        std::memcpy(&eight[headers + 32 * s + 16], &eight[headers + 16], 8);
        std::memcpy(&eight[headers + 32 * s + 24], &eight[headers + 24], 4);
    }
    EXPECT_NE(LoadWithLimit(eight, WorkBudget::kMaxBytes), nullptr);
    ExpectRefusedForWork(eight, 4 * file.size());

    // Every subpart walks one appended chain that sends the one packet 64 times: 8192 packets
    // of some 9 KiB each from a file of a few kilobytes more.
    const size_t firstChain = layout.geometryHeader + ReadU32(file, headers + 16);
    const uint32_t firstTags = ReadU32(file, headers + 24);
    const std::vector<uint8_t> oneSend(file.begin() + static_cast<long>(firstChain),
                                       file.begin() + static_cast<long>(firstChain + 16 * firstTags));
    const auto chain = static_cast<uint32_t>(file.size() - layout.geometryHeader);
    constexpr uint32_t kSends = 64;
    for (uint32_t t = 0; t < kSends; ++t) file.insert(file.end(), oneSend.begin(), oneSend.end());
    const uint32_t tags = kSends * firstTags;
    for (size_t s = 0; s < kSubparts; ++s) {
        PatchU32(file, headers + 32 * s + 16, chain);
        PatchU32(file, headers + 32 * s + 24, tags);
    }
    ExpectRefusedForWork(file, WorkBudget::kMaxBytes);
}

}  // namespace
}  // namespace vertigon
