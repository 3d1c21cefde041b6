// The game's animation routines on a program image of our own (tests/fixtures/ee_test_image.h):
// what InitEeMemory puts in place, what the set-up run prepares, the poses the frame run copies out,
// and runs that fault or never stop.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <limits>
#include <memory>

#include "ee/memory.h"
#include "ee/program_image.h"
#include "formats/mdls/animation_routines.h"
#include "tests/ee/ee_machine.h"
#include "tests/fixtures/ee_test_image.h"
#include "tests/fixtures/mdls_writer.h"

namespace vertigon {
namespace {

using namespace mdls::address;
using mdls::AnimationRoutines, mdls::kProgramImageHooks, mdls::kProgramImageSize;
using testing::CapturingSink;
using testing::TestAnimation;
using testing::TestAnimationMode;
using testing::TestImageBone;

uint32_t Word(const AnimationRoutines& h, uint32_t address) { return LoadHost<uint32_t>(TranslateAddress(h.state(), address)); }
float Float(const AnimationRoutines& h, uint32_t address) { return LoadHost<float>(TranslateAddress(h.state(), address)); }

Mat4 Translation(float x, float y, float z) {
    Mat4 m = Mat4::Identity();
    m.m[3][0] = x;
    m.m[3][1] = y;
    m.m[3][2] = z;
    return m;
}

Mat4 PoseMatrix(const AnimationRoutines& h, size_t bone) {
    Mat4 m;
    std::memcpy(m.m, &h.poseOutput[16 * bone], 64);
    return m;
}

// The routines over the test image with its messages captured, and a three-bone model block.
class MdlsAnimationRoutinesTest : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_WITHOUT_MIPS_TOOLS();
        routines_ = std::make_unique<AnimationRoutines>(testing::TestProgramImage(), sink_);
        testing::MdlsDescription model;
        model.bones.resize(3);
        model_ = std::make_shared<const std::vector<uint8_t>>(testing::WriteMdls(model));
        routines_->SetModelSource(model_, model_->size());
    }

    static TestAnimation ThreeBones(TestAnimationMode mode = TestAnimationMode::Normal) {
        TestAnimation a;
        a.mode = mode;
        a.timeScale = 2.0f;
        a.bones = {{Translation(1, 2, 3), {0, 0, 4, 0}}, {Mat4::Identity(), {}}, {Translation(-8, 0, 0), {6, 0, 0, 9}}};
        return a;
    }

    RunResult RunSetup(const TestAnimation& a) {
        block_ = testing::WriteTestAnimationBlock(a);
        return routines_->RunSetupRoutine(block_);
    }

    CapturingSink sink_;
    std::unique_ptr<AnimationRoutines> routines_;
    std::shared_ptr<const std::vector<uint8_t>> model_;
    std::vector<uint8_t> block_;
};

TEST_F(MdlsAnimationRoutinesTest, InitEeMemoryInstallsTheHooksAndFillsVu0Memory) {
    EXPECT_EQ(sink_.text(), "Init EE memory...\n");
    const uint32_t words[8] = {0x0D, 0x4D, 0x8D, 0xCD, 0x10D, 0x14D, 0x18D, 0x1CD};
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(Word(*routines_, kProgramImageHooks[i].address), words[i]) << i;
    ASSERT_EQ(routines_->harness().hooks().size(), 8u);

    const std::vector<uint8_t>& image = testing::TestProgramImage();
    const EeState& s = routines_->state();
    // The data segment starts right at 0x273454 in the image: compare with emulated memory.
    const uint8_t* data = TranslateAddress(s, kVu0DataSource);
    const uint8_t* micro = TranslateAddress(s, kVu0MicroSource);
    EXPECT_EQ(std::memcmp(s.vu0DataMemory.data(), data, kVu0DataBytes), 0);
    EXPECT_EQ(std::memcmp(s.vu0MicroMemory.data(), micro, kVu0MicroBytes), 0);
    EXPECT_EQ(data[kVu0DataBytes], 0xEE);  // the byte after the copied stretch, in the image
    EXPECT_EQ(s.vu0DataMemory[kVu0DataBytes], 0);
    EXPECT_EQ(micro[kVu0MicroBytes], 0xEE);
    EXPECT_EQ(s.vu0MicroMemory[kVu0MicroBytes], 0);
    EXPECT_EQ(image.size(), kProgramImageSize);
}

