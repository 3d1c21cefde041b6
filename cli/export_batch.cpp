#include "cli/export_batch.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <mutex>
#include <system_error>
#include <thread>

#include "cli/commands.h"
#include "formats/registry.h"
#include "formats/workspace.h"
#include "cli/load_for_cli.h"

namespace vertigon {
namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

struct JobResult {
    int status = kExitOk;
    std::vector<std::string> lines;
};

JobResult ExportOne(LoaderRegistry& registry, const std::string& path, const std::filesystem::path& target,
                    const GltfExportOptions& base) {
    JobResult result;
    const std::string prefix = "vertigon-cli export: ";
    LoadFailure failure;
    Model* model = registry.OpenModel(path, &failure);
    if (!model) {
        const bool notModel =
            failure.reason == LoadFailure::Reason::NoLoader || failure.reason == LoadFailure::Reason::NotAModel;
        result.status = notModel ? kExitNotModel : kExitFailed;
        // A batch's reader needs to know which file; most reasons name it already.
        const bool named = failure.message.find(path) != std::string::npos;
        result.lines.push_back(prefix + (named ? "" : path + ": ") + failure.message);
        return result;
    }
    GltfExportOptions options = base;
    options.sourceName = std::filesystem::path(path).filename().string();
    options.formatName = registry.FindLoader(path)->FormatName();
    options.warn = [&](std::string_view line) { result.lines.push_back(prefix + path + ": " + std::string(line)); };
    try {
        ExportGltf(*model, target, options);
    } catch (const ExportError& error) {
        result.status = kExitFailed;
        result.lines.push_back(prefix + path + ": " + error.what());
    }
    registry.ClearModels();
    return result;
}

}  // namespace

bool IsGltfFileName(const std::filesystem::path& out) {
    const std::string extension = Lower(out.extension().string());
    return extension == ".glb" || extension == ".gltf";
}

std::vector<std::filesystem::path> ExportTargets(const ExportBatch& batch) {
    if (batch.models.size() == 1 && IsGltfFileName(batch.out)) return {batch.out};
    std::vector<std::filesystem::path> targets;
    for (const std::string& model : batch.models) {
        targets.push_back(batch.out / (std::filesystem::path(model).stem().string() + ".glb"));
    }
    return targets;
}

int RunExportBatch(const ExportBatch& batch, const std::function<void(const std::string&)>& print) {
    const std::vector<std::filesystem::path> targets = ExportTargets(batch);
    const bool toDirectory = !(batch.models.size() == 1 && IsGltfFileName(batch.out));
    if (toDirectory) {
        std::error_code error;
        std::filesystem::create_directories(batch.out, error);
        if (error) {
            print("vertigon-cli export: cannot make " + batch.out.string() + ": " + error.message());
            return kExitFailed;
        }
    }

    std::mutex printing;
    int worst = kExitOk;
    size_t finished = 0;
    auto report = [&](size_t index, const JobResult& result) {
        const std::lock_guard lock(printing);
        for (const std::string& line : result.lines) print(line);
        ++finished;
        if (batch.progressLines && result.status == kExitOk) {
            print("vertigon-cli export: [" + std::to_string(finished) + "/" + std::to_string(batch.models.size()) +
                  "] " + batch.models[index] + " -> " + targets[index].string());
        }
        worst = std::max(worst, result.status);
    };

    // Two models of one name would write the same file: the first one keeps it.
    auto duplicateOf = [&](size_t index) -> const std::string* {
        for (size_t k = 0; k < index; ++k)
            if (targets[k] == targets[index]) return &batch.models[k];
        return nullptr;
    };

    std::atomic<size_t> next{0};
    // Each worker has a workspace of its own (loaders, GS memory, emulator), so models export
    // side by side and every file comes out as it would alone.
    auto work = [&]() {
        Workspace workspace(batch.loaderOptions, CliStatusSink());
        for (size_t i = next++; i < batch.models.size(); i = next++) {
            if (const std::string* first = duplicateOf(i)) {
                report(i, {kExitFailed,
                           {"vertigon-cli export: " + batch.models[i] + ": not exported, " + targets[i].string() +
                            " is the export of " + *first}});
                continue;
            }
            report(i, ExportOne(workspace.registry(), batch.models[i], targets[i], batch.options));
        }
    };
    const size_t workers = std::min(batch.models.size(), static_cast<size_t>(std::max(batch.jobs, 1)));
    std::vector<std::thread> threads;
    for (size_t k = 1; k < workers; ++k) threads.emplace_back(work);
    work();
    for (std::thread& thread : threads) thread.join();
    return worst;
}

}  // namespace vertigon
