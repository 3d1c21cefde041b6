#pragma once

#include <cstdint>
#include <span>

#include "formats/model_loader.h"
#include "formats/texture_layout.h"
#include "formats/work_budget.h"

namespace vertigon {

// Tar archives (optionally gzip-compressed) holding model.ffm and numbered .ffa animations.
class FfbLoader final : public ModelLoader {
public:
    bool CanLoad(const std::string& path) override;
    // The archive plain or gzip-compressed.
    std::unique_ptr<Model> LoadFromMemory(const ModelBytes& bytes, const LoadContext& context) override;
    FileKind GetFileKind(const std::string& path) override;
    const char* GetFilterString() const override;
    const char* GetName() const override { return "FfbLoader"; }
    const char* FormatName() const override { return "FFB"; }
};

}  // namespace vertigon

namespace vertigon::ffb {

// The model in an archive already in memory (decompressed): model.ffm, then the four animation
// groups from "1.ffa" to "4.ffa", a missing member leaving its group empty. Throws FormatError
// when there is no model.ffm or a member is malformed.
// The archive's size sets the work budget of the load (at most `maxWorkBytes`).
std::unique_ptr<Model> LoadArchive(std::span<const uint8_t> image, uint64_t maxWorkBytes = WorkBudget::kMaxBytes);

// Where the decompressed archive keeps the textures' index images and palettes (offsets in
// `image`). Throws FormatError when there is no model.ffm or its texture tables do not fit.
TextureLayout DescribeArchiveTextures(std::span<const uint8_t> image);

}  // namespace vertigon::ffb
