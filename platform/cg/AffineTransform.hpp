#pragma once

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"

namespace pellavo::cg {

// Row-vector 2-D transform: [x y 1] · [[a b 0] [c d 0] [tx ty 1]].
struct PELLAVO_EXPORT AffineTransform {
    Float a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    constexpr AffineTransform() = default;
    constexpr AffineTransform(Float a_, Float b_, Float c_, Float d_, Float tx_, Float ty_)
        : a(a_), b(b_), c(c_), d(d_), tx(tx_), ty(ty_) {}

    static constexpr AffineTransform identity() { return {}; }
    static AffineTransform makeTranslation(Float tx, Float ty) { return {1, 0, 0, 1, tx, ty}; }
    static AffineTransform makeScale(Float sx, Float sy) { return {sx, 0, 0, sy, 0, 0}; }
    // Positive angles turn clockwise on a y-down screen.
    static AffineTransform makeRotation(Float angle);

    // The new operation applies before the receiver.
    AffineTransform translatedBy(Float tx, Float ty) const;
    AffineTransform scaledBy(Float sx, Float sy) const;
    AffineTransform rotatedBy(Float angle) const;
    // The receiver applies first, then t2.
    AffineTransform concatenating(const AffineTransform& t2) const;
    // A singular or non-finite transform is returned unchanged.
    AffineTransform inverted() const;

    bool isIdentity() const { return *this == identity(); }
    Float determinant() const { return a * d - b * c; }
    bool isFinite() const;
    bool isInvertible() const;

    friend constexpr bool operator==(const AffineTransform&, const AffineTransform&) = default;
};

} // namespace pellavo::cg
