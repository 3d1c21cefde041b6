// Turns the decoded subparts of an MDLX model into one skinned Shape: vertices numbered across
// the whole Shape, single-bone vertices merged per bone, one Batch per subpart.
#pragma once

#include <cstdint>
#include <vector>

#include "formats/mdlx/mdlx_packets.h"
#include "scene/model.h"

namespace vertigon::mdlx {

// The Shape of the given subparts, whose bone indices all lie below `boneCount`.
Shape BuildShape(const std::vector<Subpart>& subparts, uint32_t boneCount);

}  // namespace vertigon::mdlx
