// Animations as glTF key lists: every bone's local translation, rotation and scale at each key.
// Keyframe clips are sampled at their data frames; emulated clips are played through a scene
// entry exactly as the viewer plays them and their world matrices turned into local transforms.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "export/affine.h"
#include "scene/model.h"

namespace vertigon {

struct BoneKeys {
    std::vector<float> translations;  // 3 per key
    std::vector<float> rotations;     // 4 per key, unit, each on the hemisphere of the one before
    std::vector<float> scales;        // 3 per key
};

struct ClipKeys {
    std::string name;
    std::vector<float> times;  // seconds, increasing
    std::vector<BoneKeys> bones;
    double worstShear = 0;  // largest decomposition error over every key and bone
};

// Called once per sampled frame; it throws to stop the work.
using FrameTick = std::function<void()>;

// How many keys SampleKeyframeClip makes: one per data frame (at most `limit`) plus the closing one.
int64_t KeyframeClipFrames(const Animation& animation, int64_t limit);

// One key per data frame f at f / (40 x speed) seconds, and a closing key at the clip's length
// that repeats key 0. The animation's time is left as it was.
ClipKeys SampleKeyframeClip(const Model& model, Animation& animation, int64_t frameLimit, const FrameTick& tick);

// `frames` frames of animation `index` of group `group`, one data frame apart, from a rewound
// start. The animation's time is left as it was.
ClipKeys BakeClip(Model& model, int32_t group, int32_t index, int32_t frames, const FrameTick& tick);

// The viewer's seconds per data frame of a clip: 1 / (40 x speed); speeds that are not positive
// and finite count as 1.
double SecondsPerFrame(const Animation& animation);

}  // namespace vertigon
