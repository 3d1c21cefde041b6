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

// Where palette p starts: the first of its 16 pieces, in the slot the palette order gives it.
uint64_t PaletteStart(const Container& c, uint32_t p) {
    const uint64_t slot = kPaletteSlotOrder[p % 8] + 8 * uint64_t{p / 8};
    return ByteReader::Add(c.paletteData, (slot / 4) * kPaletteBlockBytes + (slot % 4) * kPalettePieceBytes);
}

// Palette p: its raw 1024 bytes assembled from 16 pieces, then the B, G, R, A copy.
void ReadPalette(const ByteReader& file, const Container& c, uint32_t p, Model& model) {
    const auto block = file.Bytes(PaletteStart(c, p), 3 * 1024 + 3 * 256 + kPalettePieceBytes);
    const std::span<uint8_t, kPaletteSlotBytes> palette = model.PaletteSlot(static_cast<int32_t>(p));
    for (size_t r = 0; r < 4; ++r) {
        for (size_t col = 0; col < 4; ++col) {
            std::memcpy(&palette[r * 256 + col * 64], &block[r * 1024 + col * 256], kPalettePieceBytes);
        }
    }
    ConvertPalette(palette.first<kPaletteBytes>(), palette.last<kPaletteBytes>());
}

// One texture's upload: `bytes` of index words at `offset`, `width` words by `rows` rows.
struct Upload {
    uint32_t texture = 0;
    uint64_t offset = 0;
    uint32_t width = 0;
    uint32_t rows = 0;
    uint64_t bytes = 0;

    // In 64-word units, as the unswizzle takes them: the buffer's and the part read of it.
    uint32_t bufferWidth() const { return width / 64; }
    uint32_t readWidth() const { return static_cast<uint32_t>(uint64_t{width} * 2 / 64); }
};

// Texture k uses palette k; those past the palettes use palette 0.
int32_t PaletteOf(const Container& c, uint32_t k) { return k < c.paletteCount ? static_cast<int32_t>(k) : 0; }

// Calls `visit` with each upload in turn. Uploads follow one another from the pixel data on;
// they stop where the cursor passes the palette data, leaving the remaining textures empty.
// `visit` checks that the upload's bytes lie in the file before the walk moves past them.
template <typename Visit>
void ForEachUpload(const ByteReader& file, const Container& c, Visit visit) {
    uint64_t cursor = c.pixels;
    for (uint32_t k = 0; k < c.textureCount; ++k) {
        if (cursor > c.paletteData) break;
        const uint64_t sizeRecord = c.registers + kFirstUploadSize + uint64_t{k} * kRegisterRecordBytes;
        const uint32_t w = file.U32(sizeRecord);
        const uint32_t hr = file.U32(sizeRecord + 4);
        const uint64_t bytes = ByteReader::Mul(ByteReader::Mul(w, hr), 4);
        visit(Upload{k, cursor, w, hr, bytes});
        cursor = ByteReader::Add(cursor, bytes);
    }
}

}  // namespace

TextureLayout DescribeTextures(const ByteReader& file, uint64_t entry) {
    const Container c = ReadContainer(file, entry);
    TextureLayout layout;
    for (uint32_t p = 0; p < std::min(c.textureCount, c.paletteCount); ++p) {
        layout.palettes.push_back({PaletteStart(c, p), true});
    }
    layout.textures.resize(c.textureCount);
    ForEachUpload(file, c, [&](const Upload& u) {
        file.Require(u.offset, u.bytes);
        if (u.bytes == 0 || layout.palettes.empty()) return;
        layout.textures[u.texture] = {static_cast<int32_t>(layout.images.size()), PaletteOf(c, u.texture)};
        layout.images.push_back({u.offset, 2 * u.width, 2 * u.rows, true, u.bufferWidth(), u.readWidth()});
    });
    return layout;
}

void ReadTextures(const ByteReader& file, uint64_t entry, Model& model, GsMemoryImage& gs, WorkBudget& budget) {
    const Container c = ReadContainer(file, entry);
    budget.Take(c.textureCount, sizeof(Texture), "textures");
    budget.Take(c.paletteCount, 2 * kPaletteBytes, "palettes");
    model.textures.resize(c.textureCount);
    model.AllocatePalettes(c.paletteCount);
    for (uint32_t p = 0; p < std::min(c.textureCount, c.paletteCount); ++p) ReadPalette(file, c, p, model);

    std::vector<uint8_t> indices;
    ForEachUpload(file, c, [&](const Upload& u) {
        const uint32_t k = u.texture, w = u.width, hr = u.rows;
        // Each word holds four indices, each becoming four bytes of pixels.
        budget.Take(u.bytes, 16, "texture pixels");
        const auto words = file.Bytes(u.offset, u.bytes);
        if (!UnswizzlePsmt8(gs, words, w, hr, u.bufferWidth(), u.readWidth(), indices)) {
            Refuse("texture " + std::to_string(k) + " (" + std::to_string(w) + " x " + std::to_string(hr) +
                   " words) does not fit the graphics memory");
        }
        Texture& texture = model.textures[k];
        texture.width = static_cast<int32_t>(2 * w);
        texture.height = static_cast<int32_t>(2 * hr);
        if (!indices.empty()) {
            if (c.paletteCount == 0) Refuse("texture " + std::to_string(k) + " has no palette");
            IndicesToPixels(indices, model.ConvertedPalette(PaletteOf(c, k)), ExpandConsoleAlpha, texture.pixels);
        }
    });
}

}  // namespace vertigon::mdlx
