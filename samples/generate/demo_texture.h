// The demo robot's 128 x 128 texture: a 4 x 4 grid of 32 x 32 tiles painted with a few flat
// colours, stored as 8-bit indices into one palette. Included by demo_sample.cpp only.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace demo {

// A 32 x 32 tile of the texture, by column and row.
struct Tile {
    int column;
    int row;
};

inline constexpr Tile kFaceTile{0, 0}, kHeadSideTile{1, 0}, kChestTile{2, 0}, kMetalTile{3, 0}, kJointTile{0, 1}, kHandTile{1, 1},
    kBootTile{2, 1}, kBallTile{3, 1}, kBeltTile{0, 2}, kCapTile{1, 2};

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

inline Rgb Scaled(Rgb c, float f) {
    const auto s = [f](uint8_t v) { return static_cast<uint8_t>(std::clamp(std::lround(v * f), 0L, 255L)); };
    return {s(c.r), s(c.g), s(c.b)};
}

class Canvas {
public:
    static constexpr int kSize = 128;

    // Index of the colour, adding it to the palette the first time.
    uint8_t Index(Rgb c) {
        for (size_t i = 0; i < colours_.size(); ++i) {
            if (colours_[i] == c) return static_cast<uint8_t>(i);
        }
        if (colours_.size() == 256) throw std::runtime_error("the demo texture uses more than 256 colours");
        colours_.push_back(c);
        return static_cast<uint8_t>(colours_.size() - 1);
    }

    void Set(int x, int y, Rgb c) {
        if (x >= 0 && y >= 0 && x < kSize && y < kSize) pixels_[static_cast<size_t>(y * kSize + x)] = Index(c);
    }

    const std::vector<uint8_t>& pixels() const { return pixels_; }

    // The palette as the file stores it: console order, where entries 8-15 and 16-23 of every
    // 32 trade places (the loader swaps them back), R, G, B and alpha 0x80 (opaque).
    std::vector<uint8_t> FilePalette() const {
        std::vector<uint8_t> palette(1024, 0);
        for (size_t j = 0; j < 256; ++j) {
            const size_t stored = (j & ~size_t{0x18}) | ((j & 0x08) << 1) | ((j & 0x10) >> 1);
            const Rgb c = j < colours_.size() ? colours_[j] : Rgb{0, 0, 0};
            palette[stored * 4 + 0] = c.r;
            palette[stored * 4 + 1] = c.g;
            palette[stored * 4 + 2] = c.b;
            palette[stored * 4 + 3] = 0x80;
        }
        return palette;
    }

private:
    std::vector<Rgb> colours_;
    std::vector<uint8_t> pixels_ = std::vector<uint8_t>(kSize * kSize, 0);
};

// Painting inside one tile, in tile coordinates 0..31.
class TilePainter {
public:
    TilePainter(Canvas& canvas, int column, int row) : canvas_(canvas), x0_(column * 32), y0_(row * 32) {}

    void Fill(Rgb c) { Rect(0, 0, 32, 32, c); }
    void Rect(int x, int y, int w, int h, Rgb c) {
        for (int j = y; j < y + h; ++j) {
            for (int i = x; i < x + w; ++i) canvas_.Set(x0_ + i, y0_ + j, c);
        }
    }
    void Disc(float cx, float cy, float radius, Rgb c) {
        for (int j = 0; j < 32; ++j) {
            for (int i = 0; i < 32; ++i) {
                const float dx = i + 0.5f - cx, dy = j + 0.5f - cy;
                if (dx * dx + dy * dy <= radius * radius) canvas_.Set(x0_ + i, y0_ + j, c);
            }
        }
    }
    // A raised plate: lighter top and left edges, darker bottom and right edges.
    void Bevel(Rgb c, int width = 2) {
        Fill(c);
        const Rgb light = Scaled(c, 1.3f), dark = Scaled(c, 0.6f);
        Rect(0, 0, 32, width, light);
        Rect(0, 0, width, 32, light);
        Rect(0, 32 - width, 32, width, dark);
        Rect(32 - width, 0, width, 32, dark);
    }
    void Rivets(Rgb c) {
        for (float x : {6.0f, 26.0f}) {
            for (float y : {6.0f, 26.0f}) {
                Disc(x, y, 2.0f, Scaled(c, 0.7f));
                Disc(x - 0.5f, y - 0.5f, 1.0f, Scaled(c, 1.4f));
            }
        }
    }
    void Heart(float cx, float cy, float size, Rgb c) {
        for (int j = 0; j < 32; ++j) {
            for (int i = 0; i < 32; ++i) {
                const float x = (i + 0.5f - cx) / size, y = (j + 0.5f - cy) / size;
                const bool lobe = (x + 0.5f) * (x + 0.5f) + y * y <= 0.3f || (x - 0.5f) * (x - 0.5f) + y * y <= 0.3f;
                const bool point = y >= 0 && std::fabs(x) <= 1.05f - y;
                if (lobe || point) canvas_.Set(x0_ + i, y0_ + j, c);
            }
        }
    }

private:
    Canvas& canvas_;
    int x0_, y0_;
};

