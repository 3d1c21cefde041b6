// vertigon-cli ee-run: runs a MIPS R5900 program in the interpreter and prints the final state.
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/ee_registers.h"
#include "cli/json_output.h"
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
    std::optional<uint32_t> entry;
    std::optional<uint32_t> stop;
    uint64_t maxSteps = kDefaultMaxSteps;
    std::vector<std::pair<std::string, std::string>> registers;
    std::vector<DumpRange> dumps;
};

std::optional<uint64_t> ParseNumber(const std::string& text, uint64_t limit) {
    if (text.empty() || text[0] == '-') return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || value > limit) return std::nullopt;
    return value;
}

int Usage(const std::string& message) {
    std::fprintf(stderr, "vertigon-cli ee-run: %s (see vertigon-cli --help)\n", message.c_str());
    return kExitUsage;
}

// Fills `options`; returns 0 or the exit status of a usage error.
int ParseOptions(const Arguments& args, EeRunOptions& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        auto value = [&]() -> const std::string& { return args[++i]; };
        if ((arg == "--entry" || arg == "--stop") && hasValue) {
            const std::optional<uint64_t> address = ParseNumber(value(), UINT32_MAX);
            if (!address) return Usage("bad address for " + arg);
            (arg == "--entry" ? options.entry : options.stop) = static_cast<uint32_t>(*address);
        } else if (arg == "--max-steps" && hasValue) {
            const std::optional<uint64_t> steps = ParseNumber(value(), UINT64_MAX);
            if (!steps) return Usage("bad step count");
            options.maxSteps = *steps;
        } else if (arg == "--set" && hasValue) {
            const std::string& assignment = value();
            const size_t equals = assignment.find('=');
            if (equals == std::string::npos) return Usage("--set takes REG=VALUE");
            options.registers.emplace_back(assignment.substr(0, equals), assignment.substr(equals + 1));
        } else if (arg == "--dump" && hasValue) {
            const std::string& range = value();
            const size_t colon = range.find(':');
            const std::optional<uint64_t> address =
                colon == std::string::npos ? std::nullopt : ParseNumber(range.substr(0, colon), UINT32_MAX);
            const std::optional<uint64_t> length =
                colon == std::string::npos ? std::nullopt : ParseNumber(range.substr(colon + 1), kMainMemorySize);
            if (!address || !length) return Usage("--dump takes ADDR:LEN");
            options.dumps.push_back({static_cast<uint32_t>(*address), static_cast<uint32_t>(*length)});
        } else if (options.path.empty() && !arg.empty() && arg[0] != '-') {
            options.path = arg;
        } else {
            return Usage("unexpected argument '" + arg + "'");
        }
    }
    if (options.path.empty()) return Usage("an ELF file is required");
    if (!options.entry || !options.stop) return Usage("--entry and --stop are required");
    return 0;
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

}  // namespace

int RunEeRun(const Arguments& args) {
    EeRunOptions options;
    if (const int status = ParseOptions(args, options)) return status;

    // Standard output carries the JSON; the emulator's messages go to standard error.
    FileOutputSink messages(stderr);
    auto state = std::make_unique<EeState>(messages);
    for (const auto& [name, value] : options.registers) {
        std::string error;
        if (!SetEeRegister(*state, name, value, &error)) return Usage(error);
    }
    for (const DumpRange& range : options.dumps) {
        if (!DumpIsMapped(*state, range)) return Usage("dump range is not all emulated memory");
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

    const RunResult run = RunUntilStop(*state, RunPlan{*options.entry, *options.stop, options.maxSteps});

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

}  // namespace vertigon
