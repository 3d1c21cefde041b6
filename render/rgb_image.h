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

// The same with straight (not premultiplied) alpha: width x height x 4.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;

    std::array<uint8_t, 4> At(int x, int y) const {
        const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
        return {pixels[i], pixels[i + 1], pixels[i + 2], pixels[i + 3]};
    }
};

// The picture with its background taken out, from two frames of the same drawing over black and
// over white: where the model covers a share a of a pixel, the frames differ by 1 - a, so blended
// and edge pixels keep their partial cover. Frames of different sizes give an empty image.
RgbaImage MatteFromBackgrounds(const RgbImage& overBlack, const RgbImage& overWhite);

// Write an 8-bit RGB or RGBA PNG; throw RenderError naming the path when they cannot.
void WritePng(const RgbImage& image, const std::string& path);
void WritePng(const RgbaImage& image, const std::string& path);

}  // namespace vertigon
