#pragma once

#include <gtest/gtest.h>

#include "platform/ca/Transform3D.hpp"
#include "platform/cg/AffineTransform.hpp"
#include "platform/cg/Geometry.hpp"

// Component-wise EXPECT_NEAR for the geometry value types.
namespace pellavo::testing {

inline void expectNear(cg::Point actual, cg::Point expected, cg::Float tolerance = 1e-12) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
}

inline void expectNear(const cg::Rect& actual, const cg::Rect& expected, cg::Float tolerance = 1e-12) {
    EXPECT_NEAR(actual.origin.x, expected.origin.x, tolerance);
    EXPECT_NEAR(actual.origin.y, expected.origin.y, tolerance);
    EXPECT_NEAR(actual.size.width, expected.size.width, tolerance);
    EXPECT_NEAR(actual.size.height, expected.size.height, tolerance);
}

inline void expectNear(const cg::AffineTransform& actual, const cg::AffineTransform& expected,
                       cg::Float tolerance = 1e-12) {
    EXPECT_NEAR(actual.a, expected.a, tolerance);
    EXPECT_NEAR(actual.b, expected.b, tolerance);
    EXPECT_NEAR(actual.c, expected.c, tolerance);
    EXPECT_NEAR(actual.d, expected.d, tolerance);
    EXPECT_NEAR(actual.tx, expected.tx, tolerance);
    EXPECT_NEAR(actual.ty, expected.ty, tolerance);
}

inline void expectNear(const ca::Transform3D& actual, const ca::Transform3D& expected, cg::Float tolerance = 1e-12) {
    const cg::Float a[16] = {actual.m11, actual.m12, actual.m13, actual.m14, actual.m21, actual.m22,
                             actual.m23, actual.m24, actual.m31, actual.m32, actual.m33, actual.m34,
                             actual.m41, actual.m42, actual.m43, actual.m44};
    const cg::Float e[16] = {expected.m11, expected.m12, expected.m13, expected.m14, expected.m21, expected.m22,
                             expected.m23, expected.m24, expected.m31, expected.m32, expected.m33, expected.m34,
                             expected.m41, expected.m42, expected.m43, expected.m44};
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(a[i], e[i], tolerance) << "m" << (i / 4 + 1) << (i % 4 + 1);
}

} // namespace pellavo::testing
