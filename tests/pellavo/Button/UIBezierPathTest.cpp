#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "pellavo/Button/UIBezierPath.hpp"

namespace {

using pellavo::cg::PathElement;
using pellavo::uibezierpath::equilateralTriangle;

TEST(UIBezierPathTriangle, HasAVerticalLeftSideAndItsApexToTheRight) {
    const std::vector<PathElement> expected = {
        PathElement::moveTo({1, 2}),
        PathElement::lineTo({1, 12}),
        PathElement::lineTo({9.660254037844386, 7}),
        PathElement::closeSubpath(),
    };
    EXPECT_EQ(equilateralTriangle(10, {1, 2}).cgPath().elements(), expected);
}

TEST(UIBezierPathTriangle, NonFiniteInputGivesAnEmptyPath) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(equilateralTriangle(nan, {0, 0}).isEmpty());
    EXPECT_TRUE(equilateralTriangle(inf, {0, 0}).isEmpty());
    EXPECT_TRUE(equilateralTriangle(10, {nan, 0}).isEmpty());
    EXPECT_TRUE(equilateralTriangle(10, {0, -inf}).isEmpty());
    // Negative edges build the mirrored triangle as written.
    EXPECT_EQ(equilateralTriangle(-10, {0, 0}).cgPath().elements().size(), 4u);
}

} // namespace
