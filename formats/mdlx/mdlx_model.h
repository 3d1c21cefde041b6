// Builds a Model from the bytes of an MDLX file (a "BAR" archive whose entry 0 holds the
// skeleton and geometry and entry 1 the textures).
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "formats/ps2/gs_memory.h"
#include "formats/work_budget.h"
#include "formats/texture_layout.h"
#include "scene/model.h"

namespace vertigon::mdlx {

// The model of the file, without its companion file; textures are unswizzled through `gs`. The
// decoding is charged to a work budget made from the file's size and never above `maxWorkBytes`.
// Throws FormatError when the file does not hold what it claims or asks for more work than that.
std::unique_ptr<Model> BuildModel(std::span<const uint8_t> file, GsMemoryImage& gs,
                                  uint64_t maxWorkBytes = WorkBudget::kMaxBytes);

// Where the file keeps its textures' index images and palettes. Throws FormatError as above.
TextureLayout DescribeFileTextures(std::span<const uint8_t> file);

}  // namespace vertigon::mdlx
