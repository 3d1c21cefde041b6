// model.ffm, the model member of an FFB archive: textures with their palettes, the skeleton,
// and one skinned mesh object per Shape.
#pragma once

#include <cstdint>

#include "formats/byte_reader.h"
#include "formats/texture_layout.h"
#include "formats/work_budget.h"
#include "scene/model.h"

namespace vertigon::ffb {

// A texture coordinate word in texels: 11 integer bits and 4 fraction bits above them; a word
// with bit 15 set is the bitwise complement of the negated value.
float DecodeTexel(uint16_t word);

// Console alpha (128 = opaque) to 8-bit alpha, rounded: round(a / 128 x 255), kept to 8 bits.
uint8_t ExpandAlphaRounded(uint8_t consoleAlpha);

// Decodes the member into `model`: textures, bones, one Lod with one Shape per object and one
// DrawGroup listing them all, and the FFB placement (turned by pi about x, scaled by 1/128).
// Throws FormatError for anything that does not fit the member or its tables.
void DecodeModel(const ByteReader& ffm, Model& model, WorkBudget& budget);

// Where the member keeps its textures' index images and palettes, as offsets from `base` (the
// member's place in the archive). Throws FormatError as the decoding does.
TextureLayout DescribeModelTextures(const ByteReader& ffm, uint64_t base);

}  // namespace vertigon::ffb
