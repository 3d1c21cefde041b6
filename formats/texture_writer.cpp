#include "formats/texture_writer.h"

#include <algorithm>
#include <map>
#include <set>

#include "formats/ffb/ffb_archive.h"
#include "formats/ffb/ffb_loader.h"
#include "formats/load_error.h"
#include "formats/mdls/mdls_model.h"
#include "formats/mdlx/mdlx_model.h"
#include "formats/ps2/gs_memory.h"
#include "formats/raw/raw_loader.h"
#include "formats/texture_colours.h"
#include "formats/texture_layout.h"
#include "image/image_error.h"
#include "image/texture_pixels.h"

namespace vertigon {

namespace {

// The bytes that hold the textures (for FFB the decompressed archive) and where they lie.
struct EditableFile {
    std::vector<uint8_t> bytes;
    bool gzip = false;
    TextureLayout layout;
};

EditableFile OpenEditable(std::string_view format, std::span<const uint8_t> file) {
    EditableFile editable;
    if (format == "FFB") {
        editable.gzip = ffb::IsGzipArchive(file);
        editable.bytes = ffb::InflateArchive(file, "the model file");
        editable.layout = ffb::DescribeArchiveTextures(editable.bytes);
        return editable;
    }
    editable.bytes.assign(file.begin(), file.end());
    if (format == "MDLX") {
        editable.layout = mdlx::DescribeFileTextures(editable.bytes);
    } else if (format == "RAW") {
        editable.layout = raw::DescribeFileTextures(editable.bytes);
    } else if (format == "MDLS") {
        editable.layout = mdls::DescribeFileTextures(ByteReader(editable.bytes));
    } else {
        throw TextureWriteError("textures of " + std::string(format) + " files cannot be written");
    }
    return editable;
}

std::string List(const std::vector<int32_t>& textures) {
    std::string text;
    for (size_t i = 0; i < textures.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == textures.size() ? " and " : ", ") + std::to_string(textures[i]);
    }
    return text;
}

std::string Textures(const std::vector<int32_t>& textures) {
    return (textures.size() == 1 ? "texture " : "textures ") + List(textures);
}

// The other textures whose image (or palette) is `which`.
std::vector<int32_t> Sharing(const TextureLayout& layout, int32_t texture, bool image) {
    std::vector<int32_t> others;
    const TextureSource& source = layout.textures[static_cast<size_t>(texture)];
    for (size_t u = 0; u < layout.textures.size(); ++u) {
        const TextureSource& other = layout.textures[u];
        if (static_cast<int32_t>(u) != texture && (image ? other.image == source.image : other.palette == source.palette)) {
            others.push_back(static_cast<int32_t>(u));
        }
    }
    return others;
}

std::string QualityText(int quality) { return "quality " + std::to_string(quality) + " of 100"; }

class Retexturer {
public:
    Retexturer(EditableFile& file, const Model& model, std::vector<std::string>& notes)
        : file_(file), model_(model), notes_(notes) {}

