// Texture pixels as models keep them (B, G, R, A) and as pictures hold them (R, G, B, A).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace vertigon {

// Whether `pixels` holds exactly width x height four-byte pixels of a non-empty image.
bool HoldsPixels(int32_t width, int32_t height, size_t byteCount);

// B, G, R, A to R, G, B, A or back: the same exchange of the first and third byte.
std::vector<uint8_t> SwapRedBlue(std::span<const uint8_t> pixels);

}  // namespace vertigon
