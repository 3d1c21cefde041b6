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

namespace vertigon {

namespace {

constexpr const char* kGroupNames[4] = {"Field animations", "Field battle animations", "Water animations",
                                        "Water battle animations"};

}  // namespace

bool FfbLoader::CanLoad(const std::string& path) { return HasExtension(path, ".FFB"); }

FileKind FfbLoader::GetFileKind(const std::string&) { return FileKindModel; }

const char* FfbLoader::GetFilterString() const { return "Final Fantasy X / X2 Model (*.FFB)|*.FFB"; }

std::unique_ptr<Model> FfbLoader::LoadFromMemory(const ModelBytes& bytes, const LoadContext& context) {
    return LoadFfbArchive(InflateArchive(bytes.file, bytes.name), context.options.maxWorkBytes);
}

std::unique_ptr<Model> LoadFfbArchive(std::span<const uint8_t> image, uint64_t maxWorkBytes) {
    const std::optional<ByteReader> ffm = FindArchiveMember(image, "model.ffm");
    if (!ffm) Refuse("the archive holds no model.ffm");
    WorkBudget budget = WorkBudget::ForFile(image.size(), maxWorkBytes);
    auto model = std::make_unique<Model>();
    DecodeFfmModel(*ffm, *model, budget);

    model->animationGroups.resize(4);
    for (int number = 1; number <= 4; ++number) {
        AnimationGroup& group = model->animationGroups[static_cast<size_t>(number - 1)];
        group.name = kGroupNames[number - 1];
        const std::optional<ByteReader> ffa = FindArchiveMember(image, std::to_string(number) + ".ffa");
        if (ffa) group.animations = DecodeFfaAnimations(*ffa, budget);
    }
    return model;
}

TextureLayout DescribeFfbTextures(std::span<const uint8_t> image) {
    const std::optional<ByteReader> ffm = FindArchiveMember(image, "model.ffm");
    if (!ffm) throw FormatError("the archive holds no model.ffm");
    return DescribeFfmTextures(*ffm, static_cast<uint64_t>(ffm->data().data() - image.data()));
}

}  // namespace vertigon
