// The "@FOR" chunk: which shapes each level of detail draws, and which texture image and
// palette each shape uses in each of them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "formats/byte_reader.h"
#include "formats/raw/raw_chunks.h"

namespace vertigon::raw {

struct MaterialMap {
    static constexpr int kLists = 4;      // one per level of detail
    static constexpr int kShapes = 400;   // slots per list

    struct Slot {
        bool present = false;
        uint8_t textureIndex = 0;  // image of the "@FTE" chunk
        uint8_t paletteIndex = 0;  // palette of the "@FCT" chunk
    };

    std::array<std::vector<int32_t>, kLists> lists;  // shape indices, in file order
    std::array<std::array<Slot, kShapes>, kLists> slots;

    const Slot* Find(int list, uint32_t shape) const {
        return shape < kShapes && slots[list][shape].present ? &slots[list][shape] : nullptr;
    }
};

// Throws FormatError when a list, selector entry or pair lies outside the file, or an entry
// names a selector or pair beyond its array.
MaterialMap ReadMaterialMap(const ByteReader& file, const Chunk& chunk);

}  // namespace vertigon::raw
