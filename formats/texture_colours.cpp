#include "formats/texture_colours.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "image/palette_quantizer.h"

namespace vertigon {

namespace {

constexpr int kConsoleOpaque = 128;

using Colour = std::array<uint8_t, 4>;

Colour PixelAt(std::span<const uint8_t> rgba, size_t i) {
    return {rgba[4 * i], rgba[4 * i + 1], rgba[4 * i + 2], rgba[4 * i + 3]};
}

// The stored alpha whose shown value lies nearest to `shown`.
uint8_t NearestStoredAlpha(AlphaRule alpha, uint8_t shown) {
    int best = 0;
    for (int a = 1; a <= kConsoleOpaque; ++a) {
        if (std::abs(alpha(static_cast<uint8_t>(a)) - shown) < std::abs(alpha(static_cast<uint8_t>(best)) - shown)) best = a;
    }
    return static_cast<uint8_t>(best);
}

}  // namespace

std::optional<uint8_t> StoredAlpha(AlphaRule alpha, uint8_t shown) {
    for (int a = 0; a <= kConsoleOpaque; ++a) {
        if (alpha(static_cast<uint8_t>(a)) == shown) return static_cast<uint8_t>(a);
    }
    return std::nullopt;
}

std::vector<Colour> ShownPalette(const StoredPalette& palette, AlphaRule alpha) {
    std::vector<Colour> shown(palette.size());
    for (size_t i = 0; i < palette.size(); ++i) {
        shown[i] = {palette[i][0], palette[i][1], palette[i][2], alpha(palette[i][3])};
    }
    return shown;
}

FittedImage FitOwnPalette(int32_t width, int32_t height, std::span<const uint8_t> rgba, const StoredPalette& current,
                          AlphaRule alpha) {
    const size_t count = rgba.size() / 4;
    const std::vector<Colour> shown = ShownPalette(current, alpha);
    // Each distinct colour gets an entry: the first entry already showing it, or a free one.
    std::map<Colour, int> entryOf;
    bool storable = true;
    for (size_t i = 0; i < count && entryOf.size() <= 256 && storable; ++i) {
        const Colour c = PixelAt(rgba, i);
        if (entryOf.count(c)) continue;
        const auto found = std::find(shown.begin(), shown.end(), c);
        entryOf[c] = found == shown.end() ? -1 : static_cast<int>(found - shown.begin());
        storable = StoredAlpha(alpha, c[3]).has_value();
    }

    FittedImage fitted;
    fitted.palette = current;
    if (storable && entryOf.size() <= 256) {
        std::array<bool, 256> used{};
        for (const auto& [colour, entry] : entryOf) {
            if (entry >= 0) used[static_cast<size_t>(entry)] = true;
        }
        size_t free = 0;
        for (auto& [colour, entry] : entryOf) {
            if (entry >= 0) continue;
            while (used[free]) ++free;
            used[free] = true;
            entry = static_cast<int>(free);
            fitted.palette[free] = {colour[0], colour[1], colour[2], *StoredAlpha(alpha, colour[3])};
        }
        fitted.indices.resize(count);
        for (size_t i = 0; i < count; ++i) fitted.indices[i] = static_cast<uint8_t>(entryOf[PixelAt(rgba, i)]);
        return fitted;
    }

    PalettedPixels quantized = QuantizeRgba(width, height, rgba, 256);
    for (size_t i = 0; i < quantized.palette.size(); ++i) {
        const Colour& c = quantized.palette[i];
        fitted.palette[i] = {c[0], c[1], c[2], NearestStoredAlpha(alpha, c[3])};
    }
    fitted.indices = std::move(quantized.indices);
    fitted.exact = false;
    fitted.quality = quantized.quality;
    return fitted;
}

FittedImage FitFixedPalette(int32_t width, int32_t height, std::span<const uint8_t> rgba, const StoredPalette& palette,
                            AlphaRule alpha) {
    const size_t count = rgba.size() / 4;
    const std::vector<Colour> shown = ShownPalette(palette, alpha);
    FittedImage fitted;
    fitted.palette = palette;
    fitted.indices.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const auto found = std::find(shown.begin(), shown.end(), PixelAt(rgba, i));
        if (found == shown.end()) {
            PalettedPixels mapped = RemapRgba(width, height, rgba, shown);
            fitted.indices = std::move(mapped.indices);
            fitted.exact = false;
            fitted.quality = mapped.quality;
            return fitted;
        }
        fitted.indices[i] = static_cast<uint8_t>(found - shown.begin());
    }
    return fitted;
}

std::vector<uint8_t> ShownPixels(std::span<const uint8_t> indices, const StoredPalette& palette, AlphaRule alpha) {
    std::vector<uint8_t> pixels(indices.size() * 4);
    for (size_t i = 0; i < indices.size(); ++i) {
        const auto& entry = palette[indices[i]];
        pixels[4 * i] = entry[2];
        pixels[4 * i + 1] = entry[1];
        pixels[4 * i + 2] = entry[0];
        pixels[4 * i + 3] = alpha(entry[3]);
    }
    return pixels;
}

}  // namespace vertigon
