#include "formats/mdls/native_hooks.h"

#include <bit>
#include <cstring>

#include "ee/memory.h"
#include "ee/r5900_float.h"
#include "ee/registers.h"

namespace vertigon::mdls {
namespace {

using gpr::kA0, gpr::kA1, gpr::kA2;

struct Vector {
    float c[4];
};
struct Matrix {
    float m[4][4];
};

uint32_t Argument(const EeState& s, uint32_t reg) { return static_cast<uint32_t>(s.gpr[reg].lower); }

template <typename T>
T Load(const EeState& s, uint32_t reg) {
    T value;
    std::memcpy(&value, TranslateRange(s, Argument(s, reg), sizeof(T)), sizeof(T));
    return value;
}

template <typename T>
void Store(const EeState& s, uint32_t reg, const T& value) {
    std::memcpy(TranslateRange(s, Argument(s, reg), sizeof(T)), &value, sizeof(T));
}

// The arithmetic of the routines the hooks stand for: the R5900's, so no infinity or NaN comes
// out and a zero divisor gives the largest magnitude.
uint32_t Bits(float value) { return std::bit_cast<uint32_t>(value); }
float Value(uint32_t bits) { return std::bit_cast<float>(bits); }
float Mul(float a, float b) { return Value(r5900::Mul(Bits(a), Bits(b))); }
float Add(float a, float b) { return Value(r5900::Add(Bits(a), Bits(b))); }
float Div(float a, float b) { return Value(r5900::Div(Bits(a), Bits(b))); }
float Sqrt(float a) { return Value(r5900::SqrtOfMagnitude(Bits(a))); }
float Negate(float a) { return Value(Bits(a) ^ r5900::kSignBit); }

// v x M as the vector unit forms it: each product truncated, then summed row by row.
Vector Transform(const Vector& v, const Matrix& m) {
    Vector out;
    for (int c = 0; c < 4; ++c) {
        float sum = Mul(v.c[0], m.m[0][c]);
        for (int r = 1; r < 4; ++r) sum = Add(sum, Mul(v.c[r], m.m[r][c]));
        out.c[c] = sum;
    }
    return out;
}

float Length3(const float* v) { return Sqrt(Add(Add(Mul(v[0], v[0]), Mul(v[1], v[1])), Mul(v[2], v[2]))); }

void TransposeInPlace(Matrix& m) {
    for (int r = 0; r < 4; ++r)
        for (int c = r + 1; c < 4; ++c) std::swap(m.m[r][c], m.m[c][r]);
}

}  // namespace

void HookDotProduct(EeState& s) {
    const auto a = Load<Vector>(s, kA0);
    const auto b = Load<Vector>(s, kA1);
    const float y = Mul(b.c[1], a.c[1]);
    const float x = Mul(b.c[0], a.c[0]);
    const float z = Mul(b.c[2], a.c[2]);
    s.fpr[fpr::kResult] = Add(Add(y, x), z);
}

void HookCopyMatrix(EeState& s) { Store(s, kA0, Load<Matrix>(s, kA1)); }

void HookNormalize(EeState& s) {
    auto v = Load<Vector>(s, kA0);
    const float length = Length3(v.c);
    for (int i = 0; i < 3; ++i) v.c[i] = Div(v.c[i], length);
    Store(s, kA0, v);
    s.fpr[fpr::kResult] = length;
}

void HookTranspose(EeState& s) {
    auto m = Load<Matrix>(s, kA1);
    TransposeInPlace(m);
    Store(s, kA0, m);
}

void HookDivideVector(EeState& s) {
    auto v = Load<Vector>(s, kA1);
    for (float& c : v.c) c = Div(c, s.fpr[fpr::kArgument]);
    Store(s, kA0, v);
}

void HookDivideVectorKeepW(EeState& s) {
    auto v = Load<Vector>(s, kA1);
    for (int i = 0; i < 3; ++i) v.c[i] = Div(v.c[i], s.fpr[fpr::kArgument]);
    Store(s, kA0, v);
}

void HookVectorTimesMatrix(EeState& s) {
    const auto m = Load<Matrix>(s, kA1);
    const auto v = Load<Vector>(s, kA2);
    Store(s, kA0, Transform(v, m));
}

// D = S with its three axis rows normalised, transposed, and divided by the axis lengths once
// more (the inverse of a uniformly scaled rotation); then the translation row is the source's
// translation carried through that and negated.
void HookInvertScaledRigid(EeState& s) {
    const auto source = Load<Matrix>(s, kA0);
    Matrix d = source;
    float lengths[3];
    for (int r = 0; r < 3; ++r) {
        lengths[r] = Length3(d.m[r]);
        for (int c = 0; c < 3; ++c) d.m[r][c] = Div(d.m[r][c], lengths[r]);
    }
    TransposeInPlace(d);
    d.m[3][3] = 1.0f;
    d.m[2][3] = d.m[3][0] = d.m[3][1] = d.m[3][2] = d.m[1][3] = 0.0f;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) d.m[r][c] = Div(d.m[r][c], lengths[r]);
        d.m[r][3] = 0.0f;
    }
    const Vector translation{{source.m[3][0], source.m[3][1], source.m[3][2], source.m[3][3]}};
    const Vector t = Transform(translation, d);
    for (int c = 0; c < 3; ++c) d.m[3][c] = Negate(t.c[c]);
    Store(s, kA1, d);
}

}  // namespace vertigon::mdls
