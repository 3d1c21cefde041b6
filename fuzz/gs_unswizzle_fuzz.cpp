// The GS unswizzle through the memory image: any upload size and buffer widths, with the words
// that follow. A refused upload is fine; an accepted one yields exactly 2W x 2Hr indices.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "formats/ps2/gs_memory.h"

using namespace vertigon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const auto w = input.ConsumeIntegral<uint16_t>();
    const auto hr = input.ConsumeIntegral<uint16_t>();
    const auto writeWidth = input.ConsumeIntegral<uint8_t>();
    const auto readWidth = input.ConsumeIntegral<uint8_t>();
    const std::vector<uint8_t> words = input.ConsumeRemainingBytes<uint8_t>();

    GsMemoryImage gs;
    std::vector<uint8_t> indices;
    if (UnswizzlePsmt8(gs, words, w, hr, writeWidth, readWidth, indices) &&
        indices.size() != uint64_t{w} * 2 * hr * 2) {
        std::abort();
    }
    return 0;
}
