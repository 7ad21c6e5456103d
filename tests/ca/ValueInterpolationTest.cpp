#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "platform/ca/TransformDecomposition.hpp"
#include "platform/ca/ValueInterpolation.hpp"
#include "tests/support/ExpectNear.hpp"

namespace {

using namespace pellavo;
using ca::Transform3D;
using ca::TransformDecomposition;
using ca::Value;
using pellavo::testing::expectNear;
constexpr double pi = std::numbers::pi;

template <class T>
T at(const Value& from, const Value& to, double p) {
    auto v = ca::interpolate(from, to, p);
    EXPECT_TRUE(v.has_value());
    return std::get<T>(*v);
}

TEST(ValueInterpolation, PlainKindsAreLinearPerComponent) {
    EXPECT_DOUBLE_EQ(at<double>(2.0, 6.0, 0.25), 3.0);
    EXPECT_EQ(at<cg::Point>(cg::Point(0, 10), cg::Point(10, 20), 0.5), cg::Point(5, 15));
    EXPECT_EQ(at<cg::Size>(cg::Size(4, 8), cg::Size(8, 0), 0.75), cg::Size(7, 2));
    EXPECT_EQ(at<cg::Rect>(cg::Rect(0, 0, 10, 10), cg::Rect(10, 20, 30, 40), 0.5), cg::Rect(5, 10, 20, 25));
    const auto c = at<std::optional<cg::Color>>(cg::Color(1, 0, 0, 1), cg::Color(0, 0, 1, 0.5), 0.5);
    EXPECT_EQ(c, cg::Color(0.5, 0, 0.5, 0.75));
    // A missing colour counts as clear; both missing stay missing.
    EXPECT_EQ(at<std::optional<cg::Color>>(std::optional<cg::Color>(), cg::Color(1, 1, 1, 1), 0.5),
              cg::Color(0.5, 0.5, 0.5, 0.5));
    EXPECT_EQ(at<std::optional<cg::Color>>(std::optional<cg::Color>(), std::optional<cg::Color>(), 0.5),
              std::nullopt);
    // Components outside [0, 1] are kept as they are: clamping is the renderer's job.
    EXPECT_EQ(at<std::optional<cg::Color>>(cg::Color(0, 0, 0, 1), cg::Color(2, -1, 0, 1), 0.5),
              cg::Color(1, -0.5, 0, 1));
}

TEST(ValueInterpolation, EndsAreExact) {
    const double a = 0.1, b = 0.7;
    EXPECT_EQ(at<double>(a, b, 0), a);
    EXPECT_EQ(at<double>(a, b, 1), b);
    const auto r = Transform3D::makeRotation(1.234, 0, 0, 1).scaled(0.3, 0.7, 1);
    const auto t = Transform3D::makeTranslation(3, 4, 0);
    EXPECT_EQ(at<Transform3D>(r, t, 0), r);
    EXPECT_EQ(at<Transform3D>(r, t, 1), t);
}

TEST(ValueInterpolation, DifferentKindsHaveNoInterpolation) {
    EXPECT_FALSE(ca::interpolate(1.0, cg::Point(1, 1), 0.5));
    EXPECT_FALSE(ca::addValues(cg::Size(1, 1), cg::Point(1, 1)));
    EXPECT_FALSE(ca::pacedDistance(1.0, cg::Point(1, 1)));
}

TEST(ValueInterpolation, TransformsTurnTheShortWayRound) {
    // 212° is −148°: half-way is −74°, not 106°.
    const auto to = Transform3D::makeRotation(212 * pi / 180, 0, 0, 1);
    const auto mid = at<Transform3D>(Transform3D::identity(), to, 0.5);
    expectNear(mid, Transform3D::makeRotation(-74 * pi / 180, 0, 0, 1));

    // From 170° to −170° passes through 180°.
    const auto a = Transform3D::makeRotation(170 * pi / 180, 0, 0, 1);
    const auto b = Transform3D::makeRotation(-170 * pi / 180, 0, 0, 1);
    expectNear(at<Transform3D>(a, b, 0.5), Transform3D::makeRotation(pi, 0, 0, 1));
}

TEST(ValueInterpolation, TransformsInterpolateScaleRotationAndTranslationApart) {
    // Rotation by 90° with scale 2 and a move, from the identity: half-way is 45°,
    // scale 1.5, half the move; a matrix blend would shrink through the turn.
    const auto to = Transform3D::makeTranslation(10, 20, 0).rotated(pi / 2, 0, 0, 1).scaled(2, 2, 1);
    const auto mid = at<Transform3D>(Transform3D::identity(), to, 0.5);
    const auto expected = Transform3D::makeTranslation(5, 10, 0).rotated(pi / 4, 0, 0, 1).scaled(1.5, 1.5, 1);
    expectNear(mid, expected);
}

TEST(ValueInterpolation, ZeroScaleDecomposesWithoutNaN) {
    const auto zero = Transform3D::makeScale(0, 0, 1);
    const auto d = TransformDecomposition::decompose(zero);
    EXPECT_EQ(d.scaleX, 0);
    EXPECT_EQ(d.scaleY, 0);
    EXPECT_EQ(d.angle, 0);
    const auto mid = at<Transform3D>(zero, Transform3D::identity(), 0.5);
    EXPECT_TRUE(mid.isFinite());
    expectNear(mid, Transform3D::makeScale(0.5, 0.5, 1));
    // One collapsed axis keeps the other's rotation.
    const auto squashed = Transform3D::makeRotation(0.5, 0, 0, 1).scaled(1, 0, 1);
    const auto ds = TransformDecomposition::decompose(squashed);
    EXPECT_NEAR(ds.angle, 0.5, 1e-12);
    expectNear(ds.recompose(), squashed);
}

TEST(ValueInterpolation, DecompositionRoundTripsAffineTransforms) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-3, 3);
    for (int i = 0; i < 500; ++i) {
        Transform3D t;
        t.m11 = u(rng), t.m12 = u(rng), t.m21 = u(rng), t.m22 = u(rng), t.m41 = u(rng), t.m42 = u(rng);
        t.m33 = u(rng), t.m34 = u(rng) / 10, t.m43 = u(rng);
        const auto d = TransformDecomposition::decompose(t);
        EXPECT_GT(d.angle, -pi - 1e-12);
        EXPECT_LE(d.angle, pi + 1e-12);
        expectNear(d.recompose(), t, 1e-11);
    }
    // Mirror images put the flip in a scale, not in a half turn.
    const auto flipX = TransformDecomposition::decompose(Transform3D::makeScale(-1, 1, 1));
    EXPECT_EQ(flipX.scaleX, -1);
    EXPECT_EQ(flipX.scaleY, 1);
    EXPECT_EQ(flipX.angle, 0);
    const auto flipY = TransformDecomposition::decompose(Transform3D::makeScale(2, -3, 1));
    EXPECT_EQ(flipY.scaleX, 2);
    EXPECT_EQ(flipY.scaleY, -3);
}

