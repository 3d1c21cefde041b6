#include "formats/ps2/gs_memory.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vertigon {

namespace {

// Block arrangement of a page, shared by PSMCT32 (8 x 8 pixel blocks) and PSMT8 (16 x 16).
constexpr uint8_t kBlockTable[32] = {
    0, 1, 4, 5, 16, 17, 20, 21,  //
    2, 3, 6, 7, 18, 19, 22, 23,  //
    8, 9, 12, 13, 24, 25, 28, 29,  //
    10, 11, 14, 15, 26, 27, 30, 31,
};

constexpr uint8_t kPsmct32ColumnWord[16] = {
    0, 1, 4, 5, 8, 9, 12, 13,  //
    2, 3, 6, 7, 10, 11, 14, 15,
};

constexpr uint8_t kPsmt8ColumnWord[128] = {
    // even columns
    0, 1, 4, 5, 8, 9, 12, 13, 0, 1, 4, 5, 8, 9, 12, 13,  //
    2, 3, 6, 7, 10, 11, 14, 15, 2, 3, 6, 7, 10, 11, 14, 15,  //
    8, 9, 12, 13, 0, 1, 4, 5, 8, 9, 12, 13, 0, 1, 4, 5,  //
    10, 11, 14, 15, 2, 3, 6, 7, 10, 11, 14, 15, 2, 3, 6, 7,  //
    // odd columns: rows 0 and 2 swap, so do rows 1 and 3
    8, 9, 12, 13, 0, 1, 4, 5, 8, 9, 12, 13, 0, 1, 4, 5,  //
    10, 11, 14, 15, 2, 3, 6, 7, 10, 11, 14, 15, 2, 3, 6, 7,  //
    0, 1, 4, 5, 8, 9, 12, 13, 0, 1, 4, 5, 8, 9, 12, 13,  //
    2, 3, 6, 7, 10, 11, 14, 15, 2, 3, 6, 7, 10, 11, 14, 15,
};

constexpr uint8_t kPsmt8ColumnByte[64] = {
    0, 0, 0, 0, 0, 0, 0, 0, 2, 2, 2, 2, 2, 2, 2, 2,  //
    0, 0, 0, 0, 0, 0, 0, 0, 2, 2, 2, 2, 2, 2, 2, 2,  //
    1, 1, 1, 1, 1, 1, 1, 1, 3, 3, 3, 3, 3, 3, 3, 3,  //
    1, 1, 1, 1, 1, 1, 1, 1, 3, 3, 3, 3, 3, 3, 3, 3,
};

constexpr uint64_t kPages = GsMemoryImage::kBytes / GsMemoryImage::kPageBytes;

// Number of pages from page 0 up to the last one a w x h image touches.
uint64_t PagesSpanned(uint32_t w, uint32_t h, uint32_t pageWidth, uint32_t pageHeight, uint64_t pagesPerRow) {
    if (w == 0 || h == 0) return 0;
    return (w - 1) / pageWidth + uint64_t{(h - 1) / pageHeight} * pagesPerRow + 1;
}

// Every address of a pixel lies inside its page, so the image fits when the last page does.
bool PagesFit(uint32_t w, uint32_t h, uint32_t pageWidth, uint32_t pageHeight, uint64_t pagesPerRow) {
    return PagesSpanned(w, h, pageWidth, pageHeight, pagesPerRow) <= kPages;
}

uint64_t Psmct32WordAddress(uint32_t x, uint32_t y, uint32_t bw) {
    const uint64_t page = x / 64 + uint64_t{y / 32} * bw;
    const uint32_t block = kBlockTable[((y % 32) / 8) * 8 + (x % 64) / 8];
    const uint32_t column = (y % 8) / 2;
    const uint32_t word = kPsmct32ColumnWord[(y % 2) * 8 + x % 8];
    return ((page * 32 + block) * 4 + column) * 16 + word;
}

uint64_t Psmt8ByteAddress(uint32_t x, uint32_t y, uint32_t bw) {
    const uint64_t page = x / 128 + uint64_t{y / 64} * (bw / 2);
    const uint32_t block = kBlockTable[((y % 64) / 16) * 8 + (x % 128) / 16];
    const uint32_t column = (y % 16) / 4;
    const uint32_t word = kPsmt8ColumnWord[((y % 4) + (column % 2) * 4) * 16 + x % 16];
    const uint32_t byte = kPsmt8ColumnByte[(y % 4) * 16 + x % 16];
    return (((page * 32 + block) * 4 + column) * 16 + word) * 4 + byte;
}

}  // namespace

GsMemoryImage::GsMemoryImage() : memory_(kBytes, 0) {}

