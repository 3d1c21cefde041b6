#include "export/pose_tracks.h"

#include <algorithm>
#include <cmath>

#include "export/float_range.h"
#include "scene/scene_graph.h"

namespace vertigon {

namespace {

// Restores what sampling changes on objects the viewer may be showing.
class SavedClock {
public:
    explicit SavedClock(Animation& animation) : animation_(animation), time_(animation.time) {}
    ~SavedClock() {
        animation_.time = time_;
    }
    SavedClock(const SavedClock&) = delete;
    SavedClock& operator=(const SavedClock&) = delete;

private:
    Animation& animation_;
    float time_;
};

// A reference held for the life of a sampling entry, so that its release never destroys the Model.
class HeldModel {
public:
    explicit HeldModel(Model& model) : model_(model) { ++model_.refCount; }
    ~HeldModel() { --model_.refCount; }
    HeldModel(const HeldModel&) = delete;
    HeldModel& operator=(const HeldModel&) = delete;

private:
    Model& model_;
};

void AddKey(ClipKeys& clip, size_t bone, const NodeTransform& t, double shear) {
    BoneKeys& keys = clip.bones[bone];
    std::array<double, 4> q = t.rotation;
    if (keys.rotations.size() >= 4) {
        const size_t last = keys.rotations.size() - 4;
        KeepHemisphere(q, {keys.rotations[last], keys.rotations[last + 1], keys.rotations[last + 2],
                           keys.rotations[last + 3]});
    }
    for (double c : t.translation) keys.translations.push_back(ToFloat(c));
    for (double c : q) keys.rotations.push_back(static_cast<float>(c));
    for (double c : t.scale) keys.scales.push_back(ToFloat(c));
    if (std::isfinite(shear)) clip.worstShear = std::max(clip.worstShear, shear);
}

// Key 0 again, as the key that closes a looping clip.
void RepeatFirstKey(ClipKeys& clip) {
    for (BoneKeys& keys : clip.bones) {
        for (int j = 0; j < 3; ++j) keys.translations.push_back(keys.translations[static_cast<size_t>(j)]);
        std::array<double, 4> q{keys.rotations[0], keys.rotations[1], keys.rotations[2], keys.rotations[3]};
        const size_t last = keys.rotations.size() - 4;
        KeepHemisphere(q, {keys.rotations[last], keys.rotations[last + 1], keys.rotations[last + 2],
                           keys.rotations[last + 3]});
        for (double c : q) keys.rotations.push_back(static_cast<float>(c));
        for (int j = 0; j < 3; ++j) keys.scales.push_back(keys.scales[static_cast<size_t>(j)]);
    }
}

ClipKeys EmptyClip(const Model& model, const Animation& animation) {
    ClipKeys clip;
    clip.name = std::string(animation.GetName());
    clip.bones.resize(model.bones.size());
    return clip;
}

}  // namespace

double SecondsPerFrame(const Animation& animation) {
    const double speed = animation.speed;
    return 1.0 / (40.0 * (speed > 0 && std::isfinite(speed) ? speed : 1.0));
}

int64_t KeyframeClipFrames(const Animation& animation, int64_t limit) {
    const double length = animation.GetLength();
    if (!(length > 0) || !std::isfinite(length)) return 1;
    return std::min<int64_t>(static_cast<int64_t>(std::ceil(length)), limit) + 1;
}

ClipKeys SampleKeyframeClip(const Model& model, Animation& animation, int64_t frameLimit, const FrameTick& tick) {
    SavedClock saved(animation);
    ClipKeys clip = EmptyClip(model, animation);
    const double seconds = SecondsPerFrame(animation);
    const int64_t keys = KeyframeClipFrames(animation, frameLimit);
    const int64_t dataFrames = keys > 1 ? keys - 1 : 1;
    PoseTarget target;
    target.bones = model.bones;
    for (int64_t f = 0; f < dataFrames; ++f) {
        tick();
        animation.time = static_cast<float>(f);
        animation.Apply(target);
        for (size_t b = 0; b < target.bones.size(); ++b) {
            double shear = 0;
            const NodeTransform t = Decompose(LocalTransform(target.bones[b]), &shear);
            AddKey(clip, b, t, shear);
        }
        clip.times.push_back(static_cast<float>(static_cast<double>(f) * seconds));
    }
    if (keys > 1) {
        const double closing = std::min<double>(animation.GetLength(), static_cast<double>(dataFrames));
        clip.times.push_back(static_cast<float>(closing * seconds));
        RepeatFirstKey(clip);
    }
    return clip;
}

ClipKeys BakeClip(Model& model, int32_t group, int32_t index, int32_t frames, const FrameTick& tick) {
    Animation& animation = *model.animationGroups.at(static_cast<size_t>(group)).animations.at(static_cast<size_t>(index));
    SavedClock saved(animation);
    ClipKeys clip = EmptyClip(model, animation);
    const double seconds = SecondsPerFrame(animation);
    // The redraw step that moves the clip on by one data frame.
    const float step = static_cast<float>(40.0 * seconds);
    Affine inversePlacement;
    const bool placed = PlacementTransform(model.placement).Inverse(inversePlacement);

    HeldModel held(model);
    ModelEntry entry(model);
    entry.SelectAnimation(group, index);
    entry.Update(0.0f);
    double previousTime = -1;
    for (int32_t k = 0; k < frames; ++k) {
        tick();
        if (k > 0) entry.Update(step);  // the redraw that moves the clip on by one data frame
        const double time = static_cast<double>(animation.time) * seconds;
        if (time <= previousTime) break;  // the clip wrapped to its start
        previousTime = time;
        std::vector<Affine> worlds;
        worlds.reserve(entry.bones.size());
        for (const Bone& bone : entry.bones) worlds.push_back(Affine::From(bone.world));
        for (size_t b = 0; b < entry.bones.size(); ++b) {
            const int32_t parent = entry.bones[b].parent;
            Affine parentInverse = inversePlacement;
            bool known = placed;
            if (parent >= 0 && static_cast<size_t>(parent) < b) {
                known = worlds[static_cast<size_t>(parent)].Inverse(parentInverse);
            }
            double shear = 0;
            // Under a parent that collapses space nothing can be recovered; the bone keeps its
            // world transform as its local one.
            const NodeTransform t = Decompose(known ? worlds[b].Then(parentInverse) : worlds[b], &shear);
            AddKey(clip, b, t, known ? shear : INFINITY);
        }
        clip.times.push_back(static_cast<float>(time));
    }
    return clip;
}

}  // namespace vertigon
