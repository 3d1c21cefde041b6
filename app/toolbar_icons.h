// The toolbar's three 32 x 32 RGBA images as PNG data held in the program: 1 for the texture,
// blending, flat and texture-viewer tools, 2 for the bones tool, 3 for the wireframe tool.
// The data is drawn and encoded at build time by app/icons/make_toolbar_icons.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vertigon {

struct PngData {
    const uint8_t* bytes = nullptr;
    size_t size = 0;
};

// Image 1, 2 or 3; an empty block for any other number.
PngData ToolbarIconPng(int image);

}  // namespace vertigon