TEST_F(MdlsAnimationRoutinesTest, ASecondInitEeMemoryStartsFromFreshMemory) {
    uint8_t* p = TranslateAddress(routines_->state(), 0x00300000);
    *p = 0x5A;
    WriteWord(routines_->state(), kProgramImageHooks[0].address, 0);
    routines_->InitEeMemory();
    EXPECT_EQ(*TranslateAddress(routines_->state(), 0x00300000), 0);
    EXPECT_EQ(Word(*routines_, kProgramImageHooks[0].address), 0x0Du);
    EXPECT_EQ(Word(*routines_, kProgramImageHooks[7].address), 0x1CDu);
    EXPECT_EQ(routines_->harness().hooks().size(), 8u);
}

TEST(MdlsAnimationRoutinesImage, ImagesOfAnotherSizeOrWithSegmentsOutsideMemoryAreRefused) {
    EXPECT_THROW(AnimationRoutines(std::vector<uint8_t>(kProgramImageSize - 1, 0)), ProgramImageError);
    EXPECT_THROW(AnimationRoutines(std::vector<uint8_t>(kProgramImageSize + 1, 0)), ProgramImageError);
    SKIP_WITHOUT_MIPS_TOOLS();
    std::vector<uint8_t> image = testing::TestProgramImage();
    // The second program header's p_paddr (at 52 + 32 + 12), moved to the end of main memory.
    const uint32_t paddr = kMainMemorySize - 16;
    std::memcpy(&image[52 + 32 + 12], &paddr, 4);
    CapturingSink sink;
    EXPECT_THROW((AnimationRoutines{std::move(image), sink}), ProgramImageError);
}

TEST_F(MdlsAnimationRoutinesTest, SetupPreparesTheRootMatrixControlRecordAndRelocatedBlocks) {
    EeState& s = routines_->state();
    // Leftovers the set-up must clear.
    WriteWord(s, kControlRecord + 0x100, 0x12345678);
    for (uint32_t area : {kWorkArea0, kWorkArea1, kWorkArea2}) WriteWord(s, area + kWorkAreaSize - 4, 0xFFFFFFFF);
    routines_->animationTime = 7.0f;

    const RunResult run = RunSetup(ThreeBones());
    ASSERT_TRUE(run.finished()) << run.message;
    EXPECT_EQ(routines_->animationTime, 0.0f);

    const uint32_t root[16] = {0x3F800000, 0,          0,          0,          0x80000000, 0xBF800000,
                               0x80000000, 0x80000000, 0x80000000, 0x80000000, 0xBF800000, 0x80000000,
                               0,          0,          0,          0x3F800000};
    for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(Word(*routines_, kRootMatrix + 4 * i), root[i]) << i;

    EXPECT_EQ(Word(*routines_, kControlRecord), 0x20100u);
    EXPECT_EQ(Word(*routines_, kControlRecord + 0x150), 0x50000u);
    EXPECT_EQ(Word(*routines_, kControlRecord + 0x154), 0x60000u);
    EXPECT_EQ(Word(*routines_, kControlRecord + 0x158), 0x80000u);
    EXPECT_EQ(Word(*routines_, kControlRecord + 0x100), 0u);
    EXPECT_EQ(Word(*routines_, 0x20100), 0x5900C0u);
    for (uint32_t area : {kWorkArea0, kWorkArea1, kWorkArea2}) EXPECT_EQ(Word(*routines_, area + kWorkAreaSize - 4), 0u);
    for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(Float(*routines_, 0x56F860 + 4 * i), 1.0f);

    // The model block: the whole file, three words relocated.
    const auto fileWord = [&](size_t offset) { return LoadHost<uint32_t>(model_->data() + offset); };
    EXPECT_EQ(Word(*routines_, kModelBlock + 0x10), fileWord(0x10));
    EXPECT_EQ(Word(*routines_, kModelBlock + 0xA0), fileWord(0xA0) + 0x590080);
    EXPECT_EQ(Word(*routines_, kModelBlock + 0xC4), fileWord(0xC4) + 0x5900C0);
    EXPECT_EQ(Word(*routines_, kModelBlock + 0xC8), fileWord(0xC8) + 0x5900C0);
    // The animation block: six pointer fields relocated.
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(Word(*routines_, kAnimationBlock + testing::kTestAnimationPointerFields[i]),
                  testing::kTestAnimationPointerValues[i] + kAnimationBlock);
    }
    EXPECT_EQ(Word(*routines_, kAnimationBlock + 0x40), LoadHost<uint32_t>(block_.data() + 0x40));  // not relocated

    // What the image's set-up routine read through those pointers, and the registers it got.
    EXPECT_EQ(Word(*routines_, kControlRecord + testing::kTestControlBoneCount), 3u);
    EXPECT_EQ(Word(*routines_, kControlRecord + testing::kTestControlBoneRecords), kAnimationBlock + 0x40);
    EXPECT_EQ(Word(*routines_, kControlRecord + testing::kTestControlBoneTable), 0x590000u + 0x80 + 0x40 +
                                                                                   fileWord(0xC4));
    EXPECT_EQ(Float(*routines_, kControlRecord + testing::kTestControlTimeScale), 2.0f);
    EXPECT_EQ(Word(*routines_, kControlRecord + testing::kTestControlSkipMarks), 2u);
    EXPECT_EQ(s.gpr[4].lower, 0x590080u);
    EXPECT_EQ(s.gpr[5].lower, kControlRecord);
    EXPECT_EQ(s.gpr[6].lower, kAnimationBlock);
    EXPECT_EQ(s.gpr[29].lower, kStackTop);
    EXPECT_EQ(s.pc, kSetupStop);
}

