// The animation browser's content as data: the root text, one node per animation group and one
// leaf per animation with its group and index.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vertigon {

struct Model;

struct AnimationLeaf {
    std::string text;
    int32_t group = 0;
    int32_t index = 0;
};

struct AnimationGroupNode {
    std::string text;  // "<name> (<animation count>)"
    std::vector<AnimationLeaf> leaves;
};

struct AnimationList {
    std::string rootText;  // "Animations (<group count>)", or "No animation"
    std::vector<AnimationGroupNode> groups;
};

inline constexpr const char* kNoAnimationText = "No animation";

// The list for `model`; a null model or one without groups gives the single "No animation".
AnimationList BuildAnimationList(const Model* model);

}  // namespace vertigon
