#include "formats/mdls/animation_routines.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "ee/memory.h"
#include "ee/r5900_float.h"
#include "ee/registers.h"

namespace vertigon::mdls {
namespace {

using namespace address;
using gpr::kA0, gpr::kA1, gpr::kA2, gpr::kSp;

// Fields of the control record the set-up fills; the rest is the game's.
constexpr uint32_t kControlCellPointer = 0x000;
constexpr uint32_t kControlWorkArea0 = 0x150;
constexpr uint32_t kControlWorkArea1 = 0x154;
constexpr uint32_t kControlWorkArea2 = 0x158;

// Pointer fields of an animation block, relative to its start until relocated.
constexpr uint32_t kAnimationPointerFields[] = {0x14, 0x1C, 0x24, 0x28, 0x30, 0x38};

constexpr PcSkip kSetupSkips[] = {{kSetupSkipFrom1, kSetupSkipTo1}, {kSetupSkipFrom2, kSetupSkipTo2}};
constexpr PcSkip kFrameSkips[] = {{kFrameSkipFrom, kFrameSkipTo}};

// Identity with rows 1 and 2 negated element by element, zeros included.
constexpr float kRootMatrixValues[16] = {1.0f,  0.0f,  0.0f,  0.0f,  -0.0f, -1.0f, -0.0f, -0.0f,
                                         -0.0f, -0.0f, -1.0f, -0.0f, 0.0f,  0.0f,  0.0f,  1.0f};

RunResult Refused(std::string message) { return {RunResult::Outcome::Refused, std::move(message), 0}; }

}  // namespace

AnimationRoutines::AnimationRoutines(std::vector<uint8_t> programImage, EeOutputSink& output)
    : AnimationRoutines(std::move(programImage), std::make_unique<EeHarness>(output)) {}

AnimationRoutines::AnimationRoutines(std::vector<uint8_t> programImage)
    : AnimationRoutines(std::move(programImage), std::make_unique<EeHarness>()) {}

AnimationRoutines::AnimationRoutines(std::vector<uint8_t> programImage, std::unique_ptr<EeHarness> harness)
    : image_(std::move(programImage)), harness_(std::move(harness)) {
    if (image_.size() != kProgramImageSize) {
        throw ProgramImageError(std::to_string(image_.size()) + " bytes instead of " +
                                std::to_string(kProgramImageSize));
    }
    InitEeMemory();
}

void AnimationRoutines::InitEeMemory() {
    EeState& s = harness_->state();
    s.output->Write("Init EE memory...\n");
    harness_->LoadProgram(image_);
    std::memcpy(s.vu0DataMemory.data(), TranslateRange(s, kVu0DataSource, kVu0DataBytes), kVu0DataBytes);
    std::memcpy(s.vu0MicroMemory.data(), TranslateRange(s, kVu0MicroSource, kVu0MicroBytes), kVu0MicroBytes);
    for (const NativeHook& hook : kProgramImageHooks) harness_->InstallHook(hook.address, hook.function);
}

void AnimationRoutines::SetModelSource(std::shared_ptr<const std::vector<uint8_t>> file, size_t byteCount) {
    modelBytes_ = file ? std::min(byteCount, file->size()) : 0;
    modelFile_ = std::move(file);
}

std::span<const uint8_t> AnimationRoutines::ModelSource() const {
    if (!modelFile_) return {};
    return std::span<const uint8_t>(*modelFile_).first(modelBytes_);
}

// The model block's pointers are offsets within the file until they are made addresses of the
// copy at kModelBlock.
void AnimationRoutines::RelocateModelBlock(uint32_t modelPointer) {
    EeHarness& h = *harness_;
    h.CopyIn(kModelBlock, ModelSource());
    h.AddToWord(kModelBlock + kModelPointerField0, modelPointer);
    h.AddToWord(kModelBlock + kModelPointerField1, modelPointer);
    h.AddToWord(kModelBlock + kModelHeaderPointerField, modelPointer - kModelHeaderBytes);
}

void AnimationRoutines::PrepareSetup(std::span<const uint8_t> animation) {
    EeHarness& h = *harness_;
    animationTime = 0.0f;
    h.SetRegister(kA0, kRootMatrix);
    h.CopyIn(kRootMatrix, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(kRootMatrixValues),
                                                   sizeof kRootMatrixValues));

    h.SetRegister(kA1, kControlRecord);
    h.Clear(kControlRecord, kControlRecordSize);
    h.SetWord(kControlRecord + kControlCellPointer, kRelocationCell);
    h.SetWord(kControlRecord + kControlWorkArea0, kWorkArea0);
    h.SetWord(kControlRecord + kControlWorkArea1, kWorkArea1);
    h.SetWord(kControlRecord + kControlWorkArea2, kWorkArea2);
    h.Clear(kWorkArea0, kWorkAreaSize);
    h.Clear(h.Word(kControlRecord + kControlWorkArea1), kWorkAreaSize);
    h.Clear(h.Word(kControlRecord + kControlWorkArea2), kWorkAreaSize);

    const uint32_t cell = h.Word(kControlRecord + kControlCellPointer);
    h.SetWord(cell, kModelBlockPointer);
    RelocateModelBlock(h.Word(cell));

    h.SetRegister(kA2, kAnimationBlock);
    h.CopyIn(kAnimationBlock, animation);
    for (uint32_t field : kAnimationPointerFields) h.AddToWord(kAnimationBlock + field, kAnimationBlock);

    for (uint32_t i = 0; i < 3; ++i) h.SetWord(kUnitFloats + 4 * i, std::bit_cast<uint32_t>(1.0f));

    h.SetRegister(kA0, h.Word(cell) - kModelHeaderBytes);
    h.SetRegister(kSp, kStackTop);
}

RunResult AnimationRoutines::RunSetupRoutine(std::span<const uint8_t> animation) {
    const std::span<const uint8_t> model = ModelSource();
    if (!FitsInMainMemory(kAnimationBlock, animation.size()))
        return Refused("animation block of " + std::to_string(animation.size()) + " bytes does not fit in memory");
    if (!FitsInMainMemory(kModelBlock, model.size()))
        return Refused("model block of " + std::to_string(model.size()) + " bytes does not fit in memory");

    const RunResult prepared = harness_->Prepare([&] { PrepareSetup(animation); });
    if (!prepared.finished()) return prepared;
    return harness_->Call(kSetupEntry, kSetupStop, kSetupSkips);
}

RunResult AnimationRoutines::RunFrameRoutine() {
    EeHarness& h = *harness_;
    h.SetRegister(kA0, kRootMatrix);
    h.SetRegister(kA1, kControlRecord);
    h.SetRegister(kA2, kAnimationBlock);
    h.state().fpr[fpr::kArgument] = animationTime;
    h.SetRegister(kSp, kStackTop);
    const RunResult result = h.Call(kFrameEntry, kFrameStop, kFrameSkips, true);
    if (!result.finished()) return result;
    RunResult copied = h.Prepare([&] {
        const uint32_t source = h.Word(kControlRecord + kControlWorkArea1);
        const uint8_t* pose = TranslateRange(h.state(), source, kPoseOutputBytes);
        // The host gets host numbers: no infinity, NaN or denormal from the R5900's format.
        for (size_t i = 0; i < poseOutput.size(); ++i)
            poseOutput[i] = r5900::ToHostFloat(LoadHost<uint32_t>(pose + 4 * i));
    });
    copied.steps = result.steps;
    return copied;
}

}  // namespace vertigon::mdls
