// Where a model file keeps the index images and palettes of its textures, so that they can be
// read and written in place. Each format describes its file with the same offsets its loader
// reads; the writer then changes nothing but those bytes.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "formats/indexed_pixels.h"
#include "formats/ps2/gs_memory.h"

namespace vertigon {

// An 8-bit index image: width x height bytes row by row at `offset`, or, when `swizzled`, a
// W x Hr word upload at `offset` that the graphics memory turns into the 2W x 2Hr image.
struct IndexImagePlace {
    uint64_t offset = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    bool swizzled = false;
    uint32_t writeWidth = 0;  // buffer widths of the unswizzle, in 64-pixel units
    uint32_t readWidth = 0;

    uint64_t StoredBytes() const { return uint64_t{width} * height; }  // the same for both forms
};

// 256 entries of R, G, B, A in the console's entry order (entries 8-15 and 16-23 of every 32
// exchanged), either 1024 bytes at `offset` or, when `pieces`, 16 pieces of 64 bytes: bytes
// r x 256 + c x 64 of the palette at offset + r x 1024 + c x 256.
struct PalettePlace {
    uint64_t offset = 0;
    bool pieces = false;
};

// Which image and palette a model texture is made of; -1 for a texture the file holds no
// pixels for.
struct TextureSource {
    int32_t image = -1;
    int32_t palette = -1;
};

struct TextureLayout {
    std::vector<IndexImagePlace> images;
    std::vector<PalettePlace> palettes;
    std::vector<TextureSource> textures;  // one per model texture, in model order
    AlphaRule alpha = ExpandConsoleAlpha;
};

// A palette in index order, each entry R, G, B and the alpha as stored (0-128 is the console's
// range).
using StoredPalette = std::array<std::array<uint8_t, 4>, 256>;

// Reads and writes of the places in `file`; they throw FormatError for a place outside it.
std::vector<uint8_t> ReadIndexImage(std::span<const uint8_t> file, const IndexImagePlace& place, GsMemoryImage& gs);
// Throws FormatError, changing nothing, when the swizzled layout cannot hold `indices` exactly.
void WriteIndexImage(std::span<uint8_t> file, const IndexImagePlace& place, std::span<const uint8_t> indices,
                     GsMemoryImage& gs);
StoredPalette ReadStoredPalette(std::span<const uint8_t> file, const PalettePlace& place);
void WriteStoredPalette(std::span<uint8_t> file, const PalettePlace& place, const StoredPalette& palette);

// Checks that every place of the layout lies inside `file`; throws FormatError otherwise.
void RequireLayoutInside(std::span<const uint8_t> file, const TextureLayout& layout);

}  // namespace vertigon
