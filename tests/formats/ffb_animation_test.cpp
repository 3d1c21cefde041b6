// .ffa members: channel codes, the delta stream, scaling by curve, and the animation groups.
#include <string>

#include <gtest/gtest.h>

#include "formats/ffb/ffa_animation.h"
#include "formats/ffb/ffb_loader.h"
#include "formats/load_error.h"
#include "tests/fixtures/ffb_fixtures.h"

namespace vertigon {
namespace {

using testing::ChannelCode;
using testing::ConstantChannel;
using testing::DeltaChannel;
using testing::FfaAnimationDesc;
using testing::FfaChannelDesc;

constexpr float kRotationUnit = static_cast<float>(90.0 * 0.0009765625 * 0.017444444444444446);

std::vector<std::unique_ptr<Animation>> Decode(const std::vector<FfaAnimationDesc>& animations) {
    const std::vector<uint8_t> bytes = testing::WriteFfa(animations);
    WorkBudget budget(WorkBudget::kMaxBytes);
    return ffb::DecodeAnimations(ByteReader(bytes), budget);
}

const KeyframeAnimation& Keyframes(const std::unique_ptr<Animation>& animation) {
    return static_cast<const KeyframeAnimation&>(*animation);
}

std::vector<float> RawSums(std::vector<uint8_t> bytes, uint32_t frames) {
    return ffb::DecodeDeltaStream(ByteReader(bytes), 0, frames);
}

// One bone whose nine channels are given.
FfaAnimationDesc OneBone(uint16_t frames, std::vector<FfaChannelDesc> channels) {
    channels.resize(9);
    return {frames, 1, std::move(channels)};
}

TEST(FfbAnimation, DeltaStreamKeepsAndRepeatsItsDelta) {
    // 0x83 applies the kept +2 on its own frame and three more; 0x7F is -1.
    EXPECT_EQ(RawSums({0x02, 0x83, 0x7F}, 6), (std::vector<float>{2, 4, 6, 8, 10, 9}));
    // Seven-bit deltas carry their sign in bit 6; 0xC0 and up take a signed high byte.
    EXPECT_EQ(RawSums({0x40, 0x3F, 0xC5, 0xFF, 0xC0, 0x01}, 4), (std::vector<float>{-64, -1, -60, 4}));
    // A repeat byte before any delta repeats 0.
    EXPECT_EQ(RawSums({0x81, 0x05}, 3), (std::vector<float>{0, 0, 5}));
    EXPECT_THROW(RawSums({0x02, 0x01}, 3), FormatError);
    EXPECT_THROW(RawSums({0xC1}, 1), FormatError);
}

TEST(FfbAnimation, TheDeltaEncoderRoundTrips) {
    const std::vector<int32_t> values = {0, 0, 0, 5, 10, 15, 20, 2000, -3000, -3000, -2990, 7};
    const std::vector<uint8_t> bytes = testing::EncodeDeltas(values);
    const std::vector<float> sums = RawSums(bytes, static_cast<uint32_t>(values.size()));
    for (size_t i = 0; i < values.size(); ++i) EXPECT_EQ(sums[i], static_cast<float>(values[i])) << i;
}

TEST(FfbAnimation, ChannelCodesScaleByCurve) {
    const auto animations = Decode({OneBone(
        6, {ChannelCode(0), ChannelCode(1), ConstantChannel(1024),          // rotation
            ChannelCode(0), ChannelCode(1), DeltaChannel({0x02, 0x83, 0x7F}),  // translation
            ChannelCode(1), ConstantChannel(2048), DeltaChannel({0x02, 0x83, 0x7F})})});
    ASSERT_EQ(animations.size(), 1u);
    const KeyframeAnimation& a = Keyframes(animations[0]);
    ASSERT_EQ(a.trackCount(), 1);
    const BoneTrack& t = a.tracks[0];
    ASSERT_EQ(t.rotation.keyCount(), 6);
    ASSERT_EQ(t.translation.keyCount(), 6);
    ASSERT_EQ(t.scale.keyCount(), 6);
    EXPECT_EQ(t.rotation.kind, 1);
    const float translations[6] = {20, 40, 60, 80, 100, 90};
    for (int f = 0; f < 6; ++f) {
        EXPECT_EQ(t.rotation.keys[f].value.x, 0.0f);
        EXPECT_FLOAT_EQ(t.rotation.keys[f].value.y, 4096 * kRotationUnit);  // a full turn of 3.14-degrees
        EXPECT_FLOAT_EQ(t.rotation.keys[f].value.z, 1024 * kRotationUnit);
        EXPECT_EQ(t.translation.keys[f].value.x, 0.0f);
        EXPECT_EQ(t.translation.keys[f].value.y, 40960.0f);
        EXPECT_EQ(t.translation.keys[f].value.z, translations[f]);
        EXPECT_EQ(t.scale.keys[f].value.x, 1.0f);
        EXPECT_EQ(t.scale.keys[f].value.y, 0.5f);
        EXPECT_FLOAT_EQ(t.scale.keys[f].value.z, translations[f] / 10 / 4096);
        const Vec4& euler = t.rotation.keys[f].value;
        EXPECT_EQ(t.rotation.keys[f].quat, QuatFromEuler(euler.x, euler.y, euler.z));
    }
}

TEST(FfbAnimation, TheThirtyThirdCodeStartsASecondCodeWord) {
    // Four bones give 36 codes: codes 0-31 in the first word, 32-35 in the second.
    FfaAnimationDesc desc{2, 4, std::vector<FfaChannelDesc>(36)};
    desc.channels[31] = ConstantChannel(7);   // bone 3, translation y
    desc.channels[32] = ConstantChannel(-3);  // bone 3, translation z
    desc.channels[35] = ChannelCode(1);       // bone 3, scale z
    const auto animations = Decode({desc});
    const BoneTrack& t = Keyframes(animations[0]).tracks[3];
    EXPECT_EQ(t.translation.keys[1].value.y, 70.0f);
    EXPECT_EQ(t.translation.keys[1].value.z, -30.0f);
    EXPECT_EQ(t.scale.keys[1].value.z, 1.0f);
    EXPECT_EQ(t.scale.keys[1].value.y, 0.0f);
}

TEST(FfbAnimation, BlockLengthsMoveTheValueStreamRoundedDownToEven) {
    // A longer block skips its padding; an odd length of 7 ends one byte early, on the last
    // delta byte, 0x34.
    const auto longer = Decode({OneBone(2, {DeltaChannel({0x01, 0x01, 0xEE, 0xEE}, 6), ConstantChannel(512)})});
    EXPECT_FLOAT_EQ(Keyframes(longer[0]).tracks[0].rotation.keys[0].value.y, 512 * kRotationUnit);
    const auto odd = Decode({OneBone(2, {DeltaChannel({0x01, 0x01, 0xEE, 0xEE, 0x34}, 7), ConstantChannel(512)})});
    EXPECT_FLOAT_EQ(Keyframes(odd[0]).tracks[0].rotation.keys[0].value.y, 0x34 * kRotationUnit);
}

TEST(FfbAnimation, GroupsNamesAndPlaybackSpeed) {
    const auto model = ffb::LoadArchive(testing::SmallFfbArchive());
    ASSERT_EQ(model->animationGroupCount(), 4);
    const char* names[4] = {"Field animations", "Field battle animations", "Water animations",
                            "Water battle animations"};
    const int counts[4] = {2, 1, 0, 0};
    for (int g = 0; g < 4; ++g) {
        EXPECT_EQ(model->animationGroups[g].name, names[g]);
        EXPECT_EQ(model->animationGroups[g].animationCount(), counts[g]);
    }
    const Animation& walk = *model->animationGroups[0].animations[0];
    EXPECT_EQ(walk.GetName(), "Animation 000");
    EXPECT_EQ(model->animationGroups[0].animations[1]->GetName(), "Animation 001");
    EXPECT_EQ(model->animationGroups[1].animations[0]->GetName(), "Animation 000");
    EXPECT_EQ(walk.GetLength(), 4.0f);
    EXPECT_EQ(walk.speed, 0.5f);
    EXPECT_EQ(walk.time, 0.0f);
}

TEST(FfbAnimation, ApplyingMoreTracksThanBonesPosesOnlyTheModelsBones) {
    FfaAnimationDesc wide{3, 5, std::vector<FfaChannelDesc>(45)};
    for (int bone = 0; bone < 5; ++bone) wide.channels[bone * 9 + 3] = ConstantChannel(static_cast<int16_t>(bone + 1));
    const auto model = ffb::LoadArchive(testing::PackTar(
        {{"model.ffm", testing::WriteFfm(testing::SmallFfmModel())}, {"3.ffa", testing::WriteFfa({wide})}}));
    Animation& animation = *model->animationGroups[2].animations[0];
    EXPECT_EQ(static_cast<KeyframeAnimation&>(animation).trackCount(), 5);
    PoseTarget pose{model->bones};
    animation.time = 1.5f;
    animation.Apply(pose);
    ASSERT_EQ(pose.bones.size(), 3u);
    EXPECT_EQ(pose.bones[2].translation.x, 30.0f);
}

TEST(FfbAnimation, MalformedMembersRefuseTheModel) {
    const std::vector<uint8_t> ffm = testing::WriteFfm(testing::SmallFfmModel());
    std::vector<uint8_t> ffa = testing::WriteFfa(testing::SmallFfaAnimations());
    const auto load = [&](std::vector<uint8_t> member) {
        return ffb::LoadArchive(testing::PackTar({{"model.ffm", ffm}, {"2.ffa", std::move(member)}}));
    };
    EXPECT_NO_THROW(load(ffa));
    std::vector<uint8_t> broken = ffa;
    broken[0x0C] = 0xF0;  // the directory lies outside
    EXPECT_THROW(load(broken), FormatError);
    broken = ffa;
    broken.resize(ffa.size() - 3);  // the last code word is cut
    EXPECT_THROW(load(broken), FormatError);
    EXPECT_THROW(load({}), FormatError);
}

TEST(FfbAnimation, KeysBeyondTheBudgetAreRefused) {
    const std::vector<uint8_t> bytes = testing::WriteFfa({FfaAnimationDesc{1000, 2, std::vector<FfaChannelDesc>(18)}});
    WorkBudget small(1000 * 6 * sizeof(CurveKey));
    EXPECT_THROW(ffb::DecodeAnimations(ByteReader(bytes), small), FormatError);
    WorkBudget enough(2 * 1000 * 6 * sizeof(CurveKey));
    EXPECT_EQ(ffb::DecodeAnimations(ByteReader(bytes), enough).size(), 1u);
}

}  // namespace
}  // namespace vertigon
