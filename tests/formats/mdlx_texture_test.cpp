// Textures and palettes of MDLX models.
#include <cstring>

#include <gtest/gtest.h>

#include "formats/load_error.h"
#include "tests/fixtures/mdlx_writer.h"
#include "tests/formats/mdlx_test_support.h"

namespace vertigon {
namespace {

using testing::LoadMdlx;
using testing::MdlxDescription;
using testing::MdlxPalette;

// Index of pixel (x, y): a pattern that differs across rows, columns and blocks.
uint8_t PatternIndex(uint32_t x, uint32_t y) { return static_cast<uint8_t>(x * 7 + y * 13 + (x / 16) * 3); }

MdlxPalette DistinctPalette(uint8_t seed) {
    MdlxPalette palette{};
    for (size_t i = 0; i < 256; ++i) {
        const uint8_t alpha = i % 3 == 0 ? 0x80 : i % 3 == 1 ? 0x40 : 0;
        palette[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i * 3 + seed), alpha};
    }
    return palette;
}

MdlxDescription WithTextures(std::vector<testing::MdlxTexture> textures, std::vector<MdlxPalette> palettes) {
    MdlxDescription d;
    d.textures = std::move(textures);
    d.palettes = std::move(palettes);
    return d;
}

std::array<uint8_t, 4> Pixel(const Texture& t, uint32_t x, uint32_t y) {
    const size_t at = (size_t{y} * static_cast<uint32_t>(t.width) + x) * 4;
    return {t.pixels[at], t.pixels[at + 1], t.pixels[at + 2], t.pixels[at + 3]};
}

TEST(MdlxTextures, IndicesBecomeBgraThroughTheTexturesPalette) {
    constexpr uint32_t kWidth = 128, kHeight = 64;
    std::vector<uint8_t> indices(kWidth * kHeight);
    for (uint32_t y = 0; y < kHeight; ++y) {
        for (uint32_t x = 0; x < kWidth; ++x) indices[y * kWidth + x] = PatternIndex(x, y);
    }
    const MdlxPalette palette = DistinctPalette(5);
    for (bool prefixed : {false, true}) {
        MdlxDescription d = WithTextures({testing::SwizzledTexture(kWidth, kHeight, indices)}, {palette});
        d.prefixedTextures = prefixed;
        const auto model = LoadMdlx(d);
        ASSERT_EQ(model->textureCount(), 1);
        const Texture& t = model->textures[0];
        ASSERT_EQ(t.width, 128);
        ASSERT_EQ(t.height, 64);
        ASSERT_EQ(t.pixels.size(), 128u * 64u * 4u);
        int mismatches = 0;
        for (uint32_t y = 0; y < kHeight; ++y) {
            for (uint32_t x = 0; x < kWidth; ++x) {
                const auto& c = palette[PatternIndex(x, y)];
                const std::array<uint8_t, 4> bgra = {c[2], c[1], c[0], ExpandConsoleAlpha(c[3])};
                mismatches += Pixel(t, x, y) != bgra;
            }
        }
        EXPECT_EQ(mismatches, 0) << (prefixed ? "prefixed container" : "plain container");
    }
}

TEST(MdlxTextures, ConsoleAlphaIsExpandedToEightBits) {
    MdlxPalette palette{};
    palette[0] = {1, 2, 3, 0x80};
    palette[1] = {1, 2, 3, 0x40};
    palette[2] = {1, 2, 3, 0x00};
    palette[3] = {1, 2, 3, 0xFF};  // beyond opaque: kept to 8 bits
    for (uint8_t index = 0; index < 4; ++index) {
        const auto model = LoadMdlx(WithTextures({testing::UniformTexture(64, 2, index)}, {palette}));
        const uint8_t alpha[4] = {255, 127, 0, 252};
        EXPECT_EQ(Pixel(model->textures.at(0), 5, 1), (std::array<uint8_t, 4>{3, 2, 1, alpha[index]}));
    }
}

TEST(MdlxTextures, PaletteSlotsHoldTheStoredAndTheConvertedPalette) {
    const MdlxPalette palette = DistinctPalette(9);
    const auto model = LoadMdlx(WithTextures({testing::UniformTexture(64, 2, 0)}, {palette}));
    ASSERT_EQ(model->paletteCount(), 1);
    const auto slot = model->PaletteSlot(0);
    for (uint32_t j : {0u, 7u, 8u, 16u, 24u, 255u}) {
        // Stored: R, G, B, A in the console's order (index bits 3 and 4 exchanged).
        const auto& stored = palette[testing::ConsolePaletteOrder(j)];
        EXPECT_EQ(slot[4 * j], stored[0]) << j;
        EXPECT_EQ(slot[4 * j + 3], stored[3]) << j;
        // Converted: B, G, R, A in index order, alpha unchanged.
        EXPECT_EQ(slot[1024 + 4 * j], palette[j][2]) << j;
        EXPECT_EQ(slot[1024 + 4 * j + 1], palette[j][1]) << j;
        EXPECT_EQ(slot[1024 + 4 * j + 2], palette[j][0]) << j;
        EXPECT_EQ(slot[1024 + 4 * j + 3], palette[j][3]) << j;
    }
}

// Texture k is filled with index 7; palette p colours index 7 as (p, 2p, 3p).
MdlxDescription NumberedTextures(uint32_t textures, uint32_t palettes) {
    MdlxDescription d;
    for (uint32_t k = 0; k < textures; ++k) d.textures.push_back(testing::UniformTexture(64, 2, 7));
    for (uint32_t p = 0; p < palettes; ++p) {
        MdlxPalette palette{};
        palette[7] = {uint8_t(p + 1), uint8_t(2 * p + 1), uint8_t(3 * p + 1), 0x80};
        d.palettes.push_back(palette);
    }
    return d;
}

TEST(MdlxTextures, InterleavedPalettesMatchTheirTextures) {
    const auto model = LoadMdlx(NumberedTextures(11, 11));
    ASSERT_EQ(model->textureCount(), 11);
    for (int32_t k = 0; k < 11; ++k) {
        const auto p = static_cast<uint8_t>(k);
        EXPECT_EQ(Pixel(model->textures[k], 100, 1),
                  (std::array<uint8_t, 4>{uint8_t(3 * p + 1), uint8_t(2 * p + 1), uint8_t(p + 1), 255}))
            << "texture " << k;
    }
}

TEST(MdlxTextures, TexturesBeyondThePalettesUsePaletteZero) {
    const auto model = LoadMdlx(NumberedTextures(3, 2));
    EXPECT_EQ(model->paletteCount(), 2);
    EXPECT_EQ(Pixel(model->textures.at(1), 0, 0), (std::array<uint8_t, 4>{4, 3, 2, 255}));
    EXPECT_EQ(Pixel(model->textures.at(2), 0, 0), (std::array<uint8_t, 4>{1, 1, 1, 255}));
    // Palettes beyond the textures are kept, empty.
    const auto more = LoadMdlx(NumberedTextures(1, 3));
    ASSERT_EQ(more->paletteCount(), 3);
    for (uint8_t b : more->PaletteSlot(2)) ASSERT_EQ(b, 0);
}

TEST(MdlxTextures, ReadingStopsWhereThePixelCursorPassesThePalettes) {
    testing::MdlxLayout layout;
    std::vector<uint8_t> file = testing::WriteMdlx(NumberedTextures(2, 2), &layout);
    // The pixel data now claims to start beyond the palette data.
    const auto beyond = static_cast<uint32_t>(layout.paletteData - layout.textureContainer + 4);
    std::memcpy(&file[layout.textureContainer + 28], &beyond, 4);
    GsMemoryImage gs;
    const auto model = mdlx::BuildModel(file, gs);
    ASSERT_EQ(model->textureCount(), 2);
    for (const Texture& t : model->textures) {
        EXPECT_EQ(t.width, 0);
        EXPECT_TRUE(t.pixels.empty());
    }
}

TEST(MdlxTextures, UploadsThatDoNotFitTheGraphicsMemoryAreRefused) {
    // 257 pages across and a second page row: beyond the 512 pages of graphics memory.
    MdlxDescription d = WithTextures({testing::UniformTexture(257 * 64, 33, 0)}, {MdlxPalette{}});
    EXPECT_THROW(LoadMdlx(d), FormatError);
    d.textures = {testing::UniformTexture(256 * 64, 33, 0)};  // 512 pages: fits
    EXPECT_EQ(LoadMdlx(d)->textures.at(0).width, 2 * 256 * 64);
}

TEST(MdlxTextures, ATextureWithoutAnyPaletteIsRefused) {
    EXPECT_THROW(LoadMdlx(NumberedTextures(1, 0)), FormatError);
    // An empty upload needs no palette.
    const auto model = LoadMdlx(WithTextures({testing::UniformTexture(0, 0, 0)}, {}));
    EXPECT_EQ(model->textures.at(0).width, 0);
}

}  // namespace
}  // namespace vertigon
