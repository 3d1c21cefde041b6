// The FFB loader on any bytes taken as an uncompressed tar archive.
#include <cstdint>

#include "formats/ffb/ffb_loader.h"
#include "fuzz/loader_fuzz.h"

using namespace vertigon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A file starting with the gzip magic goes to the other target.
    if (size >= 2 && data[0] == 0x1F && data[1] == 0x8B) return -1;
    fuzzing::LoadOrRefuse<FfbLoader>(ModelBytes{.file = {data, size}});
    return 0;
}
