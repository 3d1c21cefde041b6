// Draws the toolbar's six 32 x 32 RGBA images and writes them, PNG-encoded, as a C++ source
// file that the viewer compiles in: make_toolbar_icons OUTPUT.cpp
//   1  a chequered tile (textures)
//   2  two overlapping squares, the front one see-through (blending)
//   3  a faceted gem, each facet one shade (flat shading)
//   4  a bone (the skeleton overlay)
//   5  a wire cube (the wireframe overlay)
//   6  a magnifying glass over a small chequered picture (the texture viewer)
// Every picture has light fills inside dark outlines, so that it reads on light and dark
// toolbars alike.
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
        const double d = std::hypot(x - corner[0], y - corner[1]);
        if (d <= 1.6) return Rgba{240, 70, 60, 1};
        if (d <= 2.4) return Rgba{90, 15, 15, 1};
    }
    double nearest = 99;
    for (const auto& edge : edges) {
        const auto& a = corners[static_cast<size_t>(edge[0])];
        const auto& b = corners[static_cast<size_t>(edge[1])];
        nearest = std::fmin(nearest, SegmentDistance(x, y, a[0], a[1], b[0], b[1]));
    }
    // A light line with a dark rim.
    if (nearest <= 0.75) return Rgba{110, 180, 250, 1};
    if (nearest <= 1.45) return Rgba{20, 45, 95, 1};
    return std::nullopt;
}

bool InSquare(double x, double y, double lo, double hi) { return x >= lo && x <= hi && y >= lo && y <= hi; }

std::optional<Rgba> OverlappingSquares(double x, double y) {
    constexpr double backLo = 3, backHi = 20, frontLo = 12, frontHi = 29, rim = 1.4;
    const bool back = InSquare(x, y, backLo, backHi);
    const bool front = InSquare(x, y, frontLo, frontHi);
    // The front square's rim is drawn over everything, the back one's only where it shows.
    if (front && !InSquare(x, y, frontLo + rim, frontHi - rim)) return Rgba{40, 30, 20, 1};
    const Rgba blue{55, 120, 215, 1};
    const Rgba red{240, 60, 60, 1};
    if (back && !InSquare(x, y, backLo + rim, backHi - rim) && !front) return Rgba{20, 30, 60, 1};
    if (back && front) {
        // Red at 55 % over blue: the purple mix is what blending shows.
        const double a = 0.55;
        return Rgba{red.r * a + blue.r * (1 - a), red.g * a + blue.g * (1 - a), red.b * a + blue.b * (1 - a), 1};
    }
    if (back) return blue;
    if (front) return Rgba{red.r, red.g, red.b, 0.8};
    return std::nullopt;
}

std::optional<Rgba> FacetedGem(double x, double y) {
    // A hexagon of six triangles about its centre, lit from the upper left: one shade each.
    constexpr double cx = 16, cy = 16, radius = 14;
    constexpr double kPi = 3.14159265358979323846;
    const double angle = std::atan2(y - cy, x - cx);
    const double sector = std::floor((angle + kPi) / (kPi / 3.0));
    const double middle = -kPi + (sector + 0.5) * (kPi / 3.0);
    // Distance to the hexagon's edge along the facet's normal.
    const double along = (x - cx) * std::cos(middle) + (y - cy) * std::sin(middle);
    const double apothem = radius * std::cos(kPi / 6.0);
    if (along > apothem) return std::nullopt;
    if (along > apothem - 1.5) return Rgba{25, 45, 30, 1};
    // The seams between facets.
    for (int k = 0; k < 6; ++k) {
        const double a = -kPi + k * (kPi / 3.0);
        const double ex = cx + radius * std::cos(a), ey = cy + radius * std::sin(a);
        if (SegmentDistance(x, y, cx, cy, ex, ey) <= 0.6) return Rgba{25, 45, 30, 1};
    }
    // Facet normals facing the light (up and left, at -135 degrees) are brightest.
    const double light = std::cos(middle - (-0.75 * kPi));
    const double level = 0.5 + 0.45 * light;
    return Rgba{60 + 120 * level, 120 + 130 * level, 70 + 110 * level, 1};
}

std::optional<Rgba> MagnifiedPicture(double x, double y) {
    constexpr double gx = 19, gy = 13, lens = 7.5, ring = 2.0;
    const double fromLens = std::hypot(x - gx, y - gy);
    // The handle, down and left of the lens.
    const double handle = SegmentDistance(x, y, gx - 6.6, gy + 6.6, 4, 28);
    if (handle <= 1.8) return Rgba{95, 60, 30, 1};
    if (handle <= 2.8 && fromLens > lens + ring) return Rgba{35, 20, 10, 1};
    if (fromLens <= lens + ring) {
        if (fromLens > lens + ring - 0.9 || (fromLens < lens + 0.9 && fromLens > lens)) return Rgba{30, 30, 40, 1};
        if (fromLens > lens) return Rgba{200, 205, 215, 1};
        // Through the glass: a few big squares of the chequer, as magnified.
        const int cell = static_cast<int>(std::floor((x - gx) / 4.5)) + static_cast<int>(std::floor((y - gy) / 4.5));
        return (cell & 1) ? Rgba{235, 150, 40, 1} : Rgba{60, 125, 205, 1};
    }
    // A small picture behind the glass.
    constexpr double lo = 3, hi = 17;
    if (!InSquare(x, y, lo, hi)) return std::nullopt;
    if (!InSquare(x, y, lo + 1.2, hi - 1.2)) return Rgba{40, 40, 60, 1};
    const int cell = static_cast<int>((x - lo) / 3.5) + static_cast<int>((y - lo) / 3.5);
    return cell % 2 ? Rgba{235, 150, 40, 1} : Rgba{60, 125, 205, 1};
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
    const std::array<Painter, 6> painters = {ChequeredTile, OverlappingSquares, FacetedGem,
                                             Bone,          WireCube,           MagnifiedPicture};
    std::string source =
        "// Written by make_toolbar_icons at build time: the toolbar images as PNG data.\n"
        "#include \"app/toolbar_icons.h\"\n\nnamespace vertigon {\n\nnamespace {\n\n";
    for (size_t i = 0; i < painters.size(); ++i) {
        const std::vector<uint8_t> png = EncodePng(Rasterise(painters[i]));
        if (png.empty()) {
            std::fprintf(stderr, "make_toolbar_icons: image %zu could not be encoded\n", i + 1);
            return 1;
        }
        source += "const uint8_t kImage" + std::to_string(i + 1) + "[] = {";
        for (size_t k = 0; k < png.size(); ++k) {
            source += (k % 16 == 0 ? "\n    " : " ") + std::to_string(png[k]) + ",";
        }
        source += "\n};\n\n";
    }
    source += "}  // namespace\n\nPngData ToolbarIconPng(int image) {\n    switch (image) {\n";
    for (size_t i = 1; i <= painters.size(); ++i) {
        const std::string name = "kImage" + std::to_string(i);
        source += "        case " + std::to_string(i) + ": return {" + name + ", sizeof " + name + "};\n";
    }
    source += "        default: return {};\n    }\n}\n\n}  // namespace vertigon\n";
    std::ofstream out(argv[1], std::ios::binary);
    out << source;
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_toolbar_icons: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
