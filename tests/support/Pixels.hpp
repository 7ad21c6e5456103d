#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

#include "platform/cg/Image.hpp"

namespace pellavo::cg {
// Readable pixels in failure messages (internal linkage: found by lookup, never clashing).
[[maybe_unused]] static std::ostream& operator<<(std::ostream& os, const RGBA8& p) {
    return os << "(" << int(p.r) << ", " << int(p.g) << ", " << int(p.b) << ", " << int(p.a) << ")";
}
} // namespace pellavo::cg

namespace pellavo::testing {

// The pixel under a point of a picture drawn at scale 2.
inline cg::RGBA8 pixelAt(const cg::Image& image, double x, double y) {
    return image.pixel(static_cast<int>(std::floor(x * 2)), static_cast<int>(std::floor(y * 2)));
}

inline void expectPixelNear(const cg::RGBA8& actual, const cg::RGBA8& expected, int tolerance) {
    EXPECT_NEAR(actual.r, expected.r, tolerance) << actual;
    EXPECT_NEAR(actual.g, expected.g, tolerance) << actual;
    EXPECT_NEAR(actual.b, expected.b, tolerance) << actual;
    EXPECT_NEAR(actual.a, expected.a, tolerance) << actual;
}

} // namespace pellavo::testing
