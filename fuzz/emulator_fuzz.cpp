// The interpreter on arbitrary instruction words and a little data. Every run must end in a
// clean stop (a return through the initial RA, or running off the end of the code), the step
// bound, or a reported fault; anything else (a host crash, a sanitizer report, an access past
// the emulated memories) is a finding.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "ee/fault.h"
#include "ee/interpreter.h"
#include "ee/memory.h"
#include "ee/native_hooks.h"
#include "fuzz/reusable_ee_state.h"

using namespace vertigon;

namespace {

constexpr uint32_t kCodeBase = 0x00100000;
constexpr uint32_t kDataBase = 0x00200000;
constexpr uint32_t kScratchpadBase = 0x70000000;
constexpr uint32_t kStackTop = 0x00010000;
constexpr uint32_t kReturnAddress = 0x00001000;
constexpr size_t kMaxCodeBytes = 4096;
constexpr size_t kMaxDataBytes = 256;
constexpr uint64_t kStepBound = 4096;

class QuietSink final : public EeOutputSink {
public:
    void Write(std::string_view) override {}
};

void CopyIn(EeState& state, uint32_t address, const std::vector<uint8_t>& bytes) {
    if (!bytes.empty()) std::memcpy(TranslateRange(state, address, static_cast<uint32_t>(bytes.size())), bytes.data(), bytes.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::vector<uint8_t> bytes = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(0, kMaxDataBytes));
    std::vector<uint8_t> code = input.ConsumeRemainingBytes<uint8_t>();
    code.resize(std::min(code.size(), kMaxCodeBytes) / 4 * 4);

    static QuietSink quiet;
    static EeState state;  // reset per input: a new one costs milliseconds
    fuzzing::ResetEeState(state);
    state.output = &quiet;
    for (const NativeHookEntry& hook : kProgramImageHooks) InstallNativeHook(state, hook.address, hook.function);
    CopyIn(state, kCodeBase, code);
    CopyIn(state, kDataBase, bytes);
    CopyIn(state, kScratchpadBase, bytes);

    // Pointer registers aim at the data so that loads and stores meet it.
    state.gpr[4].lower = kDataBase;
    state.gpr[5].lower = kScratchpadBase;
    state.gpr[6].lower = kDataBase + kMaxDataBytes / 2;
    state.gpr[29].lower = kStackTop;
    state.gpr[31].lower = kReturnAddress;
    state.pc = kCodeBase;
    const uint32_t codeEnd = kCodeBase + static_cast<uint32_t>(code.size());
    try {
        for (uint64_t steps = 0; steps < kStepBound; ++steps) {
            state.gpr[0].lower = 0;
            Step(state);
            if (state.pc == kReturnAddress || state.pc == codeEnd) break;
        }
    } catch (const EeFault&) {
    }
    return 0;
}
