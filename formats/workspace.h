// Everything one viewer window or one export job loads and animates with: the loader registry
// with its loaders and models, the emulator the MDLS animations run in, the GS memory image
// textures are unswizzled through, and the sink for status reports and emulator text. Nothing
// is shared between workspaces, so two of them can work in two threads at once.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "formats/load_context.h"
#include "formats/loader_options.h"
#include "formats/mdls/mdls_emulator.h"
#include "formats/model_loader.h"
#include "formats/ps2/gs_memory.h"
#include "formats/registry.h"
#include "formats/status_report.h"

namespace vertigon {

class Workspace {
public:
    // The standard loaders; the emulator over the program image the options lead to (a refused
    // image is reported through `status` at once).
    explicit Workspace(const LoaderOptions& options = {}, StatusSink status = StatusSink());
    // The standard loaders and an emulator over a program image already inflated (tests,
    // benchmarks, fuzzing).
    explicit Workspace(std::vector<uint8_t> eeImage, StatusSink status = StatusSink());
    // The given loaders instead of the standard ones (tests inject loaders).
    Workspace(std::vector<std::unique_ptr<ModelLoader>> loaders, const LoaderOptions& options,
              StatusSink status = StatusSink());
    // The models go first, then the loaders, the emulator and the rest.
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    LoaderRegistry& registry() { return *registry_; }
    const LoaderRegistry& registry() const { return *registry_; }
    mdls::Emulator& emulator() { return *emulator_; }
    GsMemoryImage& gsMemory() { return *gsMemory_; }
    StatusSink& status() { return *status_; }
    const LoaderOptions& options() const { return options_; }
    // What every load through this workspace works with.
    LoadContext context();

private:
    void MakeRegistry(std::vector<std::unique_ptr<ModelLoader>> loaders);

    LoaderOptions options_;
    std::shared_ptr<StatusSink> status_;
    std::unique_ptr<GsMemoryImage> gsMemory_;
    std::shared_ptr<mdls::Emulator> emulator_;
    std::unique_ptr<LoaderRegistry> registry_;
};

}  // namespace vertigon
