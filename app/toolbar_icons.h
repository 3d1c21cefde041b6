// The toolbar's six 32 x 32 RGBA images as PNG data held in the program, one per tool in the
// toolbar's order: 1 textures, 2 blending, 3 flat shading, 4 bones, 5 wireframe, 6 the texture
// viewer.
// The data is drawn and encoded at build time by app/icons/make_toolbar_icons.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vertigon {

struct PngData {
    const uint8_t* bytes = nullptr;
    size_t size = 0;
};

// Image 1 to 6; an empty block for any other number.
PngData ToolbarIconPng(int image);

}  // namespace vertigon
