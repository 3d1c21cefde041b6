#include "formats/indexed_pixels.h"

#include <array>
#include <cstring>

namespace vertigon {

void IndicesToPixels(std::span<const uint8_t> indices, std::span<const uint8_t, kPaletteBytes> palette,
                     AlphaRule alpha, std::vector<uint8_t>& pixels) {
    // The 256 finished colours first, so each pixel is one four-byte copy.
    std::array<std::array<uint8_t, 4>, 256> colours;
    for (size_t i = 0; i < 256; ++i) {
        colours[i] = {palette[4 * i], palette[4 * i + 1], palette[4 * i + 2], alpha(palette[4 * i + 3])};
    }
    pixels.resize(indices.size() * 4);
    uint8_t* out = pixels.data();
    for (uint8_t index : indices) {
        std::memcpy(out, colours[index].data(), 4);
        out += 4;
    }
}

}  // namespace vertigon
