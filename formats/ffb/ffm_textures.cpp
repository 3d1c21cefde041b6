// The texture section of model.ffm: texture entries naming an image and a palette, the
// palettes, and the 8-bit index images. Palettes and images sit at positions that are 96
// modulo 128 counted from the start of the member.
#include <array>
#include <cmath>
#include <string>

#include "formats/ffb/ffm_model.h"
#include "formats/ffb/ffm_parts.h"
#include "formats/indexed_pixels.h"

namespace vertigon {

namespace {

constexpr uint64_t kTextureEntryBytes = 16;
constexpr uint64_t kImageEntryBytes = 16;
constexpr uint64_t kBlockLeadBytes = 32;      // ahead of every palette and image
constexpr uint64_t kPaletteStride = 1152;     // from one palette's position to the next
constexpr uint64_t kLastPaletteStride = 1056;

// The first position at or after `offset` that is 96 modulo 128.
uint64_t AlignToBlock(uint64_t offset) {
    const uint64_t step = (96 + 128 - offset % 128) % 128;
    return ByteReader::Add(offset, step);
}

struct TextureEntry {
    uint32_t image;
    uint32_t palette;
    uint32_t width;
    uint32_t height;
};

}  // namespace

uint8_t FfmAlpha(uint8_t consoleAlpha) {
    return static_cast<uint8_t>(std::lround(consoleAlpha * 0.0078125 * 255.0) & 0xFF);
}

void DecodeFfmTextures(const ByteReader& ffm, uint64_t t, Model& model, WorkBudget& budget) {
    const uint64_t textureCount = ffm.U32(ByteReader::Add(t, 0x04));
    const uint64_t paletteCount = ffm.U16(ByteReader::Add(t, 0x08));
    const uint64_t imageCount = ffm.U32(ByteReader::Add(t, 0x0C));
    const uint64_t entries = ByteReader::Add(t, 0x20);
    RequireTable(ffm, entries, textureCount, kTextureEntryBytes);

    std::vector<TextureEntry> textureEntries(textureCount);
    for (uint64_t i = 0; i < textureCount; ++i) {
        const uint64_t e = entries + i * kTextureEntryBytes;
        textureEntries[i] = {ffm.U8(e + 4), ffm.U8(e + 5), ffm.U16(e + 8), ffm.U16(e + 10)};
        if (textureEntries[i].image >= imageCount) Refuse("texture ", i, " names an image beyond the image table");
        if (textureEntries[i].palette >= paletteCount) Refuse("texture ", i, " names a palette beyond the palette table");
    }

    // Palettes, converted to B, G, R, A in index order.
    uint64_t position = AlignToBlock(ByteReader::Add(ByteReader::Add(t, 0x24), 8 * paletteCount + 16 * textureCount));
    if (paletteCount != 0) {
        // The last palette must lie in the member before any room is made for them.
        ffm.Require(ByteReader::Add(position, (paletteCount - 1) * kPaletteStride + kBlockLeadBytes), kPaletteBytes);
    }
    std::vector<std::array<uint8_t, kPaletteBytes>> palettes(paletteCount);
    for (uint64_t i = 0; i < paletteCount; ++i) {
        const std::span<const uint8_t> raw = ffm.Bytes(ByteReader::Add(position, kBlockLeadBytes), kPaletteBytes);
        ConvertPalette(std::span<const uint8_t, kPaletteBytes>(raw.data(), kPaletteBytes), palettes[i]);
        position = ByteReader::Add(position, i + 1 == paletteCount ? kLastPaletteStride : kPaletteStride);
    }

    // Image entries follow the palettes; the data of each image starts 32 bytes after the next
    // aligned position, counted on from the entries themselves.
    RequireTable(ffm, position, imageCount, kImageEntryBytes);
    std::vector<uint64_t> imageData(imageCount);
    uint64_t data = position;
    for (uint64_t i = 0; i < imageCount; ++i) {
        const uint64_t e = position + i * kImageEntryBytes;
        const int16_t width = ffm.S16(e + 8);
        const int16_t height = ffm.S16(e + 10);
        if (width < 0 || height < 0) Refuse("image ", i, " has a negative width or height");
        imageData[i] = ByteReader::Add(AlignToBlock(data), kBlockLeadBytes);
        data = ByteReader::Add(imageData[i], static_cast<uint64_t>(width) * static_cast<uint64_t>(height));
    }

    model.textures.clear();
    model.textures.reserve(textureEntries.size());
    for (const TextureEntry& entry : textureEntries) {
        const uint64_t pixelCount = uint64_t{entry.width} * entry.height;
        const std::span<const uint8_t> indices = ffm.Bytes(imageData[entry.image], pixelCount);
        budget.Take(pixelCount, 4, "texture pixels");
        Texture texture;
        texture.width = static_cast<int32_t>(entry.width);
        texture.height = static_cast<int32_t>(entry.height);
        IndicesToPixels(indices, palettes[entry.palette], FfmAlpha, texture.pixels);
        model.textures.push_back(std::move(texture));
    }
}

}  // namespace vertigon
