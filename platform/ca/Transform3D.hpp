#pragma once

#include "platform/ns/Export.hpp"
#include "platform/cg/AffineTransform.hpp"

namespace pellavo::ca {

using cg::Float;

// Row-vector 4×4 transform; translation lives in m41 m42 m43.
struct PELLAVO_EXPORT Transform3D {
    Float m11 = 1, m12 = 0, m13 = 0, m14 = 0;
    Float m21 = 0, m22 = 1, m23 = 0, m24 = 0;
    Float m31 = 0, m32 = 0, m33 = 1, m34 = 0;
    Float m41 = 0, m42 = 0, m43 = 0, m44 = 1;

    static constexpr Transform3D identity() { return {}; }
    static Transform3D makeTranslation(Float tx, Float ty, Float tz);
    static Transform3D makeScale(Float sx, Float sy, Float sz);
    // A zero or non-finite axis gives the identity.
    static Transform3D makeRotation(Float angle, Float x, Float y, Float z);
    static Transform3D makeAffineTransform(const cg::AffineTransform& t);

    // The new operation applies first, then the receiver.
    Transform3D translated(Float tx, Float ty, Float tz) const;
    Transform3D scaled(Float sx, Float sy, Float sz) const;
    Transform3D rotated(Float angle, Float x, Float y, Float z) const;
    // A singular or non-finite transform is returned unchanged.
    Transform3D inverted() const;

    bool isIdentity() const { return *this == identity(); }
    bool isAffine() const;
    bool isFinite() const;
    // The 2-D part; meaningful when isAffine().
    cg::AffineTransform affineTransform() const;
    // The 2-D map of the z = 0 plane: drops z, divides by a finite non-zero m44,
    // ignores m14/m24. What the renderer draws.
    cg::AffineTransform flattened() const;

    friend constexpr bool operator==(const Transform3D&, const Transform3D&) = default;
};

// a applies first, then b.
PELLAVO_EXPORT Transform3D concat(const Transform3D& a, const Transform3D& b);

} // namespace pellavo::ca
