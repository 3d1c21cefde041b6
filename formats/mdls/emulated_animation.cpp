#include "formats/mdls/emulated_animation.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>


namespace vertigon::mdls {

EmulatedAnimation::EmulatedAnimation(std::shared_ptr<const AnimationSource> source, uint64_t offset, uint64_t size,
                                     int number)
    : source_(std::move(source)), offset_(offset), size_(size), serial_(source_->emulator->NextAnimationSerial()) {
    char text[32];
    std::snprintf(text, sizeof text, "anim%04d", number);
    SetName(text);
}

std::span<const uint8_t> EmulatedAnimation::data() const {
    return std::span<const uint8_t>(*source_->msetFile).subspan(offset_, size_);
}

void EmulatedAnimation::Rewind() {
    Animation::Rewind();
    stopped_ = false;
    Emulator& emulator = *source_->emulator;
    mdls::AnimationRoutines* routines = emulator.routines();
    if (!routines) {
        emulator.ReportUnavailableOnce();
        return;
    }
    emulator.preparedSerial = 0;
    Prepare(*routines);
}

bool EmulatedAnimation::Prepare(mdls::AnimationRoutines& routines) {
    Emulator& emulator = *source_->emulator;
    if (emulator.preparedSerial == serial_) return true;
    // Another model may have been loaded since; the set-up reads this model's block.
    routines.SetModelSource(source_->modelFile, source_->modelBlockSize);
    const RunResult result = routines.RunSetupRoutine(data());
    if (!result.finished()) {
        emulator.preparedSerial = 0;
        Stop("set-up", result);
        return false;
    }
    emulator.preparedSerial = serial_;
    return true;
}

void EmulatedAnimation::Apply(PoseTarget& target) {
    Emulator& emulator = *source_->emulator;
    mdls::AnimationRoutines* routines = emulator.routines();
    if (!routines) {
        emulator.ReportUnavailableOnce();
        Hold(target);
        return;
    }
    if (stopped_ || !Prepare(*routines)) {
        Hold(target);
        return;
    }
    routines->animationTime = time;
    const RunResult result = routines->RunFrameRoutine();
    if (!result.finished()) {
        Stop("frame", result);
        Hold(target);
        return;
    }
    const size_t bones = std::min(target.bones.size(), mdls::kPoseMatrixCount);
    for (size_t b = 0; b < bones; ++b) std::memcpy(target.bones[b].world.m, &routines->poseOutput[16 * b], 64);
    posed_ = true;
    if (target.poseDirty) {
        target.poseDirty = false;
        target.skinDirty = true;
    }
}

// Without a new pose the target keeps the one it has: the emulated matrices last written, or
// (before any) the rest pose the scene computes from the bones.
void EmulatedAnimation::Hold(PoseTarget& target) const {
    if (posed_) target.poseDirty = false;
}

void EmulatedAnimation::Stop(const char* routine, const RunResult& result) {
    stopped_ = true;
    std::string message = "animation " + std::string(GetName()) + " stopped: its " + routine + " routine ";
    switch (result.outcome) {
        case RunResult::Outcome::Fault: message += "faulted: "; break;
        case RunResult::Outcome::Refused: message += "cannot start: "; break;
        default: break;
    }
    message += result.message;
    source_->emulator->Report(message);
}

}  // namespace vertigon::mdls
