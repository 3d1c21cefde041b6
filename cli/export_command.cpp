// vertigon-cli export MODEL... -o OUT [--lod N|all] [--frames N] [-j N] [--ee-image PATH]
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <thread>

#include "cli/commands.h"
#include "cli/export_batch.h"

namespace vertigon {
namespace {

std::optional<int32_t> ParseCount(const std::string& text, int32_t minimum) {
    if (text.empty() || text[0] == '-' || text[0] == '+') return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < minimum || value > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(value);
}

int Usage(const std::string& message) {
    std::fprintf(stderr, "vertigon-cli export: %s (see vertigon-cli --help)\n", message.c_str());
    return kExitUsage;
}

}  // namespace

int RunExport(const Arguments& args) {
    ExportBatch batch;
    batch.jobs = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
    bool haveOut = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "-o" && hasValue) {
            batch.out = args[++i];
            haveOut = !batch.out.empty();
        } else if (arg == "--lod" && hasValue) {
            const std::string& value = args[++i];
            const std::optional<int32_t> lod = value == "all" ? std::optional<int32_t>(0) : ParseCount(value, 0);
            if (!lod) return Usage("--lod takes a Lod number or 'all'");
            batch.options.allLods = value == "all";
            batch.options.lod = *lod;
        } else if (arg == "--frames" && hasValue) {
            const std::optional<int32_t> frames = ParseCount(args[++i], 1);
            if (!frames) return Usage("--frames takes a frame count of at least 1");
            batch.options.bakeFrames = *frames;
        } else if (arg == "-j" && hasValue) {
            const std::optional<int32_t> jobs = ParseCount(args[++i], 1);
            if (!jobs) return Usage("-j takes a job count of at least 1");
            batch.jobs = *jobs;
        } else if (arg == "--ee-image" && hasValue) {
            batch.loaderOptions.eeImagePath = args[++i];
        } else if (!arg.empty() && arg[0] != '-') {
            batch.models.push_back(arg);
        } else {
            return Usage("unexpected argument '" + arg + "'");
        }
    }
    if (batch.models.empty()) return Usage("at least one model file is required");
    if (!haveOut) return Usage("-o OUT is required");
    batch.progressLines = isatty(STDERR_FILENO) == 1;
    return RunExportBatch(batch, [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
}

}  // namespace vertigon
