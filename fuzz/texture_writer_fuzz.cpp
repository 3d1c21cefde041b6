// The texture writer on a fuzzed model with a fuzzed picture. Input: a format byte (0 FFB,
// 1 MDLS, 2 MDLX, 3 RAW), the texture number, a picture byte (bit 0: noise that needs
// quantizing, otherwise the texture's own colours turned; the other bits seed the noise), then
// the model file. A refusal is fine (a file whose images overlap its palettes is refused when it
// does not read back as intended); a crash, a sanitizer report or another exception is a finding.
#include <cstdint>
#include <memory>
#include <span>

#include "formats/ffb/ffb_loader.h"
#include "formats/mdls/mdls_loader.h"
#include "formats/mdlx/mdlx_loader.h"
#include "formats/raw/raw_loader.h"
#include "formats/texture_writer.h"
#include "fuzz/loader_fuzz.h"

using namespace vertigon;

namespace {

std::unique_ptr<ModelLoader> LoaderFor(uint8_t format) {
    switch (format % 4) {
        case 0: return std::make_unique<FfbLoader>();
        case 1: return std::make_unique<MdlsLoader>();
        case 2: return std::make_unique<MdlxLoader>();
        default: return std::make_unique<RawLoader>();
    }
}

// The picture: the texture's R, G, B turned by `seed` (alpha kept, so at most as many colours as
// the texture), or noise of every colour.
std::vector<uint8_t> Picture(const Texture& texture, uint8_t mode) {
    std::vector<uint8_t> rgba(texture.pixels.size());
    uint32_t noise = mode * 2654435761u;
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
        if (mode & 1) {
            noise = noise * 1664525u + 1013904223u;
            for (size_t c = 0; c < 4; ++c) rgba[i + c] = static_cast<uint8_t>(noise >> (8 * c));
        } else {
            rgba[i] = static_cast<uint8_t>(texture.pixels[i + 2] + mode);
            rgba[i + 1] = static_cast<uint8_t>(texture.pixels[i + 1] ^ mode);
            rgba[i + 2] = texture.pixels[i];
            rgba[i + 3] = texture.pixels[i + 3];
        }
    }
    return rgba;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const std::unique_ptr<ModelLoader> loader = LoaderFor(data[0]);
    const std::span<const uint8_t> file(data + 3, size - 3);
    Workspace& workspace = fuzzing::FuzzWorkspace();
    const std::unique_ptr<Model> model = fuzzing::LoadOrRefuse(*loader, ModelBytes{.file = file}, workspace);
    if (!model || model->textures.empty()) return 0;

    const Texture& texture = model->textures[data[1] % model->textures.size()];
    // Pictures beyond a quarter of a million pixels only slow the search down.
    if (texture.pixels.size() > 4 * 512 * 512) return 0;
    const TextureReplacement picture{static_cast<int32_t>(data[1] % model->textures.size()), "picture",
                                     texture.width, texture.height, Picture(texture, data[2])};
    const ModelReader read = [&](std::span<const uint8_t> bytes) {
        return loader->LoadFromMemory(ModelBytes{.file = bytes}, workspace.context());
    };
    try {
        RetextureModelFile(loader->FormatName(), file, *model, {&picture, 1}, read);
    } catch (const TextureWriteError&) {
    }
    return 0;
}
