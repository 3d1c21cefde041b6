#include "scene/math.h"

#include <cmath>

namespace vertigon {

namespace {

// Sines and cosines are evaluated in double and rounded once to float, so the results do not
// depend on the quality of the host's single-precision routines.
float Sin(float a) { return static_cast<float>(std::sin(static_cast<double>(a))); }
float Cos(float a) { return static_cast<float>(std::cos(static_cast<double>(a))); }

struct V3 {
    float x, y, z;
};

V3 Cross(const V3& a, const V3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Dot(const V3& a, const V3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

V3 NormalizedIfNonZero(const V3& v) {
    float length = std::sqrt(Dot(v, v));
    if (length == 0.0f) return v;
    return {v.x / length, v.y / length, v.z / length};
}

}  // namespace

Mat4 Mat4::Identity() {
    Mat4 r;
    for (int i = 0; i < 4; ++i) r.m[i][i] = 1.0f;
    return r;
}

Mat4 Mat4::Translation(const Vec4& v) {
    Mat4 r = kIdentity;
    r.m[3][0] = v.x;
    r.m[3][1] = v.y;
    r.m[3][2] = v.z;
    return r;
}

Mat4 Mat4::Scale(const Vec4& v) {
    Mat4 r = kIdentity;
    r.m[0][0] = v.x;
    r.m[1][1] = v.y;
    r.m[2][2] = v.z;
    return r;
}

void Mat4::MultiplyBefore(const Mat4& other) {
    Mat4 r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = other.m[i][0] * m[0][j] + other.m[i][1] * m[1][j] +
                        other.m[i][2] * m[2][j] + other.m[i][3] * m[3][j];
        }
    }
    *this = r;
}

void Mat4::Transpose() {
    for (int i = 0; i < 4; ++i) {
        for (int j = i + 1; j < 4; ++j) {
            float t = m[i][j];
            m[i][j] = m[j][i];
            m[j][i] = t;
        }
    }
}

Vec4 Mat4::Transform(const Vec4& p) const {
    Vec4 r;
    r.x = p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0] + p.w * m[3][0];
    r.y = p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1] + p.w * m[3][1];
    r.z = p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2] + p.w * m[3][2];
    r.w = p.x * m[0][3] + p.y * m[1][3] + p.z * m[2][3] + p.w * m[3][3];
    return r;
}

Mat4 EulerRotation(const Vec4& v) {
    const float cx = Cos(v.x), sx = Sin(v.x);
    const float cy = Cos(v.y), sy = Sin(v.y);
    const float cz = Cos(v.z), sz = Sin(v.z);
    Mat4 r = kIdentity;
    r.m[0][0] = cy * cz;
    r.m[0][1] = cy * sz;
    r.m[0][2] = -sy;
    r.m[1][0] = sx * sy * cz - cx * sz;
    r.m[1][1] = sx * sy * sz + cx * cz;
    r.m[1][2] = sx * cy;
    r.m[2][0] = cx * sy * cz + sx * sz;
    r.m[2][1] = cx * sy * sz - sx * cz;
    r.m[2][2] = cx * cy;
    return r;
}

Mat4 QuatToMatrix(const Quat& q) {
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    Mat4 r = kIdentity;
    r.m[0][0] = 1.0f - 2.0f * (y * y + z * z);
    r.m[0][1] = 2.0f * (x * y - w * z);
    r.m[0][2] = 2.0f * (x * z + w * y);
    r.m[1][0] = 2.0f * (x * y + w * z);
    r.m[1][1] = 1.0f - 2.0f * (x * x + z * z);
    r.m[1][2] = 2.0f * (y * z - w * x);
    r.m[2][0] = 2.0f * (x * z - w * y);
    r.m[2][1] = 2.0f * (y * z + w * x);
    r.m[2][2] = 1.0f - 2.0f * (x * x + y * y);
    return r;
}

