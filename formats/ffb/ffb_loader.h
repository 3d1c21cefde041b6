#pragma once

#include "formats/model_loader.h"

namespace vertigon {

// Tar archives (optionally gzip-compressed) holding model.ffm and numbered .ffa animations.
class FfbLoader final : public ModelLoader {
public:
    bool CanLoad(const std::string& path) override;
    std::unique_ptr<Model> Load(const std::string& path) override;
    FileKind GetFileKind(const std::string& path) override;
    const char* GetFilterString() const override;
    const char* GetName() const override { return "FfbLoader"; }
};

}  // namespace vertigon
