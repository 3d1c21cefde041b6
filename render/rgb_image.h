// A frame read back from the device: 8-bit R, G, B, rows top to bottom, as a person sees it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vertigon {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // width x height x 3

    std::array<uint8_t, 3> At(int x, int y) const {
        const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
        return {pixels[i], pixels[i + 1], pixels[i + 2]};
    }
};

// Writes an 8-bit RGB PNG; throws RenderError naming the path when it cannot.
void WritePng(const RgbImage& image, const std::string& path);

// Writes pixels stored B, G, R, A (a model texture's layout), rows top to bottom, as an 8-bit
// RGBA PNG; throws RenderError naming the path when the size does not match or it cannot.
void WriteBgraPng(int width, int height, const std::vector<uint8_t>& bgra, const std::string& path);

}  // namespace vertigon
