#include "scene/playback.h"

#include <algorithm>
#include <cmath>

#include "scene/scene_graph.h"

namespace vertigon {

int32_t ClipFrames(const Animation& animation) {
    if (!animation.HasLength()) return kOpenClipFrames;
    const float length = animation.GetLength();
    if (!(length >= 1.0f)) return 1;
    return length >= 1.0e6f ? 1000000 : static_cast<int32_t>(std::ceil(length));
}

int32_t CurrentFrame(const Animation& animation) {
    const float time = animation.time;
    if (!(time > 0.0f)) return 0;
    return std::min(static_cast<int32_t>(time), ClipFrames(animation) - 1);
}

namespace {

Animation* PlayingClip(const ModelEntry& entry) { return entry.playing ? entry.currentAnimation : nullptr; }

}  // namespace

float Playback::PlanStep(ModelEntry& entry, float step) {
    Animation* clip = PlayingClip(entry);
    if (paused || !clip || !clip->CanPlay() || !(step > 0.0f)) return 0.0f;
    step *= speed;
    if (!(clip->speed > 0.0f)) return step;
    const float frames = static_cast<float>(ClipFrames(*clip));
    const float reached = clip->time + step * clip->speed;
    if (!loop && reached >= frames - 1.0f) {
        paused = true;
        return std::max(0.0f, (frames - 1.0f - clip->time) / clip->speed);
    }
    if (!clip->HasLength() && reached >= frames) {
        const float over = std::fmod(reached - frames, frames);
        clip->Rewind();
        return over / clip->speed;
    }
    return step;
}

void Playback::Seek(ModelEntry& entry, int32_t frame) {
    Animation* clip = entry.currentAnimation;
    if (!clip) return;
    frame = std::clamp(frame, 0, ClipFrames(*clip) - 1);
    const float target = static_cast<float>(frame);
    if (!clip->HasLength() && target < clip->time) clip->Rewind();
    clip->time = target;
    entry.poseDirty = true;
    clip->Apply(entry);
}

void Playback::StepFrames(ModelEntry& entry, int32_t delta) {
    paused = true;
    if (const Animation* clip = entry.currentAnimation) Seek(entry, CurrentFrame(*clip) + delta);
}

}  // namespace vertigon
