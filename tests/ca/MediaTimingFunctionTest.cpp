#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/ca/MediaTimingFunction.hpp"

namespace {

using pellavo::ca::MediaTimingFunction;

// Reference by brute force: bisect the x polynomial to full precision.
double reference(const MediaTimingFunction& f, double x) {
    const auto [x1, y1, x2, y2] = f.controlPoints();
    auto bez = [](double p1, double p2, double t) {
        const double u = 1 - t;
        return 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t;
    };
    double lo = 0, hi = 1;
    for (int i = 0; i < 200; ++i) {
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

} // namespace
