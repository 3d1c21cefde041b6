// The "@FCT" palettes and the "@FTE" texture images of a RAW file: every image is decoded once
// through the GS memory and then coloured with every palette.
#pragma once

#include "formats/byte_reader.h"
#include "formats/ps2/gs_memory.h"
#include "formats/raw/raw_chunks.h"
#include "formats/texture_layout.h"
#include "formats/work_budget.h"
#include "scene/model.h"

namespace vertigon::raw {

// Fills the model's palette slots from the "@FCT" chunk.
void ReadPalettes(const ByteReader& file, const Chunk& chunk, Model& model);

// Fills the model's textures from the "@FTE" chunk: Texture Np x k + p is image k coloured with
// palette p, where Np is the model's palette count; the images are unswizzled through `gs`.
// Call after ReadPalettes.
void ReadTextures(const ByteReader& file, const Chunk& chunk, Model& model, GsMemoryImage& gs,
                  WorkBudget& budget);

// Where the "@FTE" and "@FCT" chunks keep the images and palettes: texture Np x k + p is
// image k with palette p.
TextureLayout DescribeTextures(const ByteReader& file, const Chunk& images, const Chunk& palettes);

}  // namespace vertigon::raw
