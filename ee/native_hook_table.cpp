#include "ee/native_hook_table.h"

#include "ee/fault.h"
#include "ee/instruction.h"
#include "ee/memory.h"

namespace vertigon {

void InstallNativeHook(EeState& state, NativeHookTable& hooks, uint32_t address, NativeHookFunction function) {
    const auto index = static_cast<uint32_t>(hooks.size());
    WriteWord(state, address, BreakInstruction(index));
    hooks.push_back(NativeHook{address, function});
}

void AnswerBreak(EeState& state, std::span<const NativeHook> hooks) {
    state.breakPending = false;
    const uint32_t index = state.breakCode;
    if (index >= hooks.size() || !hooks[index].function) ThrowEeFault("Unknown native hook %X!\n", index);
    hooks[index].function(state);
}

}  // namespace vertigon