TEST(ValueInterpolation, NonAffineElementsAreLinear) {
    Transform3D a, b;
    a.m34 = -0.002;
    b.m34 = -0.004;
    b.m43 = 10;
    const auto mid = at<Transform3D>(a, b, 0.5);
    EXPECT_DOUBLE_EQ(mid.m34, -0.003);
    EXPECT_DOUBLE_EQ(mid.m43, 5);
}

TEST(ValueInterpolation, ArraysAreElementWiseOnlyWhenLengthsMatch) {
    using Colors = std::vector<cg::Color>;
    using Locations = std::optional<std::vector<double>>;
    const Colors two = {cg::Color(0, 0, 0, 1), cg::Color(1, 1, 1, 1)};
    const Colors twoOther = {cg::Color(1, 0, 0, 1), cg::Color(1, 1, 1, 0)};
    const Colors three = {cg::Color(0, 0, 0, 1), cg::Color(1, 0, 0, 1), cg::Color(0, 1, 0, 1)};
    EXPECT_EQ(at<Colors>(two, twoOther, 0.5), (Colors{cg::Color(0.5, 0, 0, 1), cg::Color(1, 1, 1, 0.5)}));
    // Unequal lengths: the target throughout, even at the start.
    EXPECT_EQ(at<Colors>(two, three, 0), three);
    EXPECT_EQ(at<Colors>(two, three, 0.5), three);

    EXPECT_EQ(at<Locations>(Locations({0.0, 1.0}), Locations({0.5, 0.5}), 0.5), Locations({0.25, 0.75}));
    EXPECT_EQ(at<Locations>(Locations(), Locations({0.5, 0.5}), 0.5), Locations({0.5, 0.5}));
    EXPECT_EQ(at<Locations>(Locations({0.0, 1.0}), Locations(), 0.2), Locations());
}

