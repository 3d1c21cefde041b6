// 8-bit index images to B, G, R, A pixels, shared by every loader with palette textures.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "scene/model.h"

namespace vertigon {

// Console alpha to 8-bit alpha; the formats differ in how they round.
using AlphaRule = uint8_t (*)(uint8_t);

// Replaces `pixels` with one B, G, R, A pixel per index: the entry of the converted (B, G, R, A)
// palette with its alpha passed through `alpha`.
void IndicesToPixels(std::span<const uint8_t> indices, std::span<const uint8_t, kPaletteBytes> palette,
                     AlphaRule alpha, std::vector<uint8_t>& pixels);

}  // namespace vertigon
