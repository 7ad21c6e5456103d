#include "platform/ca/MediaTimingFunction.hpp"

#include <algorithm>
#include <cmath>

namespace pellavo::ca {

MediaTimingFunction::MediaTimingFunction(double x1, double y1, double x2, double y2)
    : x1_(x1), y1_(y1), x2_(x2), y2_(y2) {
    // A curve with a non-finite control point has no shape: it runs linearly.
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
        x1_ = 0, y1_ = 0, x2_ = 1, y2_ = 1;
    // Control x values outside [0, 1] would make x(t) non-monotonic and the solve ambiguous.
    x1_ = std::clamp(x1_, 0.0, 1.0);
    x2_ = std::clamp(x2_, 0.0, 1.0);
    // Polynomial coefficients of B(t) = 3(1-t)²t·P1 + 3(1-t)t²·P2 + t³, per axis.
    cx_ = 3 * x1_;
    bx_ = 3 * (x2_ - x1_) - cx_;
    ax_ = 1 - cx_ - bx_;
    cy_ = 3 * y1_;
    by_ = 3 * (y2_ - y1_) - cy_;
    ay_ = 1 - cy_ - by_;
}

double MediaTimingFunction::evaluate(double x) const {
    if (!(x > 0)) return 0; // NaN lands here too
    if (x >= 1) return 1;

    double t = x;
    for (int i = 0; i < 8; ++i) {
        const double error = sampleX(t) - x;
        if (std::fabs(error) < 1e-9) return sampleY(t);
        const double slope = sampleDerivativeX(t);
        if (std::fabs(slope) < 1e-6) break;
        t -= error / slope;
    }

    // Newton failed or wandered: bisection always converges since x(t) is monotonic
    // for control x values in [0, 1].
    double lo = 0, hi = 1;
    t = x;
    for (int i = 0; i < 60; ++i) {
        const double value = sampleX(t);
        if (std::fabs(value - x) < 1e-9) break;
        if (value < x)
            lo = t;
        else
            hi = t;
        t = (lo + hi) / 2;
    }
    return sampleY(t);
}

} // namespace pellavo::ca
