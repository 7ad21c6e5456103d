#include "platform/cg/AffineTransform.hpp"

namespace pellavo::cg {

AffineTransform AffineTransform::makeRotation(Float angle) {
    const Float c = std::cos(angle);
    const Float s = std::sin(angle);
    return {c, s, -s, c, 0, 0};
}

AffineTransform AffineTransform::concatenating(const AffineTransform& t) const {
    return {a * t.a + b * t.c,         a * t.b + b * t.d,         c * t.a + d * t.c,
            c * t.b + d * t.d,         tx * t.a + ty * t.c + t.tx, tx * t.b + ty * t.d + t.ty};
}

AffineTransform AffineTransform::translatedBy(Float x, Float y) const {
    return makeTranslation(x, y).concatenating(*this);
}

AffineTransform AffineTransform::scaledBy(Float sx, Float sy) const {
    return makeScale(sx, sy).concatenating(*this);
}

AffineTransform AffineTransform::rotatedBy(Float angle) const {
    return makeRotation(angle).concatenating(*this);
}

bool AffineTransform::isFinite() const {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d) &&
           std::isfinite(tx) && std::isfinite(ty);
}

bool AffineTransform::isInvertible() const {
    const Float det = determinant();
    return isFinite() && std::isfinite(det) && std::fabs(det) >= 1e-12;
}

AffineTransform AffineTransform::inverted() const {
    if (!isInvertible()) return *this;
    const Float det = determinant();
    const AffineTransform inv{d / det, -b / det, -c / det, a / det, (c * ty - d * tx) / det,
                              (b * tx - a * ty) / det};
    return inv.isFinite() ? inv : *this;
}

} // namespace pellavo::cg
