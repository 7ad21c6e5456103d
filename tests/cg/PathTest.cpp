#include "platform/cg/MutablePath.hpp"
#include "platform/cg/Path.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

using namespace pellavo;
using cg::PathElement;
using cg::PathElementType;

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

cg::Path square(double x, double y, double side) {
    cg::MutablePath p;
    p.moveTo({x, y});
    p.addLineTo({x + side, y});
    p.addLineTo({x + side, y + side});
    p.addLineTo({x, y + side});
    p.closeSubpath();
    return p.path();
}

std::vector<PathElement> lines(std::initializer_list<cg::Point> points) {
    std::vector<PathElement> out;
    for (cg::Point p : points) out.push_back(out.empty() ? PathElement::moveTo(p) : PathElement::lineTo(p));
    return out;
}

TEST(PathTest, EmptyPath) {
    const cg::Path p;
    EXPECT_TRUE(p.isEmpty());
    EXPECT_EQ(p.currentPoint(), cg::Point(0, 0));
    EXPECT_TRUE(p.boundingBox().isNull());
    EXPECT_TRUE(p.pathBoundingBox().isNull());
    EXPECT_EQ(p.length(), 0);
    EXPECT_FALSE(p.contains({0, 0}));
    EXPECT_TRUE(p.trimmed(0.2, 0.8).isEmpty());
    EXPECT_EQ(p, cg::Path(std::vector<PathElement>{}));
}

TEST(PathTest, NonFiniteElementsAreDropped) {
    cg::MutablePath p;
    p.moveTo({nan, 1});
    EXPECT_TRUE(p.isEmpty());
    p.moveTo({1, 1});
    p.addLineTo({inf, 2});
    p.addCurveTo({1, 2}, {nan, 3}, {4, 4});
    p.addQuadCurveTo({-inf, 0}, {1, 1});
    p.addArc({nan, 0}, 5, 0, 1, true);
    p.addArc({0, 0}, nan, 0, 1, true);
    p.addArc({0, 0}, 5, 0, inf, true);
    p.addLineTo({3, 1});
    EXPECT_EQ(p.elements(), lines({{1, 1}, {3, 1}}));
    // The checks hold for a path given as elements too.
    const cg::Path q(std::vector<PathElement>{PathElement::moveTo({nan, 0}), PathElement::lineTo({2, 2}),
                                              PathElement::lineTo({3, inf})});
    EXPECT_EQ(q.elements(), std::vector<PathElement>{PathElement::moveTo({2, 2})});
}

TEST(PathTest, LineWithoutCurrentPointStartsASubpathAndStrayClosesAreIgnored) {
    cg::MutablePath p;
    p.closeSubpath();
    p.addLineTo({2, 3});
    p.addLineTo({4, 3});
    p.closeSubpath();
    p.closeSubpath();
    EXPECT_EQ(p.elements(), (std::vector<PathElement>{PathElement::moveTo({2, 3}), PathElement::lineTo({4, 3}),
                                                      PathElement::closeSubpath()}));
}

TEST(PathTest, CurrentPointAfterCloseIsTheSubpathStart) {
    cg::MutablePath p;
    p.moveTo({1, 1});
    p.addLineTo({5, 1});
    p.addLineTo({5, 5});
    EXPECT_EQ(p.currentPoint(), cg::Point(5, 5));
    p.closeSubpath();
    EXPECT_EQ(p.currentPoint(), cg::Point(1, 1));
    // A line after the close starts a new subpath there.
    p.addLineTo({1, 9});
    p.closeSubpath();
    EXPECT_EQ(p.path().currentPoint(), cg::Point(1, 1));
    EXPECT_DOUBLE_EQ(p.path().length(), 4 + 4 + std::hypot(4, 4) + 8 + 8);
}

TEST(PathTest, BoundingBoxIncludesControlPointsPathBoundingBoxIsTight) {
    cg::MutablePath p;
    p.moveTo({0, 0});
    p.addCurveTo({0, 10}, {10, 10}, {10, 0});
    const cg::Path path = p.path();
    EXPECT_EQ(path.boundingBox(), cg::Rect(0, 0, 10, 10));
    const cg::Rect tight = path.pathBoundingBox();
    EXPECT_DOUBLE_EQ(tight.origin.x, 0);
    EXPECT_DOUBLE_EQ(tight.origin.y, 0);
    EXPECT_DOUBLE_EQ(tight.size.width, 10);
    EXPECT_NEAR(tight.size.height, 7.5, 1e-12);
}

