// vertigon-cli ee-run: runs a MIPS R5900 program in the interpreter and prints the final state.
#include <CLI/CLI.hpp>

#include <cinttypes>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/ee_registers.h"
#include "cli/json_output.h"
#include "cli/option_values.h"
#include "ee/memory.h"
#include "ee/output.h"
#include "ee/program_image.h"
#include "ee/run_loop.h"
#include "formats/file_io.h"
#include "formats/load_error.h"

namespace vertigon {
namespace {

constexpr uint64_t kDefaultMaxSteps = 100'000'000;

struct DumpRange {
    uint32_t address;
    uint32_t length;
};

struct EeRunOptions {
    std::string path;
    uint32_t entry = 0;
    uint32_t stop = 0;
    uint64_t maxSteps = kDefaultMaxSteps;
    std::vector<std::pair<std::string, std::string>> registers;
    std::vector<DumpRange> dumps;
};

void DeclareEeRun(CLI::App& app, EeRunOptions& o) {
    app.add_option("ELF", o.path, "the program")->required();
    app.add_option("--entry", o.entry, "where to start")->required();
    app.add_option("--stop", o.stop, "where to stop")->required();
    app.add_option("--max-steps", o.maxSteps, "the step bound");
    app.add_option_function<std::vector<std::string>>("--set", [&o](const std::vector<std::string>& assignments) {
        for (const std::string& assignment : assignments) {
            const size_t equals = assignment.find('=');
            if (equals == std::string::npos) throw CLI::ValidationError("--set", "takes REG=VALUE");
            o.registers.emplace_back(assignment.substr(0, equals), assignment.substr(equals + 1));
        }
    }, "REG=VALUE, again for each register");
    app.add_option_function<std::vector<std::string>>("--dump", [&o](const std::vector<std::string>& ranges) {
        for (const std::string& range : ranges) {
            const auto pair = NumberList<uint64_t>(range, ':', 2);
            if (!pair || (*pair)[0] > UINT32_MAX || (*pair)[1] > kMainMemorySize) {
                throw CLI::ValidationError("--dump", "takes ADDR:LEN");
            }
            o.dumps.push_back({static_cast<uint32_t>((*pair)[0]), static_cast<uint32_t>((*pair)[1])});
        }
    }, "ADDR:LEN, again for each range");
}

bool DumpIsMapped(const EeState& state, const DumpRange& range) {
    for (uint32_t i = 0; i < range.length; ++i)
        if (!TryTranslateAddress(state, range.address + i)) return false;
    return true;
}

std::string HexBytes(const EeState& state, const DumpRange& range) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(size_t{range.length} * 2);
    for (uint32_t i = 0; i < range.length; ++i) {
        const uint8_t byte = *TryTranslateAddress(state, range.address + i);
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

const char* OutcomeName(RunResult::Outcome outcome) {
    switch (outcome) {
        case RunResult::Outcome::Finished: return "stop";
        case RunResult::Outcome::Fault: return "fault";
        default: return "step-bound";
    }
}

int RunEeRun(const EeRunOptions& options) {
    // Standard output carries the JSON; the emulator's messages go to standard error.
    FileOutputSink messages(stderr);
    auto state = std::make_unique<EeState>(messages);
    for (const auto& [name, value] : options.registers) {
        std::string error;
        if (!SetEeRegister(*state, name, value, &error)) throw UsageError(error);
    }
    for (const DumpRange& range : options.dumps) {
        if (!DumpIsMapped(*state, range)) throw UsageError("dump range is not all emulated memory");
    }
    try {
        LoadProgramImage(*state, ReadWholeFile(options.path));
    } catch (const LoadError& error) {
        std::fprintf(stderr, "vertigon-cli ee-run: %s\n", error.what());
        return kExitFailed;
    } catch (const ProgramImageError& error) {
        std::fprintf(stderr, "vertigon-cli ee-run: %s\n", error.what());
        return kExitFailed;
    }

    const RunResult run = RunUntilStop(*state, RunPlan{options.entry, options.stop, options.maxSteps});

    Json json = {{"outcome", OutcomeName(run.outcome)}};
    if (run.outcome == RunResult::Outcome::Fault) json["fault"] = run.message + "\n";
    json["steps"] = run.steps;
    AddEeRegistersJson(json, *state);
    Json memory = Json::array();
    for (const DumpRange& range : options.dumps) {
        char address[16];
        std::snprintf(address, sizeof address, "%08" PRIx32, range.address);
        memory.push_back({{"address", address}, {"length", range.length}, {"bytes", HexBytes(*state, range)}});
    }
    json["memory"] = std::move(memory);
    std::printf("%s\n", JsonText(json).c_str());
    switch (run.outcome) {
        case RunResult::Outcome::Finished: return kExitOk;
        case RunResult::Outcome::Fault: return kExitFailed;
        default: return kExitStepBound;
    }
}

}  // namespace

CliCommand EeRunCommand() {
    return {"ee-run", "ELF --entry ADDR --stop ADDR [--max-steps N] [--set REG=VALUE]...\n[--dump ADDR:LEN]...",
            "Load the ELF's loadable segments into a fresh emulated memory (p_paddr as the\n"
            "offset into main memory), set the named registers, run the R5900 interpreter\n"
            "from ADDR until the program counter reaches the stop address, and print the\n"
            "registers and the requested memory ranges as one JSON object. Registers: r0-r31\n"
            "or zero, at, v0 ... ra; hi, lo, sa; f0-f31, fcc; vf0-vf31 and acc (as x,y,z,w),\n"
            "vi0-vi31, q, macflags. Integers are decimal or 0x-hexadecimal; floats are\n"
            "decimal or 0x and their bit pattern.\n"
            "The emulator's own messages go to standard error. Exit status 0 at the stop\n"
            "address, 1 on an emulator fault, 3 when N steps (default 100000000) are done.",
            false, Declaring(DeclareEeRun, RunEeRun)};
}

}  // namespace vertigon
