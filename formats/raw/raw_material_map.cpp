#include "formats/raw/raw_material_map.h"

#include <cstdio>
#include <string>

#include "formats/load_error.h"

namespace vertigon::raw {

namespace {

struct ListEntry {
    uint32_t shape = 0;
    uint32_t selector = 0;
};

}  // namespace

MaterialMap ReadMaterialMap(const ByteReader& file, const Chunk& chunk) {
    const uint64_t start = chunk.offset;
    const uint64_t data = chunk.dataOffset();
    const uint32_t selectorCount = file.U8(data + 1);
    const uint32_t pairCount = file.U8(data + 2);
    const uint64_t selectors = ByteReader::Add(start, file.U16(data + 4));
    const uint64_t pairs = ByteReader::Add(start, file.U16(data + 6));
    const uint64_t header = ByteReader::Add(start, file.U16(data + 8));
    file.RequireArray(selectors, selectorCount, 3);
    file.RequireArray(pairs, pairCount, 2);
    file.Require(header, 24);

    MaterialMap map;
    // An entry of an unknown encoding repeats the one read before it, across lists.
    ListEntry previous;
    bool havePrevious = false;
    for (int list = 0; list < MaterialMap::kLists; ++list) {
        const uint8_t encoding = file.U8(header + 2 + list);
        uint64_t at = ByteReader::Add(header, file.U16(header + 8 + 2 * list));
        const uint32_t count = file.U16(header + 16 + 2 * list);
        map.lists[list].reserve(count);
        for (uint32_t j = 0; j < count; ++j) {
            ListEntry entry;
            if (encoding == 1) {
                entry.shape = file.U8(at) & 0x1F;
                entry.selector = file.U8(at + 1) & 0x0F;
                at += 2;
            } else if (encoding == 2) {
                entry.shape = file.U8(at);
                entry.selector = file.U8(at + 2) & 0x0F;
                at += 3;
            } else if (havePrevious) {
                entry = previous;
            } else {
                Refuse("material list ", list, " repeats an entry (encoding ", encoding, ") before any was read");
            }
            previous = entry;
            havePrevious = true;

            if (entry.selector >= selectorCount) {
                Refuse("material list ", list, " names selector ", entry.selector, " of ", selectorCount);
            }
            const uint32_t pair = file.U8(selectors + 3 * uint64_t{entry.selector});
            if (pair >= pairCount) Refuse("material list ", list, " names texture pair ", pair, " of ", pairCount);
            static_assert(MaterialMap::kShapes > 0xFF, "a shape index is one byte and always has a slot");
            MaterialMap::Slot& slot = map.slots[list][entry.shape];
            slot.present = true;
            slot.textureIndex = file.U8(pairs + 2 * uint64_t{pair});
            slot.paletteIndex = file.U8(pairs + 2 * uint64_t{pair} + 1);
            map.lists[list].push_back(static_cast<int32_t>(entry.shape));
        }
    }
    return map;
}

}  // namespace vertigon::raw
