#pragma once

#include "formats/model_loader.h"

namespace vertigon {

// Models with a companion animation file whose poses come from the game's own routines, run
// in the workspace's emulator.
class MdlsLoader final : public ModelLoader {
public:
    bool CanLoad(const std::string& path) override;
    // The model, with one animation group "generic" when the companion is given. A companion
    // that cannot be read or split is reported and leaves the model without animations.
    std::unique_ptr<Model> LoadFromMemory(const ModelBytes& bytes, const LoadContext& context) override;
    FileKind GetFileKind(const std::string& path) override;
    const char* GetFilterString() const override;
    const char* GetName() const override { return "MdlsLoader"; }
    const char* FormatName() const override { return "MDLS"; }

protected:
    // The model's path with ".mset" for its extension; on a case-sensitive file system, failing
    // that, the same name with the extension in any case ("HERO.MSET" beside "HERO.MDLS").
    std::string CompanionPath(const std::string& modelPath) const override;
};

}  // namespace vertigon