inline constexpr Rgb kBlue{60, 110, 200}, kDarkBlue{40, 60, 140}, kPlate{205, 210, 220}, kYellow{245, 200, 40},
    kRed{210, 45, 45}, kInk{25, 30, 55}, kCyan{90, 225, 255}, kGrey{60, 62, 72}, kOrange{255, 140, 30};

inline Canvas PaintTexture() {
    Canvas canvas;
    {   // Face: a pale plate with two round eyes, pink cheeks and a mouth grille.
        TilePainter t(canvas, kFaceTile.column, kFaceTile.row);
        t.Bevel(kPlate);
        for (float x : {10.5f, 21.5f}) {
            t.Disc(x, 12, 5.0f, kInk);
            t.Disc(x, 12, 3.6f, kCyan);
            t.Disc(x - 1.2f, 10.8f, 1.2f, Rgb{255, 255, 255});
        }
        t.Disc(5.5f, 19.5f, 2.2f, Rgb{245, 150, 170});
        t.Disc(26.5f, 19.5f, 2.2f, Rgb{245, 150, 170});
        t.Rect(10, 21, 12, 5, kInk);
        for (int x = 12; x < 22; x += 3) t.Rect(x, 22, 1, 3, Scaled(kPlate, 0.8f));
    }
    {   // Sides and back of the head: blue with a bolt.
        TilePainter t(canvas, kHeadSideTile.column, kHeadSideTile.row);
        t.Bevel(kBlue);
        t.Disc(16, 16, 6, Scaled(kPlate, 0.85f));
        t.Disc(16, 16, 4, Scaled(kPlate, 0.6f));
        t.Rect(15, 12, 2, 8, kInk);
        t.Rect(12, 15, 8, 2, kInk);
    }
    {   // Chest: a yellow panel with a red heart and three buttons.
        TilePainter t(canvas, kChestTile.column, kChestTile.row);
        t.Bevel(kBlue);
        t.Rect(4, 4, 24, 24, Scaled(kYellow, 0.7f));
        t.Rect(5, 5, 22, 22, kYellow);
        t.Heart(16, 13, 5.5f, kRed);
        t.Disc(10, 24, 1.8f, Rgb{60, 200, 80});
        t.Disc(16, 24, 1.8f, kRed);
        t.Disc(22, 24, 1.8f, kBlue);
    }
    {   // Body metal with rivets.
        TilePainter t(canvas, kMetalTile.column, kMetalTile.row);
        t.Bevel(kBlue);
        t.Rivets(kBlue);
    }
    {   // Joints: dark rubber with ribs.
        TilePainter t(canvas, kJointTile.column, kJointTile.row);
        t.Fill(kGrey);
        for (int y = 1; y < 32; y += 4) t.Rect(0, y, 32, 1, Scaled(kGrey, 1.6f));
    }
    {   // Hands: light grey.
        TilePainter t(canvas, kHandTile.column, kHandTile.row);
        t.Bevel(Scaled(kPlate, 0.9f), 3);
    }
    {   // Boots: red with a dark sole.
        TilePainter t(canvas, kBootTile.column, kBootTile.row);
        t.Bevel(kRed);
        t.Rect(0, 25, 32, 7, Rgb{70, 25, 25});
    }
    {   // Antenna ball and ears: orange with a highlight.
        TilePainter t(canvas, kBallTile.column, kBallTile.row);
        t.Fill(Scaled(kOrange, 0.8f));
        t.Disc(16, 16, 13, kOrange);
        t.Disc(11, 11, 4, Rgb{255, 220, 160});
    }
    {   // Hips: dark blue with a yellow belt and buckle.
        TilePainter t(canvas, kBeltTile.column, kBeltTile.row);
        t.Bevel(kDarkBlue);
        t.Rect(0, 3, 32, 8, kYellow);
        t.Rect(12, 2, 8, 10, Scaled(kYellow, 0.6f));
        t.Rect(14, 4, 4, 6, kYellow);
    }
    {   // End caps.
        TilePainter t(canvas, kCapTile.column, kCapTile.row);
        t.Fill(Scaled(kBlue, 0.8f));
    }
    return canvas;
}

}  // namespace demo
