#include "image/palette_quantizer.h"

#include <libimagequant.h>

#include <algorithm>
#include <memory>
#include <string>

#include "image/image_error.h"
#include "image/texture_pixels.h"

namespace vertigon {

namespace {

struct AttrFree {
    void operator()(liq_attr* p) const { liq_attr_destroy(p); }
};
struct ImageFree {
    void operator()(liq_image* p) const { liq_image_destroy(p); }
};
struct ResultFree {
    void operator()(liq_result* p) const { liq_result_destroy(p); }
};

struct Quantized {
    std::vector<Rgba> palette;
    std::vector<uint8_t> indices;
    int quality = 0;
};

// Quantizes to at most maxColours, with `fixed` colours kept in the palette as they are.
Quantized Run(int32_t width, int32_t height, std::span<const uint8_t> rgba, int maxColours,
              std::span<const Rgba> fixed) {
    if (!HoldsPixels(width, height, rgba.size())) throw ImageError("the picture does not hold its pixels");
    std::unique_ptr<liq_attr, AttrFree> attr(liq_attr_create());
    if (!attr || liq_set_max_colors(attr.get(), std::clamp(maxColours, 2, 256)) != LIQ_OK) {
        throw ImageError("the quantizer cannot start");
    }
    std::unique_ptr<liq_image, ImageFree> image(liq_image_create_rgba(attr.get(), rgba.data(), width, height, 0));
    if (!image) throw ImageError("the quantizer refuses a picture of this size");
    for (const Rgba& c : fixed) {
        if (liq_image_add_fixed_color(image.get(), liq_color{c[0], c[1], c[2], c[3]}) != LIQ_OK) {
            throw ImageError("the quantizer refuses the palette");
        }
    }
    liq_result* raw = nullptr;
    if (liq_image_quantize(image.get(), attr.get(), &raw) != LIQ_OK) throw ImageError("the quantizer fails");
    std::unique_ptr<liq_result, ResultFree> result(raw);
    liq_set_dithering_level(result.get(), 1.0f);

    Quantized out;
    out.indices.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    if (liq_write_remapped_image(result.get(), image.get(), out.indices.data(), out.indices.size()) != LIQ_OK) {
        throw ImageError("the quantizer cannot map the picture");
    }
    const liq_palette* palette = liq_get_palette(result.get());
    for (unsigned i = 0; i < palette->count; ++i) {
        const liq_color& c = palette->entries[i];
        out.palette.push_back({c.r, c.g, c.b, c.a});
    }
    out.quality = liq_get_quantization_quality(result.get());
    return out;
}

int SquaredDistance(const Rgba& a, const Rgba& b) {
    int sum = 0;
    for (size_t c = 0; c < 4; ++c) sum += (a[c] - b[c]) * (a[c] - b[c]);
    return sum;
}

}  // namespace

PalettedPixels QuantizeRgba(int32_t width, int32_t height, std::span<const uint8_t> rgba, int maxColours) {
    Quantized q = Run(width, height, rgba, maxColours, {});
    return {std::move(q.palette), std::move(q.indices), q.quality};
}

PalettedPixels RemapRgba(int32_t width, int32_t height, std::span<const uint8_t> rgba, std::span<const Rgba> palette) {
    if (palette.empty() || palette.size() > 256) throw ImageError("a palette holds 1 to 256 colours");
    std::vector<Rgba> distinct;
    for (const Rgba& c : palette) {
        if (std::find(distinct.begin(), distinct.end(), c) == distinct.end()) distinct.push_back(c);
    }
    Quantized q = Run(width, height, rgba, static_cast<int>(distinct.size()), distinct);
    // The quantizer's palette holds the fixed colours in an order of its own: each of its
    // entries becomes the first equal (or, should it differ, the nearest) entry of ours.
    std::vector<uint8_t> toOurs(q.palette.size());
    for (size_t i = 0; i < q.palette.size(); ++i) {
        size_t best = 0;
        for (size_t j = 1; j < palette.size() && SquaredDistance(q.palette[i], palette[best]) != 0; ++j) {
            if (SquaredDistance(q.palette[i], palette[j]) < SquaredDistance(q.palette[i], palette[best])) best = j;
        }
        toOurs[i] = static_cast<uint8_t>(best);
    }
    for (uint8_t& index : q.indices) index = toOurs[index];
    return {std::vector<Rgba>(palette.begin(), palette.end()), std::move(q.indices), q.quality};
}

}  // namespace vertigon
