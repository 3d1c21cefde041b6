#include "scene/math.h"

#include <cmath>

#include <gtest/gtest.h>

namespace vertigon {
namespace {

constexpr float kTolerance = 1e-5f;

void ExpectMatNear(const Mat4& a, const Mat4& b, float tolerance = kTolerance) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(a.m[r][c], b.m[r][c], tolerance) << "row " << r << " col " << c;
    }
}

void ExpectQuatNear(const Quat& a, const Quat& b, float tolerance = kTolerance) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
    EXPECT_NEAR(a.w, b.w, tolerance);
}

// The textbook Hamilton product p.q, written independently of the program's component formulas.
Quat Hamilton(const Quat& p, const Quat& q) {
    return {p.w * q.x + p.x * q.w + p.y * q.z - p.z * q.y, p.w * q.y - p.x * q.z + p.y * q.w + p.z * q.x,
            p.w * q.z + p.x * q.y - p.y * q.x + p.z * q.w, p.w * q.w - p.x * q.x - p.y * q.y - p.z * q.z};
}

TEST(Math, ZeroAnglesAndZeroQuaternionGiveIdentity) {
    EXPECT_EQ(EulerRotation({0, 0, 0, 0}), kIdentity);
    EXPECT_EQ(QuatToMatrix({0, 0, 0, 0}), kIdentity);
}

TEST(Math, EulerYawQuarterTurnMapsXToMinusZ) {
    const Vec4 p = EulerRotation({0, kPi / 2, 0, 0}).Transform({1, 0, 0, 0});
    EXPECT_NEAR(p.x, 0, kTolerance);
    EXPECT_NEAR(p.y, 0, kTolerance);
    EXPECT_NEAR(p.z, -1, kTolerance);
    EXPECT_NEAR(p.w, 0, kTolerance);
}

TEST(Math, EulerRotationIsXThenYThenZForRowVectors) {
    const Vec4 angles{0.3f, -1.1f, 2.0f, 0};
    // Rx x Ry x Rz built with the in-place product: this = other x this.
    Mat4 composed = EulerRotation({0, 0, angles.z, 0});
    composed.MultiplyBefore(EulerRotation({0, angles.y, 0, 0}));
    composed.MultiplyBefore(EulerRotation({angles.x, 0, 0, 0}));
    ExpectMatNear(EulerRotation(angles), composed);
}

TEST(Math, MultiplyBeforeComposesRotateScaleTranslateParent) {
    Mat4 parent = Mat4::Translation({0, 0, 5, 1});
    parent.MultiplyBefore(Mat4::Translation({10, 0, 0, 1}));
    parent.MultiplyBefore(Mat4::Scale({2, 2, 2, 1}));
    parent.MultiplyBefore(EulerRotation({0, 0, kPi / 2, 0}));
    // (1, 0, 0) turns to (0, 1, 0), doubles to (0, 2, 0), moves by (10, 0, 0), then by the parent.
    const Vec4 p = parent.Transform({1, 0, 0, 1});
    EXPECT_NEAR(p.x, 10, kTolerance);
    EXPECT_NEAR(p.y, 2, kTolerance);
    EXPECT_NEAR(p.z, 5, kTolerance);
    EXPECT_NEAR(p.w, 1, kTolerance);
}

TEST(Math, TransposeSwapsAcrossTheDiagonal) {
    Mat4 m;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) m.m[r][c] = static_cast<float>(r * 4 + c);
    }
    m.Transpose();
    EXPECT_EQ(m.m[0][3], 12);
    EXPECT_EQ(m.m[3][0], 3);
    EXPECT_EQ(m.m[1][2], 9);
    EXPECT_EQ(m.m[2][2], 10);
}

TEST(Math, LookAtFromTheStartCamera) {
    const Mat4 view = LookAtRH({0, 0, 0, 0}, {0, 0, 400, 1}, {0, 0.1f, 0, 0});
    Mat4 expected = kIdentity;
    expected.m[3][2] = -400;
    ExpectMatNear(view, expected);
}

