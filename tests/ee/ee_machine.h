// A fresh emulated EE for one test: assembles R5900 source into its memory and runs it,
// collecting the emulator's messages.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ee/fault.h"
#include "ee/float_mode.h"
#include "ee/interpreter.h"
#include "ee/memory.h"
#include "ee/native_hook_table.h"
#include "ee/output.h"
#include "ee/state.h"
#include "tests/fixtures/r5900_assembler.h"

// Skips a test that needs a tool the machine lacks; fails it instead under the project's test
// command, which installs the tools first.
#define SKIP_WITHOUT_TOOL(available, message)                                             \
    do {                                                                                  \
        if (!(available)) {                                                               \
            if (::vertigon::testing::MissingToolsMustFail()) FAIL() << (message);         \
            GTEST_SKIP() << (message);                                                    \
        }                                                                                 \
    } while (0)

#define SKIP_WITHOUT_MIPS_TOOLS() \
    SKIP_WITHOUT_TOOL(::vertigon::testing::MipsToolsAvailable(), ::vertigon::testing::kMipsToolsMissing)

namespace vertigon::testing {

// Register numbers by their o32 names.
namespace reg {
enum : int {
    zero, at, v0, v1, a0, a1, a2, a3, t0, t1, t2, t3, t4, t5, t6, t7,
    s0, s1, s2, s3, s4, s5, s6, s7, t8, t9, k0, k1, gp, sp, fp, ra
};
}  // namespace reg

class CapturingSink final : public EeOutputSink {
public:
    void Write(std::string_view text) override { text_ += text; }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

struct MachineRun {
    bool reachedStop = false;
    std::string fault;  // the fault's message, empty when there was none
    uint64_t steps = 0;
};

class EeMachine {
public:
    EeMachine() : state_(std::make_unique<EeState>(sink_)) {}

    EeState& state() { return *state_; }
    const std::string& output() const { return sink_.text(); }

    // Assembles `source` at `base`, copies it into emulated memory and sets PC to `base`.
    const AssembledCode& Load(const std::string& source, uint32_t base = 0x00100000) {
        code_ = AssembleR5900(source, base);
        for (size_t i = 0; i < code_.bytes.size(); ++i)
            *TranslateAddress(*state_, base + static_cast<uint32_t>(i)) = code_.bytes[i];
        state_->pc = base;
        return code_;
    }
    uint32_t Symbol(const std::string& name) const { return code_.Symbol(name); }

    void InstallHook(uint32_t address, NativeHookFunction function) {
        InstallNativeHook(*state_, hooks_, address, function);
    }

    MachineRun RunTo(uint32_t stop, uint64_t maxSteps = 100000) {
        MachineRun run;
        const R5900FloatMode floatMode(*state_);  // as the run loops hold it
        try {
            while (state_->pc != stop && run.steps < maxSteps) {
                Step(*state_);
                if (state_->breakPending) AnswerBreak(*state_, hooks_);
                ++run.steps;
            }
        } catch (const EeFault& fault) {
            run.fault = fault.what();
        }
        run.reachedStop = state_->pc == stop && run.fault.empty();
        return run;
    }
    // Runs to the label `done`, expecting to get there without a fault.
    void RunToDone(uint64_t maxSteps = 100000) {
        const MachineRun run = RunTo(Symbol("done"), maxSteps);
        ASSERT_TRUE(run.reachedStop) << "fault: " << run.fault << " pc: " << std::hex << state_->pc;
    }
    // Loads and runs from the start to the label `done`.
    void Run(const std::string& source, uint32_t base = 0x00100000) {
        Load(source, base);
        RunToDone();
    }
    // Loads and runs until the first fault; returns its message ("" when none happened).
    std::string RunToFault(const std::string& source, uint32_t base = 0x00100000) {
        Load(source, base);
        return RunTo(0xFFFFFFFF, 1000).fault;
    }

    uint64_t Gpr(int index) const { return state_->gpr[index].lower; }
    uint64_t Upper(int index) const { return state_->gpr[index].upper; }
    uint32_t Word(uint32_t address) const { return LoadHost<uint32_t>(TranslateAddress(*state_, address)); }
    uint8_t Byte(uint32_t address) const { return *TranslateAddress(*state_, address); }

private:
    std::unique_ptr<EeState> state_;
    CapturingSink sink_;
    NativeHookTable hooks_;
    AssembledCode code_;
};

}  // namespace vertigon::testing
