// vertigon-cli export MODEL... -o OUT [--lod N|all] [--frames N] [-j N] [--ee-image PATH]
#include <unistd.h>

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <thread>

#include "cli/commands.h"
#include "cli/export_batch.h"
#include "cli/option_values.h"

namespace vertigon {
namespace {

void DeclareExport(CLI::App& app, ExportBatch& batch) {
    batch.jobs = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
    app.add_option("FILE", batch.models, "the models")->required();
    app.add_option("-o", batch.out, "a .glb or .gltf file, or a directory")->required();
    app.add_option_function<std::string>("--lod", [&batch](const std::string& value) {
        const std::optional<int32_t> lod = value == "all" ? 0 : Number<int32_t>(value);
        if (!lod || *lod < 0) throw CLI::ValidationError("--lod", "takes a Lod number or 'all'");
        batch.options.allLods = value == "all";
        batch.options.lod = *lod;
    }, "the level of detail, or all");
    app.add_option("--frames", batch.options.bakeFrames, "frames baked per MDLS animation")
        ->check(CLI::Range(1, INT32_MAX));
    app.add_option("-j", batch.jobs, "models exported at once")->check(CLI::Range(1, INT32_MAX));
    AddEeImageOption(app, batch.loaderOptions.eeImagePath);
}

int RunExport(const ExportBatch& parsed) {
    if (parsed.out.empty()) throw UsageError("-o OUT is required");
    ExportBatch batch = parsed;
    batch.progressLines = isatty(STDERR_FILENO) == 1;
    return RunExportBatch(batch, [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
}

}  // namespace

CliCommand ExportCommand() {
    return {"export", "FILE... -o OUT [--lod N|all] [--frames N] [-j N]",
            "Export models as glTF 2.0 with their meshes, skin, textures and every animation.\n"
            "One FILE and OUT ending in .glb or .gltf (any case): that file (.glb holds\n"
            "everything; .gltf writes a .bin and the textures as PNG files beside it).\n"
            "Otherwise OUT is a directory (made when missing) and each FILE becomes\n"
            "OUT/NAME.glb. --lod: the level of detail to export (default 0) or all of them;\n"
            "--frames: frames baked per MDLS animation (default 120); -j: models exported\n"
            "at once (default: the number of processor cores), the files the same as with\n"
            "-j 1. Exit status 0 when every model was exported, 1 when any could not be read\n"
            "or written (one line each on standard error; the others are still exported), 2\n"
            "when an argument is not a model, 64 for a wrong command line. On a terminal,\n"
            "a line on standard error for each model exported.",
            true, Declaring(DeclareExport, RunExport)};
}

}  // namespace vertigon
