// The animation members of an FFB archive ("1.ffa" to "4.ffa"): per-bone, per-frame curves
// compressed into 2-bit channel codes and a value stream, decoded at load time into one key
// per frame.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "formats/byte_reader.h"
#include "formats/work_budget.h"
#include "scene/animation.h"

namespace vertigon::ffb {

// How a channel's frames are stored.
enum ChannelCode : uint8_t {
    kChannelZero = 0,      // every frame 0
    kChannelFull = 1,      // every frame the scaled value of 4096
    kChannelConstant = 2,  // one s16 for every frame
    kChannelDeltas = 3,    // a block length, then a delta byte stream
};

// Raw values of a code-3 channel: the running sums of its delta stream, one per frame. The
// stream starts at `offset` (just after the block length). Throws FormatError when the
// stream runs past the member.
std::vector<float> DecodeDeltaStream(const ByteReader& member, uint64_t offset, uint32_t frameCount);

// Every animation of the member, in directory order: KeyframeAnimations named
// "Animation %03d", speed 0.5, one track per bone with one key per frame.
std::vector<std::unique_ptr<Animation>> DecodeAnimations(const ByteReader& member, WorkBudget& budget);

}  // namespace vertigon::ffb
