#include "scene/model.h"

#include <stdexcept>

namespace vertigon {

Model::~Model() {
    // Geometry and host data first, the animations (which may hold emulator state) last.
    lods.clear();
    bones.clear();
    textures.clear();
    palettes.clear();
    animationGroups.clear();
}

void Model::AllocatePalettes(size_t count) {
    if (count > palettes.max_size() / kPaletteSlotBytes) throw std::length_error("palette count");
    palettes.assign(count * kPaletteSlotBytes, 0);
}

std::span<uint8_t, kPaletteSlotBytes> Model::PaletteSlot(int32_t index) {
    return std::span<uint8_t, kPaletteSlotBytes>(palettes.data() + static_cast<size_t>(index) * kPaletteSlotBytes,
                                                 kPaletteSlotBytes);
}

std::span<const uint8_t, kPaletteBytes> Model::ConvertedPalette(int32_t index) const {
    return std::span<const uint8_t, kPaletteBytes>(
        palettes.data() + static_cast<size_t>(index) * kPaletteSlotBytes + kPaletteBytes, kPaletteBytes);
}

int32_t Model::Release() {
    const int32_t remaining = --refCount;
    if (remaining == 0 && owner != nullptr) owner->DestroyModel(this);
    return remaining;
}

void ConvertPalette(std::span<const uint8_t, kPaletteBytes> source, std::span<uint8_t, kPaletteBytes> destination) {
    for (size_t j = 0; j < 256; ++j) {
        // Bits 3 and 4 of the index trade places: entries 8-15 and 16-23 of every 32 swap.
        const size_t from = (j & ~size_t{0x18}) | ((j & 0x08) << 1) | ((j & 0x10) >> 1);
        const uint8_t* s = &source[from * 4];
        uint8_t* d = &destination[j * 4];
        d[0] = s[2];
        d[1] = s[1];
        d[2] = s[0];
        d[3] = s[3];
    }
}

}  // namespace vertigon