TEST(PathTest, ContainsWithFillRules) {
    // A disc with a triangle inside: drawn the other way round it cuts a hole under
    // non-zero, drawn the same way it does not; even-odd always cuts.
    const cg::Rect disc(0, 0, 20, 20);
    const cg::Point a(7, 5), b(7, 15), c(15.660254037844386, 10);
    for (bool reversed : {true, false}) {
        cg::MutablePath p;
        p.addEllipse(disc);  // clockwise on screen
        p.moveTo(a);
        if (reversed) {
            p.addLineTo(b);  // a -> b -> c runs counter-clockwise on screen
            p.addLineTo(c);
        } else {
            p.addLineTo(c);
            p.addLineTo(b);
        }
        p.closeSubpath();
        const cg::Path path = p.path();
        const cg::Point centre(10, 10), ring(2, 10), outside(19.5, 0.5);
        EXPECT_EQ(path.contains(centre, cg::FillRule::nonZero), !reversed) << reversed;
        EXPECT_FALSE(path.contains(centre, cg::FillRule::evenOdd)) << reversed;
        EXPECT_TRUE(path.contains(ring, cg::FillRule::nonZero));
        EXPECT_TRUE(path.contains(ring, cg::FillRule::evenOdd));
        EXPECT_FALSE(path.contains(outside, cg::FillRule::nonZero));
    }
}

TEST(PathTest, OpenSubpathContainsAsIfClosed) {
    const cg::Path open(lines({{0, 0}, {10, 0}, {10, 10}}));
    EXPECT_TRUE(open.contains({8, 2}));
    EXPECT_FALSE(open.contains({2, 8}));
    EXPECT_FALSE(open.contains({nan, 2}));
}

TEST(PathTest, LengthIncludesClosingSegmentsOfAllSubpaths) {
    EXPECT_DOUBLE_EQ(square(0, 0, 10).length(), 40);
    cg::MutablePath two(square(0, 0, 10));
    two.addPath(square(20, 0, 5));
    two.moveTo({0, 30});
    two.addLineTo({3, 34});  // open: no closing segment
    EXPECT_DOUBLE_EQ(two.path().length(), 40 + 20 + 5);
}

TEST(PathTest, CircleLengthFromFlattening) {
    const cg::Path circle = cg::Path::ellipse({0, 0, 100, 100});
    EXPECT_NEAR(circle.length(), std::numbers::pi * 100, 0.05);
}

TEST(PathTest, TrimmedSquareSides) {
    const cg::Path sq = square(0, 0, 10);
    EXPECT_EQ(sq.trimmed(0.25, 0.5).elements(), lines({{10, 0}, {10, 10}}));
    EXPECT_EQ(sq.trimmed(0.125, 0.375).elements(), lines({{5, 0}, {10, 0}, {10, 5}}));
    // The closing side is part of it, and a cut closed subpath comes back open.
    EXPECT_EQ(sq.trimmed(0.5, 1).elements(), lines({{10, 10}, {0, 10}, {0, 0}}));
    EXPECT_EQ(sq.trimmed(0, 1), sq);
    EXPECT_EQ(sq.trimmed(-3, 7), sq);
}

TEST(PathTest, TrimmedStartNotBeforeEndIsEmpty) {
    const cg::Path sq = square(0, 0, 10);
    for (auto [from, to] : {std::pair{0.5, 0.5}, {0.7, 0.2}, {1.0, 1.0}, {nan, 0.5}, {0.2, nan}, {2.0, 3.0}}) {
        EXPECT_TRUE(sq.trimmed(from, to).isEmpty()) << from << " " << to;
    }
}

TEST(PathTest, TrimmedAcrossTwoSubpaths) {
    cg::MutablePath p(square(0, 0, 10));  // 40 long
    p.moveTo({0, 20});
    p.addLineTo({40, 20});  // 40 long
    const cg::Path path = p.path();
    // The first half keeps the square whole and closed; nothing of the line.
    EXPECT_EQ(path.trimmed(0, 0.5), square(0, 0, 10));
    // From the middle of the square's last side into the line.
    std::vector<PathElement> expected = lines({{0, 5}, {0, 0}});
    expected.push_back(PathElement::moveTo({0, 20}));
    expected.push_back(PathElement::lineTo({20, 20}));
    EXPECT_EQ(path.trimmed(0.4375, 0.75).elements(), expected);
}

