#include "scene/animation.h"

#include <string>

#include <gtest/gtest.h>

namespace vertigon {
namespace {

// A clip of `frames` keys per curve for one bone: translation x = 10 x frame, rotation about z
// by frame x 0.5 rad, scale 1 + frame.
KeyframeAnimation MakeClip(int frames, int bones = 1) {
    KeyframeAnimation clip;
    clip.length = static_cast<float>(frames);
    clip.AllocateTracks(bones);
    for (BoneTrack& track : clip.tracks) {
        for (int f = 0; f < frames; ++f) {
            const float v = static_cast<float>(f);
            track.rotation.keys.push_back({{0, 0, v * 0.5f, 0}, {}});
            track.translation.keys.push_back({{10 * v, 0, 0, 0}, {}});
            track.scale.keys.push_back({{1 + v, 1 + v, 1 + v, 0}, {}});
        }
    }
    clip.ConvertRotationKeys();
    return clip;
}

TEST(Animation, AdvanceRestartsAtZeroWhenTheLengthIsReached) {
    KeyframeAnimation clip = MakeClip(4);
    clip.speed = 0.5f;
    clip.Advance(6.0f);
    EXPECT_FLOAT_EQ(clip.time, 3.0f);
    clip.Advance(2.0f);  // reaches exactly 4: restart at 0, not at the remainder
    EXPECT_EQ(clip.time, 0.0f);
    clip.Advance(1.0f);
    clip.Advance(8.0f);  // 0.5 + 4 = 4.5 overshoots: still 0
    EXPECT_EQ(clip.time, 0.0f);
}

TEST(Animation, ApplyInterpolatesBetweenKeys) {
    KeyframeAnimation clip = MakeClip(4);
    PoseTarget target;
    target.bones.resize(1);
    target.poseDirty = false;
    clip.time = 1.25f;
    clip.Apply(target);
    EXPECT_TRUE(target.poseDirty);
    EXPECT_FLOAT_EQ(target.bones[0].translation.x, 12.5f);
    EXPECT_FLOAT_EQ(target.bones[0].scale.y, 2.25f);
    const Quat expected = QuatFromEuler(0, 0, 0.625f);
    EXPECT_NEAR(target.bones[0].rotation.z, expected.z, 1e-5f);
    EXPECT_NEAR(target.bones[0].rotation.w, expected.w, 1e-5f);
}

TEST(Animation, InsideTheLastFrameBlendsTowardKeyZero) {
    KeyframeAnimation clip = MakeClip(4);
    PoseTarget target;
    target.bones.resize(1);
    clip.time = 3.5f;
    clip.Apply(target);
    EXPECT_FLOAT_EQ(target.bones[0].translation.x, 15.0f);  // halfway from 30 back to 0
    EXPECT_FLOAT_EQ(target.bones[0].scale.x, 2.5f);
}

TEST(Animation, TracksBeyondTheTargetsBonesAreNotApplied) {
    KeyframeAnimation clip = MakeClip(2, 3);
    PoseTarget target;
    target.bones.resize(2);
    clip.time = 1.0f;
    clip.Apply(target);  // must not write a third bone
    EXPECT_FLOAT_EQ(target.bones[1].translation.x, 10.0f);
}

TEST(Animation, ATimeBeyondTheKeysHoldsTheLastKey) {
    KeyframeAnimation clip = MakeClip(2);
    PoseTarget target;
    target.bones.resize(1);
    clip.time = 7.0f;
    clip.Apply(target);
    EXPECT_FLOAT_EQ(target.bones[0].translation.x, 10.0f);
}

TEST(Animation, NamesKeepAtMost128Characters) {
    KeyframeAnimation clip;
    clip.SetName("Animation 007");
    EXPECT_EQ(clip.GetName(), "Animation 007");
    const std::string exact(128, 'a');
    clip.SetName(exact);
    EXPECT_EQ(clip.GetName(), exact);  // unterminated in the buffer, still read as 128
    clip.SetName(std::string(200, 'b'));
    EXPECT_EQ(clip.GetName(), std::string(128, 'b'));
    clip.SetName("short");
    EXPECT_EQ(clip.GetName(), "short");
}

TEST(Animation, RewindRestartsTheClip) {
    KeyframeAnimation clip = MakeClip(4);
    clip.time = 2.5f;
    clip.Rewind();
    EXPECT_EQ(clip.time, 0.0f);
}

}  // namespace
}  // namespace vertigon
