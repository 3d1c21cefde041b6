// Turning a picture into palette indices the way a texture stores them: colours with the
// console's alpha scale, exactly when the picture allows, quantized otherwise.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "formats/indexed_pixels.h"
#include "formats/texture_layout.h"

namespace vertigon {

struct FittedImage {
    StoredPalette palette;         // the palette to store (the given one when it is kept)
    std::vector<uint8_t> indices;  // one per pixel
    bool exact = true;             // the texture shows the picture exactly
    int quality = 100;             // the quantizer's rating when not exact
};

// The stored alpha (0-128) that `alpha` turns into `shown`, when there is one.
std::optional<uint8_t> StoredAlpha(AlphaRule alpha, uint8_t shown);

// The palette as a texture shows it: R, G, B and the alpha through `alpha`.
std::vector<std::array<uint8_t, 4>> ShownPalette(const StoredPalette& palette, AlphaRule alpha);

// The picture on a palette of its own that starts from `current`: exact when it has at most 256
// colours whose alpha the console can store (entries of colours the texture already has keep
// their place); otherwise quantized to 256 colours with dithering.
FittedImage FitOwnPalette(int32_t width, int32_t height, std::span<const uint8_t> rgba, const StoredPalette& current,
                          AlphaRule alpha);

// The picture mapped onto `palette`, which stays as it is: exact when every colour is in it,
// otherwise the nearest entries with dithering.
FittedImage FitFixedPalette(int32_t width, int32_t height, std::span<const uint8_t> rgba, const StoredPalette& palette,
                            AlphaRule alpha);

// The B, G, R, A pixels a texture of these indices and palette shows.
std::vector<uint8_t> ShownPixels(std::span<const uint8_t> indices, const StoredPalette& palette, AlphaRule alpha);

}  // namespace vertigon
