#include "platform/ca/Transform3D.hpp"

#include <array>
#include <cmath>

namespace pellavo::ca {

namespace {

using Matrix = std::array<Float, 16>;

Matrix toArray(const Transform3D& t) {
    return {t.m11, t.m12, t.m13, t.m14, t.m21, t.m22, t.m23, t.m24,
            t.m31, t.m32, t.m33, t.m34, t.m41, t.m42, t.m43, t.m44};
}

Transform3D fromArray(const Matrix& m) {
    Transform3D t;
    t.m11 = m[0], t.m12 = m[1], t.m13 = m[2], t.m14 = m[3];
    t.m21 = m[4], t.m22 = m[5], t.m23 = m[6], t.m24 = m[7];
    t.m31 = m[8], t.m32 = m[9], t.m33 = m[10], t.m34 = m[11];
    t.m41 = m[12], t.m42 = m[13], t.m43 = m[14], t.m44 = m[15];
    return t;
}

} // namespace

Transform3D Transform3D::makeTranslation(Float tx, Float ty, Float tz) {
    Transform3D t;
    t.m41 = tx, t.m42 = ty, t.m43 = tz;
    return t;
}

Transform3D Transform3D::makeScale(Float sx, Float sy, Float sz) {
    Transform3D t;
    t.m11 = sx, t.m22 = sy, t.m33 = sz;
    return t;
}

Transform3D Transform3D::makeRotation(Float angle, Float x, Float y, Float z) {
    // hypot neither overflows for huge axes nor underflows to zero for tiny ones.
    const Float len = std::hypot(x, y, z);
    if (!std::isfinite(len) || len == 0 || !std::isfinite(angle)) return identity();
    x /= len, y /= len, z /= len;
    const Float c = std::cos(angle), s = std::sin(angle), k = 1 - c;
    Transform3D t;
    t.m11 = c + x * x * k, t.m12 = x * y * k + z * s, t.m13 = x * z * k - y * s;
    t.m21 = x * y * k - z * s, t.m22 = c + y * y * k, t.m23 = y * z * k + x * s;
    t.m31 = x * z * k + y * s, t.m32 = y * z * k - x * s, t.m33 = c + z * z * k;
    return t;
}

Transform3D Transform3D::makeAffineTransform(const cg::AffineTransform& a) {
    Transform3D t;
    t.m11 = a.a, t.m12 = a.b, t.m21 = a.c, t.m22 = a.d, t.m41 = a.tx, t.m42 = a.ty;
    return t;
}

Transform3D concat(const Transform3D& a, const Transform3D& b) {
    const Matrix x = toArray(a), y = toArray(b);
    Matrix r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            Float sum = 0;
            for (int k = 0; k < 4; ++k) sum += x[i * 4 + k] * y[k * 4 + j];
            r[i * 4 + j] = sum;
        }
    return fromArray(r);
}

Transform3D Transform3D::translated(Float tx, Float ty, Float tz) const {
    return concat(makeTranslation(tx, ty, tz), *this);
}

Transform3D Transform3D::scaled(Float sx, Float sy, Float sz) const {
    return concat(makeScale(sx, sy, sz), *this);
}

Transform3D Transform3D::rotated(Float angle, Float x, Float y, Float z) const {
    return concat(makeRotation(angle, x, y, z), *this);
}

bool Transform3D::isFinite() const {
    for (Float v : toArray(*this))
        if (!std::isfinite(v)) return false;
    return true;
}

Transform3D Transform3D::inverted() const {
    if (!isFinite()) return *this;
    const Matrix m = toArray(*this);
    Matrix inv{};
    inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] +
             m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] - m[8] * m[7] * m[14] -
             m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] +
             m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] - m[8] * m[6] * m[13] -
              m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] - m[9] * m[3] * m[14] -
             m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] +
             m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] -
             m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] +
              m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
             m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] -
             m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] +
              m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] -
              m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] -
             m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
             m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
              m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
              m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
    const Float det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
    if (!std::isfinite(det) || std::fabs(det) < 1e-12) return *this;
    for (Float& v : inv) v /= det;
    const Transform3D result = fromArray(inv);
    return result.isFinite() ? result : *this;
}

bool Transform3D::isAffine() const {
    return m13 == 0 && m14 == 0 && m23 == 0 && m24 == 0 && m31 == 0 && m32 == 0 && m33 == 1 &&
           m34 == 0 && m43 == 0 && m44 == 1;
}

cg::AffineTransform Transform3D::affineTransform() const { return {m11, m12, m21, m22, m41, m42}; }

cg::AffineTransform Transform3D::flattened() const {
    const Float w = (std::isfinite(m44) && m44 != 0) ? m44 : 1;
    return {m11 / w, m12 / w, m21 / w, m22 / w, m41 / w, m42 / w};
}

} // namespace pellavo::ca
