#include "platform/ca/TransformDecomposition.hpp"

#include <cmath>
#include <numbers>

namespace pellavo::ca {

namespace {

double lerp(double a, double b, double p) { return (1 - p) * a + p * b; }

} // namespace

TransformDecomposition TransformDecomposition::decompose(const Transform3D& t) {
    TransformDecomposition r;
    r.rest = t;
    r.translateX = t.m41;
    r.translateY = t.m42;

    const double a = t.m11, b = t.m12, c = t.m21, d = t.m22;
    double sx = std::hypot(a, b), sy = std::hypot(c, d);
    // A mirrored transform cannot be a rotation: put the flip into one scale.
    if (a * d - b * c < 0) {
        if (a < d)
            sx = -sx;
        else
            sy = -sy;
    }
    r.scaleX = sx;
    r.scaleY = sy;

    // Rows of the rotation-and-shear part; a zero row borrows the rotation's own row
    // so that a collapsed axis neither produces NaN nor invents a shear.
    double q1x = 0, q1y = 0, q2x = 0, q2y = 0;
    if (sx != 0) {
        q1x = a / sx, q1y = b / sx;
        r.angle = std::atan2(q1y, q1x);
    } else if (sy != 0) {
        r.angle = std::atan2(-c / sy, d / sy);
    } else {
        r.angle = 0;
    }
    const double cs = std::cos(r.angle), sn = std::sin(r.angle);
    if (sx == 0) q1x = cs, q1y = sn;
    if (sy != 0)
        q2x = c / sy, q2y = d / sy;
    else
        q2x = -sn, q2y = cs;

    // shear = Q · rotation(angle)ᵀ
    r.shear11 = q1x * cs + q1y * sn;
    r.shear12 = -q1x * sn + q1y * cs;
    r.shear21 = q2x * cs + q2y * sn;
    r.shear22 = -q2x * sn + q2y * cs;
    return r;
}

Transform3D TransformDecomposition::recompose() const {
    const double cs = std::cos(angle), sn = std::sin(angle);
    Transform3D t = rest;
    // Q = shear · rotation(angle), rows scaled by the scales.
    t.m11 = scaleX * (shear11 * cs - shear12 * sn);
    t.m12 = scaleX * (shear11 * sn + shear12 * cs);
    t.m21 = scaleY * (shear21 * cs - shear22 * sn);
    t.m22 = scaleY * (shear21 * sn + shear22 * cs);
    t.m41 = translateX;
    t.m42 = translateY;
    return t;
}

TransformDecomposition TransformDecomposition::interpolate(TransformDecomposition from,
                                                           TransformDecomposition to, double p) {
    constexpr double pi = std::numbers::pi;
    // Flips on crossed axes are the same picture as a half turn: use the half turn,
    // so the scale does not pass through zero.
    if ((from.scaleX < 0 && to.scaleY < 0) || (from.scaleY < 0 && to.scaleX < 0)) {
        from.scaleX = -from.scaleX;
        from.scaleY = -from.scaleY;
        from.angle += from.angle < 0 ? pi : -pi;
    }
    // Turn the short way round.
    if (std::fabs(from.angle - to.angle) > pi) {
        if (from.angle > to.angle)
            from.angle -= 2 * pi;
        else
            to.angle -= 2 * pi;
    }

    TransformDecomposition r;
    r.translateX = lerp(from.translateX, to.translateX, p);
    r.translateY = lerp(from.translateY, to.translateY, p);
    r.scaleX = lerp(from.scaleX, to.scaleX, p);
    r.scaleY = lerp(from.scaleY, to.scaleY, p);
    r.angle = lerp(from.angle, to.angle, p);
    r.shear11 = lerp(from.shear11, to.shear11, p);
    r.shear12 = lerp(from.shear12, to.shear12, p);
    r.shear21 = lerp(from.shear21, to.shear21, p);
    r.shear22 = lerp(from.shear22, to.shear22, p);
    const Transform3D& a = from.rest;
    const Transform3D& b = to.rest;
    Transform3D& m = r.rest;
    m.m13 = lerp(a.m13, b.m13, p), m.m14 = lerp(a.m14, b.m14, p);
    m.m23 = lerp(a.m23, b.m23, p), m.m24 = lerp(a.m24, b.m24, p);
    m.m31 = lerp(a.m31, b.m31, p), m.m32 = lerp(a.m32, b.m32, p);
    m.m33 = lerp(a.m33, b.m33, p), m.m34 = lerp(a.m34, b.m34, p);
    m.m43 = lerp(a.m43, b.m43, p), m.m44 = lerp(a.m44, b.m44, p);
    return r;
}

} // namespace pellavo::ca
