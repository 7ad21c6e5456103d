#include "pellavo/Button/UIBezierPath.hpp"

#include <cmath>

namespace pellavo::uibezierpath {

ui::BezierPath equilateralTriangle(double edge, cg::Point shiftBy) {
    ui::BezierPath path;
    // A half-built triangle would be worse than none: the path drops bad elements one by one.
    if (!std::isfinite(edge) || !std::isfinite(shiftBy.x) || !std::isfinite(shiftBy.y)) return path;
    path.move(shiftBy);
    path.addLine({shiftBy.x, shiftBy.y + edge});
    path.addLine({shiftBy.x + edge * kTriangleHeightFactor, shiftBy.y + edge * 0.5});
    path.close();
    return path;
}

} // namespace pellavo::uibezierpath
