#include "export/png_encoder.h"

#include <png.h>

#include <cstring>
#include <string>

#include "export/export_error.h"

namespace vertigon {

std::vector<uint8_t> EncodeRgbaPng(int32_t width, int32_t height, const std::vector<uint8_t>& rgba) {
    if (width <= 0 || height <= 0 ||
        rgba.size() != static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4u) {
        throw ExportError("an image of " + std::to_string(width) + " x " + std::to_string(height) +
                          " pixels does not hold " + std::to_string(rgba.size()) + " bytes");
    }
    // The simplified interface reports failures through the structure, without longjmp.
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(width);
    png.height = static_cast<png_uint_32>(height);
    png.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    const png_int_32 stride = width * 4;
    bool ok = png_image_write_to_memory(&png, nullptr, &size, 0, rgba.data(), stride, nullptr) != 0;
    std::vector<uint8_t> bytes;
    if (ok) {
        bytes.resize(size);
        ok = png_image_write_to_memory(&png, bytes.data(), &size, 0, rgba.data(), stride, nullptr) != 0;
        bytes.resize(size);
    }
    const std::string message = png.message;
    png_image_free(&png);
    if (!ok) throw ExportError("cannot encode a PNG image: " + message);
    return bytes;
}

bool IsDrawableTexture(const Texture& texture) {
    return texture.width > 0 && texture.height > 0 &&
           texture.pixels.size() == static_cast<uint64_t>(texture.width) * static_cast<uint64_t>(texture.height) * 4u;
}

std::vector<uint8_t> EncodeTexturePng(const Texture& texture) {
    if (!IsDrawableTexture(texture)) return EncodeRgbaPng(texture.width, texture.height, texture.pixels);
    std::vector<uint8_t> rgba(texture.pixels.size());
    for (size_t i = 0; i < rgba.size(); i += 4) {
        rgba[i] = texture.pixels[i + 2];
        rgba[i + 1] = texture.pixels[i + 1];
        rgba[i + 2] = texture.pixels[i];
        rgba[i + 3] = texture.pixels[i + 3];
    }
    return EncodeRgbaPng(texture.width, texture.height, rgba);
}

}  // namespace vertigon
