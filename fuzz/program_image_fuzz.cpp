// Placing a program image into emulated memory: any bytes are either placed or refused, and a
// refused image leaves the state as it was.
#include <cstdint>
#include <cstdlib>

#include "ee/program_image.h"
#include "fuzz/reusable_ee_state.h"

using namespace vertigon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static EeState state;  // reset per input: a new one costs milliseconds
    fuzzing::ResetEeState(state);
    try {
        LoadProgramImage(state, {data, size});
    } catch (const ProgramImageError&) {
        if (!state.programHeaders.empty()) std::abort();
        for (uint8_t byte : state.elfHeader) {
            if (byte != 0) std::abort();
        }
    }
    return 0;
}
