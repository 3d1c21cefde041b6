// Damaged MDLS and MSET files: every truncation and single-byte change either loads or is
// refused with a format error, never reading or writing outside a buffer (the sanitizers watch).
// Damaged animation blocks run in the emulator end in a fault or the step bound, never worse.
#include <gtest/gtest.h>

#include "formats/load_error.h"
#include "formats/mdls/emulated_animation.h"
#include "formats/mdls/mdls_model.h"
#include "tests/ee/ee_machine.h"
#include "tests/fixtures/ee_test_image.h"
#include "tests/formats/mdls_test_support.h"

namespace vertigon {
namespace {

using namespace testing;

// Something of every kind: slots, an extended table, plain and weighted strips, a passed-over
// record, two shapes and two small textures.
MdlsDescription Everything() {
    MdlsDescription d;
    d.bones.resize(4);
    d.bones[1].parentField = 0;
    d.bones[2].parentField = 1;
    d.bones[3].parentField = 0x3FF;
    MdlsStream first;
    first.Slot(0, 1).Slot(1, 2).ExtendedSlots({3, 0})
        .Vertices(1, {At(0, 0, 0, 0, 0, 0), At(1, 0, 0, 1, 1, 0), At(0, 1, 0, 0, 0, 1), At(1, 1, 0, 1, 1, 1)})
        .Record(0x55, 24)
        .Weighted({0, 257, 256, 1})
        .WeightedVertices(0, {{{{1, 0, 0, 0.5f}, {1, 0, 0, 0.5f}}, 0, 0},
                              {{{0, 1, 0, 1}}, 1, 0},
                              {{{0, 0, 1, 1}}, 0, 1}})
        .End();
    MdlsStream second;
    second.UnmarkedBlock(2).Vertices(1, {At(2, 0, 0, 1), At(3, 0, 0, 1), At(2, 1, 0, 0)}).End();
    d.meshes.push_back(Mesh(0, first, 0));
    d.meshes.push_back(Mesh(1, second, 1));
    MdlsTexture a{2, 2, {0, 1, 2, 3}, {}};
    MdlsTexture b{4, 1, {4, 5, 6, 7}, {}};
    for (size_t j = 0; j < 256; ++j) a.palette[j] = b.palette[j] = {uint8_t(j), uint8_t(j), uint8_t(j), 0x80};
    d.textures = {a, b};
    return d;
}

MsetDescription ThreeAnimations() {
    MsetDescription m;
    m.offsets = {0x10, 0x30, 0x50};
    m.bytesAfterList = 0x70;
    return m;
}

// Builds the model from memory; a refusal must be a format error.
bool BuildsOrIsRefused(const std::vector<uint8_t>& mdls) {
    try {
        return mdls::ReadModel(ByteReader(mdls)) != nullptr;
    } catch (const FormatError&) {
        return false;
    }
}

// Loads the pair from files; a refusal must be a format error. Returns whether a model came back.
bool LoadsOrIsRefused(Workspace& workspace, const std::vector<uint8_t>& mdls, const std::vector<uint8_t>& mset) {
    try {
        const auto model = LoadMdlsFiles(workspace, mdls, mset);
        return model != nullptr;
    } catch (const FormatError&) {
        return false;
    }
}

TEST(MdlsRobustness, EveryTruncationLoadsOrIsRefused) {
    StatusCapture quiet;
    Workspace workspace(NoImageSearch(), quiet.Sink());
    const std::vector<uint8_t> mdls = WriteMdls(Everything());
    const std::vector<uint8_t> mset = WriteMset(ThreeAnimations());
    ASSERT_TRUE(LoadsOrIsRefused(workspace, mdls, mset));
    size_t refused = 0;
    for (size_t length = 0; length < mdls.size(); ++length) {
        const std::vector<uint8_t> cut(mdls.begin(), mdls.begin() + static_cast<long>(length));
        refused += BuildsOrIsRefused(cut) ? 0 : 1;
    }
    EXPECT_GT(refused, mdls.size() / 2);
    for (size_t length = 0; length < mset.size(); ++length) {
        const std::vector<uint8_t> cut(mset.begin(), mset.begin() + static_cast<long>(length));
        EXPECT_TRUE(LoadsOrIsRefused(workspace, mdls, cut)) << length;  // the model survives its companion
    }
}

TEST(MdlsRobustness, EverySingleByteChangeLoadsOrIsRefused) {
    StatusCapture quiet;
    Workspace workspace(NoImageSearch(), quiet.Sink());
    const std::vector<uint8_t> mdls = WriteMdls(Everything());
    const std::vector<uint8_t> mset = WriteMset(ThreeAnimations());
    for (uint8_t value : {uint8_t{0x00}, uint8_t{0x80}, uint8_t{0xFF}}) {
        for (size_t i = 0; i < mdls.size(); ++i) {
            std::vector<uint8_t> changed = mdls;
            if (changed[i] == value) continue;
            changed[i] = value;
            BuildsOrIsRefused(changed);
        }
        for (size_t i = 0; i < mset.size(); ++i) {
            std::vector<uint8_t> changed = mset;
            changed[i] = value;
            EXPECT_TRUE(LoadsOrIsRefused(workspace, mdls, changed)) << i;
        }
    }
}

// Mesh entries may share a stream, so a small file can ask for the same geometry many times
// over; the shared work budget bounds it, and a caller's lower limit with it.
TEST(MdlsRobustness, SharedStreamsAreChargedToTheWorkBudget) {
    auto expectRefusedForWork = [](const std::vector<uint8_t>& file, uint64_t maxWorkBytes) {
        LoaderOptions options = NoImageSearch();
        options.maxWorkBytes = maxWorkBytes;
        Workspace workspace(options);
        try {
            LoadMdlsFiles(workspace, file);
            ADD_FAILURE() << "loaded";
        } catch (const FormatError& e) {
            EXPECT_NE(std::string(e.what()).find("asks for too many"), std::string::npos) << e.what();
        }
    };
    const std::vector<uint8_t> everything = WriteMdls(Everything());
    expectRefusedForWork(everything, 64);

    // Hundreds of mesh entries all pointing at one long stream.
    MdlsDescription d;
    d.bones.resize(1);
    std::vector<MdlsUnweightedVertex> strip(2000);
    d.meshes.push_back(Mesh(0, MdlsStream().Vertices(1, strip).End()));
    for (int i = 0; i < 400; ++i) d.meshes.push_back(Mesh(0, MdlsStream().End()));
    MdlsLayout layout;
    std::vector<uint8_t> file = WriteMdls(d, &layout);
    Workspace workspace(NoImageSearch());
    ASSERT_NE(LoadMdlsFiles(workspace, file), nullptr);
    const uint32_t first = static_cast<uint32_t>(layout.streams[0] - layout.meshTable);
    for (size_t i = 1; i < d.meshes.size(); ++i) std::memcpy(&file[layout.meshTable + 16 * i + 12], &first, 4);
    expectRefusedForWork(file, WorkBudget::kMaxBytes);
}

TEST(MdlsRobustness, DamagedAnimationBlocksEndInAFaultOrTheStepBound) {
    SKIP_WITHOUT_MIPS_TOOLS();
    StatusCapture status;
    CapturingSink sink;
    Workspace workspace(TestProgramImage(), WithEmulatorText(status.Sink(), sink));
    workspace.emulator().routines()->harness().stepBound = 20000;

    TestAnimation walk;
    walk.bones.resize(2);
    walk.bones[0].velocity = {1, 0, 0, 0};
    const std::vector<uint8_t> block = WriteTestAnimationBlock(walk);
    for (size_t i = 0; i < block.size(); ++i) {
        MsetDescription m;
        std::vector<uint8_t> changed = block;
        changed[i] ^= 0xA5;
        m.offsets = {0x10};
        m.blocks = {{0x10, changed}};
        m.bytesAfterList = 0x10 + changed.size();
        const auto model = LoadMdlsFiles(workspace, WriteMdls(Everything()), WriteMset(m));
        Animation& a = *model->animationGroups.at(0).animations.at(0);
        PoseTarget target;
        target.bones.resize(4);
        a.Rewind();
        a.Advance(1.0f);
        a.Apply(target);
    }
    EXPECT_FALSE(status.messages.empty());  // some changes hit the mode word or a pointer
}

}  // namespace
}  // namespace vertigon
