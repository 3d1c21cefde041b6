#include "export/affine.h"

#include <algorithm>
#include <cmath>

namespace vertigon {

namespace {

using V3 = std::array<double, 3>;

double Dot(const V3& a, const V3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
V3 Cross(const V3& a, const V3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double Length(const V3& v) { return std::sqrt(Dot(v, v)); }
V3 Scaled(const V3& v, double s) { return {v[0] * s, v[1] * s, v[2] * s}; }
V3 Minus(const V3& a, const V3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }

// Any unit vector at right angles to the unit vector n.
V3 Perpendicular(const V3& n) {
    const V3 axis = std::fabs(n[0]) < 0.9 ? V3{1, 0, 0} : V3{0, 1, 0};
    const V3 p = Cross(n, axis);
    return Scaled(p, 1.0 / Length(p));
}

// The unit quaternion of a rotation matrix given by its columns (column-vector convention).
std::array<double, 4> QuaternionOf(const V3& c0, const V3& c1, const V3& c2) {
    const double m00 = c0[0], m01 = c1[0], m02 = c2[0];
    const double m10 = c0[1], m11 = c1[1], m12 = c2[1];
    const double m20 = c0[2], m21 = c1[2], m22 = c2[2];
    std::array<double, 4> q;
    const double trace = m00 + m11 + m22;
    if (trace > 0) {
        const double s = 0.5 / std::sqrt(trace + 1.0);
        q = {(m21 - m12) * s, (m02 - m20) * s, (m10 - m01) * s, 0.25 / s};
    } else if (m00 > m11 && m00 > m22) {
        const double s = 2.0 * std::sqrt(1.0 + m00 - m11 - m22);
        q = {0.25 * s, (m01 + m10) / s, (m02 + m20) / s, (m21 - m12) / s};
    } else if (m11 > m22) {
        const double s = 2.0 * std::sqrt(1.0 + m11 - m00 - m22);
        q = {(m01 + m10) / s, 0.25 * s, (m12 + m21) / s, (m02 - m20) / s};
    } else {
        const double s = 2.0 * std::sqrt(1.0 + m22 - m00 - m11);
        q = {(m02 + m20) / s, (m12 + m21) / s, 0.25 * s, (m10 - m01) / s};
    }
    const double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    for (double& c : q) c /= n;
    if (q[3] < 0) {
        for (double& c : q) c = -c;
    }
    return q;
}

}  // namespace

Affine Affine::From(const Mat4& m) {
    Affine r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) r.a[i][j] = m.m[i][j];
        r.t[i] = m.m[3][i];
    }
    return r;
}

Affine Affine::Then(const Affine& next) const {
    Affine r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) r.a[i][j] = a[i][0] * next.a[0][j] + a[i][1] * next.a[1][j] + a[i][2] * next.a[2][j];
        r.t[i] = t[0] * next.a[0][i] + t[1] * next.a[1][i] + t[2] * next.a[2][i] + next.t[i];
    }
    return r;
}

bool Affine::Inverse(Affine& out) const {
    const double det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                       a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                       a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    if (!std::isfinite(det) || std::fabs(det) < 1e-300) return false;
    Affine r;
    r.a[0][0] = (a[1][1] * a[2][2] - a[1][2] * a[2][1]) / det;
    r.a[0][1] = (a[0][2] * a[2][1] - a[0][1] * a[2][2]) / det;
    r.a[0][2] = (a[0][1] * a[1][2] - a[0][2] * a[1][1]) / det;
    r.a[1][0] = (a[1][2] * a[2][0] - a[1][0] * a[2][2]) / det;
    r.a[1][1] = (a[0][0] * a[2][2] - a[0][2] * a[2][0]) / det;
    r.a[1][2] = (a[0][2] * a[1][0] - a[0][0] * a[1][2]) / det;
    r.a[2][0] = (a[1][0] * a[2][1] - a[1][1] * a[2][0]) / det;
    r.a[2][1] = (a[0][1] * a[2][0] - a[0][0] * a[2][1]) / det;
    r.a[2][2] = (a[0][0] * a[1][1] - a[0][1] * a[1][0]) / det;
    for (int j = 0; j < 3; ++j) r.t[j] = -(t[0] * r.a[0][j] + t[1] * r.a[1][j] + t[2] * r.a[2][j]);
    out = r;
    return true;
}

std::array<double, 3> Affine::Apply(const std::array<double, 3>& p) const {
    std::array<double, 3> r;
    for (int j = 0; j < 3; ++j) r[j] = p[0] * a[0][j] + p[1] * a[1][j] + p[2] * a[2][j] + t[j];
    return r;
}

std::array<double, 16> Affine::ColumnMajor() const {
    return {a[0][0], a[0][1], a[0][2], 0, a[1][0], a[1][1], a[1][2], 0,
            a[2][0], a[2][1], a[2][2], 0, t[0],    t[1],    t[2],    1};
}

NodeTransform Decompose(const Affine& transform, double* shear) {
    NodeTransform out;
    out.translation = {transform.t[0], transform.t[1], transform.t[2]};
    // Row j of the linear part is the image of axis j: scale j times rotation column j.
    const V3 rows[3] = {{transform.a[0][0], transform.a[0][1], transform.a[0][2]},
                        {transform.a[1][0], transform.a[1][1], transform.a[1][2]},
                        {transform.a[2][0], transform.a[2][1], transform.a[2][2]}};
    double s0 = Length(rows[0]);
    V3 c0 = s0 > 0 ? Scaled(rows[0], 1.0 / s0) : V3{1, 0, 0};
    V3 c1 = Minus(rows[1], Scaled(c0, Dot(rows[1], c0)));
    const double c1Length = Length(c1);
    c1 = c1Length > 1e-12 * std::max(1.0, Length(rows[1])) ? Scaled(c1, 1.0 / c1Length) : Perpendicular(c0);
    const V3 c2 = Cross(c0, c1);
    double s1 = Length(rows[1]);
    double s2 = Length(rows[2]);
    if (Dot(rows[1], c1) < 0) s1 = -s1;
    if (Dot(rows[2], c2) < 0) s2 = -s2;
    // A mirror shows as one negative scale; keep it on the last axis with a proper rotation.
    out.rotation = QuaternionOf(c0, c1, c2);
    out.scale = {s0, s1, s2};
    if (shear) {
        const V3 rebuilt[3] = {Scaled(c0, s0), Scaled(c1, s1), Scaled(c2, s2)};
        double worst = 0;
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 3; ++k) worst = std::max(worst, std::fabs(rebuilt[j][k] - rows[j][k]));
        }
        const double largest = std::max({std::fabs(s0), std::fabs(s1), std::fabs(s2)});
        *shear = largest > 0 ? worst / largest : worst;
    }
    return out;
}

Affine LocalTransform(const Bone& bone) {
    Mat4 local = kIdentity;
    local.MultiplyBefore(Mat4::Translation(bone.translation));
    local.MultiplyBefore(Mat4::Scale(bone.scale));
    local.MultiplyBefore(QuatToMatrix(bone.rotation));
    return Affine::From(local);
}

Affine PlacementTransform(const Placement& placement) {
    Bone bone;
    bone.translation = placement.position;
    bone.rotation = placement.orientation;
    bone.scale = placement.scale;
    return LocalTransform(bone);
}

void KeepHemisphere(std::array<double, 4>& q, const std::array<double, 4>& previous) {
    const double dot = q[0] * previous[0] + q[1] * previous[1] + q[2] * previous[2] + q[3] * previous[3];
    if (dot < 0) {
        for (double& c : q) c = -c;
    }
}

}  // namespace vertigon
