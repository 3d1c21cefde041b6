// The texture section of model.ffm: texture entries naming an image and a palette, the
// palettes, and the 8-bit index images. Palettes and images sit at positions that are 96
// modulo 128 counted from the start of the member.
#include <array>
#include <cmath>
#include <string>

#include "formats/ffb/ffm_model.h"
#include "formats/ffb/ffm_parts.h"
#include "formats/indexed_pixels.h"
#include "formats/texture_layout.h"

namespace vertigon::ffb {

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

uint8_t ExpandAlphaRounded(uint8_t consoleAlpha) {
    return static_cast<uint8_t>(std::lround(consoleAlpha * 0.0078125 * 255.0) & 0xFF);
}

namespace {

// The texture section's tables: texture entries, the offset of each palette's 1024 bytes and
// of each image's indices.
struct TextureTables {
    std::vector<TextureEntry> textures;
    std::vector<uint64_t> palettes;
    std::vector<uint64_t> images;
};

TextureTables ReadTextureTables(const ByteReader& ffm, uint64_t t) {
    const uint64_t textureCount = ffm.U32(ByteReader::Add(t, 0x04));
    const uint64_t paletteCount = ffm.U16(ByteReader::Add(t, 0x08));
    const uint64_t imageCount = ffm.U32(ByteReader::Add(t, 0x0C));
    const uint64_t entries = ByteReader::Add(t, 0x20);
    RequireTable(ffm, entries, textureCount, kTextureEntryBytes);

    TextureTables tables;
    tables.textures.resize(textureCount);
    for (uint64_t i = 0; i < textureCount; ++i) {
        const uint64_t e = entries + i * kTextureEntryBytes;
        tables.textures[i] = {ffm.U8(e + 4), ffm.U8(e + 5), ffm.U16(e + 8), ffm.U16(e + 10)};
        if (tables.textures[i].image >= imageCount) Refuse("texture ", i, " names an image beyond the image table");
        if (tables.textures[i].palette >= paletteCount) Refuse("texture ", i, " names a palette beyond the palette table");
    }

    uint64_t position = AlignToBlock(ByteReader::Add(ByteReader::Add(t, 0x24), 8 * paletteCount + 16 * textureCount));
    if (paletteCount != 0) {
        // The last palette must lie in the member before any room is made for them.
        ffm.Require(ByteReader::Add(position, (paletteCount - 1) * kPaletteStride + kBlockLeadBytes), kPaletteBytes);
    }
    tables.palettes.resize(paletteCount);
    for (uint64_t i = 0; i < paletteCount; ++i) {
        tables.palettes[i] = ByteReader::Add(position, kBlockLeadBytes);
        position = ByteReader::Add(position, i + 1 == paletteCount ? kLastPaletteStride : kPaletteStride);
    }

    // Image entries follow the palettes; the data of each image starts 32 bytes after the next
    // aligned position, counted on from the entries themselves.
    RequireTable(ffm, position, imageCount, kImageEntryBytes);
    tables.images.resize(imageCount);
    uint64_t data = position;
    for (uint64_t i = 0; i < imageCount; ++i) {
        const uint64_t e = position + i * kImageEntryBytes;
        const int16_t width = ffm.S16(e + 8);
        const int16_t height = ffm.S16(e + 10);
        if (width < 0 || height < 0) Refuse("image ", i, " has a negative width or height");
        tables.images[i] = ByteReader::Add(AlignToBlock(data), kBlockLeadBytes);
        data = ByteReader::Add(tables.images[i], static_cast<uint64_t>(width) * static_cast<uint64_t>(height));
    }
    return tables;
}

}  // namespace

void DecodeTextures(const ByteReader& ffm, uint64_t t, Model& model, WorkBudget& budget) {
    const TextureTables tables = ReadTextureTables(ffm, t);
    // Palettes, converted to B, G, R, A in index order.
    std::vector<std::array<uint8_t, kPaletteBytes>> palettes(tables.palettes.size());
    for (size_t i = 0; i < palettes.size(); ++i) {
        const std::span<const uint8_t> raw = ffm.Bytes(tables.palettes[i], kPaletteBytes);
        ConvertPalette(std::span<const uint8_t, kPaletteBytes>(raw.data(), kPaletteBytes), palettes[i]);
    }

    model.textures.clear();
    model.textures.reserve(tables.textures.size());
    for (const TextureEntry& entry : tables.textures) {
        const uint64_t pixelCount = uint64_t{entry.width} * entry.height;
        const std::span<const uint8_t> indices = ffm.Bytes(tables.images[entry.image], pixelCount);
        budget.Take(pixelCount, 4, "texture pixels");
        Texture texture;
        texture.width = static_cast<int32_t>(entry.width);
        texture.height = static_cast<int32_t>(entry.height);
        IndicesToPixels(indices, palettes[entry.palette], ExpandAlphaRounded, texture.pixels);
        model.textures.push_back(std::move(texture));
    }
}

TextureLayout DescribeModelTextures(const ByteReader& ffm, uint64_t base) {
    const TextureTables tables = ReadTextureTables(ffm, ffm.U32(0x18));
    TextureLayout layout;
    layout.alpha = ExpandAlphaRounded;
    for (uint64_t palette : tables.palettes) layout.palettes.push_back({ByteReader::Add(base, palette)});
    // One place per texture entry, as each reads its own width x height from its image's start;
    // entries naming the same image share it.
    std::vector<int32_t> placeOfImage(tables.images.size(), -1);
    for (const TextureEntry& entry : tables.textures) {
        int32_t& place = placeOfImage[entry.image];
        const IndexImagePlace wanted{ByteReader::Add(base, tables.images[entry.image]), entry.width, entry.height};
        if (place < 0 || layout.images[static_cast<size_t>(place)].width != entry.width ||
            layout.images[static_cast<size_t>(place)].height != entry.height) {
            place = static_cast<int32_t>(layout.images.size());
            layout.images.push_back(wanted);
        }
        layout.textures.push_back({place, static_cast<int32_t>(entry.palette)});
    }
    return layout;
}

}  // namespace vertigon::ffb
