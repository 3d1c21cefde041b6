// PNG files in memory through libpng: 8-bit RGB or RGBA out, any PNG in as 8-bit RGBA.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vertigon {

// Width x height pixels of 8-bit R, G, B, A (straight alpha), rows top to bottom.
struct RgbaPixels {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;
};

// A PNG of width x height pixels with `channels` 3 (R, G, B) or 4 (R, G, B, A) bytes each.
// Throws ImageError when the pixel count does not match or libpng refuses.
std::vector<uint8_t> EncodePng(int32_t width, int32_t height, int channels, std::span<const uint8_t> pixels);

// The same, written to `path` (under a temporary name, renamed when complete). Throws ImageError
// naming the path when it cannot be written.
void WritePngFile(const std::string& path, int32_t width, int32_t height, int channels,
                  std::span<const uint8_t> pixels);

// Any PNG (every colour type and bit depth) converted by libpng's transformations to 8-bit
// R, G, B, A: palettes and grey expanded, 16-bit samples reduced, opaque alpha added. Throws
// ImageError with libpng's reason when the bytes do not decode or the image exceeds
// `maxPixels`.
RgbaPixels DecodePng(std::span<const uint8_t> png, uint64_t maxPixels = uint64_t{1} << 26);

// The PNG file at `path`, decoded as DecodePng does. Throws ImageError naming the path.
RgbaPixels ReadPngFile(const std::string& path);

}  // namespace vertigon
