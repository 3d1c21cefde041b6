#pragma once

#include <cstdint>
#include <span>

#include "formats/model_loader.h"
#include "formats/ps2/gs_memory.h"
#include "formats/texture_layout.h"
#include "formats/work_budget.h"

namespace vertigon {

// Trees of tagged chunks with several levels of detail.
class RawLoader final : public ModelLoader {
public:
    bool CanLoad(const std::string& path) override;
    std::unique_ptr<Model> LoadFromMemory(const ModelBytes& bytes, const LoadContext& context) override;
    FileKind GetFileKind(const std::string& path) override;
    const char* GetFilterString() const override;
    const char* GetName() const override { return "RawLoader"; }
    const char* FormatName() const override { return "RAW"; }
};

}  // namespace vertigon

namespace vertigon::raw {

// Builds the model held by a RAW file's bytes, unswizzling its textures through `gs`, within
// the work budget of the file's size (at most `maxWorkBytes`); throws LoadError when there is none.
std::unique_ptr<Model> LoadModel(std::span<const uint8_t> file, GsMemoryImage& gs,
                                 uint64_t maxWorkBytes = WorkBudget::kMaxBytes);

// Where a RAW file keeps its textures' index images and palettes; throws LoadError as above.
TextureLayout DescribeFileTextures(std::span<const uint8_t> file);

}  // namespace vertigon::raw