    void Replace(const TextureReplacement& r) {
        const TextureLayout& layout = file_.layout;
        const auto count = static_cast<int32_t>(model_.textures.size());
        if (r.texture < 0 || r.texture >= count) {
            throw TextureWriteError("there is no texture " + std::to_string(r.texture) + ": the model has " +
                                    std::to_string(count) + (count == 1 ? " texture" : " textures"));
        }
        if (!named_.insert(r.texture).second) {
            throw TextureWriteError("texture " + std::to_string(r.texture) + " is named more than once");
        }
        const Texture& current = model_.textures[static_cast<size_t>(r.texture)];
        const TextureSource source = layout.textures[static_cast<size_t>(r.texture)];
        if (source.image < 0 || !HoldsPixels(current.width, current.height, current.pixels.size())) {
            throw TextureWriteError("texture " + std::to_string(r.texture) + " has no pixels in the file to replace");
        }
        if (r.width != current.width || r.height != current.height) {
            throw TextureWriteError(r.name + " is " + std::to_string(r.width) + " x " + std::to_string(r.height) +
                                    " pixels; texture " + std::to_string(r.texture) + " is " +
                                    std::to_string(current.width) + " x " + std::to_string(current.height));
        }
        if (!HoldsPixels(r.width, r.height, r.rgba.size())) throw TextureWriteError(r.name + " does not hold its pixels");
        const std::string lead = "texture " + std::to_string(r.texture) + ": ";
        if (SwapRedBlue(r.rgba) == current.pixels) {
            notes_.push_back(lead + "unchanged");
            return;
        }

        const IndexImagePlace& image = layout.images[static_cast<size_t>(source.image)];
        const PalettePlace& palettePlace = layout.palettes[static_cast<size_t>(source.palette)];
        if (image.width != static_cast<uint32_t>(r.width) || image.height != static_cast<uint32_t>(r.height)) {
            throw TextureWriteError(lead + "the file's image is not the size the model shows");
        }
        const StoredPalette palette = ReadStoredPalette(file_.bytes, palettePlace);
        const std::vector<int32_t> paletteUsers = Sharing(layout, r.texture, false);
        const std::vector<int32_t> imageUsers = Sharing(layout, r.texture, true);

        FittedImage fitted;
        try {
            fitted = paletteUsers.empty() ? FitOwnPalette(r.width, r.height, r.rgba, palette, layout.alpha)
                                          : FitFixedPalette(r.width, r.height, r.rgba, palette, layout.alpha);
        } catch (const ImageError& failure) {
            throw TextureWriteError(lead + failure.what());
        }
        try {
            WriteIndexImage(file_.bytes, image, fitted.indices, gs_);
        } catch (const FormatError& failure) {
            throw TextureWriteError(lead + failure.what());
        }
        if (paletteUsers.empty()) WriteStoredPalette(file_.bytes, palettePlace, fitted.palette);

        const std::string how = fitted.exact ? "exactly" : "with " + QualityText(fitted.quality);
        if (!paletteUsers.empty()) {
            notes_.push_back(lead + "its palette is also used by " + Textures(paletteUsers) +
                             ", so it stays as it is and the picture is mapped onto it " + how);
        } else if (fitted.exact) {
            notes_.push_back(lead + "replaced exactly");
        } else {
            notes_.push_back(lead + "the picture does not fit a 256-colour palette exactly; quantized with " +
                             QualityText(fitted.quality));
        }
        if (!imageUsers.empty()) {
            notes_.push_back(lead + "its index image is also used by " + Textures(imageUsers) + ", which change with it");
        }
        // A texture replaced earlier in the same run that shares this image changes again.
        for (int32_t u : imageUsers) {
            mayChange_.insert(u);
            expected_.erase(u);
        }
        expected_[r.texture] = ShownPixels(fitted.indices, fitted.palette, layout.alpha);
    }

    // Every texture of the model read back from the new file shows what was intended.
    void Check(const Model& written) const {
        if (written.textures.size() != model_.textures.size()) {
            throw TextureWriteError("the written file does not read back with the same textures");
        }
        for (size_t u = 0; u < written.textures.size(); ++u) {
            const auto t = static_cast<int32_t>(u);
            const std::vector<uint8_t>& pixels = written.textures[u].pixels;
            const auto wanted = expected_.find(t);
            const bool ok = wanted != expected_.end() ? pixels == wanted->second
                            : mayChange_.count(t) ? pixels.size() == model_.textures[u].pixels.size()
                                                  : pixels == model_.textures[u].pixels;
            if (!ok) throw TextureWriteError("the written file does not read back as intended (texture " + std::to_string(t) + ")");
        }
    }

private:
    EditableFile& file_;
    const Model& model_;
    std::vector<std::string>& notes_;
    GsMemoryImage gs_;
    std::set<int32_t> named_;
    std::map<int32_t, std::vector<uint8_t>> expected_;
    std::set<int32_t> mayChange_;
};

}  // namespace

RetexturedFile RetextureModelFile(std::string_view formatName, std::span<const uint8_t> file, const Model& model,
                                  std::span<const TextureReplacement> replacements, const ModelReader& read) {
    EditableFile editable;
    try {
        editable = OpenEditable(formatName, file);
        RequireLayoutInside(editable.bytes, editable.layout);
    } catch (const LoadError& failure) {
        throw TextureWriteError(std::string("the textures cannot be located in the file: ") + failure.what());
    }
    if (editable.layout.textures.size() != model.textures.size()) {
        throw TextureWriteError("the textures cannot be located in the file: it describes " +
                                std::to_string(editable.layout.textures.size()) + " textures, the model has " +
                                std::to_string(model.textures.size()));
    }
    const std::vector<uint8_t> before = editable.bytes;

    RetexturedFile result;
    Retexturer retexturer(editable, model, result.notes);
    for (const TextureReplacement& r : replacements) retexturer.Replace(r);

    // Nothing changed: the very bytes (a compressed archive is not compressed again).
    if (editable.bytes == before) {
        result.bytes.assign(file.begin(), file.end());
    } else {
        try {
            result.bytes = editable.gzip ? ffb::DeflateArchive(editable.bytes) : std::move(editable.bytes);
        } catch (const LoadError& failure) {
            throw TextureWriteError(failure.what());
        }
    }
    try {
        result.model = read(result.bytes);
    } catch (const std::exception& failure) {
        throw TextureWriteError(std::string("the written file does not read back: ") + failure.what());
    }
    if (!result.model) throw TextureWriteError("the written file does not read back");
    retexturer.Check(*result.model);
    return result;
}

}  // namespace vertigon
