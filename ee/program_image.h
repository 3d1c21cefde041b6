// Placing a program (an ELF32 little-endian executable) into emulated main memory: every
// loadable segment's file bytes are copied to main memory at p_paddr, used as an offset into the
// main-memory block. Nothing beyond p_filesz is cleared.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

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

// Copies the ELF header and program-header table into the state and loads the segments. The
// whole image is checked before memory is touched, so a refused image changes nothing there.
void LoadProgramImage(EeState& state, std::span<const uint8_t> image);

}  // namespace vertigon
