#include "formats/ffb/ffb_loader.h"

#include <string>

#include "formats/ffb/ffa_animation.h"
#include "formats/ffb/ffb_archive.h"
#include "formats/work_budget.h"
#include "formats/ffb/ffm_model.h"
#include "formats/file_io.h"
#include "formats/load_context.h"
#include "formats/load_error.h"
#include "formats/loader_options.h"

namespace vertigon::ffb {

namespace {

constexpr const char* kGroupNames[4] = {"Field animations", "Field battle animations", "Water animations",
                                        "Water battle animations"};

}  // namespace

std::unique_ptr<Model> LoadArchive(std::span<const uint8_t> image, uint64_t maxWorkBytes) {
    const std::optional<ByteReader> ffm = FindArchiveMember(image, "model.ffm");
    if (!ffm) Refuse("the archive holds no model.ffm");
    WorkBudget budget = WorkBudget::ForFile(image.size(), maxWorkBytes);
    auto model = std::make_unique<Model>();
    DecodeModel(*ffm, *model, budget);

    model->animationGroups.resize(4);
    for (int number = 1; number <= 4; ++number) {
        AnimationGroup& group = model->animationGroups[static_cast<size_t>(number - 1)];
        group.name = kGroupNames[number - 1];
        const std::optional<ByteReader> ffa = FindArchiveMember(image, std::to_string(number) + ".ffa");
        if (ffa) group.animations = DecodeAnimations(*ffa, budget);
    }
    return model;
}

TextureLayout DescribeArchiveTextures(std::span<const uint8_t> image) {
    const std::optional<ByteReader> ffm = FindArchiveMember(image, "model.ffm");
    if (!ffm) throw FormatError("the archive holds no model.ffm");
    return DescribeModelTextures(*ffm, static_cast<uint64_t>(ffm->data().data() - image.data()));
}

}  // namespace vertigon::ffb

namespace vertigon {

bool FfbLoader::CanLoad(const std::string& path) { return HasExtension(path, ".FFB"); }

FileKind FfbLoader::GetFileKind(const std::string&) { return FileKindModel; }

const char* FfbLoader::GetFilterString() const { return "Final Fantasy X / X2 Model (*.FFB)|*.FFB"; }

std::unique_ptr<Model> FfbLoader::LoadFromMemory(const ModelBytes& bytes, const LoadContext& context) {
    return ffb::LoadArchive(ffb::InflateArchive(bytes.file, bytes.name), context.options.maxWorkBytes);
}

}  // namespace vertigon
