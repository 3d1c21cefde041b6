#include "cli/load_for_cli.h"

#include <cstdio>

#include "cli/commands.h"

namespace vertigon {

StatusSink CliStatusSink() {
    return StatusSink(
        [](std::string_view message) {
            std::fprintf(stderr, "vertigon-cli: %.*s\n", static_cast<int>(message.size()), message.data());
        },
        stderr);
}

Model* OpenModelForCli(LoaderRegistry& registry, const std::string& path, int* exitStatus) {
    LoadFailure failure;
    Model* model = registry.OpenModel(path, &failure);
    if (model) {
        *exitStatus = kExitOk;
        return model;
    }
    const bool notOurs = failure.reason == LoadFailure::Reason::NoLoader || failure.reason == LoadFailure::Reason::NotAModel;
    *exitStatus = notOurs ? kExitNotModel : kExitFailed;
    std::fprintf(stderr, "vertigon-cli: %s\n", failure.message.c_str());
    return nullptr;
}

const char* FileKindName(FileKind kind) {
    switch (kind) {
        case FileKindModel: return "model";
        case FileKindAnimation: return "animation";
        default: return "none";
    }
}

}  // namespace vertigon
