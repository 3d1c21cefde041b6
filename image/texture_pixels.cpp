#include "image/texture_pixels.h"

namespace vertigon {

bool HoldsPixels(int32_t width, int32_t height, size_t byteCount) {
    return width > 0 && height > 0 &&
           byteCount / 4 == static_cast<uint64_t>(width) * static_cast<uint64_t>(height) && byteCount % 4 == 0;
}

std::vector<uint8_t> SwapRedBlue(std::span<const uint8_t> pixels) {
    std::vector<uint8_t> out(pixels.begin(), pixels.end());
    for (size_t i = 0; i + 3 < out.size(); i += 4) std::swap(out[i], out[i + 2]);
    return out;
}

}  // namespace vertigon
