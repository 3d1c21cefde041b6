// Placing a program image into emulated memory: any bytes are either placed, their headers
// handed back as they stand, or refused.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "ee/program_image.h"
#include "fuzz/reusable_ee_state.h"

using namespace vertigon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static EeState state;  // reset per input: a new one costs milliseconds
    fuzzing::ResetEeState(state);
    try {
        const ProgramHeaders headers = LoadProgramImage(state, {data, size});
        if (size < headers.elfHeader.size() || std::memcmp(headers.elfHeader.data(), data, headers.elfHeader.size()) != 0)
            std::abort();
    } catch (const ProgramImageError&) {
    }
    return 0;
}
