// What the user chooses for the loaders at start-up.
#pragma once

#include <string>

namespace vertigon {

struct LoaderOptions {
    // The EE program image MDLS animations run in (plain ELF or zlib-compressed). When empty,
    // the first existing one of $XDG_DATA_HOME/vertigon/ee-image.bin (XDG_DATA_HOME defaulting
    // to ~/.local/share) and ee-image.bin beside the executable.
    std::string eeImagePath;
    // Whether those default places are looked at (tests turn it off).
    bool searchDefaultEeImagePlaces = true;
};

}  // namespace vertigon
