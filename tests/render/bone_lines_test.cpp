// The skeleton overlay: one line from every bone to its parent, over the model.
#include <gtest/gtest.h>

#include "render/bone_lines.h"
#include "tests/fixtures/model_builder.h"
#include "tests/render/offscreen_rig.h"

namespace vertigon {
namespace {

using testing::AddSquare;
using testing::MakeMaterial;
using testing::MakeModel;
using testing::Near;
using testing::OffscreenRig;
using testing::ShapeBuilder;

TEST(BoneLines, OneLinePerBoneWithAParentInTheList) {
    std::vector<Bone> bones(4);
    bones[0].parent = -1;
    bones[1].parent = 0;
    bones[2].parent = 1;
    bones[3].parent = 7;  // outside the list: no line, nothing read
    bones[0].world = Mat4::Translation({1, 2, 3, 1});
    bones[1].world = Mat4::Translation({4, 5, 6, 1});
    bones[2].world = Mat4::Translation({7, 8, 9, 1});
    const std::vector<Vec4> points = BoneLineVertices(bones);
    ASSERT_EQ(points.size(), 4u);
    EXPECT_EQ(points[0], (Vec4{1, 2, 3, 1})) << "the parent's origin first";
    EXPECT_EQ(points[1], (Vec4{4, 5, 6, 1}));
    EXPECT_EQ(points[2], (Vec4{4, 5, 6, 1}));
    EXPECT_EQ(points[3], (Vec4{7, 8, 9, 1}));
}

// A white square in front of an L-shaped chain of three bones: up 100 from the origin, then
// right 100.
std::unique_ptr<Model> SkeletonBehindSquare() {
    ShapeBuilder shape;
    const int32_t batch = shape.AddBatch(MakeMaterial(false, 0));
    AddSquare(shape, batch, 0, 0, 50, 300);
    auto model = MakeModel(shape.Take(), 3);
    model->bones[1].translation = {0, 100, 0, 1};
    model->bones[2].translation = {100, 0, 0, 1};
    return model;
}

bool IsBoneColour(const std::array<uint8_t, 3>& pixel) { return Near(pixel, 255, 230, 26, 3); }

// Whether a pixel of the bone colour lies within two pixels of (x, y).
bool BoneNear(const RgbImage& image, int x, int y) {
    for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
            if (IsBoneColour(image.At(x + dx, y + dy))) return true;
        }
    }
    return false;
}

TEST(BoneLines, TheSkeletonShowsOverTheModelOnlyWhileTheBonesSwitchIsOn) {
    OffscreenRig rig;
    ModelEntry& entry = rig.Show(SkeletonBehindSquare());
    const RgbImage plain = rig.Frame();
    // The square has no texture: plain white where the bones would be.
    EXPECT_TRUE(Near(plain.At(64, 50), 255, 255, 255));
    EXPECT_FALSE(BoneNear(plain, 64, 50));

    entry.flags |= FlagBones;
    const RgbImage bones = rig.Frame();
    OffscreenRig::Save(bones, "bone_lines");
    // 100 units at distance 400 with the viewer's projection are about 28.7 pixels of 128.
    EXPECT_TRUE(BoneNear(bones, 64, 50)) << "the upright bone, in front of the nearer square";
    EXPECT_TRUE(BoneNear(bones, 78, 36)) << "the bone across the top";
    EXPECT_FALSE(BoneNear(bones, 50, 50)) << "nothing left of the chain";
    EXPECT_FALSE(BoneNear(bones, 78, 50)) << "nothing inside the L";
    EXPECT_TRUE(Near(bones.At(5, 5), 127, 127, 127, 0)) << "the background stays";
}

}  // namespace
}  // namespace vertigon
