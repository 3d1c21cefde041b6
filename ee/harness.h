// Runs routines of a MIPS program image in the emulator for a host that calls them: loads the
// image into fresh memory, installs the native hooks the caller supplies, lets the caller place
// data and set registers, and calls an entry address until a stop address. Knows no program:
// every address comes from the caller.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>

#include "ee/fault.h"
#include "ee/native_hook_table.h"
#include "ee/output.h"
#include "ee/program_image.h"
#include "ee/run_loop.h"
#include "ee/state.h"

namespace vertigon {

// Steps one call may take before it is abandoned.
inline constexpr uint64_t kDefaultStepBound = 50'000'000;

class EeHarness {
public:
    // The emulator's messages go to `output` (which must outlive the harness), or to standard
    // output.
    explicit EeHarness(EeOutputSink& output);
    EeHarness();
    EeHarness(const EeHarness&) = delete;
    EeHarness& operator=(const EeHarness&) = delete;

    // Fresh zero-filled memory, the image's segments in it, no hooks. Throws ProgramImageError.
    ProgramHeaders LoadProgram(std::span<const uint8_t> image);
    // Replaces the routine at `address` by host code (ee/native_hook_table.h).
    void InstallHook(uint32_t address, NativeHookFunction function);

    // Calls `entry` and steps until PC is `stop` (skips and cycle counting as RunPlan says),
    // within stepBound steps.
    RunResult Call(uint32_t entry, uint32_t stop, std::span<const PcSkip> skips = {}, bool countCycles = false);

    // Runs `body`, the caller's memory work around a call; a fault inside it (an address outside
    // emulated memory) ends up in the result as a call's fault would.
    template <typename Body>
    RunResult Prepare(Body&& body) {
        RunResult result;
        try {
            std::forward<Body>(body)();
        } catch (const EeFault& fault) {
            EndWithFault(*state_, result, fault);
        }
        return result;
    }

    // Memory and register access for that work; addresses outside emulated memory fault.
    uint32_t Word(uint32_t address) const;
    void SetWord(uint32_t address, uint32_t value);
    void AddToWord(uint32_t address, uint32_t delta) { SetWord(address, Word(address) + delta); }
    void Clear(uint32_t address, uint32_t length);
    void CopyIn(uint32_t address, std::span<const uint8_t> bytes);
    void CopyOut(uint32_t address, std::span<uint8_t> bytes) const;
    // The register's lower 64 bits become `value` (zero-extended).
    void SetRegister(uint32_t reg, uint32_t value) { state_->gpr[reg].lower = value; }

    uint64_t stepBound = kDefaultStepBound;

    EeState& state() { return *state_; }
    const EeState& state() const { return *state_; }
    const NativeHookTable& hooks() const { return hooks_; }

private:
    std::unique_ptr<EeState> state_;
    NativeHookTable hooks_;
};

// Whether `length` bytes starting at main-memory address `address` stay inside main memory.
inline bool FitsInMainMemory(uint32_t address, uint64_t length) {
    return address <= kMainMemorySize && length <= kMainMemorySize - address;
}

}  // namespace vertigon
