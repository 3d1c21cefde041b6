// The MDLX loader on any bytes.
#include <cstdint>

#include "formats/mdlx/mdlx_loader.h"
#include "fuzz/loader_fuzz.h"

using namespace vertigon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::LoadOrRefuse<MdlxLoader>(ModelBytes{.file = {data, size}});
    return 0;
}
