#include "formats/mdlx/mdlx_textures.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "formats/load_error.h"
#include "formats/ps2/gs_memory.h"
#include "formats/indexed_pixels.h"
#include "formats/texture_layout.h"

namespace vertigon::mdlx {

namespace {

// A container that starts with this word has a 128-byte prefix.
constexpr uint32_t kPrefixedContainer = 0xFFFFFFFF;
constexpr uint64_t kPrefixBytes = 128;
// Upload size (words across, rows down) of texture k: u32 pair at R + 0xD0 + 144 k.
constexpr uint64_t kFirstUploadSize = 0xD0;
constexpr uint64_t kRegisterRecordBytes = 144;
// Palettes are stored interleaved in graphics memory blocks: palette p lies in slot
// x = kPaletteSlotOrder[p mod 8] + 8 (p div 8); four slots share one 4096-byte block, each
// palette as 16 pieces of 64 bytes, 256 bytes apart across and 1024 bytes apart down.
constexpr uint8_t kPaletteSlotOrder[8] = {0, 1, 4, 5, 2, 3, 6, 7};
constexpr uint64_t kPaletteBlockBytes = 4096;
constexpr uint64_t kPalettePieceBytes = 64;

struct Container {
    uint64_t start = 0;
    uint32_t textureCount = 0;
    uint32_t paletteCount = 0;
    uint64_t registers = 0;  // absolute offsets from here on
    uint64_t pixels = 0;
    uint64_t paletteData = 0;
};

Container ReadContainer(const ByteReader& file, uint64_t entry) {
    Container c;
    c.start = file.U32(entry) == kPrefixedContainer ? ByteReader::Add(entry, kPrefixBytes) : entry;
    c.textureCount = file.U32(ByteReader::Add(c.start, 8));
    c.paletteCount = file.U32(c.start + 12);
    c.registers = ByteReader::Add(c.start, file.U32(c.start + 20));
    c.pixels = ByteReader::Add(c.start, file.U32(c.start + 28));
    c.paletteData = ByteReader::Add(c.start, file.U32(c.start + 32));

    // Every palette takes 1 KiB and every texture a register record in the file; counts beyond
    // that cannot be genuine and would only ask for memory.
    if (c.paletteCount > file.size() / kPaletteBytes) {
        Refuse("the texture entry claims " + std::to_string(c.paletteCount) +
                          " palettes, more than the file can hold");
    }
    if (c.textureCount > 0) {
        const uint64_t last = ByteReader::Mul(c.textureCount - 1, kRegisterRecordBytes);
        file.Require(ByteReader::Add(ByteReader::Add(c.registers, kFirstUploadSize), last), 8);
    }
    return c;
}

// Palette p: its raw 1024 bytes assembled from 16 pieces, then the B, G, R, A copy.
void ReadPalette(const ByteReader& file, const Container& c, uint32_t p, Model& model) {
    const uint64_t slot = kPaletteSlotOrder[p % 8] + 8 * uint64_t{p / 8};
    const uint64_t source =
        ByteReader::Add(c.paletteData, (slot / 4) * kPaletteBlockBytes + (slot % 4) * kPalettePieceBytes);
    const auto block = file.Bytes(source, 3 * 1024 + 3 * 256 + kPalettePieceBytes);
    const std::span<uint8_t, kPaletteSlotBytes> palette = model.PaletteSlot(static_cast<int32_t>(p));
    for (size_t r = 0; r < 4; ++r) {
        for (size_t col = 0; col < 4; ++col) {
            std::memcpy(&palette[r * 256 + col * 64], &block[r * 1024 + col * 256], kPalettePieceBytes);
        }
    }
    ConvertPalette(palette.first<kPaletteBytes>(), palette.last<kPaletteBytes>());
}

}  // namespace

TextureLayout DescribeTextures(const ByteReader& file, uint64_t entry) {
    const Container c = ReadContainer(file, entry);
    TextureLayout layout;
    for (uint32_t p = 0; p < std::min(c.textureCount, c.paletteCount); ++p) {
        const uint64_t slot = kPaletteSlotOrder[p % 8] + 8 * uint64_t{p / 8};
        const uint64_t source =
            ByteReader::Add(c.paletteData, (slot / 4) * kPaletteBlockBytes + (slot % 4) * kPalettePieceBytes);
        layout.palettes.push_back({source, true});
    }
    layout.textures.resize(c.textureCount);
    uint64_t cursor = c.pixels;
    for (uint32_t k = 0; k < c.textureCount; ++k) {
        if (cursor > c.paletteData) break;
        const uint64_t uploadSize = c.registers + kFirstUploadSize + uint64_t{k} * kRegisterRecordBytes;
        const uint32_t w = file.U32(uploadSize);
        const uint32_t hr = file.U32(uploadSize + 4);
        const uint64_t bytes = ByteReader::Mul(ByteReader::Mul(w, hr), 4);
        file.Require(cursor, bytes);
        if (bytes != 0 && !layout.palettes.empty()) {
            const auto readWidth = static_cast<uint32_t>(uint64_t{w} * 2 / 64);
            layout.textures[k] = {static_cast<int32_t>(layout.images.size()), k < c.paletteCount ? static_cast<int32_t>(k) : 0};
            layout.images.push_back({cursor, 2 * w, 2 * hr, true, w / 64, readWidth});
        }
        cursor += bytes;
    }
    return layout;
}

void ReadTextures(const ByteReader& file, uint64_t entry, Model& model, GsMemoryImage& gs, WorkBudget& budget) {
    const Container c = ReadContainer(file, entry);
    budget.Take(c.textureCount, sizeof(Texture), "textures");
    budget.Take(c.paletteCount, 2 * kPaletteBytes, "palettes");
    model.textures.resize(c.textureCount);
    model.AllocatePalettes(c.paletteCount);
    for (uint32_t p = 0; p < std::min(c.textureCount, c.paletteCount); ++p) ReadPalette(file, c, p, model);

    // Uploads follow one another from the pixel data on; they stop where the cursor passes the
    // palette data, leaving the remaining textures empty.
    std::vector<uint8_t> indices;
    uint64_t cursor = c.pixels;
    for (uint32_t k = 0; k < c.textureCount; ++k) {
        if (cursor > c.paletteData) break;
        const uint64_t uploadSize = c.registers + kFirstUploadSize + uint64_t{k} * kRegisterRecordBytes;
        const uint32_t w = file.U32(uploadSize);
        const uint32_t hr = file.U32(uploadSize + 4);
        const uint64_t bytes = ByteReader::Mul(ByteReader::Mul(w, hr), 4);
        // Each word holds four indices, each becoming four bytes of pixels.
        budget.Take(bytes, 16, "texture pixels");
        const auto words = file.Bytes(cursor, bytes);
        const auto readWidth = static_cast<uint32_t>(uint64_t{w} * 2 / 64);
        if (!UnswizzlePsmt8(gs, words, w, hr, w / 64, readWidth, indices)) {
            Refuse("texture " + std::to_string(k) + " (" + std::to_string(w) + " x " + std::to_string(hr) +
                              " words) does not fit the graphics memory");
        }
        Texture& texture = model.textures[k];
        texture.width = static_cast<int32_t>(2 * w);
        texture.height = static_cast<int32_t>(2 * hr);
        if (!indices.empty()) {
            if (c.paletteCount == 0) Refuse("texture " + std::to_string(k) + " has no palette");
            const int32_t palette = k < c.paletteCount ? static_cast<int32_t>(k) : 0;
            IndicesToPixels(indices, model.ConvertedPalette(palette), ExpandConsoleAlpha, texture.pixels);
        }
        cursor += bytes;
    }
}

}  // namespace vertigon::mdlx
