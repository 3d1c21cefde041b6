// A software model of the console's 4 MiB graphics memory, used to unswizzle 8-bit textures:
// the stored words are written with the 32-bit pixel arrangement (PSMCT32) and read back with
// the 8-bit arrangement (PSMT8).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace vertigon {

class GsMemoryImage {
public:
    static constexpr size_t kBytes = 4 * 1024 * 1024;
    static constexpr size_t kPageBytes = 8192;

    GsMemoryImage();

    // Stores w x h words, row by row; bw is the buffer width in 64-pixel units. Returns false,
    // writing nothing, when the source is too short or an address would pass the end of memory.
    bool WritePsmct32(std::span<const uint8_t> sourceWords, uint32_t w, uint32_t h, uint32_t bw);
    // Reads w x h index bytes, row by row, into `destination`; bw is in 64-pixel units. Returns
    // false, reading nothing, when the destination is too short or an address would pass the end.
    bool ReadPsmt8(std::span<uint8_t> destination, uint32_t w, uint32_t h, uint32_t bw) const;

    // The reverse arrangements, for writing textures back: index bytes in with PSMT8, words out
    // with PSMCT32. Same checks and results as above.
    bool WritePsmt8(std::span<const uint8_t> sourceBytes, uint32_t w, uint32_t h, uint32_t bw);
    bool ReadPsmct32(std::span<uint8_t> destinationWords, uint32_t w, uint32_t h, uint32_t bw) const;

    // Zeroes the first `pageCount` pages (at most the whole memory).
    void ClearPages(uint64_t pageCount);

    std::span<const uint8_t> bytes() const { return memory_; }

private:
    std::vector<uint8_t> memory_;
};

// Unswizzles a W x Hr word upload into a 2W x 2Hr index image through `gs`, with the buffer
// widths `writeWidth` and `readWidth` (64-pixel units). The pages involved are cleared first, so
// pixels the upload does not cover read as 0 whatever an earlier texture left behind. Returns
// false when the upload does not fit.
bool UnswizzlePsmt8(GsMemoryImage& gs, std::span<const uint8_t> words, uint32_t w, uint32_t hr,
                    uint32_t writeWidth, uint32_t readWidth, std::vector<uint8_t>& indices);

// The reverse of UnswizzlePsmt8: `words` holds the stored W x Hr upload and is changed so that
// it unswizzles to the 2W x 2Hr `indices`. Words whose place in memory a later word of the
// upload takes keep their stored bytes, as nothing reads them. Returns false, changing nothing,
// when the upload does not fit or the layout cannot hold these indices (pixels that no word
// of the upload reaches).
bool SwizzlePsmt8(GsMemoryImage& gs, std::span<const uint8_t> indices, uint32_t w, uint32_t hr,
                  uint32_t writeWidth, uint32_t readWidth, std::vector<uint8_t>& words);

}  // namespace vertigon
