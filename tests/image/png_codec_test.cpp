// Decoding PNG files of the colour types and depths other programs write: every one comes out
// as 8-bit R, G, B, A; bytes that are not a PNG give a reason.
#include "image/png_codec.h"

#include <zlib.h>

#include <string>

#include <gtest/gtest.h>

#include "image/image_error.h"

namespace vertigon {
namespace {

using Bytes = std::vector<uint8_t>;

void Append(Bytes& out, const std::string& type, const Bytes& data) {
    const auto put32 = [&](uint32_t v) { for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s)); };
    put32(static_cast<uint32_t>(data.size()));
    Bytes typed(type.begin(), type.end());
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    put32(static_cast<uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

// A one-row PNG written by hand: IHDR, the extra chunks, the row (filter 0), IEND.
Bytes OneRowPng(uint32_t width, uint8_t depth, uint8_t colourType, const Bytes& row, const Bytes& extra = {}) {
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Append(out, "IHDR", {0, 0, 0, uint8_t(width), 0, 0, 0, 1, depth, colourType, 0, 0, 0});
    out.insert(out.end(), extra.begin(), extra.end());
    Bytes raw = {0};
    raw.insert(raw.end(), row.begin(), row.end());
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes packed(size);
    compress(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
    packed.resize(size);
    Append(out, "IDAT", packed);
    Append(out, "IEND", {});
    return out;
}

TEST(PngCodec, EveryColourTypeAndDepthDecodesToEightBitRgba) {
    // 16-bit R, G, B, A: samples scaled to 8 bits.
    EXPECT_EQ(DecodePng(OneRowPng(1, 16, 6, {0x12, 0x34, 0x80, 0x00, 0xFF, 0xFF, 0x80, 0x80})).pixels,
              (Bytes{18, 128, 255, 128}));
    // 4-bit palette with a transparency entry for index 0.
    Bytes palette;
    Append(palette, "PLTE", {10, 20, 30, 200, 100, 50});
    Append(palette, "tRNS", {0x40});
    EXPECT_EQ(DecodePng(OneRowPng(2, 4, 3, {0x10}, palette)).pixels, (Bytes{200, 100, 50, 255, 10, 20, 30, 64}));
    // 1-bit grey: opaque black and white.
    EXPECT_EQ(DecodePng(OneRowPng(3, 1, 0, {0xA0})).pixels, (Bytes{255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255}));
    // 8-bit grey with alpha.
    EXPECT_EQ(DecodePng(OneRowPng(1, 8, 4, {7, 9})).pixels, (Bytes{7, 7, 7, 9}));

    const Bytes rgba = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(DecodePng(EncodePng(2, 1, 4, rgba)).pixels, rgba);
}

TEST(PngCodec, BytesThatDoNotDecodeSayWhy) {
    EXPECT_THROW(DecodePng(Bytes{1, 2, 3}), ImageError);
    Bytes cut = OneRowPng(2, 8, 6, Bytes(8, 1));
    cut.resize(cut.size() - 20);
    try {
        DecodePng(cut);
        ADD_FAILURE() << "a cut PNG decoded";
    } catch (const ImageError& error) {
        EXPECT_NE(std::string(error.what()).find("does not decode"), std::string::npos) << error.what();
    }
}

}  // namespace
}  // namespace vertigon
