// The demo robot's animations, written as a pose per frame and encoded channel by channel.
// Included by demo_sample.cpp only.
//
// Signs, in the file's axes (the robot faces -z, +y points down): a positive x rotation
// swings a hanging limb backward (toward +z); a positive z rotation swings it toward -x, so it
// raises the right arm (on the -x side) sideways and the left arm needs a negative angle.
#pragma once

#include <array>
#include <cmath>
#include <functional>
#include <vector>

#include "samples/generate/demo_figure.h"
#include "tests/fixtures/ffb_writer.h"

namespace demo {

struct BonePose {
    V3 rotation;     // degrees
    V3 translation;  // file units
    V3 scale{1, 1, 1};
};

using Pose = std::array<BonePose, kBoneCount>;

inline Pose BindPose() {
    Pose pose;
    for (int b = 0; b < kBoneCount; ++b) pose[static_cast<size_t>(b)].translation = BoneOffset(b);
    return pose;
}

constexpr double kTau = 6.283185307179586;

// Samples `poseAt(frame, phase, pose)` (phase runs 0..2 pi over the clip, which loops) into
// one channel set per bone: rotations in 1/1024 of 90 degrees, translations in tens of units,
// scales in 1/4096.
inline vertigon::testing::FfaAnimationDesc MakeAnimation(int frames,
                                                        const std::function<void(int, double, Pose&)>& poseAt) {
    std::vector<Pose> poses;
    for (int f = 0; f < frames; ++f) {
        Pose pose = BindPose();
        poseAt(f, kTau * f / frames, pose);
        poses.push_back(pose);
    }
    vertigon::testing::FfaAnimationDesc animation;
    animation.frames = static_cast<uint16_t>(frames);
    animation.bones = kBoneCount;
    for (int b = 0; b < kBoneCount; ++b) {
        for (int channel = 0; channel < 9; ++channel) {
            std::vector<int32_t> values;
            for (const Pose& pose : poses) {
                const BonePose& p = pose[static_cast<size_t>(b)];
                const V3& v = channel < 3 ? p.rotation : channel < 6 ? p.translation : p.scale;
                const float c = channel % 3 == 0 ? v.x : channel % 3 == 1 ? v.y : v.z;
                const double unit = channel < 3 ? 90.0 / 1024.0 : channel < 6 ? 10.0 : 1.0 / 4096.0;
                values.push_back(static_cast<int32_t>(std::lround(c / unit)));
            }
            animation.channels.push_back(vertigon::testing::ChannelFor(values));
        }
    }
    return animation;
}

inline BonePose& At(Pose& pose, Bone bone) { return pose[static_cast<size_t>(bone)]; }

// A walk on the spot: legs and arms swing in opposition, knees bend on the forward swing,
// the hips bob and twist, the antenna springs.
inline vertigon::testing::FfaAnimationDesc Walk() {
    return MakeAnimation(32, [](int, double t, Pose& p) {
        const float s = static_cast<float>(std::sin(t)), c = static_cast<float>(std::cos(t));
        At(p, kPelvis).translation.y += 350.0f * s * s;
        At(p, kPelvis).rotation.y = 6 * s;
        At(p, kSpine).rotation.x = 3;
        At(p, kChest).rotation.y = -9 * s;
        At(p, kHead).rotation.x = 3 * static_cast<float>(std::sin(2 * t));
        At(p, kAntenna).rotation.z = 12 * static_cast<float>(std::sin(2 * t + 0.8));
        const float bendL = 35 * std::max(0.0f, c), bendR = 35 * std::max(0.0f, -c);
        At(p, kThighL).rotation.x = -28 * s;
        At(p, kShinL).rotation.x = bendL;
        At(p, kFootL).rotation.x = 28 * s - bendL;
        At(p, kThighR).rotation.x = 28 * s;
        At(p, kShinR).rotation.x = bendR;
        At(p, kFootR).rotation.x = -28 * s - bendR;
        At(p, kUpperArmL).rotation = {24 * s, 0, -6};
        At(p, kForearmL).rotation.x = -18 - 10 * std::max(0.0f, -s);
        At(p, kUpperArmR).rotation = {-24 * s, 0, 6};
        At(p, kForearmR).rotation.x = -18 - 10 * std::max(0.0f, s);
    });
}

// The right arm raised high, waving from the elbow twice per loop; the head tilts toward it.
inline vertigon::testing::FfaAnimationDesc Wave() {
    return MakeAnimation(48, [](int, double t, Pose& p) {
        const float s = static_cast<float>(std::sin(t)), wave = static_cast<float>(std::sin(2 * t));
        At(p, kPelvis).rotation.z = 2 * s;
        At(p, kChest).rotation.z = -3 + 2 * s;
        At(p, kHead).rotation = {0, -8 * s, -10 + 3 * wave};
        At(p, kAntenna).rotation.z = 15 * static_cast<float>(std::sin(4 * t));
        At(p, kUpperArmR).rotation = {-10, 0, 150};
        At(p, kForearmR).rotation.z = 25 * wave;
        At(p, kHandR).rotation.z = 12 * wave;
        At(p, kUpperArmL).rotation = {4 * s, 0, -6};
        At(p, kForearmL).rotation.x = -12;
    });
}

// A jump with both arms up: crouch, leap, land, straighten.
inline vertigon::testing::FfaAnimationDesc Jump() {
    return MakeAnimation(40, [](int f, double, Pose& p) {
        const auto bump = [](double x, double centre, double width) {
            const double d = (x - centre) / width;
            return static_cast<float>(std::fabs(d) < 1 ? 0.5 * (1 + std::cos(d * 3.141592653589793)) : 0);
        };
        const float crouch = bump(f, 6, 6) + bump(f, 30, 7);
        const float air = (f > 10 && f < 26) ? static_cast<float>(std::sin((f - 10) / 16.0 * 3.141592653589793)) : 0;
        At(p, kPelvis).translation.y += 2200 * crouch - 5000 * air;
        At(p, kSpine).rotation.x = 12 * crouch;
        At(p, kHead).rotation.x = -10 * air;
        At(p, kAntenna).rotation.x = 25 * air - 15 * crouch;
        for (auto [thigh, shin, foot] : {std::array{kThighL, kShinL, kFootL}, std::array{kThighR, kShinR, kFootR}}) {
            At(p, thigh).rotation.x = -50 * crouch - 10 * air;
            At(p, shin).rotation.x = 95 * crouch + 20 * air;
            At(p, foot).rotation.x = -45 * crouch - 10 * air;
        }
        const float lift = 25 + 130 * air + 20 * crouch;
        At(p, kUpperArmL).rotation = {-10 * crouch, 0, -lift};
        At(p, kUpperArmR).rotation = {-10 * crouch, 0, lift};
        At(p, kForearmL).rotation.z = -20 * air;
        At(p, kForearmR).rotation.z = 20 * air;
    });
}

// Standing idle: breathing, looking around, the antenna swaying.
inline vertigon::testing::FfaAnimationDesc Idle() {
    return MakeAnimation(64, [](int, double t, Pose& p) {
        const float s = static_cast<float>(std::sin(t)), s2 = static_cast<float>(std::sin(2 * t));
        At(p, kChest).scale = {1 + 0.03f * s2, 1, 1 + 0.04f * s2};
        At(p, kHead).rotation = {2 * s2, 20 * s, 0};
        At(p, kAntenna).rotation.z = 10 * static_cast<float>(std::sin(3 * t));
        At(p, kUpperArmL).rotation = {3 * s2, 0, -5};
        At(p, kUpperArmR).rotation = {-3 * s2, 0, 5};
        At(p, kForearmL).rotation.x = -8;
        At(p, kForearmR).rotation.x = -8;
    });
}

}  // namespace demo
