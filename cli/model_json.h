#pragma once

#include "cli/json_output.h"
#include "scene/model.h"

namespace vertigon {

// The model's records as one JSON object; `full` adds the skin lists and the triangles.
Json ModelJson(const Model& model, bool full);

}  // namespace vertigon
