#include "formats/ffb/ffa_animation.h"

#include <cstdio>
#include <string>

namespace vertigon::ffb {

namespace {

constexpr uint64_t kIndexEntryBytes = 16;
constexpr int kChannelsPerBone = 9;
constexpr int kCodesPerWord = 32;
constexpr float kFrameSpeed = 0.5f;

// Raw value to stored float, by curve: rotation in 1/1024 of 90 degrees (with 3.14 / 180 as the
// degree-to-radian factor), translation in tens of units, scale in 1/4096.
constexpr double kCurveUnit[3] = {90.0 * 0.0009765625 * 0.017444444444444446, 10.0, 0.000244140625};

float Scaled(double raw, int curve) { return static_cast<float>(raw * kCurveUnit[curve]); }

float& Component(Vec4& v, int component) { return component == 0 ? v.x : component == 1 ? v.y : v.z; }

Curve& CurveOf(BoneTrack& track, int curve) {
    return curve == 0 ? track.rotation : curve == 1 ? track.translation : track.scale;
}

// The 2-bit codes, 32 to each 8-byte little-endian word, lowest bits first.
class CodeStream {
public:
    CodeStream(const ByteReader& member, uint64_t offset) : member_(member), offset_(offset) {}

    ChannelCode Code(uint64_t index) {
        const uint64_t wordIndex = index / kCodesPerWord;
        if (wordIndex != cachedIndex_) {
            cachedWord_ = member_.U64(ByteReader::Add(offset_, ByteReader::Mul(wordIndex, 8)));
            cachedIndex_ = wordIndex;
        }
        return static_cast<ChannelCode>((cachedWord_ >> (2 * (index % kCodesPerWord))) & 0x3);
    }

private:
    const ByteReader& member_;
    uint64_t offset_;
    uint64_t cachedIndex_ = UINT64_MAX;
    uint64_t cachedWord_ = 0;
};

std::unique_ptr<KeyframeAnimation> DecodeAnimation(const ByteReader& member, uint64_t a, int index,
                                                   WorkBudget& budget) {
    const uint32_t frames = member.U16(a);
    const uint32_t bones = member.U16(ByteReader::Add(a, 0x02));
    const uint64_t codeOffset = ByteReader::Add(a, member.U32(ByteReader::Add(a, 0x08)));
    // Every code word must be in the member before room is made for the tracks.
    const uint64_t codeWords = (uint64_t{bones} * kChannelsPerBone + kCodesPerWord - 1) / kCodesPerWord;
    if (codeWords != 0) member.RequireArray(codeOffset, codeWords, 8);
    CodeStream codes(member, codeOffset);
    uint64_t value = ByteReader::Add(a, member.U32(ByteReader::Add(a, 0x0C)));
    budget.Take(uint64_t{bones} * 3, sizeof(Curve) + uint64_t{frames} * sizeof(CurveKey), "animation keys");

    auto animation = std::make_unique<KeyframeAnimation>();
    char name[32];
    std::snprintf(name, sizeof name, "Animation %03d", index);
    animation->SetName(name);
    animation->length = static_cast<float>(frames);
    animation->speed = kFrameSpeed;
    animation->AllocateTracks(static_cast<int32_t>(bones));

    for (uint32_t b = 0; b < bones; ++b) {
        BoneTrack& track = animation->tracks[b];
        for (int curve = 0; curve < 3; ++curve) {
            CurveOf(track, curve).kind = 1;
            CurveOf(track, curve).keys.resize(frames);
        }
        for (int channel = 0; channel < kChannelsPerBone; ++channel) {
            const int curve = channel / 3;
            std::vector<CurveKey>& keys = CurveOf(track, curve).keys;
            const auto fill = [&](float v) {
                for (CurveKey& key : keys) Component(key.value, channel % 3) = v;
            };
            switch (codes.Code(uint64_t{b} * kChannelsPerBone + static_cast<uint64_t>(channel))) {
                case kChannelZero: fill(0.0f); break;
                case kChannelFull: fill(Scaled(4096, curve)); break;
                case kChannelConstant:
                    fill(Scaled(member.S16(value), curve));
                    value = ByteReader::Add(value, 2);
                    break;
                case kChannelDeltas: {
                    const uint16_t blockLength = member.U16(value);
                    const std::vector<float> sums = DecodeDeltaStream(member, ByteReader::Add(value, 2), frames);
                    for (uint32_t f = 0; f < frames; ++f) {
                        Component(keys[f].value, channel % 3) = Scaled(sums[f], curve);
                    }
                    // The block length counts from the length word itself, rounded down to even.
                    value = ByteReader::Add(value, blockLength & ~uint64_t{1});
                    break;
                }
            }
        }
    }
    animation->ConvertRotationKeys();
    return animation;
}

}  // namespace

std::vector<float> DecodeDeltaStream(const ByteReader& member, uint64_t offset, uint32_t frameCount) {
    std::vector<float> sums(frameCount);
    float sum = 0.0f;
    int32_t delta = 0;
    uint32_t repeat = 0;
    for (uint32_t f = 0; f < frameCount; ++f) {
        if (repeat != 0) {
            --repeat;
        } else {
            const uint8_t b = member.U8(offset);
            offset = ByteReader::Add(offset, 1);
            if (b < 0x80) {
                delta = (b & 0x40) ? b - 0x80 : b;  // 7-bit two's complement
            } else if (b >= 0xC0) {
                delta = (b & 0x3F) + member.S8(offset) * 64;
                offset = ByteReader::Add(offset, 1);
            } else {
                repeat = b & 0x3F;  // this frame and `repeat` more keep the delta
            }
        }
        sum += static_cast<float>(delta);
        sums[f] = sum;
    }
    return sums;
}

std::vector<std::unique_ptr<Animation>> DecodeAnimations(const ByteReader& member, WorkBudget& budget) {
    const uint64_t directory = member.U32(0x0C);
    const uint64_t count = member.U16(ByteReader::Add(directory, 0x0A));
    const uint64_t index = member.U32(ByteReader::Add(directory, 0x10));
    if (count != 0) member.RequireArray(index, count, kIndexEntryBytes);
    std::vector<std::unique_ptr<Animation>> animations;
    animations.reserve(count);
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t a = member.U32(index + i * kIndexEntryBytes + 0x0C);
        animations.push_back(DecodeAnimation(member, a, static_cast<int>(i), budget));
    }
    return animations;
}

}  // namespace vertigon::ffb