TEST(ValueInterpolation, PathsPointByPointOnlyWhenBuiltAlike) {
    using OptPath = std::optional<cg::Path>;
    const cg::Path a = cg::Path::rect(cg::Rect(0, 0, 10, 10));
    const cg::Path b = cg::Path::rect(cg::Rect(10, 20, 30, 40));
    EXPECT_EQ(at<OptPath>(a, b, 0.5), cg::Path::rect(cg::Rect(5, 10, 20, 25)));
    EXPECT_EQ(at<OptPath>(a, b, 0), a);
    EXPECT_EQ(at<OptPath>(a, b, 1), b);
    // An oval is made of curves: no point-wise blend with a rectangle, even at the start.
    const cg::Path oval = cg::Path::ellipse(cg::Rect(0, 0, 10, 10));
    EXPECT_EQ(at<OptPath>(a, oval, 0), oval);
    EXPECT_EQ(at<OptPath>(a, oval, 0.5), oval);
    EXPECT_EQ(at<OptPath>(OptPath(), a, 0.5), a);
}

TEST(ValueInterpolation, AddingAndAccumulating) {
    EXPECT_EQ(std::get<cg::Point>(*ca::addValues(cg::Point(1, 2), cg::Point(3, 4))), cg::Point(4, 6));
    EXPECT_EQ(std::get<cg::Rect>(*ca::addValues(cg::Rect(1, 2, 3, 4), cg::Rect(1, 1, -1, -1))),
              cg::Rect(2, 3, 2, 3));
    EXPECT_EQ(std::get<std::optional<cg::Color>>(
                  *ca::addValues(cg::Color(0.5, 0, 0, 1), cg::Color(0.25, 0.5, 0, 0))),
              cg::Color(0.75, 0.5, 0, 1));
    // Transforms concatenate, the added one first: a turn then a move.
    const auto sum = std::get<Transform3D>(*ca::addValues(Transform3D::makeTranslation(10, 0, 0),
                                                          Transform3D::makeRotation(pi / 2, 0, 0, 1)));
    const auto p = cg::Point(1, 0).applying(sum.affineTransform());
    EXPECT_NEAR(p.x, 10, 1e-12);
    EXPECT_NEAR(p.y, 1, 1e-12);

    EXPECT_DOUBLE_EQ(std::get<double>(*ca::accumulate(0.5, 0.0, 2.0, 3)), 6.5);
    EXPECT_EQ(std::get<cg::Point>(*ca::accumulate(cg::Point(1, 1), cg::Point(0, 0), cg::Point(2, 1), 2)),
              cg::Point(5, 3));
    const auto spun = std::get<Transform3D>(*ca::accumulate(Transform3D::makeRotation(0.1, 0, 0, 1),
                                                            Transform3D::identity(),
                                                            Transform3D::makeRotation(0.5, 0, 0, 1), 2));
    expectNear(spun, Transform3D::makeRotation(1.1, 0, 0, 1));
}

TEST(ValueInterpolation, PacedDistances) {
    EXPECT_DOUBLE_EQ(*ca::pacedDistance(0.95, 0.85), 0.95 - 0.85);
    EXPECT_DOUBLE_EQ(*ca::pacedDistance(0.85, 0.95), 0.95 - 0.85);
    EXPECT_DOUBLE_EQ(*ca::pacedDistance(cg::Point(0, 0), cg::Point(3, 4)), 5);
    EXPECT_DOUBLE_EQ(*ca::pacedDistance(cg::Rect(0, 0, 0, 0), cg::Rect(1, 1, 1, 1)), 2);
    EXPECT_DOUBLE_EQ(*ca::pacedDistance(cg::Color(0, 0, 0, 0), cg::Color(1, 1, 1, 1)), 2);
    EXPECT_FALSE(ca::pacedDistance(Transform3D(), Transform3D()));
}

TEST(ValueInterpolation, Finiteness) {
    const double nan = std::nan("");
    EXPECT_TRUE(ca::isFinite(cg::Rect(1, 2, 3, 4)));
    EXPECT_FALSE(ca::isFinite(cg::Point(nan, 0)));
    EXPECT_FALSE(ca::isFinite(std::optional<cg::Color>(cg::Color(0, INFINITY, 0, 1))));
    EXPECT_TRUE(ca::isFinite(std::optional<cg::Color>()));
    EXPECT_FALSE(ca::isFinite(std::optional<std::vector<double>>({0.0, nan})));
    Transform3D t;
    t.m24 = nan;
    EXPECT_FALSE(ca::isFinite(t));
}

} // namespace
