#pragma once

#include "platform/ns/Export.hpp"
#include "platform/ca/Transform3D.hpp"

namespace pellavo::ca {

// The 2-D affine part of a transform split into parts that interpolate sensibly:
// the 2×2 part is diag(scaleX, scaleY) · shear · rotation(angle), in row-vector
// order, so a point is scaled, sheared, rotated, then translated. The other
// elements of the 4×4 matrix are kept as they are and interpolate linearly.
struct PELLAVO_EXPORT TransformDecomposition {
    double translateX = 0, translateY = 0;
    double scaleX = 1, scaleY = 1;
    double angle = 0; // radians in (−π, π]; positive turns clockwise on screen
    double shear11 = 1, shear12 = 0, shear21 = 0, shear22 = 1;
    Transform3D rest; // the non-affine elements; its 2-D affine part is ignored

    // A zero scale gives scale 0, angle 0 and no shear: never NaN.
    static TransformDecomposition decompose(const Transform3D& t);
    Transform3D recompose() const;

    // Linear in every part, the angle the short way round. p = 0 and 1 give the
    // inputs' parts exactly.
    static TransformDecomposition interpolate(TransformDecomposition from, TransformDecomposition to,
                                              double p);
};

} // namespace pellavo::ca
