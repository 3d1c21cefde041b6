// The companion MSET of an MDLS model: how it splits into animations, and how those animations
// pose a target through the program image (our own test image), or keep the pose when they
// cannot run.
#include <gtest/gtest.h>

#include <cstring>

#include "ee/output.h"
#include "formats/mdls/emulated_animation.h"
#include "tests/ee/ee_machine.h"
#include "tests/fixtures/ee_test_image.h"
#include "tests/formats/mdls_test_support.h"

namespace vertigon {
namespace {

using namespace testing;

MdlsDescription Bones(size_t count) {
    MdlsDescription d;
    d.bones.resize(count);
    return d;
}

MsetDescription ThreeOffsets() {
    MsetDescription m;
    m.offsets = {0, 0x120, 0x300};
    m.bytesAfterList = 0x340;
    return m;
}

const AnimationGroup& OnlyGroup(const Model& model) {
    EXPECT_EQ(model.animationGroupCount(), 1);
    return model.animationGroups.at(0);
}

mdls::EmulatedAnimation& Emulated(const Model& model, size_t index) {
    return static_cast<mdls::EmulatedAnimation&>(*model.animationGroups.at(0).animations.at(index));
}

TEST(MdlsAnimations, OffsetsUpToTheEndMarkMakeOneAnimationEachTheLastRunningToTheFileEnd) {
    MsetLayout layout;
    const std::vector<uint8_t> mset = WriteMset(ThreeOffsets(), &layout);
    Workspace workspace(NoImageSearch());
    const auto model = LoadMdlsFiles(workspace, WriteMdls(Bones(1)), mset);
    const AnimationGroup& group = OnlyGroup(*model);
    EXPECT_EQ(group.name, "generic");
    ASSERT_EQ(group.animationCount(), 3);
    const size_t starts[3] = {0, 0x120, 0x300};
    const size_t sizes[3] = {0x120, 0x1E0, mset.size() - layout.list - 0x300};
    for (size_t i = 0; i < 3; ++i) {
        const mdls::EmulatedAnimation& a = Emulated(*model, i);
        EXPECT_EQ(a.GetName(), "anim000" + std::to_string(i));
        EXPECT_EQ(a.data().size(), sizes[i]) << i;
        EXPECT_EQ(a.data().data(), Emulated(*model, 0).data().data() + starts[i]) << i;
        EXPECT_EQ(a.GetLength(), 1'000'000.0f);
        EXPECT_EQ(a.time, 0.0f);
        EXPECT_EQ(a.length, 0.0f);
    }
    // The first block starts with the offset list itself.
    uint32_t first;
    std::memcpy(&first, Emulated(*model, 1).data().data() - 0x120 + 4, 4);
    EXPECT_EQ(first, 0x120u);
}

TEST(MdlsAnimations, TheCompanionIsFoundWhateverTheCaseOfItsExtension) {
    TempDir dir;
    const std::string model = dir.Write("HERO.MDLS", WriteMdls(Bones(1)));
    dir.Write("HERO.MSET", WriteMset(ThreeOffsets()));
    dir.Write("HEROINE.mset", WriteMset(MsetDescription{}));
    Workspace workspace(NoImageSearch());
    EXPECT_EQ(OnlyGroup(*MdlsLoader().Load(model, workspace.context())).animationCount(), 3);
    // The exact lower-case name comes first.
    dir.Write("HERO.mset", WriteMset(MsetDescription{}));
    EXPECT_EQ(OnlyGroup(*MdlsLoader().Load(model, workspace.context())).animationCount(), 0);
}

TEST(MdlsAnimations, EntryZeroWithoutTheMotionMagicPointsToItsMotionBlock) {
    MsetDescription m;
    m.motionMagic = false;
    m.motionOffset = 0x30;
    m.offsets = {0x10, 0x18};
    m.bytesAfterList = 0x40;
    MsetLayout layout;
    const std::vector<uint8_t> mset = WriteMset(m, &layout);
    EXPECT_EQ(layout.motion, layout.entry + 0x30);
    Workspace workspace(NoImageSearch());
    const auto model = LoadMdlsFiles(workspace, WriteMdls(Bones(1)), mset);
    ASSERT_EQ(OnlyGroup(*model).animationCount(), 2);
    EXPECT_EQ(Emulated(*model, 0).data().size(), 8u);
    EXPECT_EQ(Emulated(*model, 1).data().size(), 0x28u);
}

TEST(MdlsAnimations, AnEmptyListOrNoEntryGivesAnEmptyGenericGroup) {
    Workspace workspace(NoImageSearch());
    MsetDescription empty;
    EXPECT_EQ(OnlyGroup(*LoadMdlsFiles(workspace, WriteMdls(Bones(1)), WriteMset(empty))).animationCount(), 0);
    MsetDescription noEntry = ThreeOffsets();
    noEntry.entryCount = 0;
    EXPECT_EQ(OnlyGroup(*LoadMdlsFiles(workspace, WriteMdls(Bones(1)), WriteMset(noEntry))).animationCount(), 0);
}

TEST(MdlsAnimations, AnUnusableCompanionLeavesTheModelWithoutAnimationsAndSaysWhy) {
    StatusCapture status;
    Workspace workspace(NoImageSearch(), status.Sink());
    std::vector<uint8_t> unterminated = WriteMset(ThreeOffsets());
    unterminated.resize(unterminated.size() - 0x340 + 12);  // the list runs off the end
    MsetDescription backwards = ThreeOffsets();
    backwards.offsets = {0x120, 0x20};
    MsetDescription beyond = ThreeOffsets();
    beyond.offsets = {0x10, 0x4000};
    for (const auto& mset : {unterminated, WriteMset(backwards), WriteMset(beyond)}) {
        const auto model = LoadMdlsFiles(workspace, WriteMdls(Bones(1)), mset);
        EXPECT_TRUE(model->animationGroups.empty());
    }
    ASSERT_EQ(status.messages.size(), 3u);
    EXPECT_NE(status.messages[0].find("model.mset ignored"), std::string::npos) << status.messages[0];
}

TEST(MdlsAnimations, TheClockWrapsAfterAMillionFrames) {
    Workspace workspace(NoImageSearch());
    const auto model = LoadMdlsFiles(workspace, WriteMdls(Bones(1)), WriteMset(ThreeOffsets()));
    mdls::EmulatedAnimation& a = Emulated(*model, 0);
    a.Advance(999'999.0f);
    EXPECT_EQ(a.time, 999'999.0f);
    a.Advance(1.0f);
    EXPECT_EQ(a.time, 0.0f);
}

PoseTarget RestTarget(size_t bones) {
    PoseTarget target;
    target.bones.resize(bones);
    for (size_t b = 0; b < bones; ++b) target.bones[b].world.m[3][0] = 100.0f + float(b);  // a recognisable pose
    return target;
}

TEST(MdlsAnimations, WithoutAProgramImageThePoseStaysAndTheUserIsToldOnce) {
    StatusCapture status;
    Workspace workspace(NoImageSearch(), status.Sink());
    const auto model = LoadMdlsFiles(workspace, WriteMdls(Bones(2)), WriteMset(ThreeOffsets()));
    PoseTarget target = RestTarget(2);
    for (size_t i = 0; i < 2; ++i) {
        Animation& a = Emulated(*model, i);
        a.Rewind();
        a.Advance(3.0f);
        a.Apply(target);
        a.Apply(target);
    }
    EXPECT_EQ(target.bones[1].world.m[3][0], 101.0f);
    EXPECT_TRUE(target.poseDirty);  // the scene recomputes the rest pose
    ASSERT_EQ(status.messages.size(), 1u);
    EXPECT_NE(status.messages[0].find("--ee-image PATH"), std::string::npos) << status.messages[0];
}

TEST(MdlsAnimations, ARefusedImageIsReportedWhenTheLoaderIsMadeAndOnlyThen) {
    TempDir dir;
    StatusCapture status;
    LoaderOptions options;
    options.eeImagePath = dir.Write("short.bin", std::vector<uint8_t>{0x7F, 'E', 'L', 'F', 1, 1, 1, 0});
    Workspace workspace(options, status.Sink());
    ASSERT_EQ(status.messages.size(), 1u);
    EXPECT_EQ(status.messages[0],
              "EE program image " + options.eeImagePath + " refused: it is 8 bytes, not 3782596 bytes");
    const auto model = LoadMdlsFiles(workspace, WriteMdls(Bones(1)), WriteMset(ThreeOffsets()));
    PoseTarget target = RestTarget(1);
    Emulated(*model, 0).Rewind();
    Emulated(*model, 0).Apply(target);
    EXPECT_EQ(status.messages.size(), 1u);
    EXPECT_EQ(target.bones[0].world.m[3][0], 100.0f);
}

// An MDLS model of `bones` bones with a companion holding the given test animations, loaded
// in a workspace whose emulator runs the test image.
class EmulatedPoses : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_WITHOUT_MIPS_TOOLS();
        workspace_ = std::make_unique<Workspace>(TestProgramImage(), WithEmulatorText(StatusSink(), sink_));
        ASSERT_NE(workspace_->emulator().routines(), nullptr);
    }

    std::unique_ptr<Model> Load(size_t bones, const std::vector<TestAnimation>& animations) {
        return LoadMdlsFiles(*workspace_, WriteMdls(Bones(bones)), WriteTestAnimationMset(animations));
    }

    static TestAnimation Walk(TestAnimationMode mode = TestAnimationMode::Normal) {
        TestAnimation a;
        a.mode = mode;
        a.timeScale = 4.0f;
        a.bones.resize(3);
        a.bones[0].velocity = {0, 8, 0, 0};
        a.bones[1].rest.m[3][0] = 10.0f;
        a.bones[2].rest.m[0][0] = 2.0f;
        a.bones[2].velocity = {-4, 0, 0, 0};
        return a;
    }

    static void ExpectPose(const PoseTarget& target, const TestAnimation& a, float time) {
        for (size_t b = 0; b < a.bones.size() && b < target.bones.size(); ++b)
            EXPECT_EQ(target.bones[b].world, TestImagePose(a.bones[b], a.timeScale, time)) << "bone " << b;
    }

    CapturingSink sink_;
    std::unique_ptr<Workspace> workspace_;
};

TEST_F(EmulatedPoses, RewindAndApplyWriteTheFrameRoutinesMatricesAsWorldMatrices) {
    const TestAnimation walk = Walk();
    const auto model = Load(3, {walk});
    Animation& a = Emulated(*model, 0);
    PoseTarget target = RestTarget(3);
    a.Rewind();
    a.Advance(2.5f);
    target.skinDirty = false;
    a.Apply(target);
    ExpectPose(target, walk, 2.5f);
    // Bone 0 moved 8 / 4 per frame along y for 2.5 frames, plus the offset, y negated.
    EXPECT_EQ(target.bones[0].world.m[3][1], -(5.0f + 0.25f));
    EXPECT_FALSE(target.poseDirty);
    EXPECT_TRUE(target.skinDirty);

    // Without the pose marked dirty the marks stay as they are.
    target.skinDirty = false;
    a.Advance(1.0f);
    a.Apply(target);
    ExpectPose(target, walk, 3.5f);
    EXPECT_FALSE(target.skinDirty);
}

TEST_F(EmulatedPoses, EachAnimationRunsOnItsOwnSetupAndModelBlock) {
    TestAnimation other = Walk();
    other.timeScale = 1.0f;
    const auto model = Load(3, {Walk(), other});
    PoseTarget first = RestTarget(3);
    PoseTarget second = RestTarget(3);
    Emulated(*model, 0).Rewind();
    Emulated(*model, 1).Rewind();
    // Another model loaded meanwhile sets a one-bone model block.
    const auto later = Load(1, {Walk()});
    Emulated(*model, 0).Advance(1.0f);
    Emulated(*model, 0).Apply(first);
    Emulated(*model, 1).Advance(1.0f);
    Emulated(*model, 1).Apply(second);
    ExpectPose(first, Walk(), 1.0f);
    ExpectPose(second, other, 1.0f);
}

TEST_F(EmulatedPoses, AFaultingFrameRoutineKeepsTheLastPoseAndIsReportedOnce) {
    StatusCapture status(*workspace_);
    const auto model = Load(3, {Walk(), Walk(TestAnimationMode::FrameFaults)});
    PoseTarget target = RestTarget(3);
    Emulated(*model, 0).Rewind();
    Emulated(*model, 0).Apply(target);
    const PoseTarget posed = target;

    Animation& faulting = Emulated(*model, 1);
    faulting.Rewind();
    const uint64_t cycles = workspace_->emulator().routines()->state().cycleCounter;
    for (int i = 0; i < 3; ++i) {
        target.poseDirty = true;
        faulting.Advance(1.0f);
        faulting.Apply(target);
    }
    for (size_t b = 0; b < 3; ++b) EXPECT_EQ(target.bones[b].world, posed.bones[b].world);
    EXPECT_TRUE(target.poseDirty);  // never posed by this animation: the scene's pose stands
    ASSERT_EQ(status.messages.size(), 1u);
    EXPECT_EQ(status.messages[0],
              "animation anim0001 stopped: its frame routine faulted: Unknown opcode family CC000000!");
    EXPECT_EQ(sink_.text(), "Init EE memory...\nUnknown opcode family CC000000!\n");
    // One failed run, then nothing more until rewound.
    const uint64_t afterFirst = workspace_->emulator().routines()->state().cycleCounter;
    EXPECT_GT(afterFirst, cycles);
    faulting.Apply(target);
    EXPECT_EQ(workspace_->emulator().routines()->state().cycleCounter, afterFirst);
    faulting.Rewind();
    faulting.Apply(target);
    EXPECT_EQ(status.messages.size(), 2u);
}

TEST_F(EmulatedPoses, ARoutineThatNeverStopsEndsAtTheStepBoundAndHoldsTheEmulatedPose) {
    StatusCapture status(*workspace_);
    workspace_->emulator().routines()->harness().stepBound = 20000;
    const TestAnimation walk = Walk();
    const auto model = Load(3, {walk, Walk(TestAnimationMode::FrameSpins), Walk(TestAnimationMode::SetupSpins)});
    PoseTarget target = RestTarget(3);
    Animation& spinning = Emulated(*model, 1);
    spinning.Rewind();
    spinning.Apply(target);  // the frame routine spins: nothing posed yet
    EXPECT_EQ(target.bones[0].world.m[3][0], 100.0f);
    ASSERT_EQ(status.messages.size(), 1u);
    EXPECT_EQ(status.messages[0],
              "animation anim0001 stopped: its frame routine did not reach its stop address within 20000 steps");

    Animation& good = Emulated(*model, 0);
    good.Rewind();
    good.Apply(target);
    ExpectPose(target, walk, 0.0f);
    // The animation that posed the target holds its pose when its own run later fails...
    workspace_->emulator().routines()->harness().stepBound = 10;
    target.poseDirty = true;
    good.Advance(1.0f);
    good.Apply(target);
    ExpectPose(target, walk, 0.0f);
    EXPECT_FALSE(target.poseDirty);
    EXPECT_EQ(status.messages.size(), 2u);
    // ...while one that never posed leaves the scene to show the rest pose.
    workspace_->emulator().routines()->harness().stepBound = 20000;
    Animation& stuck = Emulated(*model, 2);
    stuck.Rewind();
    target.poseDirty = true;
    stuck.Apply(target);
    ExpectPose(target, walk, 0.0f);
    EXPECT_TRUE(target.poseDirty);
    EXPECT_EQ(status.messages.size(), 3u);
}

TEST_F(EmulatedPoses, OnlyFourHundredMatricesAreCopied) {
    const auto model = Load(401, {Walk()});
    PoseTarget target = RestTarget(401);
    Emulated(*model, 0).Rewind();
    Emulated(*model, 0).Apply(target);
    ExpectPose(target, Walk(), 0.0f);
    EXPECT_EQ(target.bones[400].world.m[3][0], 500.0f);
}

}  // namespace
}  // namespace vertigon
