// The game's two routines that animate MDLS models, run in the emulator: the set-up routine
// (once per animation start) and the frame routine (once per evaluated time), with the fixed
// addresses of the one program image they belong to, the memory they expect prepared (the model
// block relocated to where it lies), the routines replaced by host code and the skipped
// addresses. The model block and the animation block arrive as bytes, the pose leaves as 400
// row-major matrices.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "ee/harness.h"
#include "ee/native_hook_table.h"
#include "ee/output.h"
#include "formats/mdls/native_hooks.h"

namespace vertigon::mdls {

// The one program image the fixed addresses below belong to.
inline constexpr size_t kProgramImageSize = 3'782'596;

inline constexpr size_t kPoseMatrixCount = 400;
inline constexpr size_t kPoseOutputBytes = kPoseMatrixCount * 64;  // 25,600

// Emulated addresses of the program image and of the memory its routines are handed.
namespace address {
inline constexpr uint32_t kStackTop = 0x00010000;
inline constexpr uint32_t kRootMatrix = 0x00020000;
inline constexpr uint32_t kRelocationCell = 0x00020100;
inline constexpr uint32_t kWorkArea0 = 0x00050000;
inline constexpr uint32_t kWorkArea1 = 0x00060000;  // where the pose comes from
inline constexpr uint32_t kWorkArea2 = 0x00080000;
inline constexpr uint32_t kWorkAreaSize = 0x10000;
inline constexpr uint32_t kAnimationBlock = 0x00100000;
inline constexpr uint32_t kControlRecord = 0x0056E030;
inline constexpr uint32_t kControlRecordSize = 0x15C;
inline constexpr uint32_t kUnitFloats = 0x0056F860;
inline constexpr uint32_t kModelBlock = 0x00590000;
inline constexpr uint32_t kModelBlockPointer = 0x005900C0;  // stored in the relocation cell
// Pointer fields of the model block the set-up relocates: the first two by the relocation
// cell's value, the third by that value less kModelHeaderBytes.
inline constexpr uint32_t kModelPointerField0 = 0xC4;
inline constexpr uint32_t kModelPointerField1 = 0xC8;
inline constexpr uint32_t kModelHeaderPointerField = 0xA0;
inline constexpr uint32_t kModelHeaderBytes = 0x40;
inline constexpr uint32_t kSetupEntry = 0x00161378;
inline constexpr uint32_t kSetupStop = 0x00160D04;
inline constexpr uint32_t kSetupSkipFrom1 = 0x00160BAC, kSetupSkipTo1 = 0x00160BDC;
inline constexpr uint32_t kSetupSkipFrom2 = 0x00160B74, kSetupSkipTo2 = 0x00160B7C;
inline constexpr uint32_t kFrameEntry = 0x001648E8;
inline constexpr uint32_t kFrameStop = 0x00164FF4;
inline constexpr uint32_t kFrameSkipFrom = 0x00164E20, kFrameSkipTo = 0x00164E24;
inline constexpr uint32_t kVu0DataSource = 0x00273454;
inline constexpr uint32_t kVu0DataBytes = 0x47 * 4;  // 284
inline constexpr uint32_t kVu0MicroSource = 0x00273578;
inline constexpr uint32_t kVu0MicroBytes = 0xE6 * 4;  // 920
}  // namespace address

// The image's routines that run as host code, in installation order: a hook's position is the
// code of the BREAK put at its address.
inline constexpr std::array<NativeHook, 8> kProgramImageHooks = {{
    {0x262150, HookDotProduct},
    {0x262378, HookCopyMatrix},
    {0x161F28, HookNormalize},
    {0x2621B8, HookTranspose},
    {0x262270, HookDivideVector},
    {0x262290, HookDivideVectorKeepW},
    {0x2620B8, HookVectorTimesMatrix},
    {0x1618D0, HookInvertScaledRigid},
}};

class AnimationRoutines {
public:
    // Takes the inflated program image, which must be exactly kProgramImageSize bytes, and runs
    // InitEeMemory. Throws ProgramImageError for an image of another size or one whose
    // segments do not fit main memory. The emulator's messages go to `output` (which must
    // outlive this), or to standard output.
    AnimationRoutines(std::vector<uint8_t> programImage, EeOutputSink& output);
    explicit AnimationRoutines(std::vector<uint8_t> programImage);
    AnimationRoutines(const AnimationRoutines&) = delete;
    AnimationRoutines& operator=(const AnimationRoutines&) = delete;

    // Prints "Init EE memory...\n", starts from fresh memory blocks, loads the image, fills the
    // VU0 memories from it and installs the native hooks.
    void InitEeMemory();

    // The model block RunSetupRoutine copies to 0x590000: the first `byteCount` bytes of `file`
    // (at most its size).
    void SetModelSource(std::shared_ptr<const std::vector<uint8_t>> file, size_t byteCount);
    std::span<const uint8_t> ModelSource() const;

    // Prepares emulated memory for one animation block and runs the set-up routine.
    RunResult RunSetupRoutine(std::span<const uint8_t> animation);
    // Runs the frame routine for animationTime and fills poseOutput; on a failed run the
    // output keeps its previous contents.
    RunResult RunFrameRoutine();

    float animationTime = 0.0f;
    // Matrix i at float 16 * i.
    alignas(16) std::array<float, kPoseMatrixCount * 16> poseOutput{};

    EeHarness& harness() { return *harness_; }
    EeState& state() { return harness_->state(); }
    const EeState& state() const { return harness_->state(); }

private:
    AnimationRoutines(std::vector<uint8_t> programImage, std::unique_ptr<EeHarness> harness);
    void PrepareSetup(std::span<const uint8_t> animation);
    void RelocateModelBlock(uint32_t modelPointer);

    std::vector<uint8_t> image_;
    std::unique_ptr<EeHarness> harness_;
    std::shared_ptr<const std::vector<uint8_t>> modelFile_;
    size_t modelBytes_ = 0;
};

}  // namespace vertigon::mdls
