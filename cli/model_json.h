#pragma once

#include "cli/json_writer.h"
#include "scene/model.h"

namespace vertigon {

// The model's records as one JSON object; `full` adds the skin lists and the triangles.
void WriteModelJson(JsonWriter& json, const Model& model, bool full);

}  // namespace vertigon