TEST_F(MdlsAnimationRoutinesTest, FrameRunsGiveThePoseOfTheTimeForEveryBone) {
    ASSERT_TRUE(RunSetup(ThreeBones()).finished());
    const uint64_t cyclesBefore = routines_->state().cycleCounter;
    routines_->animationTime = 1.5f;
    const RunResult run = routines_->RunFrameRoutine();
    ASSERT_TRUE(run.finished()) << run.message;
    EXPECT_EQ(routines_->state().cycleCounter - cyclesBefore, run.steps);
    EXPECT_EQ(routines_->state().pc, kFrameStop);

    // Bone 0: (1, 2, 3) moved by (0, 0, 4) / 2 per unit for 1.5 units, plus (0.5, 0.25, -0.125),
    // then y and z negated by the root matrix.
    Mat4 expected0 = Translation(1.5f, -2.25f, -5.875f);
    expected0.m[1][1] = expected0.m[2][2] = -1.0f;
    const Mat4 pose0 = PoseMatrix(*routines_, 0);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(pose0.m[r][c], expected0.m[r][c]) << r << "," << c;
    // Bone 1 does not move; bone 2 moves along x by 3 per unit.
    EXPECT_EQ(PoseMatrix(*routines_, 1).m[3][0], 0.5f);
    EXPECT_EQ(PoseMatrix(*routines_, 1).m[1][1], -1.0f);
    EXPECT_EQ(PoseMatrix(*routines_, 2).m[3][0], -8.0f + 4.5f + 0.5f);
    EXPECT_EQ(PoseMatrix(*routines_, 2).m[3][2], 0.125f);
    // Nothing is written past the model's bones.
    EXPECT_EQ(PoseMatrix(*routines_, 3), Mat4{});

    // A later time continues from the same set-up.
    routines_->animationTime = 3.0f;
    ASSERT_TRUE(routines_->RunFrameRoutine().finished());
    EXPECT_EQ(PoseMatrix(*routines_, 0).m[3][2], -(3.0f + 6.0f - 0.125f));
}

