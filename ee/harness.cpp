#include "ee/harness.h"

#include <algorithm>
#include <cstring>

#include "ee/fault.h"
#include "ee/interpreter.h"
#include "ee/memory.h"
#include "ee/native_hooks.h"
#include "ee/program_image.h"
#include "ee/r5900_float.h"
#include "ee/registers.h"

namespace vertigon {
namespace {

using namespace ee_address;

using gpr::kA0, gpr::kA1, gpr::kA2, gpr::kSp;

// Fields of the control record the harness sets; the rest is the game's.
constexpr uint32_t kControlCellPointer = 0x000;
constexpr uint32_t kControlWorkArea0 = 0x150;
constexpr uint32_t kControlWorkArea1 = 0x154;
constexpr uint32_t kControlWorkArea2 = 0x158;

// Pointer fields of an animation block, relative to its start until relocated.
constexpr uint32_t kAnimationPointerFields[] = {0x14, 0x1C, 0x24, 0x28, 0x30, 0x38};

uint32_t Word(const EeState& s, uint32_t address) { return LoadHost<uint32_t>(TranslateRange(s, address, 4)); }
void SetWord(const EeState& s, uint32_t address, uint32_t value) { StoreHost(TranslateRange(s, address, 4), value); }
void AddToWord(const EeState& s, uint32_t address, uint32_t delta) { SetWord(s, address, Word(s, address) + delta); }

void Clear(const EeState& s, uint32_t address, uint32_t length) {
    std::memset(TranslateRange(s, address, length), 0, length);
}

void CopyIn(const EeState& s, uint32_t address, std::span<const uint8_t> bytes) {
    if (!bytes.empty())
        std::memcpy(TranslateRange(s, address, static_cast<uint32_t>(bytes.size())), bytes.data(), bytes.size());
}

// Register values set here have the upper word of the lower half clear.
void SetRegister(EeState& s, uint32_t reg, uint32_t value) { s.gpr[reg].lower = value; }

bool FitsAt(uint32_t address, size_t length) { return length <= kMainMemorySize - address; }

// Identity with rows 1 and 2 negated element by element, zeros included.
void WriteRootMatrix(const EeState& s) {
    const float root[16] = {1.0f,  0.0f,  0.0f,  0.0f,  -0.0f, -1.0f, -0.0f, -0.0f,
                            -0.0f, -0.0f, -1.0f, -0.0f, 0.0f,  0.0f,  0.0f,  1.0f};
    std::memcpy(TranslateRange(s, kRootMatrix, sizeof root), root, sizeof root);
}

RunResult Refused(std::string message) { return {RunResult::Outcome::Refused, std::move(message), 0}; }

// Runs `body`, the memory work around a routine; a fault inside it abandons the run.
template <typename Body>
RunResult Guarded(EeState& s, Body body) {
    RunResult result;
    try {
        body();
    } catch (const EeFault& fault) {
        EndWithFault(s, result, fault);
    }
    return result;
}

constexpr PcSkip kSetupSkips[] = {{kSetupSkipFrom1, kSetupSkipTo1}, {kSetupSkipFrom2, kSetupSkipTo2}};
constexpr PcSkip kFrameSkips[] = {{kFrameSkipFrom, kFrameSkipTo}};

}  // namespace

EeHarness::EeHarness(std::vector<uint8_t> programImage, EeOutputSink& output)
    : EeHarness(std::move(programImage), std::make_unique<EeState>(output)) {}

EeHarness::EeHarness(std::vector<uint8_t> programImage)
    : EeHarness(std::move(programImage), std::make_unique<EeState>()) {}

EeHarness::EeHarness(std::vector<uint8_t> programImage, std::unique_ptr<EeState> state)
    : image_(std::move(programImage)), state_(std::move(state)) {
    if (image_.size() != kProgramImageSize) {
        throw ProgramImageError(std::to_string(image_.size()) + " bytes instead of " +
                                std::to_string(kProgramImageSize));
    }
    InitEeMemory();
}

void EeHarness::InitEeMemory() {
    EeState& s = *state_;
    s.output->Write("Init EE memory...\n");
    s.ResetMemory();
    LoadProgramImage(s, image_);
    std::memcpy(s.vu0DataMemory.data(), TranslateRange(s, kVu0DataSource, kVu0DataBytes), kVu0DataBytes);
    std::memcpy(s.vu0MicroMemory.data(), TranslateRange(s, kVu0MicroSource, kVu0MicroBytes), kVu0MicroBytes);
    s.nativeHooks.clear();
    for (const NativeHookEntry& hook : kProgramImageHooks) InstallNativeHook(s, hook.address, hook.function);
}

void EeHarness::SetModelSource(std::shared_ptr<const std::vector<uint8_t>> file, size_t byteCount) {
    modelBytes_ = file ? std::min(byteCount, file->size()) : 0;
    modelFile_ = std::move(file);
}

std::span<const uint8_t> EeHarness::ModelSource() const {
    if (!modelFile_) return {};
    return std::span<const uint8_t>(*modelFile_).first(modelBytes_);
}

RunResult EeHarness::RunSetupRoutine(std::span<const uint8_t> animation) {
    const std::span<const uint8_t> model = ModelSource();
    if (!FitsAt(kAnimationBlock, animation.size()))
        return Refused("animation block of " + std::to_string(animation.size()) + " bytes does not fit in memory");
    if (!FitsAt(kModelBlock, model.size()))
        return Refused("model block of " + std::to_string(model.size()) + " bytes does not fit in memory");

    EeState& s = *state_;
    RunResult prepared = Guarded(s, [&] {
        animationTime = 0.0f;
        SetRegister(s, kA0, kRootMatrix);
        WriteRootMatrix(s);

        SetRegister(s, kA1, kControlRecord);
        Clear(s, kControlRecord, kControlRecordSize);
        SetWord(s, kControlRecord + kControlCellPointer, kRelocationCell);
        SetWord(s, kControlRecord + kControlWorkArea0, kWorkArea0);
        SetWord(s, kControlRecord + kControlWorkArea1, kWorkArea1);
        SetWord(s, kControlRecord + kControlWorkArea2, kWorkArea2);
        Clear(s, kWorkArea0, kWorkAreaSize);
        Clear(s, Word(s, kControlRecord + kControlWorkArea1), kWorkAreaSize);
        Clear(s, Word(s, kControlRecord + kControlWorkArea2), kWorkAreaSize);

        const uint32_t cell = Word(s, kControlRecord + kControlCellPointer);
        SetWord(s, cell, kModelBlockPointer);
        CopyIn(s, kModelBlock, model);
        const uint32_t modelPointer = Word(s, cell);
        AddToWord(s, kModelBlock + kModelPointerField0, modelPointer);
        AddToWord(s, kModelBlock + kModelPointerField1, modelPointer);
        AddToWord(s, kModelBlock + kModelHeaderPointerField, modelPointer - kModelHeaderBytes);

        SetRegister(s, kA2, kAnimationBlock);
        CopyIn(s, kAnimationBlock, animation);
        for (uint32_t field : kAnimationPointerFields) AddToWord(s, kAnimationBlock + field, kAnimationBlock);

        const float one = 1.0f;
        for (uint32_t i = 0; i < 3; ++i) StoreHost(TranslateRange(s, kUnitFloats + 4 * i, 4), one);

        SetRegister(s, kA0, Word(s, cell) - kModelHeaderBytes);
        SetRegister(s, kSp, kStackTop);
    });
    if (!prepared.finished()) return prepared;
    return RunUntilStop(s, RunPlan{kSetupEntry, kSetupStop, stepBound, kSetupSkips});
}

RunResult EeHarness::RunFrameRoutine() {
    EeState& s = *state_;
    SetRegister(s, kA0, kRootMatrix);
    SetRegister(s, kA1, kControlRecord);
    SetRegister(s, kA2, kAnimationBlock);
    s.fpr[fpr::kArgument] = animationTime;
    SetRegister(s, kSp, kStackTop);
    RunResult result = RunUntilStop(s, RunPlan{kFrameEntry, kFrameStop, stepBound, kFrameSkips, true});
    if (!result.finished()) return result;
    RunResult copied = Guarded(s, [&] {
        const uint32_t source = Word(s, kControlRecord + kControlWorkArea1);
        const uint8_t* pose = TranslateRange(s, source, kPoseOutputBytes);
        // The host gets host numbers: no infinity, NaN or denormal from the R5900's format.
        for (size_t i = 0; i < poseOutput.size(); ++i)
            poseOutput[i] = r5900::ToHostFloat(LoadHost<uint32_t>(pose + 4 * i));
    });
    copied.steps = result.steps;
    return copied;
}

}  // namespace vertigon
