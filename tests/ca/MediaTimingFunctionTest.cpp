#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/ca/MediaTimingFunction.hpp"

namespace {

using pellavo::ca::MediaTimingFunction;

// Reference by brute force: bisect the x polynomial, then evaluate y there. 200
// steps reach full precision; 60 are what a plain bisection solver would take.
double reference(const MediaTimingFunction& f, double x, int steps = 200) {
    const auto [x1, y1, x2, y2] = f.controlPoints();
    auto bez = [](double p1, double p2, double t) {
        const double u = 1 - t;
        return 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t;
    };
    double lo = 0, hi = 1;
    for (int i = 0; i < steps; ++i) {
        const double mid = (lo + hi) / 2;
        (bez(x1, x2, mid) < x ? lo : hi) = mid;
    }
    return bez(y1, y2, (lo + hi) / 2);
}

TEST(MediaTimingFunction, NamedCurvesMatchAReferenceSolve) {
    const MediaTimingFunction curves[] = {MediaTimingFunction::linear(), MediaTimingFunction::easeIn(),
                                          MediaTimingFunction::easeOut(),
                                          MediaTimingFunction::easeInEaseOut(),
                                          MediaTimingFunction::defaultCurve()};
    for (const auto& f : curves)
        for (double x = 0.01; x < 1; x += 0.07) EXPECT_NEAR(f.evaluate(x), reference(f, x), 1e-7) << x;
}

TEST(MediaTimingFunction, EndsAreExactAndOutOfRangeInputClamps) {
    const auto f = MediaTimingFunction::easeInEaseOut();
    EXPECT_EQ(f.evaluate(0), 0);
    EXPECT_EQ(f.evaluate(1), 1);
    EXPECT_EQ(f.evaluate(-3), 0);
    EXPECT_EQ(f.evaluate(7), 1);
    EXPECT_EQ(f.evaluate(std::numeric_limits<double>::quiet_NaN()), 0);
    // The symmetric curve passes through its centre.
    EXPECT_NEAR(f.evaluate(0.5), 0.5, 1e-9);
}

TEST(MediaTimingFunction, OvershootingCurveIsNotClamped) {
    const MediaTimingFunction spring(0.3, 1.6, 0.6, 1.4);
    double peak = 0;
    for (double x = 0.05; x < 1; x += 0.05) peak = std::max(peak, spring.evaluate(x));
    EXPECT_GT(peak, 1.05);
}

TEST(MediaTimingFunction, FlatSlopeFallsBackToBisection) {
    // x'(t) is 0 at t = 0.5 for this curve, where Newton from t = x stalls.
    const MediaTimingFunction f(1, 0, 0, 1);
    for (double x : {0.2, 0.49, 0.51, 0.8}) EXPECT_NEAR(f.evaluate(x), reference(f, x), 1e-5) << x;
    EXPECT_EQ(f.evaluate(0.5), 0.5);
}

// 60 bisection steps on x(t), then y.
double bisected(const MediaTimingFunction& f, double x) { return reference(f, x, 60); }

TEST(MediaTimingFunction, DenseComparisonWithBisection) {
    const MediaTimingFunction curves[] = {
        MediaTimingFunction::linear(),        MediaTimingFunction::easeIn(),
        MediaTimingFunction::easeOut(),       MediaTimingFunction::easeInEaseOut(),
        MediaTimingFunction::defaultCurve(),  MediaTimingFunction(0.39, 0.575, 0.565, 1),
        MediaTimingFunction(0.4, 1.3, 1, 1),  MediaTimingFunction(0, 1, 1, 0),
        MediaTimingFunction(1, 0, 0, 1),
    };
    for (const auto& f : curves) {
        const auto p = f.controlPoints();
        for (int i = 0; i <= 10000; ++i) {
            const double x = i / 10000.0;
            // Where x'(t) vanishes (the middle of (1, 0, 0, 1)) y is ill-conditioned in
            // x: rounding alone moves the brute force by ~1e-6. Allow what a 1e-12
            // nudge of x does to the reference there; elsewhere this adds nothing.
            const double conditioning = std::fabs(bisected(f, x + 1e-12) - bisected(f, x - 1e-12));
            ASSERT_NEAR(f.evaluate(x), bisected(f, x), 1e-7 + conditioning)
                << x << " on " << p[0] << " " << p[1] << " " << p[2] << " " << p[3];
        }
    }
    EXPECT_NEAR(MediaTimingFunction::easeInEaseOut().evaluate(0.5), 0.5, 1e-12);
}

TEST(MediaTimingFunction, BadControlPointsAreTamed) {
    // x outside [0, 1] is clamped, so x(t) stays monotonic and the solve well defined.
    const MediaTimingFunction wide(-0.5, 0.2, 1.7, 0.8);
    EXPECT_EQ(wide.controlPoints(), (std::array<double, 4>{0, 0.2, 1, 0.8}));
    double previous = 0;
    for (double x = 0.01; x < 1; x += 0.01) {
        const double y = wide.evaluate(x);
        EXPECT_GE(y, previous - 1e-12);
        previous = y;
    }
    // A non-finite control point gives the linear curve.
    const double inf = std::numeric_limits<double>::infinity();
    for (const MediaTimingFunction& f : {MediaTimingFunction(std::nan(""), 0, 1, 1), MediaTimingFunction(0, inf, 1, 1)}) {
        EXPECT_EQ(f, MediaTimingFunction::linear());
        EXPECT_NEAR(f.evaluate(0.3), 0.3, 1e-9);
    }
}

} // namespace
