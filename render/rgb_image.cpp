#include "render/rgb_image.h"

#include <png.h>

#include <algorithm>
#include <cstring>

#include "render/render_error.h"

namespace vertigon {

namespace {

void WritePixels(int width, int height, const std::vector<uint8_t>& pixels, int channels, const std::string& path) {
    const size_t expected = static_cast<size_t>(width) * static_cast<size_t>(height) * static_cast<size_t>(channels);
    if (width <= 0 || height <= 0 || pixels.size() != expected) {
        throw RenderError("cannot write " + path + ": the image is empty or inconsistent");
    }
    // The simplified libpng interface reports failures through the structure, without longjmp.
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(width);
    png.height = static_cast<png_uint_32>(height);
    png.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    const int ok = png_image_write_to_file(&png, path.c_str(), 0, pixels.data(), width * channels, nullptr);
    const std::string message = png.message;
    png_image_free(&png);
    if (!ok) throw RenderError("cannot write " + path + ": " + message);
}

}  // namespace

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

void WritePng(const RgbImage& image, const std::string& path) {
    WritePixels(image.width, image.height, image.pixels, 3, path);
}

void WritePng(const RgbaImage& image, const std::string& path) {
    WritePixels(image.width, image.height, image.pixels, 4, path);
}

}  // namespace vertigon
