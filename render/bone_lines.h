// The skeleton overlay: a line from every bone to its parent, drawn over the model.
#pragma once

#include <vector>

#include "scene/animation.h"
#include "scene/math.h"

namespace vertigon {

class Device;
class ShaderSet;

// Two points per bone that has a parent in the list: the parent's origin, then the bone's
// (row 3 of each world matrix). Roots and bones whose parent index lies outside the list
// give no line.
std::vector<Vec4> BoneLineVertices(const std::vector<Bone>& bones);

// Draws the lines with `shaders` and depth testing off, so the skeleton shows through the
// surfaces.
void DrawBoneLines(Device& device, ShaderSet& shaders, const std::vector<Bone>& bones);

}  // namespace vertigon
