#include "formats/raw/raw_textures.h"

#include <cstdio>

#include "formats/load_error.h"
#include "formats/ps2/gs_memory.h"
#include "formats/indexed_pixels.h"

namespace vertigon::raw {

namespace {

// Every image is multiplied by every palette, so a small file can ask for a great deal of
// pixel memory: the load's work budget is charged for it before anything is decoded.

constexpr uint64_t kPaletteEntryBytes = 16;
constexpr uint64_t kImageTableOffset = 16;  // from the data start; the 16 bytes before it are not read
constexpr uint64_t kImageEntryBytes = 32;

struct ImageEntry {
    uint32_t widthWords = 0;
    uint32_t heightRows = 0;
    uint64_t pixelOffset = 0;
};

ImageEntry ReadImageEntry(const ByteReader& file, const Chunk& chunk, uint32_t k) {
    const uint64_t entry = chunk.dataOffset() + kImageTableOffset + kImageEntryBytes * k;
    ImageEntry image;
    image.widthWords = file.U16(entry + 10);
    image.heightRows = file.U16(entry + 12);
    image.pixelOffset = ByteReader::Add(chunk.offset, file.U32(entry + 24));
    return image;
}

}  // namespace

void ReadPalettes(const ByteReader& file, const Chunk& chunk, Model& model) {
    const uint64_t table = chunk.dataOffset();
    file.RequireArray(table, chunk.count, kPaletteEntryBytes);
    model.AllocatePalettes(chunk.count);
    for (uint32_t p = 0; p < chunk.count; ++p) {
        const uint64_t at = ByteReader::Add(chunk.offset, file.U32(table + kPaletteEntryBytes * p + 12));
        const auto stored = file.Bytes(at, kPaletteBytes);
        auto slot = model.PaletteSlot(static_cast<int32_t>(p));
        std::copy(stored.begin(), stored.end(), slot.begin());
        ConvertPalette(std::span<const uint8_t, kPaletteBytes>(stored.data(), kPaletteBytes),
                       slot.subspan<kPaletteBytes, kPaletteBytes>());
    }
}

void ReadTextures(const ByteReader& file, const Chunk& chunk, Model& model, GsMemoryImage& gs,
                  WorkBudget& budget) {
    const uint32_t imageCount = chunk.count;
    const uint64_t paletteCount = static_cast<uint64_t>(model.paletteCount());
    file.RequireArray(chunk.dataOffset() + kImageTableOffset, imageCount, kImageEntryBytes);

    // Check the whole cost before decoding anything.
    const uint64_t textureCount = uint64_t{imageCount} * paletteCount;
    budget.Take(textureCount, sizeof(Texture), "textures");
    for (uint32_t k = 0; k < imageCount; ++k) {
        const ImageEntry image = ReadImageEntry(file, chunk, k);
        file.RequireArray(image.pixelOffset, uint64_t{image.widthWords} * image.heightRows, 4);
        // A 2W x 2H texture of 4 bytes per pixel for every palette.
        budget.Take(uint64_t{image.widthWords} * image.heightRows * 16, paletteCount, "texture pixels");
    }

    model.textures.resize(textureCount);
    std::vector<uint8_t> indices;
    for (uint32_t k = 0; k < imageCount; ++k) {
        const ImageEntry image = ReadImageEntry(file, chunk, k);
        const uint32_t w = image.widthWords;
        const uint32_t h = image.heightRows;
        const auto words = file.Bytes(image.pixelOffset, uint64_t{w} * h * 4);
        // Buffer widths twice those of the MDLX format: W div 32 to write, W div 16 to read.
        if (!UnswizzlePsmt8(gs, words, w, h, w / 32, w / 16, indices)) {
            Refuse("texture image ", k, " (", w, " x ", h, " words) does not fit the graphics memory");
        }
        for (uint64_t p = 0; p < paletteCount; ++p) {
            const auto palette = model.ConvertedPalette(static_cast<int32_t>(p));
            Texture& texture = model.textures[paletteCount * k + p];
            texture.width = static_cast<int32_t>(2 * w);
            texture.height = static_cast<int32_t>(2 * h);
            IndicesToPixels(indices, palette, ExpandConsoleAlpha, texture.pixels);
        }
    }
}

TextureLayout DescribeTextures(const ByteReader& file, const Chunk& images, const Chunk& palettes) {
    TextureLayout layout;
    const uint64_t table = palettes.dataOffset();
    file.RequireArray(table, palettes.count, kPaletteEntryBytes);
    for (uint32_t p = 0; p < palettes.count; ++p) {
        layout.palettes.push_back({ByteReader::Add(palettes.offset, file.U32(table + kPaletteEntryBytes * p + 12))});
    }
    file.RequireArray(images.dataOffset() + kImageTableOffset, images.count, kImageEntryBytes);
    for (uint32_t k = 0; k < images.count; ++k) {
        const ImageEntry image = ReadImageEntry(file, images, k);
        const uint32_t w = image.widthWords;
        const uint32_t h = image.heightRows;
        layout.images.push_back({image.pixelOffset, 2 * w, 2 * h, true, w / 32, w / 16});
        for (uint32_t p = 0; p < palettes.count; ++p) {
            layout.textures.push_back({static_cast<int32_t>(k), static_cast<int32_t>(p)});
        }
    }
    return layout;
}

}  // namespace vertigon::raw
