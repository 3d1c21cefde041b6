#include "render/rgb_image.h"

#include <png.h>

#include <cstring>

#include "render/render_error.h"

namespace vertigon {

namespace {

void WritePngFile(int width, int height, int channels, png_uint_32 format, const std::vector<uint8_t>& pixels,
                  const std::string& path) {
    const uint64_t expected = uint64_t{static_cast<uint32_t>(width)} * uint64_t{static_cast<uint32_t>(height)} *
                              static_cast<uint64_t>(channels);
    if (width <= 0 || height <= 0 || width > (1 << 24) / channels || pixels.size() != expected) {
        throw RenderError("cannot write " + path + ": the image is empty or inconsistent");
    }
    // The simplified libpng interface reports failures through the structure, without longjmp.
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(width);
    png.height = static_cast<png_uint_32>(height);
    png.format = format;
    const int ok = png_image_write_to_file(&png, path.c_str(), 0, pixels.data(), width * channels, nullptr);
    const std::string message = png.message;
    png_image_free(&png);
    if (!ok) throw RenderError("cannot write " + path + ": " + message);
}

}  // namespace

void WritePng(const RgbImage& image, const std::string& path) {
    WritePngFile(image.width, image.height, 3, PNG_FORMAT_RGB, image.pixels, path);
}

void WriteBgraPng(int width, int height, const std::vector<uint8_t>& bgra, const std::string& path) {
    WritePngFile(width, height, 4, PNG_FORMAT_BGRA, bgra, path);
}

}  // namespace vertigon
