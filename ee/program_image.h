// Placing a program (an ELF32 little-endian executable) into emulated main memory: every
// loadable segment's file bytes are copied to main memory at p_paddr, used as an offset into the
// main-memory block. Nothing beyond p_filesz is cleared.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "ee/state.h"

namespace vertigon {

// The image cannot be placed: too short for its header, a program-header table or segment
// outside the file, or a segment that would not fit in main memory.
class ProgramImageError : public std::runtime_error {
public:
    // what() is "program image: <reason>".
    explicit ProgramImageError(const std::string& reason)
        : std::runtime_error("program image: " + reason), reason_(reason) {}
    const std::string& reason() const { return reason_; }

private:
    std::string reason_;
};

// What a loaded image's headers said: its ELF header and a copy of its program-header table
// (empty when the image has none).
struct ProgramHeaders {
    std::array<uint8_t, 52> elfHeader{};
    std::vector<uint8_t> table;
};

// Loads the segments and returns the headers. The whole image is checked before memory is
// touched, so a refused image changes nothing there.
ProgramHeaders LoadProgramImage(EeState& state, std::span<const uint8_t> image);

}  // namespace vertigon
