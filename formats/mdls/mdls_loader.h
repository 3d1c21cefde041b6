#pragma once

#include "formats/model_loader.h"

namespace vertigon {

// Models with a companion animation file whose poses come from the game's own routines.
class MdlsLoader final : public ModelLoader {
public:
    bool CanLoad(const std::string& path) override;
    std::unique_ptr<Model> Load(const std::string& path) override;
    FileKind GetFileKind(const std::string& path) override;
    const char* GetFilterString() const override;
    const char* GetName() const override { return "MdlsLoader"; }
};

}  // namespace vertigon
