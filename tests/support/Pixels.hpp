#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>

#include "platform/cg/Image.hpp"
#include "platform/ui/graphics/Image.hpp"

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

// The pixel under a point of a picture drawn at `scale`, read straight, within ±2.
// Under a clear expectation only the alpha counts: a transparent pixel's colour is noise.
inline void expectPixel(const cg::Image& image, double x, double y, double scale, cg::RGBA8 expected,
                        const std::string& what) {
    const cg::RGBA8 p = image.pixel(static_cast<int>(std::floor(x * scale)), static_cast<int>(std::floor(y * scale)));
    EXPECT_NEAR(p.a, expected.a, 2) << what;
    if (expected.a == 0) return;
    EXPECT_NEAR(p.r, expected.r, 2) << what;
    EXPECT_NEAR(p.g, expected.g, 2) << what;
    EXPECT_NEAR(p.b, expected.b, 2) << what;
}

inline void expectPixel(const ui::Image& image, double x, double y, cg::RGBA8 expected, const std::string& what) {
    expectPixel(*image.cgImage(), x, y, image.scale(), expected, what);
}

} // namespace pellavo::testing
