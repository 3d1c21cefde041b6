// Reducing an R, G, B, A picture to at most 256 colours, with dithering. The quantizer behind
// it (libimagequant) stays out of this header.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace vertigon {

using Rgba = std::array<uint8_t, 4>;

struct PalettedPixels {
    std::vector<Rgba> palette;     // at most 256 entries
    std::vector<uint8_t> indices;  // one per pixel, into `palette`
    int quality = 100;             // 0 to 100, as the quantizer rates its result
};

// A palette of at most `maxColours` (2 to 256) made for the picture, and the picture mapped onto
// it. Throws ImageError when the quantizer refuses.
PalettedPixels QuantizeRgba(int32_t width, int32_t height, std::span<const uint8_t> rgba, int maxColours);

// The picture mapped onto the given palette (1 to 256 entries), which is returned unchanged;
// indices name the first entry of each colour. Throws ImageError when the quantizer refuses.
PalettedPixels RemapRgba(int32_t width, int32_t height, std::span<const uint8_t> rgba, std::span<const Rgba> palette);

}  // namespace vertigon
