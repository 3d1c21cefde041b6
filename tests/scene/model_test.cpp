#include "scene/model.h"

#include <array>

#include <gtest/gtest.h>

namespace vertigon {
namespace {

TEST(Palette, ConvertPaletteSwapsIndexBitsThreeAndFourAndReordersBytes) {
    std::array<uint8_t, kPaletteBytes> source{};
    for (int i = 0; i < 256; ++i) {
        source[i * 4 + 0] = static_cast<uint8_t>(i);        // R
        source[i * 4 + 1] = static_cast<uint8_t>(255 - i);  // G
        source[i * 4 + 2] = 0x40;                           // B
        source[i * 4 + 3] = 0x80;                           // A
    }
    std::array<uint8_t, kPaletteBytes> converted{};
    ConvertPalette(source, converted);
    const auto sourceIndexAt = [&](int j) { return converted[j * 4 + 2]; };  // R now third
    EXPECT_EQ(sourceIndexAt(8), 16);
    EXPECT_EQ(sourceIndexAt(16), 8);
    EXPECT_EQ(sourceIndexAt(7), 7);
    EXPECT_EQ(sourceIndexAt(24), 24);
    EXPECT_EQ(sourceIndexAt(8 + 32 * 5), 16 + 32 * 5);
    EXPECT_EQ(sourceIndexAt(23), 15);
    // B, G, R, A with alpha unchanged.
    EXPECT_EQ(converted[16 * 4 + 0], 0x40);
    EXPECT_EQ(converted[16 * 4 + 1], 255 - 8);
    EXPECT_EQ(converted[16 * 4 + 3], 0x80);
}

TEST(Palette, ConsoleAlphaExpandsToEightBits) {
    EXPECT_EQ(ExpandConsoleAlpha(0x80), 255);
    EXPECT_EQ(ExpandConsoleAlpha(0x40), 127);
    EXPECT_EQ(ExpandConsoleAlpha(0), 0);
    EXPECT_EQ(ExpandConsoleAlpha(0xFF), static_cast<uint8_t>((255 * 255) >> 7));
}

class RecordingOwner : public ModelOwner {
public:
    void DestroyModel(Model* model) override { destroyed = model; }
    Model* destroyed = nullptr;
};

TEST(ModelRecords, AnEmptyModelIsValid) {
    Model model;
    EXPECT_EQ(model.lodCount(), 0);
    EXPECT_EQ(model.textureCount(), 0);
    EXPECT_EQ(model.boneCount(), 0);
    EXPECT_EQ(model.animationGroupCount(), 0);
    EXPECT_EQ(model.placement.scale.x, 1.0f);
    EXPECT_EQ(QuatToMatrix(model.placement.orientation), kIdentity);
}

TEST(ModelRecords, ReleaseAtZeroHandsTheModelToItsOwner) {
    RecordingOwner owner;
    Model model;
    model.owner = &owner;
    model.refCount = 2;
    EXPECT_EQ(model.Release(), 1);
    EXPECT_EQ(owner.destroyed, nullptr);
    EXPECT_EQ(model.Release(), 0);
    EXPECT_EQ(owner.destroyed, &model);
}

TEST(ModelRecords, PaletteSlotsHoldRawThenConvertedHalves) {
    Model model;
    model.AllocatePalettes(2);
    EXPECT_EQ(model.paletteCount(), 2);
    auto slot = model.PaletteSlot(1);
    slot[kPaletteBytes] = 0xAB;
    EXPECT_EQ(model.ConvertedPalette(1)[0], 0xAB);
}

}  // namespace
}  // namespace vertigon
