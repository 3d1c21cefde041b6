#pragma once

#include <memory>

#include "formats/loader_options.h"
#include "formats/mdls/mdls_emulator.h"
#include "formats/model_loader.h"

namespace vertigon {

// Models with a companion animation file whose poses come from the game's own routines.
class MdlsLoader final : public ModelLoader {
public:
    // Sets up the emulator from the program image the options lead to.
    explicit MdlsLoader(const LoaderOptions& options = {});
    // Shares an emulator made elsewhere (tests, benchmarks).
    explicit MdlsLoader(std::shared_ptr<MdlsEmulator> emulator);

    bool CanLoad(const std::string& path) override;
    // The model, with one animation group "generic" when the companion .mset opens. A
    // companion that cannot be read or split is reported and leaves the model without
    // animations.
    std::unique_ptr<Model> Load(const std::string& path) override;
    FileKind GetFileKind(const std::string& path) override;
    const char* GetFilterString() const override;
    const char* GetName() const override { return "MdlsLoader"; }

    MdlsEmulator& emulator() const { return *emulator_; }

private:
    std::shared_ptr<MdlsEmulator> emulator_;
};

}  // namespace vertigon
