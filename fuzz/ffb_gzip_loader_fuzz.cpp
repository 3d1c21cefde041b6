// The FFB loader on gzip-compressed archives: the stream's header, blocks and trailer are the
// fuzzed bytes, so cut, corrupt and over-long streams all reach the inflater.
#include <cstdint>

#include "formats/ffb/ffb_loader.h"
#include "fuzz/loader_fuzz.h"

using namespace vertigon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 || data[0] != 0x1F || data[1] != 0x8B) return -1;
    fuzzing::LoadOrRefuse<FfbLoader>(ModelBytes{.file = {data, size}});
    return 0;
}
