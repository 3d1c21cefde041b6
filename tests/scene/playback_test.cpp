#include "scene/playback.h"

#include <gtest/gtest.h>

#include "scene/scene_graph.h"

namespace vertigon {
namespace {

// An open-ended clip, as the emulated ones are, that counts its rewinds and applies.
class OpenClip final : public Animation {
public:
    void Apply(PoseTarget& target) override {
        ++applies;
        appliedAt = time;
        target.poseDirty = false;
    }
    float GetLength() const override { return 1.0e6f; }
    bool HasLength() const override { return false; }
    bool CanPlay() const override { return playable; }
    void Rewind() override {
        Animation::Rewind();
        ++rewinds;
    }
    int rewinds = 0, applies = 0;
    float appliedAt = -1;
    bool playable = true;
};

TEST(Playback, OpenClipsRunOverOneHundredTwentyFramesAndRewindToGoBack) {
    Model model;
    ModelEntry entry(model);
    OpenClip clip;
    entry.currentAnimation = &clip;
    entry.playing = true;
    EXPECT_EQ(ClipFrames(clip), 120);

    Playback playback;
    playback.Seek(entry, 50);
    EXPECT_EQ(clip.rewinds, 0) << "forward needs no rewind";
    EXPECT_EQ(clip.appliedAt, 50.0f);
    playback.Seek(entry, 20);
    EXPECT_EQ(clip.rewinds, 1) << "backward rewinds, then goes to the frame";
    EXPECT_EQ(clip.appliedAt, 20.0f);

    clip.time = 118.0f;
    const float step = playback.PlanStep(entry, 5.0f);
    EXPECT_EQ(clip.rewinds, 2) << "looping past frame 119 starts over";
    EXPECT_FLOAT_EQ(step, 3.0f);
    playback.paused = true;
    EXPECT_EQ(playback.PlanStep(entry, 5.0f), 0.0f);
    playback.paused = false;
    clip.playable = false;
    EXPECT_EQ(playback.PlanStep(entry, 5.0f), 0.0f) << "a clip without poses stands still";
}

}  // namespace
}  // namespace vertigon
