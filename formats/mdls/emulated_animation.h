// An MDLS animation whose poses come from the game's own routines: Rewind runs the set-up
// routine on the animation's block, Apply runs the frame routine for the current time and takes
// one world matrix per bone out of emulated memory.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "formats/mdls/mdls_emulator.h"
#include "scene/animation.h"

namespace vertigon::mdls {

// What the animations of one MDLS file share: the emulator, the copy of the model file the
// set-up routine reads as its model block, and the companion file holding their blocks.
struct AnimationSource {
    std::shared_ptr<Emulator> emulator;
    std::shared_ptr<const std::vector<uint8_t>> modelFile;
    size_t modelBlockSize = 0;
    std::shared_ptr<const std::vector<uint8_t>> msetFile;
};

class EmulatedAnimation final : public Animation {
public:
    // The clock wraps to 0 only after this many frames.
    static constexpr float kLength = 1'000'000.0f;

    // Named "anim%04d" after `number`; the block is `size` bytes at `offset` of the MSET file.
    EmulatedAnimation(std::shared_ptr<const AnimationSource> source, uint64_t offset, uint64_t size, int number);

    // Sets the target's bone world matrices from the frame routine and, if its pose was marked
    // dirty, clears that and marks the skin dirty, so the matrices are kept and re-skinned. When
    // the routine cannot run (no program image, a fault, no stop within the step bound) the
    // target keeps its pose, the user is told once, and the animation stays still until rewound.
    void Apply(PoseTarget& target) override;
    float GetLength() const override { return kLength; }
    bool HasLength() const override { return false; }
    // time = 0, then the set-up routine.
    void Rewind() override;
    bool CanPlay() const override { return source_->emulator->routines() != nullptr; }
    bool Stopped() const override { return stopped_; }

    std::span<const uint8_t> data() const;

private:
    // Runs the set-up routine unless the emulated memory already holds it; false on failure.
    bool Prepare(mdls::AnimationRoutines& routines);
    void Stop(const char* routine, const RunResult& result);
    void Hold(PoseTarget& target) const;

    std::shared_ptr<const AnimationSource> source_;
    uint64_t offset_ = 0;
    uint64_t size_ = 0;
    uint64_t serial_ = 0;
    bool stopped_ = false;  // a run failed; nothing runs until the next Rewind
    bool posed_ = false;    // emulated matrices have been written into a target
};

}  // namespace vertigon::mdls
