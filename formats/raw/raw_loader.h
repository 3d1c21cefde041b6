#pragma once

#include "formats/model_loader.h"

namespace vertigon {

// Trees of tagged chunks with several levels of detail.
class RawLoader final : public ModelLoader {
public:
    bool CanLoad(const std::string& path) override;
    std::unique_ptr<Model> Load(const std::string& path) override;
    FileKind GetFileKind(const std::string& path) override;
    const char* GetFilterString() const override;
    const char* GetName() const override { return "RawLoader"; }
};

}  // namespace vertigon
