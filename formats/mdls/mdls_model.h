// Builds a Model from an MDLS file: header, skeleton, mesh record streams and 8-bit textures
// with one palette each.
#pragma once

#include <cstddef>
#include <memory>

#include "formats/byte_reader.h"
#include "formats/work_budget.h"
#include "formats/texture_layout.h"
#include "scene/model.h"

namespace vertigon::mdls {

// The model of the file, its decoding charged to a work budget made from the file's size and
// never above `maxWorkBytes`. Throws FormatError when the file does not hold what it claims or
// asks for more work than the budget allows.
std::unique_ptr<Model> ReadModel(const ByteReader& file, uint64_t maxWorkBytes = WorkBudget::kMaxBytes);

// Where the file keeps its textures' index images and palettes (texture i: image i, palette i).
TextureLayout DescribeFileTextures(const ByteReader& file);

// Bytes of the model block the game's routines read, counted from the start of the file: the
// header's second offset minus its first, kept within the file (0 when negative).
size_t ModelBlockSize(const ByteReader& file);

}  // namespace vertigon::mdls
