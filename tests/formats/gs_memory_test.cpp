#include "formats/ps2/gs_memory.h"

#include <gtest/gtest.h>

#include "tests/fixtures/byte_writer.h"
#include "tests/fixtures/gs_swizzle.h"

namespace vertigon {
namespace {

// Words 0, 1, 2, ... of a w x h upload.
std::vector<uint8_t> CountingWords(uint32_t count) {
    testing::ByteWriter out;
    for (uint32_t i = 0; i < count; ++i) out.U32(i);
    return out.Take();
}

TEST(GsMemory, DocumentedFirstPixelsOfAPage) {
    GsMemoryImage gs;
    const std::vector<uint8_t> words = CountingWords(64 * 32);
    std::vector<uint8_t> indices;
    ASSERT_TRUE(UnswizzlePsmt8(gs, words, 64, 32, 1, 2, indices));
    ASSERT_EQ(indices.size(), 128u * 64u);
    EXPECT_EQ(indices[0], words[0]);      // byte 0 of word 0
    EXPECT_EQ(indices[1], words[1 * 4]);  // byte 0 of word 1
    EXPECT_EQ(indices[8], words[2]);      // byte 2 of word 0
}

TEST(GsMemory, UnswizzleMatchesTheIndependentLayoutStatement) {
    for (uint32_t w : {64u, 128u, 256u}) {
        const uint32_t h = w / 2;
        // Distinct byte values per position modulo 251 keep every mismatch visible.
        std::vector<uint8_t> stored(w * h * 4);
        for (size_t i = 0; i < stored.size(); ++i) stored[i] = static_cast<uint8_t>(i % 251);
        GsMemoryImage gs;
        std::vector<uint8_t> indices;
        ASSERT_TRUE(UnswizzlePsmt8(gs, stored, w, h, w / 64, 2 * w / 64, indices));
        const uint32_t width = 2 * w;
        int mismatches = 0;
        for (uint32_t y = 0; y < 2 * h; ++y) {
            for (uint32_t x = 0; x < width; ++x) {
                if (indices[y * width + x] != stored[testing::StoredByteOfPixel(x, y, width)]) ++mismatches;
            }
        }
        EXPECT_EQ(mismatches, 0) << "upload width " << w;
    }
}

// Writing an index image back gives the upload the independent statement gives, whatever the
// upload held before; with the RAW buffer widths it unswizzles back to the same image.
TEST(GsMemory, SwizzlingReversesUnswizzling) {
    for (uint32_t w : {64u, 128u}) {
        const uint32_t h = w / 2;
        std::vector<uint8_t> indices(4 * w * h);
        for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<uint8_t>((i * 7 + i / 97) % 256);
        std::vector<uint8_t> words(w * h * 4, 0xEE);
        GsMemoryImage gs;
        ASSERT_TRUE(SwizzlePsmt8(gs, indices, w, h, w / 64, 2 * w / 64, words));
        EXPECT_EQ(words, testing::SwizzleIndexImage(2 * w, 2 * h, indices)) << "upload width " << w;

        std::vector<uint8_t> raw(w * h * 4, 0x11), back;
        ASSERT_TRUE(SwizzlePsmt8(gs, indices, w, h, w / 32, w / 16, raw));
        ASSERT_TRUE(UnswizzlePsmt8(gs, raw, w, h, w / 32, w / 16, back));
        EXPECT_EQ(back, indices);
    }
    // An index image that is not 2W x 2Hr is refused, the upload untouched.
    std::vector<uint8_t> words(64 * 32 * 4, 5);
    GsMemoryImage gs;
    EXPECT_FALSE(SwizzlePsmt8(gs, std::vector<uint8_t>(10), 64, 32, 1, 2, words));
    EXPECT_EQ(words, std::vector<uint8_t>(64 * 32 * 4, 5));
}

TEST(GsMemory, UploadsThatWouldLeaveTheImageAreRejectedUntouched) {
    GsMemoryImage gs;
    // 512 pages hold 4 MiB: a column of 513 pages (bw 1, 513 x 32 rows) does not fit.
    const std::vector<uint8_t> words = CountingWords(64 * 32 * 513);
    EXPECT_FALSE(gs.WritePsmct32(words, 64, 32 * 513, 1));
    for (uint8_t b : gs.bytes()) ASSERT_EQ(b, 0);
    EXPECT_TRUE(gs.WritePsmct32(words, 64, 32 * 512, 1));
    // A huge buffer width pushes the second page row out of memory.
    EXPECT_FALSE(gs.WritePsmct32(words, 64, 64, 600));
    std::vector<uint8_t> out(128 * 128);
    EXPECT_FALSE(gs.ReadPsmt8(out, 128, 128, 1200));
    EXPECT_TRUE(gs.ReadPsmt8(out, 128, 128, 2));
}

TEST(GsMemory, LeftoversOfAnEarlierUploadNeverShowThrough) {
    // Three rows do not fill the last column pair, so part of the read lies outside the upload.
    const std::vector<uint8_t> words = CountingWords(64 * 3);
    GsMemoryImage fresh;
    std::vector<uint8_t> expected;
    ASSERT_TRUE(UnswizzlePsmt8(fresh, words, 64, 3, 1, 2, expected));

    GsMemoryImage used;
    const std::vector<uint8_t> junk(64 * 64 * 4, 0xEE);
    ASSERT_TRUE(used.WritePsmct32(junk, 64, 64, 1));
    std::vector<uint8_t> indices;
    ASSERT_TRUE(UnswizzlePsmt8(used, words, 64, 3, 1, 2, indices));
    EXPECT_EQ(indices, expected);
}

TEST(GsMemory, ShortBuffersAreRejected) {
    GsMemoryImage gs;
    const std::vector<uint8_t> words = CountingWords(10);
    EXPECT_FALSE(gs.WritePsmct32(words, 4, 4, 1));
    std::vector<uint8_t> out(10);
    EXPECT_FALSE(gs.ReadPsmt8(out, 4, 4, 2));
    std::vector<uint8_t> indices;
    EXPECT_FALSE(UnswizzlePsmt8(gs, words, 0x10000, 0, 1, 2, indices));
    // Found by fuzzing: a 32768 x 32768 upload of ten bytes made a 4 GiB index image before
    // the words were found short.
    EXPECT_FALSE(UnswizzlePsmt8(gs, words, 0x8000, 0x8000, 0, 0, indices));
    EXPECT_TRUE(indices.empty());
}

}  // namespace
}  // namespace vertigon
