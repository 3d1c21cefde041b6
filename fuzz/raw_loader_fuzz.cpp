// The RAW loader on any bytes.
#include <cstdint>

#include "formats/raw/raw_loader.h"
#include "fuzz/loader_fuzz.h"

using namespace vertigon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::LoadOrRefuse<RawLoader>(ModelBytes{.file = {data, size}});
    return 0;
}
