#pragma once

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ui/graphics/BezierPath.hpp"

namespace pellavo::uibezierpath {

// √3/2 and √3/6 as the icons use them.
inline constexpr double kTriangleHeightFactor = 0.8660254037844386;
inline constexpr double kTriangleCentroidFactor = 0.28867513459481287;

// A closed equilateral triangle with a vertical left side of length `edge` from
// `shiftBy`, its apex pointing right; counter-clockwise on a y-down screen.
// A non-finite edge or shift gives an empty path.
PELLAVO_EXPORT ui::BezierPath equilateralTriangle(double edge, cg::Point shiftBy);

} // namespace pellavo::uibezierpath
