// The GS unswizzle through the memory image: any upload size and buffer widths, with the words
// that follow. A refused upload is fine; an accepted one yields exactly 2W x 2Hr indices.
// Input: W and Hr (2 bytes each, little-endian), the write and read widths (1 byte each), then
// the words.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "formats/ps2/gs_memory.h"

using namespace vertigon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6) return -1;
    const uint32_t w = data[0] | data[1] << 8;
    const uint32_t hr = data[2] | data[3] << 8;
    const std::span<const uint8_t> words(data + 6, size - 6);

    GsMemoryImage gs;
    std::vector<uint8_t> indices;
    if (UnswizzlePsmt8(gs, words, w, hr, data[4], data[5], indices) && indices.size() != uint64_t{w} * 2 * hr * 2) {
        std::abort();
    }
    return 0;
}
