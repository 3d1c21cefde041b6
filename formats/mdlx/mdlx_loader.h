#pragma once

#include "formats/model_loader.h"

namespace vertigon {

// "BAR" archives with DMA/VIF geometry and a GS memory image of the textures.
class MdlxLoader final : public ModelLoader {
public:
    bool CanLoad(const std::string& path) override;
    // The companion animation file, when given, is dropped: no animation is decoded from it.
    std::unique_ptr<Model> LoadFromMemory(const ModelBytes& bytes, const LoadContext& context) override;
    FileKind GetFileKind(const std::string& path) override;
    const char* GetFilterString() const override;
    const char* GetName() const override { return "MdlxLoader"; }
    const char* FormatName() const override { return "MDLX"; }

protected:
    // The model's path with the extension from the last '.' replaced by ".mset" (or ".mset"
    // appended when there is none); read whole and dropped, a missing or unreadable one being
    // no error.
    std::string CompanionPath(const std::string& modelPath) const override;
};

}  // namespace vertigon
