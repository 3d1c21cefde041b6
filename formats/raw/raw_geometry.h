// The "@FDM" chunk: levels of detail made of shapes, shapes of meshes, meshes of packets.
#pragma once

#include "formats/byte_reader.h"
#include "formats/raw/raw_chunks.h"
#include "formats/raw/raw_material_map.h"
#include "formats/work_budget.h"
#include "scene/model.h"

namespace vertigon::raw {

// Builds the model's Lods, one Shape per shape record and one Batch per mesh, with materials
// from `map`. `imageCount` is the number of texture images; the model's palettes must be read.
// Throws FormatError for records outside the file, more than four Lods, more than 400 shapes in
// a Lod, strip entries naming a vertex or coordinate the packet lacks, list entries naming a
// shape the Lod lacks, materials naming an image or palette the file lacks, or more records
// than `budget` allows.
void ReadGeometry(const ByteReader& file, const Chunk& chunk, const MaterialMap& map,
                  uint32_t imageCount, Model& model, WorkBudget& budget);

}  // namespace vertigon::raw
