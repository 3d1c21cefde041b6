// What the user chooses for the loaders at start-up.
#pragma once

#include <cstdint>
#include <string>

#include "formats/work_budget.h"

namespace vertigon {

struct LoaderOptions {
    // The EE program image MDLS animations run in (plain ELF or zlib-compressed). When empty,
    // the first existing one of $XDG_DATA_HOME/vertigon/ee-image.bin (XDG_DATA_HOME defaulting
    // to ~/.local/share) and ee-image.bin beside the executable.
    std::string eeImagePath;
    // Whether those default places are looked at (tests turn it off).
    bool searchDefaultEeImagePlaces = true;
    // The most one load may build, whatever the file's size allows (fuzzing lowers it).
    uint64_t maxWorkBytes = WorkBudget::kMaxBytes;
};

}  // namespace vertigon
