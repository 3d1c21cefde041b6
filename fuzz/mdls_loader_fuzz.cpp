// The MDLS loader with its companion MSET, on the input fuzzing::MdlsInput reads.
#include <cstdint>
#include <optional>

#include "formats/mdls/mdls_loader.h"
#include "fuzz/loader_fuzz.h"

using namespace vertigon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::optional<ModelBytes> bytes = fuzzing::MdlsInput({data, size});
    if (!bytes) return -1;
    fuzzing::LoadOrRefuse<MdlsLoader>(*bytes);
    return 0;
}
