// The interpreter on arbitrary instruction words and a little data, through the emulator's run
// loop. Every run must end in a clean stop (a return through the initial RA), the step bound or
// a reported fault; anything else (a host crash, a sanitizer report, an access past the
// emulated memories, an escaping exception) is a finding.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "ee/memory.h"
#include "ee/native_hook_table.h"
#include "ee/run_loop.h"
#include "formats/mdls/animation_routines.h"
#include "fuzz/reusable_ee_state.h"

using namespace vertigon;

namespace {

constexpr uint32_t kCodeBase = 0x00100000;
constexpr uint32_t kDataBase = 0x00200000;
constexpr uint32_t kStackTop = 0x00010000;
constexpr uint32_t kReturnAddress = 0x00001000;
constexpr size_t kMaxCodeBytes = 4096;
constexpr size_t kMaxDataBytes = 255;
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
    // Input: the data length (one byte), the data, then the code words.
    if (size == 0) return -1;
    const size_t dataLength = std::min<size_t>(data[0], size - 1);
    const std::vector<uint8_t> bytes(data + 1, data + 1 + dataLength);
    const size_t codeLength = std::min(size - 1 - dataLength, kMaxCodeBytes) / 4 * 4;
    const std::vector<uint8_t> code(data + 1 + dataLength, data + 1 + dataLength + codeLength);

    static QuietSink quiet;
    static EeState state(quiet);  // reset per input: a new one costs milliseconds
    fuzzing::ResetEeState(state);
    NativeHookTable hooks;
    for (const NativeHook& hook : mdls::kProgramImageHooks) InstallNativeHook(state, hooks, hook.address, hook.function);
    CopyIn(state, kCodeBase, code);
    CopyIn(state, kDataBase, bytes);
    CopyIn(state, kScratchpadStart, bytes);

    // Pointer registers aim at the data so that loads and stores meet it.
    state.gpr[4].lower = kDataBase;
    state.gpr[5].lower = kScratchpadStart;
    state.gpr[6].lower = kDataBase + kMaxDataBytes / 2;
    state.gpr[29].lower = kStackTop;
    state.gpr[31].lower = kReturnAddress;
    const RunResult result =
        RunUntilStop(state, RunPlan{.entry = kCodeBase, .stop = kReturnAddress, .stepBound = kStepBound, .hooks = hooks});
    if (result.outcome == RunResult::Outcome::Refused) std::abort();
    return 0;
}
