// What the stats and texture windows show of a model, as plain text and pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vertigon {

struct Model;
struct Texture;

struct StatLine {
    std::string label;
    std::string value;
};

// Counts of the whole model (Lods, shapes, vertices, triangles, bones, textures, animation
// groups, animations), then one line per Lod with its own shapes, vertices and triangles.
std::vector<StatLine> ModelStats(const Model& model);

// "Texture <index>: <width> x <height>".
std::string TextureCaption(int32_t index, const Texture& texture);

// The texture's B, G, R, A pixels split into R, G, B and alpha planes, as the toolkit's images
// hold them; false (and nothing written) for a texture whose pixels do not match its size.
bool SplitTexturePixels(const Texture& texture, std::vector<uint8_t>* rgb, std::vector<uint8_t>* alpha);

}  // namespace vertigon
