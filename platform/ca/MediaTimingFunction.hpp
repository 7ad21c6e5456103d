#pragma once

#include "platform/ns/Export.hpp"

#include <array>

namespace pellavo::ca {

// A cubic Bézier timing curve from (0, 0) to (1, 1) through two control points.
class PELLAVO_EXPORT MediaTimingFunction {
public:
    // Control x values are clamped to [0, 1]; a non-finite control point gives the
    // linear curve.
    MediaTimingFunction(double x1, double y1, double x2, double y2);

    static MediaTimingFunction linear() { return {0, 0, 1, 1}; }
    static MediaTimingFunction easeIn() { return {0.42, 0, 1, 1}; }
    static MediaTimingFunction easeOut() { return {0, 0, 0.58, 1}; }
    static MediaTimingFunction easeInEaseOut() { return {0.42, 0, 0.58, 1}; }
    static MediaTimingFunction defaultCurve() { return {0.25, 0.1, 0.25, 1}; }

    std::array<double, 4> controlPoints() const { return {x1_, y1_, x2_, y2_}; }

    // The curve's y at the given x. Not clamped: curves whose control points leave
    // [0, 1] overshoot, as springy curves should.
    double evaluate(double x) const;

    friend bool operator==(const MediaTimingFunction& a, const MediaTimingFunction& b) {
        return a.controlPoints() == b.controlPoints();
    }

private:
    double sampleX(double t) const { return ((ax_ * t + bx_) * t + cx_) * t; }
    double sampleY(double t) const { return ((ay_ * t + by_) * t + cy_) * t; }
    double sampleDerivativeX(double t) const { return (3 * ax_ * t + 2 * bx_) * t + cx_; }

    double x1_, y1_, x2_, y2_;
    double ax_, bx_, cx_, ay_, by_, cy_;
};

} // namespace pellavo::ca
