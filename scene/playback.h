// What the playback bar does to the shown entry's animation: pause, single frames, a seek, a
// speed and looping over the clip's frames (a keyframe clip's length; 120 frames for clips that
// report no length).
#pragma once

#include <array>
#include <cstdint>

namespace vertigon {

class Animation;
class ModelEntry;

inline constexpr int32_t kOpenClipFrames = 120;
inline constexpr std::array<float, 5> kPlaybackSpeeds = {0.25f, 0.5f, 1.0f, 2.0f, 4.0f};

// Frames on the slider: the clip's length rounded up (at least 1), or kOpenClipFrames.
int32_t ClipFrames(const Animation& animation);
// The whole frame the clip shows now.
int32_t CurrentFrame(const Animation& animation);

struct Playback {
    bool paused = false;
    float speed = 1.0f;
    bool loop = true;

    // The animation time to hand the redraw for `step` of the clock: 0 while paused or without
    // a playing clip that can produce poses, otherwise speed x step. Without looping the step ends on the last frame
    // and playback pauses there; looping an open clip past its frames rewinds it first.
    float PlanStep(ModelEntry& entry, float step);
    // Applies frame `frame` (held to the clip) at once. Open clips rewind to move backwards.
    void Seek(ModelEntry& entry, int32_t frame);
    // Pauses and moves `delta` whole frames, held to the clip.
    void StepFrames(ModelEntry& entry, int32_t delta);
};

}  // namespace vertigon
