// Finding and reading the user's copy of the game executable the emulator runs.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "formats/load_error.h"
#include "formats/loader_options.h"

namespace vertigon::mdls {

// The default places, in the order they are tried: $XDG_DATA_HOME/vertigon/ee-image.bin (or
// $HOME/.local/share/... when XDG_DATA_HOME is unset or empty), then ee-image.bin in
// `executableDirectory`. Places whose base is unknown are left out.
std::vector<std::string> DefaultEeImagePlaces(const char* xdgDataHome, const char* home,
                                              const std::string& executableDirectory);
// The same for this process.
std::vector<std::string> DefaultEeImagePlaces();

// The file to use: the one the options name, else the first default place that exists (when
// searching is on); empty when there is none.
std::string ChooseEeImage(const LoaderOptions& options);

// The image inflated: a plain ELF file is taken as it is, anything else is inflated as a zlib
// stream; either way it must come to exactly kProgramImageSize bytes.
std::vector<uint8_t> ReadEeImage(const std::string& path);

}  // namespace vertigon::mdls
