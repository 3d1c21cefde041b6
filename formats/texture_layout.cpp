#include "formats/texture_layout.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "formats/byte_reader.h"
#include "formats/load_error.h"

namespace vertigon {

namespace {

constexpr uint64_t kPieceBytes = 64;
constexpr uint64_t kPiecesSpan = 3 * 1024 + 3 * 256 + kPieceBytes;

// Entries 8-15 and 16-23 of every 32 trade places between the stored and the index order.
size_t StoredEntry(size_t index) {
    const size_t bits = index & 0x18;
    return bits == 0x08 || bits == 0x10 ? index ^ 0x18 : index;
}

// File offset of byte k of the 1024 stored palette bytes.
uint64_t PaletteByte(const PalettePlace& place, size_t k) {
    if (!place.pieces) return place.offset + k;
    return place.offset + (k / 256) * 1024 + ((k % 256) / kPieceBytes) * 256 + k % kPieceBytes;
}

void RequireImage(std::span<const uint8_t> file, const IndexImagePlace& place) {
    ByteReader(file).Require(place.offset, place.StoredBytes());
}

void RequirePalette(std::span<const uint8_t> file, const PalettePlace& place) {
    ByteReader(file).Require(place.offset, place.pieces ? kPiecesSpan : kPaletteBytes);
}

}  // namespace

std::vector<uint8_t> ReadIndexImage(std::span<const uint8_t> file, const IndexImagePlace& place, GsMemoryImage& gs) {
    RequireImage(file, place);
    const auto stored = file.subspan(static_cast<size_t>(place.offset), static_cast<size_t>(place.StoredBytes()));
    if (!place.swizzled) return {stored.begin(), stored.end()};
    std::vector<uint8_t> indices;
    if (!UnswizzlePsmt8(gs, stored, place.width / 2, place.height / 2, place.writeWidth, place.readWidth, indices)) {
        throw FormatError("a texture upload does not fit the graphics memory");
    }
    return indices;
}

void WriteIndexImage(std::span<uint8_t> file, const IndexImagePlace& place, std::span<const uint8_t> indices,
                     GsMemoryImage& gs) {
    RequireImage(file, place);
    if (indices.size() != place.StoredBytes()) throw FormatError("an index image of the wrong size");
    uint8_t* stored = file.data() + place.offset;
    if (!place.swizzled) {
        std::copy(indices.begin(), indices.end(), stored);
        return;
    }
    std::vector<uint8_t> words(stored, stored + place.StoredBytes());
    if (!SwizzlePsmt8(gs, indices, place.width / 2, place.height / 2, place.writeWidth, place.readWidth, words)) {
        throw FormatError("the texture's graphics memory layout cannot hold this image");
    }
    std::copy(words.begin(), words.end(), stored);
}

StoredPalette ReadStoredPalette(std::span<const uint8_t> file, const PalettePlace& place) {
    RequirePalette(file, place);
    StoredPalette palette;
    for (size_t i = 0; i < 256; ++i) {
        const size_t entry = StoredEntry(i);
        for (size_t c = 0; c < 4; ++c) palette[i][c] = file[static_cast<size_t>(PaletteByte(place, entry * 4 + c))];
    }
    return palette;
}

void WriteStoredPalette(std::span<uint8_t> file, const PalettePlace& place, const StoredPalette& palette) {
    RequirePalette(file, place);
    for (size_t i = 0; i < 256; ++i) {
        const size_t entry = StoredEntry(i);
        for (size_t c = 0; c < 4; ++c) file[static_cast<size_t>(PaletteByte(place, entry * 4 + c))] = palette[i][c];
    }
}

void RequireLayoutInside(std::span<const uint8_t> file, const TextureLayout& layout) {
    for (const IndexImagePlace& image : layout.images) RequireImage(file, image);
    for (const PalettePlace& palette : layout.palettes) RequirePalette(file, palette);
    for (const TextureSource& source : layout.textures) {
        if (source.image >= static_cast<int64_t>(layout.images.size()) ||
            source.palette >= static_cast<int64_t>(layout.palettes.size()) || (source.image < 0) != (source.palette < 0)) {
            throw FormatError("a texture names an image or palette the file does not hold");
        }
    }
}

}  // namespace vertigon
