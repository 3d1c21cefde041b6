// The texture entry of an MDLX model: palettes and 8-bit textures stored as an image of the
// console's graphics memory.
#pragma once

#include <cstdint>

#include "formats/byte_reader.h"
#include "formats/ps2/gs_memory.h"
#include "formats/work_budget.h"
#include "formats/texture_layout.h"
#include "scene/model.h"

namespace vertigon::mdlx {

// Reads the textures and palettes of the entry at `entry` into the model, unswizzling through
// `gs` and charging `budget` with what it builds. Throws FormatError when the entry does not hold
// what it claims, an upload does not fit the graphics memory or the budget is spent.
void ReadTextures(const ByteReader& file, uint64_t entry, Model& model, GsMemoryImage& gs, WorkBudget& budget);

// Where the same entry keeps each texture's index image and palette, as ReadTextures reads them.
TextureLayout DescribeTextures(const ByteReader& file, uint64_t entry);

}  // namespace vertigon::mdlx
