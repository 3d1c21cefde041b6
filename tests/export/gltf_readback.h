// Reading exported files back: glTF skinning evaluated on the host from the file alone, the
// viewer's own posed triangles for comparison, and the Khronos validator.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "export/tinygltf.h"
#include "scene/model.h"

namespace vertigon::testing {

using Point = std::array<double, 3>;
using Corners3 = std::array<Point, 3>;

// Loads a .glb or .gltf with tinygltf; images keep their encoded bytes. Throws on failure.
tinygltf::Model ReadGltf(const std::filesystem::path& file);

// The accessor's elements as doubles (normalised integers scaled to 0..1), components in order.
std::vector<double> ReadAccessor(const tinygltf::Model& gltf, int accessor);

// Every triangle of the scene's nodes showing mesh `mesh` (-1: every mesh), skinned with the
// joints posed by animation `animation` at `seconds` (the nodes' own transforms when it is -1).
std::vector<Corners3> GltfTriangles(const tinygltf::Model& gltf, int animation = -1, double seconds = 0, int mesh = -1);

// The viewer's triangles of Lod `lod` (draw group 0, batches not hidden), after selecting animation `index` of `group` and drawing `redraws` redraws `step` apart
// (group -1: the bind pose); `pose`, when given, then sets the bones' local transforms.
std::vector<Corners3> ViewerTriangles(Model& model, int lod, int group = -1, int index = 0, int redraws = 0,
                                      float step = 0, const std::function<void(std::vector<Bone>&)>& pose = {});

// The largest distance between each viewer triangle and its nearest file triangle (corners
// matched in either turning order); infinity when the counts differ.
double LargestMismatch(const std::vector<Corners3>& viewer, const std::vector<Corners3>& file);

// The diagonal of the box around the triangles.
double Diagonal(const std::vector<Corners3>& triangles);

// Runs tests/export/validate.js over the files; returns its exit status and fills `report`.
int Validate(const std::vector<std::filesystem::path>& files, const std::vector<std::string>& allowedWarnings,
             std::string& report);

}  // namespace vertigon::testing
