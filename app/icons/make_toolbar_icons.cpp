// Draws the toolbar's three 32 x 32 RGBA images and writes them, PNG-encoded, as a C++ source
// file that the viewer compiles in: make_toolbar_icons OUTPUT.cpp
//   1  a chequered tile (textures, blending, flat shading, texture viewer)
//   2  a bone (the skeleton overlay)
//   3  a wire cube (the wireframe overlay)
#include <png.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kSide = 32;
constexpr int kSubsamples = 4;  // per axis, for smooth edges

struct Rgba {
    double r, g, b, a;
};

// The colour painted at a point, or none where the image stays transparent.
using Painter = std::function<std::optional<Rgba>(double x, double y)>;

double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax, dy = by - ay;
    double t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy);
    t = std::fmax(0.0, std::fmin(1.0, t));
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

// Averages the subsamples of every pixel; colours are averaged weighted by their coverage.
std::vector<uint8_t> Rasterise(const Painter& paint) {
    std::vector<uint8_t> pixels(kSide * kSide * 4);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < kSubsamples; ++sy) {
                for (int sx = 0; sx < kSubsamples; ++sx) {
                    const double px = x + (sx + 0.5) / kSubsamples;
                    const double py = y + (sy + 0.5) / kSubsamples;
                    if (const std::optional<Rgba> c = paint(px, py)) {
                        r += c->r * c->a;
                        g += c->g * c->a;
                        b += c->b * c->a;
                        a += c->a;
                    }
                }
            }
            uint8_t* out = &pixels[static_cast<size_t>((y * kSide + x) * 4)];
            if (a > 0) {
                out[0] = static_cast<uint8_t>(std::lround(r / a));
                out[1] = static_cast<uint8_t>(std::lround(g / a));
                out[2] = static_cast<uint8_t>(std::lround(b / a));
                out[3] = static_cast<uint8_t>(std::lround(255.0 * a / (kSubsamples * kSubsamples)));
            }
        }
    }
    return pixels;
}

std::optional<Rgba> ChequeredTile(double x, double y) {
    constexpr double lo = 4.0, hi = 28.0;
    if (x < lo || x > hi || y < lo || y > hi) {
        // A soft shadow below and right of the tile.
        if (x >= lo + 2 && x <= hi + 2 && y >= lo + 2 && y <= hi + 2) return Rgba{0, 0, 0, 0.35};
        return std::nullopt;
    }
    if (x < lo + 1.5 || x > hi - 1.5 || y < lo + 1.5 || y > hi - 1.5) return Rgba{40, 40, 60, 1};
    const int cell = static_cast<int>((x - lo) / 6.0) + static_cast<int>((y - lo) / 6.0);
    return cell % 2 ? Rgba{235, 150, 40, 1} : Rgba{60, 125, 205, 1};
}

std::optional<Rgba> Bone(double x, double y) {
    // A shaft from lower left to upper right with two knobs at each end.
    const double ax = 10, ay = 22, bx = 22, by = 10;
    const double len = std::hypot(bx - ax, by - ay);
    const double ux = (bx - ax) / len, uy = (by - ay) / len;
    const double nx = -uy, ny = ux;
    const double knob = 3.4, spread = 2.9, reach = 1.5;
    const auto distance = [&](double px, double py) {
        double d = SegmentDistance(px, py, ax, ay, bx, by) - 2.6;
        for (int end = 0; end < 2; ++end) {
            const double ex = end ? bx + ux * reach : ax - ux * reach;
            const double ey = end ? by + uy * reach : ay - uy * reach;
            for (int side = -1; side <= 1; side += 2) {
                d = std::fmin(d, std::hypot(px - (ex + nx * spread * side), py - (ey + ny * spread * side)) - knob);
            }
        }
        return d;
    };
    const double d = distance(x, y);
    if (d <= 0) return Rgba{248, 242, 222, 1};
    if (d <= 1.3) return Rgba{90, 70, 50, 1};
    return std::nullopt;
}

std::optional<Rgba> WireCube(double x, double y) {
    const std::array<std::array<double, 2>, 8> corners = {{
        {5, 12}, {21, 12}, {21, 28}, {5, 28},  // front face
        {12, 4}, {28, 4}, {28, 20}, {12, 20},  // back face
    }};
    const int edges[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                              {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
    for (const auto& corner : corners) {
        if (std::hypot(x - corner[0], y - corner[1]) <= 1.9) return Rgba{215, 45, 45, 1};
    }
    for (const auto& edge : edges) {
        const auto& a = corners[static_cast<size_t>(edge[0])];
        const auto& b = corners[static_cast<size_t>(edge[1])];
        if (SegmentDistance(x, y, a[0], a[1], b[0], b[1]) <= 1.0) return Rgba{35, 95, 170, 1};
    }
    return std::nullopt;
}

std::vector<uint8_t> EncodePng(const std::vector<uint8_t>& rgba) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = kSide;
    image.height = kSide;
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), kSide * 4, nullptr)) return {};
    std::vector<uint8_t> png(size);
    if (!png_image_write_to_memory(&image, png.data(), &size, 0, rgba.data(), kSide * 4, nullptr)) return {};
    png.resize(size);
    return png;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_toolbar_icons OUTPUT.cpp\n");
        return 64;
    }
    const Painter painters[3] = {ChequeredTile, Bone, WireCube};
    std::string source =
        "// Written by make_toolbar_icons at build time: the toolbar images as PNG data.\n"
        "#include \"app/toolbar_icons.h\"\n\nnamespace vertigon {\n\nnamespace {\n\n";
    for (int i = 0; i < 3; ++i) {
        const std::vector<uint8_t> png = EncodePng(Rasterise(painters[i]));
        if (png.empty()) {
            std::fprintf(stderr, "make_toolbar_icons: image %d could not be encoded\n", i + 1);
            return 1;
        }
        source += "const uint8_t kImage" + std::to_string(i + 1) + "[] = {";
        for (size_t k = 0; k < png.size(); ++k) {
            source += (k % 16 == 0 ? "\n    " : " ") + std::to_string(png[k]) + ",";
        }
        source += "\n};\n\n";
    }
    source +=
        "}  // namespace\n\n"
        "PngData ToolbarIconPng(int image) {\n"
        "    switch (image) {\n"
        "        case 1: return {kImage1, sizeof kImage1};\n"
        "        case 2: return {kImage2, sizeof kImage2};\n"
        "        case 3: return {kImage3, sizeof kImage3};\n"
        "        default: return {};\n"
        "    }\n"
        "}\n\n"
        "}  // namespace vertigon\n";
    std::ofstream out(argv[1], std::ios::binary);
    out << source;
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_toolbar_icons: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
