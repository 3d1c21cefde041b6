#include "render/rgb_image.h"

#include <png.h>

#include <cstring>

#include "render/render_error.h"

namespace vertigon {

void WritePng(const RgbImage& image, const std::string& path) {
    const size_t expected = static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3;
    if (image.width <= 0 || image.height <= 0 || image.pixels.size() != expected) {
        throw RenderError("cannot write " + path + ": the image is empty or inconsistent");
    }
    // The simplified libpng interface reports failures through the structure, without longjmp.
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    const int ok = png_image_write_to_file(&png, path.c_str(), 0, image.pixels.data(), image.width * 3, nullptr);
    const std::string message = png.message;
    png_image_free(&png);
    if (!ok) throw RenderError("cannot write " + path + ": " + message);
}

}  // namespace vertigon