TEST(PathTest, TrimmedCurveSplitsAtArcLength) {
    const cg::Rect r(0, 0, 40, 40);
    const cg::Path circle = cg::Path::ellipse(r);
    const cg::Path half = circle.trimmed(0, 0.5);
    // Starts at (maxX, midY), turns through the bottom and stops at (minX, midY).
    ASSERT_FALSE(half.isEmpty());
    EXPECT_EQ(half.elements().front(), PathElement::moveTo({40, 20}));
    EXPECT_EQ(half.elements().back().type, PathElementType::curveTo);
    EXPECT_NEAR(half.currentPoint().x, 0, 1e-9);
    EXPECT_NEAR(half.currentPoint().y, 20, 1e-9);
    EXPECT_NEAR(half.length(), circle.length() / 2, 0.01);
    const cg::Path eighth = circle.trimmed(0, 0.125);
    const double diagonal = 20 + 20 * std::cos(std::numbers::pi / 4);
    EXPECT_NEAR(eighth.currentPoint().x, diagonal, 0.02);
    EXPECT_NEAR(eighth.currentPoint().y, diagonal, 0.02);
    // The split pieces lie on the original curve: a middle piece keeps the radius.
    const cg::Path middle = circle.trimmed(0.3, 0.45);
    for (const PathElement& e : middle.elements()) {
        const cg::Point end = e.endPoint();
        EXPECT_NEAR(std::hypot(end.x - 20, end.y - 20), 20, 0.01);
    }
}

TEST(PathTest, RoundedRectClampsTheRadius) {
    const cg::Rect r(0, 0, 40, 20);
    const cg::Path capsule = cg::Path::roundedRect(r, 100);
    EXPECT_EQ(capsule.pathBoundingBox(), r);
    EXPECT_FALSE(capsule.contains({0.5, 0.5}));
    EXPECT_TRUE(capsule.contains({0.5, 10}));
    EXPECT_NEAR(capsule.length(), 2 * 20 + std::numbers::pi * 20, 0.02);
    EXPECT_EQ(cg::Path::roundedRect(r, -4), cg::Path::rect(r));
    EXPECT_EQ(cg::Path::roundedRect({40, 20, -40, -20}, 0), cg::Path::rect(r));
    EXPECT_TRUE(cg::Path::roundedRect(r, nan).isEmpty());
    EXPECT_TRUE(cg::Path::roundedRect({0, 0, inf, 3}, 1).isEmpty());
    const cg::Path rounded = cg::Path::roundedRect(r, 5);
    EXPECT_EQ(rounded.elements().front(), PathElement::moveTo({5, 0}));
    EXPECT_FALSE(rounded.contains({0.5, 0.5}));
    EXPECT_TRUE(rounded.contains({1.5, 5}));
}

TEST(PathTest, TransformedMovesEveryPoint) {
    const cg::Path moved = square(0, 0, 10).transformed(cg::AffineTransform::makeTranslation(5, 1).scaledBy(2, 2));
    EXPECT_EQ(moved, square(5, 1, 20));
    EXPECT_TRUE(square(0, 0, 1).transformed({nan, 0, 0, 1, 0, 0}).isEmpty());
}

} // namespace

// The damage a stroked shape makes is sized by this: too small leaves stale pixels,
// too large (the miter limit everywhere) redraws a smooth ring's whole neighbourhood.
TEST(PathTest, StrokeReachFollowsTheSharpestJoinWithinTheLimit) {
    using cg::LineCap;
    using cg::LineJoin;
    const cg::Path ring = cg::Path::ellipse({0, 0, 40, 40});
    const cg::Path square = cg::Path::rect({0, 0, 10, 10});
    // A spike turning back by 170°: its miter (≈ 11.5) passes the default limit of 10.
    const cg::Path spike({cg::PathElement::moveTo({0, 0}), cg::PathElement::lineTo({100, 0}),
                          cg::PathElement::lineTo({0, 17.6})});
    const cg::Path open({cg::PathElement::moveTo({0, 0}), cg::PathElement::lineTo({10, 0})});
    struct Row {
        const cg::Path& path;
        LineJoin join;
        LineCap cap;
        double expected;
    } rows[] = {
        {ring, LineJoin::miter, LineCap::butt, 1},
        {square, LineJoin::miter, LineCap::butt, std::numbers::sqrt2},
        {square, LineJoin::round, LineCap::butt, 1},
        {spike, LineJoin::miter, LineCap::butt, 1},
        {open, LineJoin::miter, LineCap::square, std::numbers::sqrt2},
    };
    for (const Row& row : rows) EXPECT_NEAR(row.path.strokeReach(row.join, 10, row.cap), row.expected, 1e-6);
    // Within a higher limit the spike's miter counts.
    EXPECT_NEAR(spike.strokeReach(LineJoin::miter, 20, LineCap::butt), 11.5, 0.1);
}
