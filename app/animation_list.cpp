#include "app/animation_list.h"

#include "scene/model.h"

namespace vertigon {

namespace {

// Text up to the first NUL, as a C string would show it.
std::string UpToNul(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

}  // namespace

AnimationList BuildAnimationList(const Model* model) {
    AnimationList list;
    if (!model || model->animationGroupCount() == 0) {
        list.rootText = kNoAnimationText;
        return list;
    }
    list.rootText = "Animations (" + std::to_string(model->animationGroupCount()) + ")";
    for (int32_t g = 0; g < model->animationGroupCount(); ++g) {
        const AnimationGroup& group = model->animationGroups[static_cast<size_t>(g)];
        AnimationGroupNode node;
        node.text = UpToNul(group.name) + " (" + std::to_string(group.animationCount()) + ")";
        for (int32_t j = 0; j < group.animationCount(); ++j) {
            const Animation* animation = group.animations[static_cast<size_t>(j)].get();
            // A missing clip still takes its place in the list; selecting it starts nothing.
            node.leaves.push_back({animation ? std::string(animation->GetName()) : std::string(), g, j});
        }
        list.groups.push_back(std::move(node));
    }
    return list;
}

}  // namespace vertigon
