#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#include "platform/cg/AffineTransform.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ui/view/EdgeInsets.hpp"
#include "tests/support/ExpectNear.hpp"

namespace {

using pellavo::cg::AffineTransform;
using pellavo::cg::Float;
using pellavo::cg::Point;
using pellavo::cg::Rect;
using pellavo::cg::Size;
using pellavo::testing::expectNear;

constexpr Float kInf = std::numeric_limits<Float>::infinity();
constexpr Float kNaN = std::numeric_limits<Float>::quiet_NaN();

TEST(Geometry, ContainsPointIsHalfOpenAndReadsTheStandardisedRect) {
    struct Case {
        const char* name;
        Rect rect;
        Point point;
        bool inside;
    } cases[] = {
        {"min corner", {0, 0, 10, 10}, {0, 0}, true},
        {"just inside max", {0, 0, 10, 10}, {9.999, 9.999}, true},
        {"max x edge", {0, 0, 10, 10}, {10, 5}, false},
        {"max y edge", {0, 0, 10, 10}, {5, 10}, false},
        {"before min", {0, 0, 10, 10}, {-0.001, 5}, false},
        {"negative size, min corner", {10, 10, -5, -5}, {5, 5}, true},
        {"negative size, stored origin is the max", {10, 10, -5, -5}, {10, 10}, false},
        {"zero width", {0, 0, 0, 10}, {0, 5}, false},
        {"zero height", {0, 0, 10, 0}, {5, 0}, false},
        {"null", Rect::null(), {0, 0}, false},
        {"NaN point", {0, 0, 10, 10}, {kNaN, 5}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.rect.contains(c.point), c.inside);
    }
}

TEST(Geometry, NegativeSizesStandardiseButKeepTheirRawSize) {
    const Rect r{10, 20, -4, -6};
    EXPECT_EQ(r.minX(), 6);
    EXPECT_EQ(r.maxX(), 10);
    EXPECT_EQ(r.midX(), 8);
    EXPECT_EQ(r.minY(), 14);
    EXPECT_EQ(r.maxY(), 20);
    EXPECT_EQ(r.midY(), 17);
    EXPECT_EQ(r.width(), 4);
    EXPECT_EQ(r.height(), 6);
    EXPECT_EQ(r.size.width, -4);
    EXPECT_EQ(r.standardized(), (Rect{6, 14, 4, 6}));
    EXPECT_FALSE(r.isEmpty());
    EXPECT_TRUE((Rect{1, 1, 0, 5}).isEmpty());
    EXPECT_TRUE(Rect::null().isEmpty());
    EXPECT_TRUE(Rect::null().isNull());
    EXPECT_FALSE(Rect::zero().isNull());
    EXPECT_EQ(Rect::null().standardized(), Rect::null());
    EXPECT_EQ(Rect::null().offsetBy(3, 4), Rect::null());
    EXPECT_EQ(r.offsetBy(1, -1), (Rect{11, 19, -4, -6}));
}

TEST(Geometry, InsetsShrinkToNullButEdgeInsetsAreRawArithmetic) {
    const Rect r{0, 0, 10, 10};
    EXPECT_EQ(r.insetBy(2, 3), (Rect{2, 3, 6, 4}));
    EXPECT_EQ(r.insetBy(5, 5), (Rect{5, 5, 0, 0}));
    EXPECT_TRUE(r.insetBy(6, 0).isNull());
    EXPECT_TRUE(r.insetBy(0, 5.5).isNull());
    EXPECT_EQ(r.insetBy(-1, -2), (Rect{-1, -2, 12, 14}));
    EXPECT_EQ((Rect{10, 10, -10, -10}).insetBy(1, 1), (Rect{1, 1, 8, 8}));
    EXPECT_TRUE(Rect::null().insetBy(-5, -5).isNull());

    const pellavo::ui::EdgeInsets insets{1, 8, 2, 8};
    EXPECT_EQ(r.inset(insets), (Rect{8, 1, -6, 7}));
}

TEST(Geometry, UnionAndIntersection) {
    const Rect a{0, 0, 10, 10};
    struct Case {
        const char* name;
        Rect other;
        Rect united;
        Rect intersection;  // null when disjoint
        bool intersects;
    } cases[] = {
        {"overlapping", {5, 5, 10, 10}, {0, 0, 15, 15}, {5, 5, 5, 5}, true},
        {"inside", {2, 2, 2, 2}, {0, 0, 10, 10}, {2, 2, 2, 2}, true},
        {"touching edge", {10, 0, 5, 10}, {0, 0, 15, 10}, {10, 0, 0, 10}, false},
        {"touching corner", {10, 10, 5, 5}, {0, 0, 15, 15}, {10, 10, 0, 0}, false},
        {"disjoint", {11, 0, 5, 5}, {0, 0, 16, 10}, Rect::null(), false},
        {"negative size", {15, 15, -10, -10}, {0, 0, 15, 15}, {5, 5, 5, 5}, true},
        {"null", Rect::null(), {0, 0, 10, 10}, Rect::null(), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(a.unionWith(c.other), c.united);
        EXPECT_EQ(c.other.unionWith(a), c.united);
        EXPECT_EQ(a.intersection(c.other), c.intersection);
        EXPECT_EQ(c.other.intersection(a), c.intersection);
        EXPECT_EQ(a.intersects(c.other), c.intersects);
    }
    EXPECT_TRUE(Rect::null().unionWith(Rect::null()).isNull());
    EXPECT_TRUE(a.contains(Rect{0, 0, 10, 10}));
    EXPECT_TRUE(a.contains(Rect{10, 10, -5, -5}));
    EXPECT_FALSE(a.contains(Rect{5, 5, 6, 1}));
    EXPECT_FALSE(a.contains(Rect::null()));
}

TEST(Geometry, IntegralRoundsOutward) {
    struct Case {
        Rect in;
        Rect out;
    } cases[] = {
        {{0.5, 0.5, 1, 1}, {0, 0, 2, 2}},
        {{1.2, 3.7, 2.1, 0.2}, {1, 3, 3, 1}},
        {{-1.5, -0.5, 2.2, 1.1}, {-2, -1, 3, 2}},
        {{1.5, 1.5, -1, -1}, {0, 0, 2, 2}},
        {{2, 3, 4, 5}, {2, 3, 4, 5}},
    };
    for (const auto& c : cases) EXPECT_EQ(c.in.integral(), c.out);
    EXPECT_TRUE(Rect::null().integral().isNull());
}

TEST(AffineTransform, RotationTurnsClockwiseOnScreen) {
    const auto quarter = AffineTransform::makeRotation(std::numbers::pi / 2);
    expectNear(Point(1, 0).applying(quarter), {0, 1});
    expectNear(Point(0, 1).applying(quarter), {-1, 0});
    EXPECT_NEAR(quarter.a, 0, 1e-15);
    EXPECT_EQ(quarter.b, 1);
    EXPECT_EQ(quarter.c, -1);
    // The bounding box of a rotated rectangle.
    expectNear(Rect(0, 0, 2, 1).applying(quarter), {-1, 0, 1, 2});
    expectNear(Rect(0, 0, 2, 2).applying(AffineTransform::makeRotation(std::numbers::pi / 4)),
               {-std::sqrt(2.0), 0, 2 * std::sqrt(2.0), 2 * std::sqrt(2.0)});
    EXPECT_TRUE(Rect::null().applying(quarter).isNull());
}

TEST(AffineTransform, BuildersApplyTheNewOperationFirst) {
    const auto t = AffineTransform::identity().translatedBy(10, 0).scaledBy(2, 3);
    // Scale first, then translate.
    EXPECT_EQ(Point(1, 1).applying(t), Point(12, 3));
    EXPECT_EQ(t, AffineTransform::makeScale(2, 3).concatenating(AffineTransform::makeTranslation(10, 0)));
    // concatenating: receiver first.
    const auto u = AffineTransform::makeTranslation(10, 0).concatenating(AffineTransform::makeScale(2, 3));
    EXPECT_EQ(Point(1, 1).applying(u), Point(22, 3));
    const auto r = AffineTransform::makeTranslation(5, 0).rotatedBy(std::numbers::pi / 2);
    expectNear(Point(1, 0).applying(r), {5, 1});
    // Sizes ignore translation.
    EXPECT_EQ(Size(2, 4).applying(t), Size(4, 12));
    EXPECT_TRUE(AffineTransform::identity().isIdentity());
    EXPECT_FALSE(t.isIdentity());
}

TEST(AffineTransform, InversesUndoAndSingularOnesAreReturnedUnchanged) {
    const auto t = AffineTransform::makeRotation(0.3).scaledBy(2, -0.5).translatedBy(7, -3);
    ASSERT_TRUE(t.isInvertible());
    const auto inv = t.inverted();
    expectNear(Point(4, 9).applying(t).applying(inv), {4, 9}, 1e-12);
    expectNear(t.concatenating(inv), AffineTransform::identity(), 1e-12);
    EXPECT_NEAR(t.determinant(), -1, 1e-12);

    const AffineTransform singular[] = {
        AffineTransform::makeScale(0, 1),
        AffineTransform{1, 2, 2, 4, 5, 6},
        AffineTransform::makeScale(1e-7, 1e-7),
        AffineTransform{kNaN, 0, 0, 1, 0, 0},
        AffineTransform{1, 0, 0, 1, kInf, 0},
    };
    for (const auto& s : singular) {
        EXPECT_FALSE(s.isInvertible());
        const auto out = s.inverted();
        EXPECT_EQ(std::memcmp(&out, &s, sizeof out), 0);  // NaN-safe identity of the bits
    }
}

} // namespace
