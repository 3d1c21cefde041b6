#include "scene/animation.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vertigon {

void Animation::Advance(float dt) {
    time = time + speed * dt;
    if (GetLength() <= time) time = 0.0f;
}

void Animation::Rewind() { time = 0.0f; }

void Animation::SetName(std::string_view text) {
    std::memset(name, 0, sizeof name);
    std::memcpy(name, text.data(), std::min(text.size(), sizeof name));
}

std::string_view Animation::GetName() const { return {name, strnlen(name, sizeof name)}; }

void KeyframeAnimation::AllocateTracks(int32_t n) {
    tracks.clear();
    tracks.resize(static_cast<size_t>(std::max(n, 0)));
}

void KeyframeAnimation::ConvertRotationKeys() {
    for (BoneTrack& track : tracks) {
        for (CurveKey& key : track.rotation.keys) {
            key.quat = QuatFromEuler(key.value.x, key.value.y, key.value.z);
        }
    }
}

namespace {

// The pair of keys framing `frame`; the key after the last is key 0, so a clip closes on its
// first frame. A frame beyond the curve (a length longer than the keys) holds the last key.
struct KeyPair {
    const CurveKey* from;
    const CurveKey* to;
};

KeyPair FrameKeys(const Curve& curve, int64_t frame) {
    const int64_t count = curve.keyCount();
    const int64_t i = std::clamp<int64_t>(frame, 0, count - 1);
    const int64_t next = (i + 1 == count) ? 0 : i + 1;
    return {&curve.keys[static_cast<size_t>(i)], &curve.keys[static_cast<size_t>(next)]};
}

Vec4 Lerp3(const Vec4& from, const Vec4& to, float f, float w) {
    return {from.x + f * (to.x - from.x), from.y + f * (to.y - from.y), from.z + f * (to.z - from.z), w};
}

}  // namespace

void KeyframeAnimation::Apply(PoseTarget& target) {
    const float whole = std::trunc(time);
    const float f = time - whole;
    const int64_t frame = std::isfinite(whole) ? static_cast<int64_t>(std::clamp(whole, -1.0f, 1e9f)) : 0;
    const size_t bones = std::min(tracks.size(), target.bones.size());
    for (size_t b = 0; b < bones; ++b) {
        const BoneTrack& track = tracks[b];
        Bone& bone = target.bones[b];
        if (track.rotation.keyCount() > 0) {
            const KeyPair k = FrameKeys(track.rotation, frame);
            bone.rotation = QuatSlerp(k.from->quat, k.to->quat, f);
        }
        if (track.translation.keyCount() > 0) {
            const KeyPair k = FrameKeys(track.translation, frame);
            bone.translation = Lerp3(k.from->value, k.to->value, f, bone.translation.w);
        }
        if (track.scale.keyCount() > 0) {
            const KeyPair k = FrameKeys(track.scale, frame);
            bone.scale = Lerp3(k.from->value, k.to->value, f, bone.scale.w);
        }
    }
    target.poseDirty = true;
}

}  // namespace vertigon
