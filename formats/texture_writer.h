// Replacing textures of a model file with pictures: the file is written again with nothing
// changed but the index images and palettes of those textures (for FFB, inside model.ffm of the
// archive, compressed again when it was).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "scene/model.h"

namespace vertigon {

// A refused replacement; what() says why. Nothing is written.
class TextureWriteError : public std::runtime_error {
public:
    explicit TextureWriteError(const std::string& what) : std::runtime_error(what) {}
};

struct TextureReplacement {
    int32_t texture = 0;
    std::string name;  // how messages name the picture
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgba;  // 8-bit R, G, B, A, rows top to bottom
};

struct RetexturedFile {
    std::vector<uint8_t> bytes;      // the whole new file
    std::vector<std::string> notes;  // one line per replaced texture and per effect on others
    std::unique_ptr<Model> model;    // the new file as the loader reads it
};

// Builds the model the loader makes of file bytes (throws on failure); the written file is read
// back through it and must show every texture as intended before it is handed out.
using ModelReader = std::function<std::unique_ptr<Model>(std::span<const uint8_t>)>;

// The file of format `formatName` ("MDLX", "RAW", "MDLS" or "FFB") whose loaded model is
// `model`, with the replacements applied in order. A picture equal to its texture changes
// nothing. Throws TextureWriteError for a texture that does not exist or has no pixels in the
// file, a picture of another size, a file whose textures cannot be located, or a result that
// would not read back as intended.
RetexturedFile RetextureModelFile(std::string_view formatName, std::span<const uint8_t> file, const Model& model,
                                  std::span<const TextureReplacement> replacements, const ModelReader& read);

}  // namespace vertigon
