// Bones, the pose target an animation writes into, and the animation interface with its
// key-per-frame implementation.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "scene/math.h"

namespace vertigon {

// World matrix of a bone = R x S x T x parent world (root: the model matrix).
struct Bone {
    int32_t parent = -1;  // parents precede children
    Vec4 translation;
    Quat rotation;
    Vec4 scale{1, 1, 1, 1};
    Mat4 world = Mat4::Identity();
};

// What an animation writes into: a scene entry's own copy of the bones and its dirty marks.
struct PoseTarget {
    std::vector<Bone> bones;
    bool poseDirty = true;  // world matrices must be recomputed from the local transforms
    bool skinDirty = true;  // the Lods must be re-skinned
};

inline constexpr size_t kAnimationNameBytes = 128;

class Animation {
public:
    virtual ~Animation() = default;

    // time += speed x dt; a time that reaches the length restarts at 0 (the overshoot is dropped).
    virtual void Advance(float dt);
    // Writes the pose at `time` into the target's bones and marks the pose dirty.
    virtual void Apply(PoseTarget& target) = 0;
    virtual float GetLength() const = 0;
    // False for clips whose length is open-ended (the emulated ones): a player gives them a
    // range of its own.
    virtual bool HasLength() const { return true; }
    // Restarts the clip.
    virtual void Rewind();
    // False when this clip cannot produce poses here (an emulated clip without its program).
    virtual bool CanPlay() const { return true; }
    // True when the clip has stopped by itself and holds its pose until rewound (an emulated
    // clip whose routine failed): its clock may run on, but no pose changes.
    virtual bool Stopped() const { return false; }

    // Copies at most 128 characters; a name of 128 or more is not terminated in the buffer.
    void SetName(std::string_view text);
    // At most 128 characters, stopping at the first NUL.
    std::string_view GetName() const;

    float length = 0.0f;  // frames
    float speed = 1.0f;   // frames advanced per unit of time given to Advance
    float time = 0.0f;    // current frame position
    char name[kAnimationNameBytes] = {};
};

struct CurveKey {
    Vec4 value;  // translation / scale x, y, z; rotation keys hold Euler angles here
    Quat quat;   // rotation keys once converted
};

// One key per frame.
struct Curve {
    int32_t kind = 1;
    std::vector<CurveKey> keys;

    int32_t keyCount() const { return static_cast<int32_t>(keys.size()); }
};

struct BoneTrack {
    Curve rotation;
    Curve translation;
    Curve scale;
};

class KeyframeAnimation : public Animation {
public:
    void AllocateTracks(int32_t n);
    // quat = QuatFromEuler(value.x, value.y, value.z) for every rotation key.
    void ConvertRotationKeys();

    // Blends key floor(time) toward the next key (key 0 after the last): rotations by slerp,
    // translations and scales linearly. Tracks beyond the target's bones are not applied.
    void Apply(PoseTarget& target) override;
    float GetLength() const override { return length; }

    int32_t trackCount() const { return static_cast<int32_t>(tracks.size()); }

    std::vector<BoneTrack> tracks;
};

}  // namespace vertigon
