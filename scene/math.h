// Single-precision vector, matrix and quaternion types shared by the loaders, the scene and the
// renderer. Matrices are row-major and act on row vectors: p' = p x M, translation in row 3.
#pragma once

#include <cstdint>

namespace vertigon {

constexpr float kPi = 3.14159265358979323846f;

struct Vec3 {
    float x = 0, y = 0, z = 0;
};

struct alignas(16) Vec4 {
    float x = 0, y = 0, z = 0, w = 0;

    void Set(float nx, float ny, float nz, float nw) {
        x = nx;
        y = ny;
        z = nz;
        w = nw;
    }
    Vec4 operator+(const Vec4& o) const { return {x + o.x, y + o.y, z + o.z, w + o.w}; }
    Vec4 operator-(const Vec4& o) const { return {x - o.x, y - o.y, z - o.z, w - o.w}; }
    Vec4 operator*(float s) const { return {x * s, y * s, z * s, w * s}; }
    bool operator==(const Vec4&) const = default;
};

// Vector part first, scalar last.
struct alignas(16) Quat {
    float x = 0, y = 0, z = 0, w = 0;
    bool operator==(const Quat&) const = default;
};

struct alignas(16) Mat4 {
    float m[4][4] = {};

    static Mat4 Identity();
    static Mat4 Translation(const Vec4& v);
    static Mat4 Scale(const Vec4& v);

    // In place: this = other x this.
    void MultiplyBefore(const Mat4& other);
    void Transpose();
    // Row vector times this matrix, all four components.
    Vec4 Transform(const Vec4& p) const;
    bool operator==(const Mat4&) const = default;
};

// The one constant identity every builder starts from.
inline constexpr Mat4 kIdentity = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};

// Rx(v.x) x Ry(v.y) x Rz(v.z) for row vectors, angles in radians.
Mat4 EulerRotation(const Vec4& v);
// No normalisation; the all-zero quaternion gives the identity.
Mat4 QuatToMatrix(const Quat& q);
// fov in radians.
Mat4 PerspectiveRH(float fov, float aspect, float nearPlane, float farPlane);
// Only x, y, z of each argument are read.
Mat4 LookAtRH(const Vec4& target, const Vec4& eye, const Vec4& up);

// The Hamilton product b.a (the second operand on the left).
Quat QuatMultiply(const Quat& a, const Quat& b);
// Each axis turns by the negated angle; the result is the conjugate of qz.qy.qx.
Quat QuatFromEuler(float ax, float ay, float az);
Quat QuatNormalize(const Quat& q);
Quat QuatSlerp(const Quat& a, const Quat& b, float t);

}  // namespace vertigon
