// The FFA animation decoder, then every decoded clip advanced and applied to a skeleton of as
// many bones as it has tracks (and one fewer, so tracks beyond the bones are met too).
#include <cstdint>
#include <memory>
#include <vector>

#include "formats/ffb/ffa_animation.h"

using namespace vertigon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Far below the loader's budget: a small input must not ask for a huge decode.
    WorkBudget budget(uint64_t{64} << 20);
    std::vector<std::unique_ptr<Animation>> animations;
    try {
        animations = ffb::DecodeAnimations(ByteReader({data, size}), budget);
    } catch (const FormatError&) {
        return 0;
    }
    for (const std::unique_ptr<Animation>& animation : animations) {
        const auto* clip = static_cast<const KeyframeAnimation*>(animation.get());
        PoseTarget target;
        target.bones.resize(clip->tracks.empty() ? 0 : clip->tracks.size() - 1);
        for (float step : {0.0f, 0.75f, animation->GetLength(), 3.5f}) {
            animation->Advance(step);
            animation->Apply(target);
        }
    }
    return 0;
}