TEST_F(MdlsAnimationRoutinesTest, FrameOutputComesFromWhereTheControlRecordPoints) {
    ASSERT_TRUE(RunSetup(ThreeBones()).finished());
    routines_->animationTime = 0.0f;
    ASSERT_TRUE(routines_->RunFrameRoutine().finished());
    const Mat4 before = PoseMatrix(*routines_, 0);
    // The game moved its output: the copy follows (and the routine writes there too).
    WriteWord(routines_->state(), kControlRecord + 0x154, 0x00300000);
    ASSERT_TRUE(routines_->RunFrameRoutine().finished());
    EXPECT_EQ(PoseMatrix(*routines_, 0), before);
    EXPECT_EQ(LoadHost<float>(TranslateAddress(routines_->state(), 0x00300000 + 48)), before.m[3][0]);
    // Numbers of the R5900 that the host has not: exponent 255 is the largest host magnitude,
    // a denormal pattern a zero.
    WriteWord(routines_->state(), 0x00300000 + 64 * 5, 0xFFC00000);
    WriteWord(routines_->state(), 0x00300000 + 64 * 5 + 4, 0x00400000);
    ASSERT_TRUE(routines_->RunFrameRoutine().finished());
    EXPECT_EQ(routines_->poseOutput[16 * 5], -std::numeric_limits<float>::max());
    EXPECT_EQ(std::bit_cast<uint32_t>(routines_->poseOutput[16 * 5 + 1]), 0u);
    // An output place too small for 400 matrices faults instead of reading past the scratchpad.
    WriteWord(routines_->state(), kControlRecord + 0x154, 0x70000000);
    const RunResult run = routines_->RunFrameRoutine();
    EXPECT_EQ(run.outcome, RunResult::Outcome::Fault);
    EXPECT_EQ(run.message, "Access to unmapped memory 70004000");
}

TEST_F(MdlsAnimationRoutinesTest, RunsThatNeverStopEndAtTheStepBoundAndKeepThePose) {
    ASSERT_TRUE(RunSetup(ThreeBones()).finished());
    routines_->animationTime = 1.0f;
    ASSERT_TRUE(routines_->RunFrameRoutine().finished());
    const auto before = routines_->poseOutput;

    routines_->harness().stepBound = 5000;
    ASSERT_TRUE(RunSetup(ThreeBones(TestAnimationMode::FrameSpins)).finished());
    const RunResult frame = routines_->RunFrameRoutine();
    EXPECT_EQ(frame.outcome, RunResult::Outcome::StepBound);
    EXPECT_EQ(frame.steps, 5000u);
    EXPECT_EQ(frame.message, "did not reach its stop address within 5000 steps");
    EXPECT_EQ(routines_->poseOutput, before);

    const RunResult setup = RunSetup(ThreeBones(TestAnimationMode::SetupSpins));
    EXPECT_EQ(setup.outcome, RunResult::Outcome::StepBound);
    EXPECT_EQ(setup.steps, 5000u);
}

TEST_F(MdlsAnimationRoutinesTest, FaultsAbandonTheRunAndGoToTheEmulatorOutput) {
    routines_->state().output = &sink_;
    ASSERT_TRUE(RunSetup(ThreeBones(TestAnimationMode::FrameFaults)).finished());
    const RunResult frame = routines_->RunFrameRoutine();
    EXPECT_EQ(frame.outcome, RunResult::Outcome::Fault);
    EXPECT_EQ(frame.message, "Unknown opcode family CC000000!");
    EXPECT_EQ(sink_.text(), "Init EE memory...\nUnknown opcode family CC000000!\n");

    const RunResult setup = RunSetup(ThreeBones(TestAnimationMode::SetupFaults));
    EXPECT_EQ(setup.outcome, RunResult::Outcome::Fault);
}

TEST_F(MdlsAnimationRoutinesTest, BlocksTooLargeForEmulatedMemoryAreRefusedUntouched) {
    const std::vector<uint8_t> huge(kMainMemorySize - kAnimationBlock + 1, 0);
    const RunResult run = routines_->RunSetupRoutine(huge);
    EXPECT_EQ(run.outcome, RunResult::Outcome::Refused);
    EXPECT_EQ(Word(*routines_, 0x20100), 0u);  // nothing was prepared

    routines_->SetModelSource(std::make_shared<const std::vector<uint8_t>>(kMainMemorySize - kModelBlock + 1, 0),
                             kMainMemorySize);
    EXPECT_EQ(routines_->RunSetupRoutine({}).outcome, RunResult::Outcome::Refused);
}

TEST_F(MdlsAnimationRoutinesTest, TheModelSourceIsKeptWithinItsFile) {
    auto file = std::make_shared<const std::vector<uint8_t>>(std::vector<uint8_t>{1, 2, 3});
    routines_->SetModelSource(file, 1000);
    EXPECT_EQ(routines_->ModelSource().size(), 3u);
    routines_->SetModelSource(file, 2);
    EXPECT_EQ(routines_->ModelSource().size(), 2u);
    routines_->SetModelSource(nullptr, 5);
    EXPECT_TRUE(routines_->ModelSource().empty());
}

}  // namespace
}  // namespace vertigon