Mat4 PerspectiveRH(float fov, float aspect, float nearPlane, float farPlane) {
    const float half = fov / 2.0f;
    const float f = Cos(half) / Sin(half);
    Mat4 r;
    r.m[0][0] = f / aspect;
    r.m[1][1] = f;
    r.m[2][2] = farPlane / (nearPlane - farPlane);
    r.m[2][3] = -1.0f;
    r.m[3][2] = nearPlane * farPlane / (nearPlane - farPlane);
    return r;
}

Mat4 LookAtRH(const Vec4& target, const Vec4& eye, const Vec4& up) {
    const V3 e{eye.x, eye.y, eye.z};
    const V3 z = NormalizedIfNonZero({eye.x - target.x, eye.y - target.y, eye.z - target.z});
    const V3 x = NormalizedIfNonZero(Cross({up.x, up.y, up.z}, z));
    const V3 y = Cross(z, x);
    Mat4 r = kIdentity;
    r.m[0][0] = x.x;
    r.m[1][0] = x.y;
    r.m[2][0] = x.z;
    r.m[0][1] = y.x;
    r.m[1][1] = y.y;
    r.m[2][1] = y.z;
    r.m[0][2] = z.x;
    r.m[1][2] = z.y;
    r.m[2][2] = z.z;
    r.m[3][0] = -Dot(x, e);
    r.m[3][1] = -Dot(y, e);
    r.m[3][2] = -Dot(z, e);
    return r;
}

Quat QuatMultiply(const Quat& a, const Quat& b) {
    Quat r;
    r.x = a.x * b.w + b.x * a.w + a.z * b.y - a.y * b.z;
    r.y = a.y * b.w - a.z * b.x + b.y * a.w + b.z * a.x;
    r.z = a.z * b.w + a.y * b.x - b.y * a.x + b.z * a.w;
    r.w = a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z;
    return r;
}

namespace {

// Rotation about one unit axis by the negated half angle; the zero components are the sine
// times zero, so their signs follow the sine.
Quat NegatedAxisQuat(int axis, float angle) {
    const float s = Sin(-angle / 2.0f);
    const float c = Cos(angle / 2.0f);
    const float zero = s * 0.0f;
    Quat q{zero, zero, zero, c};
    if (axis == 0) q.x = s;
    if (axis == 1) q.y = s;
    if (axis == 2) q.z = s;
    return q;
}

}  // namespace

Quat QuatFromEuler(float ax, float ay, float az) {
    const Quat qa = NegatedAxisQuat(0, ax);
    const Quat qb = NegatedAxisQuat(1, ay);
    const Quat qc = NegatedAxisQuat(2, az);
    const Quat t = QuatMultiply(qb, qa);
    return QuatMultiply(qc, t);
}

Quat QuatNormalize(const Quat& q) {
    const float length = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
    return {q.x / length, q.y / length, q.z / length, q.w / length};
}

Quat QuatSlerp(const Quat& a, const Quat& b, float t) {
    float c = a.x * b.x + a.w * b.w + a.y * b.y + a.z * b.z;
    Quat to = b;
    if (c < 0.0f) {
        to = {-b.x, -b.y, -b.z, -b.w};
        c = -c;
    }
    if (std::fabs(c) < 0.99999f) {
        const float s = std::sqrt(1.0f - c * c);
        const float theta = static_cast<float>(std::atan2(static_cast<double>(s), static_cast<double>(c)));
        const float inv = 1.0f / s;
        const float k0 = Sin((1.0f - t) * theta) * inv;
        const float k1 = Sin(t * theta) * inv;
        return {k0 * a.x + k1 * to.x, k0 * a.y + k1 * to.y, k0 * a.z + k1 * to.z, k0 * a.w + k1 * to.w};
    }
    const float k0 = 1.0f - t;
    return QuatNormalize({k0 * a.x + t * to.x, k0 * a.y + t * to.y, k0 * a.z + t * to.z, k0 * a.w + t * to.w});
}

}  // namespace vertigon