bool GsMemoryImage::WritePsmct32(std::span<const uint8_t> sourceWords, uint32_t w, uint32_t h, uint32_t bw) {
    if (uint64_t{w} * h * 4 > sourceWords.size()) return false;
    if (!PagesFit(w, h, 64, 32, bw)) return false;
    const uint8_t* source = sourceWords.data();
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x, source += 4) {
            std::memcpy(&memory_[Psmct32WordAddress(x, y, bw) * 4], source, 4);
        }
    }
    return true;
}

bool GsMemoryImage::ReadPsmt8(std::span<uint8_t> destination, uint32_t w, uint32_t h, uint32_t bw) const {
    if (uint64_t{w} * h > destination.size()) return false;
    if (!PagesFit(w, h, 128, 64, bw / 2)) return false;
    uint8_t* out = destination.data();
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) *out++ = memory_[Psmt8ByteAddress(x, y, bw)];
    }
    return true;
}

bool GsMemoryImage::WritePsmt8(std::span<const uint8_t> sourceBytes, uint32_t w, uint32_t h, uint32_t bw) {
    if (uint64_t{w} * h > sourceBytes.size()) return false;
    if (!PagesFit(w, h, 128, 64, bw / 2)) return false;
    const uint8_t* in = sourceBytes.data();
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) memory_[Psmt8ByteAddress(x, y, bw)] = *in++;
    }
    return true;
}

bool GsMemoryImage::ReadPsmct32(std::span<uint8_t> destinationWords, uint32_t w, uint32_t h, uint32_t bw) const {
    if (uint64_t{w} * h * 4 > destinationWords.size()) return false;
    if (!PagesFit(w, h, 64, 32, bw)) return false;
    uint8_t* out = destinationWords.data();
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x, out += 4) std::memcpy(out, &memory_[Psmct32WordAddress(x, y, bw) * 4], 4);
    }
    return true;
}

void GsMemoryImage::ClearPages(uint64_t pageCount) {
    const uint64_t bytes = std::min(pageCount, kPages) * kPageBytes;
    std::memset(memory_.data(), 0, static_cast<size_t>(bytes));
}

bool UnswizzlePsmt8(GsMemoryImage& gs, std::span<const uint8_t> words, uint32_t w, uint32_t hr,
                    uint32_t writeWidth, uint32_t readWidth, std::vector<uint8_t>& indices) {
    // Far beyond anything the 4 MiB memory holds; keeps 2W and 2Hr inside 32 bits.
    constexpr uint32_t kMaxSide = 0x8000;
    if (w > kMaxSide || hr > kMaxSide) return false;
    // Refused before the index image is allocated: it may be 4 GiB for a few bytes of input.
    if (uint64_t{w} * hr * 4 > words.size() || !PagesFit(w, hr, 64, 32, writeWidth) ||
        !PagesFit(w * 2, hr * 2, 128, 64, readWidth / 2)) {
        return false;
    }
    indices.assign(uint64_t{w} * 2 * hr * 2, 0);
    gs.ClearPages(std::max(PagesSpanned(w, hr, 64, 32, writeWidth), PagesSpanned(w * 2, hr * 2, 128, 64, readWidth / 2)));
    return gs.WritePsmct32(words, w, hr, writeWidth) && gs.ReadPsmt8(indices, w * 2, hr * 2, readWidth);
}

bool SwizzlePsmt8(GsMemoryImage& gs, std::span<const uint8_t> indices, uint32_t w, uint32_t hr,
                  uint32_t writeWidth, uint32_t readWidth, std::vector<uint8_t>& words) {
    std::vector<uint8_t> check;
    // The memory as the loader leaves it, so bytes the new indices do not reach read as before.
    if (!UnswizzlePsmt8(gs, words, w, hr, writeWidth, readWidth, check) || indices.size() != check.size()) return false;
    if (!gs.WritePsmt8(indices, w * 2, hr * 2, readWidth)) return false;
    std::vector<uint8_t> read(words.size());
    if (!gs.ReadPsmct32(read, w, hr, writeWidth)) return false;

    // Only the last word written to each address is what the loader sees there.
    std::vector<uint8_t> result = words;
    std::vector<bool> taken(static_cast<size_t>(PagesSpanned(w, hr, 64, 32, writeWidth)) * (GsMemoryImage::kPageBytes / 4));
    for (uint64_t i = uint64_t{w} * hr; i-- > 0;) {
        const auto x = static_cast<uint32_t>(i % w);
        const auto y = static_cast<uint32_t>(i / w);
        const uint64_t address = Psmct32WordAddress(x, y, writeWidth);
        if (taken[static_cast<size_t>(address)]) continue;
        taken[static_cast<size_t>(address)] = true;
        std::memcpy(&result[static_cast<size_t>(i) * 4], &read[static_cast<size_t>(i) * 4], 4);
    }
    if (!UnswizzlePsmt8(gs, result, w, hr, writeWidth, readWidth, check) ||
        !std::equal(check.begin(), check.end(), indices.begin())) {
        return false;
    }
    words = std::move(result);
    return true;
}

}  // namespace vertigon
