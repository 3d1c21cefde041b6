// The MDLS loader with its companion MSET. Input: the MDLS file's size (4 bytes, little-endian),
// the MDLS file, then the MSET file (none when nothing follows).
#include <cstdint>
#include <cstring>
#include <span>

#include "formats/mdls/mdls_loader.h"
#include "fuzz/loader_fuzz.h"

using namespace vertigon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return -1;
    uint32_t modelSize;
    std::memcpy(&modelSize, data, 4);
    const std::span<const uint8_t> rest(data + 4, size - 4);
    if (modelSize > rest.size()) return -1;
    ModelBytes bytes{.file = rest.first(modelSize)};
    if (modelSize < rest.size()) bytes.companion = rest.subspan(modelSize);
    fuzzing::LoadOrRefuse<MdlsLoader>(bytes);
    return 0;
}
