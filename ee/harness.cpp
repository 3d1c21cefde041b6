#include "ee/harness.h"

#include <cstring>

#include "ee/memory.h"

namespace vertigon {

EeHarness::EeHarness(EeOutputSink& output) : state_(std::make_unique<EeState>(output)) {}

EeHarness::EeHarness() : state_(std::make_unique<EeState>()) {}

ProgramHeaders EeHarness::LoadProgram(std::span<const uint8_t> image) {
    state_->ResetMemory();
    hooks_.clear();
    return LoadProgramImage(*state_, image);
}

void EeHarness::InstallHook(uint32_t address, NativeHookFunction function) {
    InstallNativeHook(*state_, hooks_, address, function);
}

RunResult EeHarness::Call(uint32_t entry, uint32_t stop, std::span<const PcSkip> skips, bool countCycles) {
    return RunUntilStop(*state_, RunPlan{entry, stop, stepBound, skips, countCycles, hooks_});
}

uint32_t EeHarness::Word(uint32_t address) const { return LoadHost<uint32_t>(TranslateRange(*state_, address, 4)); }

void EeHarness::SetWord(uint32_t address, uint32_t value) { StoreHost(TranslateRange(*state_, address, 4), value); }

void EeHarness::Clear(uint32_t address, uint32_t length) {
    if (length != 0) std::memset(TranslateRange(*state_, address, length), 0, length);
}

void EeHarness::CopyIn(uint32_t address, std::span<const uint8_t> bytes) {
    if (bytes.empty()) return;
    const auto length = static_cast<uint32_t>(bytes.size());
    if (length != bytes.size()) ThrowEeFault("Access to unmapped memory %X\n", address);
    std::memcpy(TranslateRange(*state_, address, length), bytes.data(), bytes.size());
}

void EeHarness::CopyOut(uint32_t address, std::span<uint8_t> bytes) const {
    if (bytes.empty()) return;
    const auto length = static_cast<uint32_t>(bytes.size());
    if (length != bytes.size()) ThrowEeFault("Access to unmapped memory %X\n", address);
    std::memcpy(bytes.data(), TranslateRange(*state_, address, length), bytes.size());
}

}  // namespace vertigon
