// PNG encoding in memory through libpng's simplified interface.
#pragma once

#include <cstdint>
#include <vector>

#include "scene/model.h"

namespace vertigon {

// An 8-bit R, G, B, A PNG of width x height pixels, rows top to bottom. Throws ExportError when
// the pixel count does not match or libpng refuses.
std::vector<uint8_t> EncodeRgbaPng(int32_t width, int32_t height, const std::vector<uint8_t>& rgba);

// A Model texture (B, G, R, A pixels) as the 8-bit R, G, B, A PNG of the pixels the viewer draws.
std::vector<uint8_t> EncodeTexturePng(const Texture& texture);

// Whether the texture holds width x height pixels the device would accept.
bool IsDrawableTexture(const Texture& texture);

}  // namespace vertigon
