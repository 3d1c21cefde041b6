// Splits the companion MSET file of an MDLS model into the animation blocks the game's set-up
// routine takes. Only entry 0 of the file is used; its motion block lists the animations.
#pragma once

#include <cstdint>
#include <vector>

#include "formats/byte_reader.h"

namespace vertigon::mdls {

struct AnimationBlock {
    uint64_t offset = 0;  // in the file
    uint64_t size = 0;
};

// One block per listed offset, in order; the last ends at the end of the file. Throws
// FormatError when the list or a block lies outside the file or the offsets go backwards.
std::vector<AnimationBlock> ReadAnimationBlocks(const ByteReader& file);

}  // namespace vertigon::mdls
