#pragma once

#include "formats/model_loader.h"

namespace vertigon {

// "BAR" archives with DMA/VIF geometry and a GS memory image of the textures.
class MdlxLoader final : public ModelLoader {
public:
    bool CanLoad(const std::string& path) override;
    std::unique_ptr<Model> Load(const std::string& path) override;
    FileKind GetFileKind(const std::string& path) override;
    const char* GetFilterString() const override;
    const char* GetName() const override { return "MdlxLoader"; }
};

}  // namespace vertigon
