#include "render/skinning.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

namespace vertigon {
namespace {

std::vector<Bone> TwoBones() {
    std::vector<Bone> bones(2);
    bones[0].world = Mat4::Translation({10, 20, 30, 1});
    bones[1].world = Mat4::Scale({2, 3, 4, 1});
    bones[1].world.MultiplyBefore(EulerRotation({0.3f, -0.7f, 1.1f, 0}));
    bones[1].world.m[3][0] = -5;
    return bones;
}

Vec4 ScalarTransform(const Vec4& v, const Mat4& m, bool point) {
    Vec4 r;
    for (int j = 0; j < 4; ++j) {
        float x = v.x * m.m[0][j] + v.y * m.m[1][j];
        x = x + v.z * m.m[2][j];
        if (point) x = x + v.w * m.m[3][j];
        (&r.x)[j] = x;
    }
    return r;
}

TEST(Skinning, SinglesAndGroupsGiveTheScalarFormulaBitForBit) {
    const std::vector<Bone> bones = TwoBones();
    Shape shape;
    shape.positionSingles = {{1, 1, {1.5f, -2.25f, 3.125f, 1}}, {0, 0, {7, 8, 9, 1}}};
    shape.positionInfluences = {{0, 0, {0.25f, 0.5f, 0.75f, 0.25f}}, {0, 1, {0.75f, 1.5f, 2.25f, 0.75f}}};
    shape.positionGroups = {{2, 2, 0}};
    std::vector<Vec4> out(3);
    SkinPositions(shape, bones, out);

    EXPECT_EQ(out[0], ScalarTransform({7, 8, 9, 1}, bones[0].world, true));
    EXPECT_EQ(out[0], (Vec4{17, 28, 39, 1}));
    EXPECT_EQ(out[1], ScalarTransform({1.5f, -2.25f, 3.125f, 1}, bones[1].world, true));
    Vec4 sum = Vec4{} + ScalarTransform(shape.positionInfluences[0].value, bones[0].world, true);
    sum = sum + ScalarTransform(shape.positionInfluences[1].value, bones[1].world, true);
    EXPECT_EQ(out[2], sum);
    EXPECT_FLOAT_EQ(out[2].w, 1.0f) << "the weights sum to one";
}

TEST(Skinning, NormalsIgnoreTranslationAndComeOutUnitLength) {
    const std::vector<Bone> bones = TwoBones();
    Shape shape;
    shape.normalSingles = {{0, 0, {0, 0, 2, 99}}, {1, 1, {1, 1, 0, 99}}};
    shape.normalInfluences = {{0, 0, {0, 0, 0, 0}}};
    shape.normalGroups = {{2, 1, 0}};  // a zero normal stays zero instead of dividing by 0
    std::vector<Vec4> out(3);
    SkinNormals(shape, bones, out);
    EXPECT_EQ(out[0].x, 0.0f);
    EXPECT_EQ(out[0].z, 1.0f) << "bone 0's translation is not applied to normals";
    const float length = std::sqrt(out[1].x * out[1].x + out[1].y * out[1].y + out[1].z * out[1].z);
    EXPECT_NEAR(length, 1.0f, 1e-6f);
    EXPECT_EQ(out[2], (Vec4{0, 0, 0, 0}));
}

TEST(Skinning, EntriesOutsideTheArraysAreSkipped) {
    const std::vector<Bone> bones = TwoBones();
    Shape shape;
    shape.positionSingles = {{5, 0, {1, 1, 1, 1}},  {-1, 0, {1, 1, 1, 1}}, {0, 2, {1, 1, 1, 1}},
                             {0, -3, {1, 1, 1, 1}}, {1, 0, {1, 1, 1, 1}}};
    shape.positionInfluences = {{0, 0, {1, 0, 0, 1}}, {0, 7, {1, 0, 0, 1}}};
    shape.positionGroups = {{0, 3, 0}, {0, 1, 2}, {0, -1, 0}, {0, 1, -1}, {2, 2, 0}, {9, 1, 0}};
    std::vector<Vec4> out(3, Vec4{-1, -1, -1, -1});
    SkinPositions(shape, bones, out);
    EXPECT_EQ(out[0], (Vec4{-1, -1, -1, -1})) << "every writer of output 0 reaches outside something";
    EXPECT_EQ(out[1], (Vec4{11, 21, 31, 1}));
    EXPECT_EQ(out[2], (Vec4{11, 20, 30, 1})) << "the influence on a missing bone adds nothing";
}

TEST(Skinning, BoundsOfNoPositionsIsTheEmptyBoxWithCentreZero) {
    const Bounds empty = BoundsOf({});
    EXPECT_EQ(empty.min.x, 1000000.0f);
    EXPECT_EQ(empty.max.z, -1000000.0f);
    EXPECT_EQ(empty.centre.y, 0.0f);

    const std::vector<Vec4> points = {{1, -2, 3, 1}, {-4, 5, 0, 1}};
    const Bounds box = BoundsOf(points);
    EXPECT_EQ(box.min.x, -4.0f);
    EXPECT_EQ(box.max.y, 5.0f);
    EXPECT_EQ(box.centre.z, 1.5f);
    const Bounds both = Enclose(Enclose(Bounds{}, box), BoundsOf(std::vector<Vec4>{{10, 0, 0, 1}}));
    EXPECT_EQ(both.max.x, 10.0f);
    EXPECT_EQ(both.centre.x, 3.0f);
}

}  // namespace
}  // namespace vertigon
