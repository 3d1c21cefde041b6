// The bundled demo model: what the viewer shows when it starts must be an upright, outward-
// facing, textured figure of a sensible size with animations in the group that plays first.
#include <algorithm>
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "formats/ffb/ffb_loader.h"
#include "tests/formats/load_support.h"

namespace vertigon {
namespace {

const std::string kDemoPath = std::string(VERTIGON_SOURCE_DIR) + "/samples/demo.ffb";

std::vector<Mat4> BoneWorlds(const std::vector<Bone>& bones, const Mat4& root) {
    std::vector<Mat4> world(bones.size());
    for (size_t b = 0; b < bones.size(); ++b) {
        Mat4 m = bones[b].parent < 0 ? root : world[static_cast<size_t>(bones[b].parent)];
        m.MultiplyBefore(Mat4::Translation(bones[b].translation));
        m.MultiplyBefore(Mat4::Scale(bones[b].scale));
        m.MultiplyBefore(QuatToMatrix(bones[b].rotation));
        world[b] = m;
    }
    return world;
}

struct Skinned {
    std::vector<Vec4> positions;
    std::vector<Vec4> normals;
};

Skinned Skin(const Shape& shape, const std::vector<Mat4>& world) {
    Skinned s{std::vector<Vec4>(static_cast<size_t>(shape.positionCount())),
              std::vector<Vec4>(static_cast<size_t>(shape.normalCount()))};
    const auto skin = [&](const std::vector<SkinEntry>& singles, const std::vector<SkinGroup>& groups,
                          const std::vector<SkinEntry>& influences, std::vector<Vec4>& out, float w) {
        for (const SkinEntry& e : singles) {
            const Mat4& m = world[static_cast<size_t>(e.bone)];
            out[static_cast<size_t>(e.index)] = m.Transform({e.value.x, e.value.y, e.value.z, w});
        }
        for (const SkinGroup& g : groups) {
            Vec4 sum;
            for (int k = 0; k < g.influenceCount; ++k) {
                const SkinEntry& e = influences[static_cast<size_t>(g.firstInfluence + k)];
                const Mat4& m = world[static_cast<size_t>(e.bone)];
                sum = sum + m.Transform({e.value.x, e.value.y, e.value.z, w * e.value.w});
            }
            out[static_cast<size_t>(g.index)] = sum;
        }
    };
    skin(shape.positionSingles, shape.positionGroups, shape.positionInfluences, s.positions, 1);
    skin(shape.normalSingles, shape.normalGroups, shape.normalInfluences, s.normals, 0);
    return s;
}

float Dot(const Vec4& a, const Vec4& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec4 Cross(const Vec4& a, const Vec4& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x, 0};
}

TEST(FfbDemo, HasASkeletonWeightsATextureAndAnimationsThatPlayOnOpening) {
    const auto model = testing::LoadAlone(FfbLoader(), kDemoPath);
    EXPECT_GE(model->boneCount(), 10);
    ASSERT_EQ(model->textureCount(), 1);
    EXPECT_EQ(model->textures[0].width, 128);
    size_t shared = 0;
    for (const Shape& shape : model->lods[0].shapes) shared += shape.positionGroups.size();
    EXPECT_GT(shared, 0u);
    ASSERT_EQ(model->animationGroupCount(), 4);
    // The viewer starts animation 0 of group 1.
    EXPECT_GE(model->animationGroups[1].animationCount(), 2);
    EXPECT_GE(model->animationGroups[0].animationCount(), 1);
    for (const auto& animation : model->animationGroups[1].animations) {
        EXPECT_EQ(static_cast<const KeyframeAnimation&>(*animation).trackCount(), model->boneCount());
    }
}

// The renderer culls faces that are counter-clockwise on screen, so every triangle must be
// clockwise as seen from outside: its corner order winds against its outward normal.
TEST(FfbDemo, EveryTriangleFacesOutward) {
    const auto model = testing::LoadAlone(FfbLoader(), kDemoPath);
    const std::vector<Mat4> world = BoneWorlds(model->bones, Mat4::Identity());
    int checked = 0;
    for (const Shape& shape : model->lods[0].shapes) {
        const Skinned s = Skin(shape, world);
        for (const Batch& batch : shape.batches) {
            EXPECT_FALSE(batch.materials[0].doubleSided);
            for (const Triangle& t : batch.triangles) {
                const Vec4& p0 = s.positions[static_cast<size_t>(t.positionIndex[0])];
                const Vec4 winding = Cross(s.positions[static_cast<size_t>(t.positionIndex[1])] - p0,
                                           s.positions[static_cast<size_t>(t.positionIndex[2])] - p0);
                for (int32_t n : t.normalIndex) EXPECT_LT(Dot(winding, s.normals[static_cast<size_t>(n)]), 0);
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 100);
}

// With the FFB placement (pi about x, 1/128) and the default camera at distance 400 with its
// 45-radian field of view (a vertical scale of about 1.7926), the figure stands head up and
// fills roughly half the view's height.
TEST(FfbDemo, StandsUprightAndFillsAboutHalfTheDefaultView) {
    const auto model = testing::LoadAlone(FfbLoader(), kDemoPath);
    Mat4 root = Mat4::Identity();
    root.MultiplyBefore(Mat4::Translation(model->placement.position));
    root.MultiplyBefore(Mat4::Scale(model->placement.scale));
    root.MultiplyBefore(QuatToMatrix(model->placement.orientation));
    const std::vector<Mat4> world = BoneWorlds(model->bones, root);
    float top = -1e9f, bottom = 1e9f;
    for (const Shape& shape : model->lods[0].shapes) {
        for (const Vec4& p : Skin(shape, world).positions) {
            top = std::max(top, p.y);
            bottom = std::min(bottom, p.y);
        }
    }
    const float visibleHeight = 2 * 400 / 1.7926f;
    EXPECT_GT((top - bottom) / visibleHeight, 0.4f);
    EXPECT_LT((top - bottom) / visibleHeight, 0.8f);
    EXPECT_LT(std::fabs(top + bottom) / 2, 0.1f * visibleHeight);  // centred
    // Bone 3 is the head, bone 13 a foot: the head is above the feet in the scene.
    EXPECT_GT(world[3].m[3][1], world[13].m[3][1] + 100);
}

}  // namespace
}  // namespace vertigon
