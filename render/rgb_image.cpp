#include "render/rgb_image.h"

#include <algorithm>
#include <cstring>

#include "image/image_error.h"
#include "image/png_codec.h"
#include "render/render_error.h"

namespace vertigon {


RgbaImage MatteFromBackgrounds(const RgbImage& overBlack, const RgbImage& overWhite) {
    RgbaImage image;
    const size_t count = static_cast<size_t>(overBlack.width) * static_cast<size_t>(overBlack.height);
    if (overBlack.width != overWhite.width || overBlack.height != overWhite.height ||
        overBlack.pixels.size() != count * 3 || overWhite.pixels.size() != count * 3) {
        return image;
    }
    image.width = overBlack.width;
    image.height = overBlack.height;
    image.pixels.resize(count * 4);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* black = &overBlack.pixels[i * 3];
        const uint8_t* white = &overWhite.pixels[i * 3];
        int uncovered = 0;  // three times 255 (1 - a)
        for (int c = 0; c < 3; ++c) uncovered += std::max(0, white[c] - black[c]);
        const int alpha = 255 - (uncovered + 1) / 3;
        uint8_t* out = &image.pixels[i * 4];
        // Over black the frame holds a x colour; dividing by a gives the colour back.
        for (int c = 0; c < 3; ++c) {
            out[c] = alpha == 0 ? 0 : static_cast<uint8_t>(std::min(255, (black[c] * 255 + alpha / 2) / alpha));
        }
        out[3] = static_cast<uint8_t>(alpha);
    }
    return image;
}

namespace {

void WritePixels(int width, int height, const std::vector<uint8_t>& pixels, int channels, const std::string& path) {
    try {
        WritePngFile(path, width, height, channels, pixels);
    } catch (const ImageError& failure) {
        throw RenderError("cannot write " + path + ": " + failure.what());
    }
}

}  // namespace

void WritePng(const RgbImage& image, const std::string& path) {
    WritePixels(image.width, image.height, image.pixels, 3, path);
}

void WritePng(const RgbaImage& image, const std::string& path) {
    WritePixels(image.width, image.height, image.pixels, 4, path);
}

}  // namespace vertigon
