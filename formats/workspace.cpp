#include "formats/workspace.h"

namespace vertigon {

Workspace::Workspace(const LoaderOptions& options, StatusSink status)
    : Workspace(LoaderRegistry::StandardLoaders(), options, std::move(status)) {}

Workspace::Workspace(std::vector<uint8_t> eeImage, StatusSink status)
    : status_(std::make_shared<StatusSink>(std::move(status))),
      gsMemory_(std::make_unique<GsMemoryImage>()),
      emulator_(std::make_shared<mdls::Emulator>(std::move(eeImage), status_)) {
    options_.searchDefaultEeImagePlaces = false;
    MakeRegistry(LoaderRegistry::StandardLoaders());
}

Workspace::Workspace(std::vector<std::unique_ptr<ModelLoader>> loaders, const LoaderOptions& options,
                     StatusSink status)
    : options_(options),
      status_(std::make_shared<StatusSink>(std::move(status))),
      gsMemory_(std::make_unique<GsMemoryImage>()),
      emulator_(std::make_shared<mdls::Emulator>(options_, status_)) {
    MakeRegistry(std::move(loaders));
}

Workspace::~Workspace() { registry_.reset(); }

void Workspace::MakeRegistry(std::vector<std::unique_ptr<ModelLoader>> loaders) {
    registry_ = std::make_unique<LoaderRegistry>(context(), std::move(loaders));
}

LoadContext Workspace::context() { return LoadContext{*gsMemory_, emulator_, *status_, options_}; }

}  // namespace vertigon