TEST(Math, PerspectiveTakesTheFieldOfViewInRadians) {
    const Mat4 p = PerspectiveRH(45, 1, 10, 10000);
    EXPECT_NEAR(p.m[1][1], 1.7926f, 1e-3f);  // cot(22.5 rad), not cot(22.5 deg) = 2.414
    EXPECT_NEAR(p.m[0][0], p.m[1][1], 1e-6f);
    EXPECT_NEAR(p.m[2][2], -1.001001f, 1e-5f);
    EXPECT_NEAR(p.m[3][2], -10.01001f, 1e-4f);
    EXPECT_EQ(p.m[2][3], -1);
    EXPECT_EQ(p.m[3][3], 0);
}

TEST(Math, QuatMultiplyIsTheSecondOperandOnTheLeft) {
    const Quat a = QuatNormalize({0.4f, 0, 0, 0.9f});  // about x
    const Quat b = QuatNormalize({0, 0.6f, 0, 0.8f});  // about y
    ExpectQuatNear(QuatMultiply(a, b), Hamilton(b, a));
    // The two orders differ for these rotations, so the test tells them apart.
    const Quat ab = Hamilton(a, b);
    const Quat ba = Hamilton(b, a);
    EXPECT_GT(std::fabs(ab.z - ba.z), 0.1f);
}

TEST(Math, QuatFromEulerTurnsEachAxisByTheNegatedAngle) {
    const float a = 0.7f;
    const Quat qx = QuatFromEuler(a, 0, 0);
    EXPECT_FLOAT_EQ(qx.x, -std::sin(a / 2));
    EXPECT_FLOAT_EQ(qx.w, std::cos(a / 2));
    EXPECT_EQ(qx.y, 0);
    const Quat qz = QuatFromEuler(0, 0, a);
    EXPECT_FLOAT_EQ(qz.z, -std::sin(a / 2));
}

TEST(Math, QuatFromEulerMatchesEulerRotationThroughQuatToMatrix) {
    const Vec4 cases[] = {{0.3f, -1.1f, 2.0f, 0}, {1.5f, 0.2f, -0.4f, 0}, {-2.9f, 3.0f, 0.01f, 0}};
    for (const Vec4& v : cases) ExpectMatNear(QuatToMatrix(QuatFromEuler(v.x, v.y, v.z)), EulerRotation(v));
}

TEST(Math, SlerpOfEqualRotationsReturnsTheRotation) {
    const Quat a = QuatNormalize({0.1f, 0.2f, 0.3f, 0.9f});
    for (float t : {0.0f, 0.25f, 0.5f, 1.0f}) ExpectQuatNear(QuatSlerp(a, a, t), a, 1e-6f);
}

TEST(Math, SlerpTakesTheShorterArc) {
    const Quat a = QuatNormalize({0.1f, 0.2f, 0.3f, 0.9f});
    const Quat negated{-a.x, -a.y, -a.z, -a.w};
    ExpectQuatNear(QuatSlerp(a, negated, 0.5f), a, 1e-6f);
}

TEST(Math, SlerpHalfwayBetweenZeroAndAQuarterTurnIsAnEighthTurn) {
    const Quat identity{0, 0, 0, 1};
    const Quat quarter{0, 0, std::sin(kPi / 4), std::cos(kPi / 4)};
    ExpectQuatNear(QuatSlerp(identity, quarter, 0.5f), {0, 0, std::sin(kPi / 8), std::cos(kPi / 8)});
    ExpectQuatNear(QuatSlerp(identity, quarter, 0.0f), identity);
    ExpectQuatNear(QuatSlerp(identity, quarter, 1.0f), quarter);
}

TEST(Math, MathTypesAreSixteenByteAligned) {
    EXPECT_EQ(alignof(Vec4), 16u);
    EXPECT_EQ(alignof(Quat), 16u);
    EXPECT_EQ(alignof(Mat4), 16u);
    EXPECT_EQ(sizeof(Mat4), 64u);
}

}  // namespace
}  // namespace vertigon
