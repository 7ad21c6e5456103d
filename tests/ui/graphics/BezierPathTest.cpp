#include "platform/ui/graphics/BezierPath.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/graphics/GraphicsContext.hpp"

using namespace pellavo;
using cg::PathElement;
using cg::PathElementType;

namespace {

constexpr double pi = std::numbers::pi;
constexpr double kappa = 0.5522847498307936;
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

void expectNear(cg::Point actual, cg::Point expected, const char* what, double tolerance = 1e-9) {
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
}

std::vector<PathElement> curves(const ui::BezierPath& p) {
    std::vector<PathElement> out;
    for (const PathElement& e : p.cgPath().elements()) {
        if (e.type == PathElementType::curveTo) out.push_back(e);
    }
    return out;
}

TEST(BezierPathTest, Defaults) {
    const ui::BezierPath p;
    EXPECT_TRUE(p.isEmpty());
    EXPECT_EQ(p.lineWidth(), 1);
    EXPECT_EQ(p.lineCapStyle(), cg::LineCap::butt);
    EXPECT_EQ(p.lineJoinStyle(), cg::LineJoin::miter);
    EXPECT_EQ(p.miterLimit(), 10);
    EXPECT_FALSE(p.usesEvenOddFillRule());
    EXPECT_TRUE(p.bounds().isNull());
}

TEST(BezierPathTest, OvalStartsAtMaxXMidYAndTurnsClockwise) {
    // A negative size is standardised first.
    const auto oval = ui::BezierPath::ovalIn({30, 24, -20, -8});  // = (10, 16, 20, 8)
    const auto& els = oval.cgPath().elements();
    ASSERT_EQ(els.size(), 6u);
    EXPECT_EQ(els[0], PathElement::moveTo({30, 20}));
    EXPECT_EQ(els[1], PathElement::curveTo({30, 20 + 4 * kappa}, {20 + 10 * kappa, 24}, {20, 24}));
    EXPECT_EQ(els[2].endPoint(), cg::Point(10, 20));
    EXPECT_EQ(els[3].endPoint(), cg::Point(20, 16));
    EXPECT_EQ(els[4], PathElement::curveTo({20 + 10 * kappa, 16}, {30, 20 - 4 * kappa}, {30, 20}));
    EXPECT_EQ(els[5].type, PathElementType::closeSubpath);
    EXPECT_EQ(oval.bounds(), cg::Rect(10, 16, 20, 8));
    EXPECT_TRUE(ui::BezierPath::ovalIn({0, nan, 3, 3}).isEmpty());
}

TEST(BezierPathTest, ClockwiseQuarterEndsBelowTheCentre) {
    const auto p = ui::BezierPath::arc({10, 10}, 5, 0, pi / 2, true);
    const auto& els = p.cgPath().elements();
    ASSERT_EQ(els.size(), 2u);
    EXPECT_EQ(els[0], PathElement::moveTo({15, 10}));
    expectNear(els[1].endPoint(), {10, 15}, "end");
    // The standard quarter-circle handles.
    expectNear(els[1].points[0], {15, 10 + 5 * kappa}, "c1", 1e-6);
    expectNear(els[1].points[1], {10 + 5 * kappa, 15}, "c2", 1e-6);
}

TEST(BezierPathTest, ArcDirectionsAndSweeps) {
    const cg::Point c(0, 0);
    const double r = 10;
    struct Case {
        const char* name;
        double start, end;
        bool clockwise;
        std::size_t segments;
        cg::Point end_;
        cg::Point through;  // a point the arc passes at its middle
    };
    const double d = r * std::cos(pi / 4);
    const Case cases[] = {
        // Counter-clockwise from pi/2 down to 0 is the short way, through pi/4.
        {"ccw quarter", pi / 2, 0, false, 1, {r, 0}, {d, d}},
        // Clockwise from pi/2 to 0 goes the long way round, through the left.
        {"cw three quarters", pi / 2, 0, true, 3, {r, 0}, {-d, -d}},
        {"full turn", 0, 2 * pi, true, 4, {r, 0}, {-r, 0}},
        {"over a turn is one turn", 0, 5 * pi, true, 4, {r, 0}, {-r, 0}},
        {"ccw full turn", 0, -2 * pi, false, 4, {r, 0}, {-r, 0}},
    };
    for (const Case& k : cases) {
        const auto p = ui::BezierPath::arc(c, r, k.start, k.end, k.clockwise);
        const auto segs = curves(p);
        ASSERT_EQ(segs.size(), k.segments) << k.name;
        expectNear(p.currentPoint(), k.end_, k.name, 1e-9);
        // Every piece ends on the circle and the middle passes the expected point.
        for (const auto& s : segs) {
            EXPECT_NEAR(std::hypot(s.endPoint().x, s.endPoint().y), r, 1e-9) << k.name;
        }
        expectNear(p.cgPath().trimmed(0, 0.5).currentPoint(), k.through, k.name, 0.05);
    }
}

TEST(BezierPathTest, ClockwiseThreeQuartersGoesThroughTheLeft) {
    const auto p = ui::BezierPath::arc({5, 5}, 10, pi / 2, 0, true);
    const auto segs = curves(p);
    ASSERT_EQ(segs.size(), 3u);
    expectNear(segs[0].endPoint(), {-5, 5}, "first quarter ends left of the centre");
    expectNear(segs[1].endPoint(), {5, -5}, "second quarter ends above it");
}

TEST(BezierPathTest, EqualAnglesRadiusZeroAndNegativeRadius) {
    const auto none = ui::BezierPath::arc({3, 4}, 10, 1, 1, true);
    EXPECT_EQ(none.cgPath().elements().size(), 1u);
    const auto dot = ui::BezierPath::arc({3, 4}, 0, 0, pi, true);
    EXPECT_EQ(dot.cgPath().elements(), std::vector<PathElement>{PathElement::moveTo({3, 4})});
    EXPECT_EQ(ui::BezierPath::arc({3, 4}, -5, 0, pi, false).cgPath(), dot.cgPath());
    // Radius-zero corners after a line: just lines through the centres.
    ui::BezierPath corners;
    corners.move({0, 0});
    corners.addArc({10, 0}, 0, 0, pi / 2, true);
    corners.addArc({10, 10}, 0, 0, pi / 2, true);
    EXPECT_EQ(corners.cgPath().elements(),
              (std::vector<PathElement>{PathElement::moveTo({0, 0}), PathElement::lineTo({10, 0}),
                                        PathElement::lineTo({10, 10})}));
}

TEST(BezierPathTest, ArcAfterACurrentPointStartsWithALine) {
    ui::BezierPath p;
    p.move({-100, -100});
    p.addArc({0, 0}, 10, pi, 3 * pi / 2, true);
    const auto& els = p.cgPath().elements();
    ASSERT_EQ(els.size(), 3u);
    EXPECT_EQ(els[1].type, PathElementType::lineTo);
    expectNear(els[1].points[0], {-10, 0}, "start");
    expectNear(els[2].endPoint(), {0, -10}, "end");
}

TEST(BezierPathTest, AppendKeepsTheOtherSubpaths) {
    ui::BezierPath a = ui::BezierPath::ovalIn({0, 0, 10, 10});
    ui::BezierPath b;
    b.move({20, 20});
    b.addLine({30, 20});
    a.append(b);
    const auto& els = a.cgPath().elements();
    ASSERT_EQ(els.size(), 8u);
    EXPECT_EQ(els[6], PathElement::moveTo({20, 20}));
    EXPECT_EQ(els[7], PathElement::lineTo({30, 20}));
    EXPECT_EQ(a.currentPoint(), cg::Point(30, 20));
}

TEST(BezierPathTest, ContainsUsesTheFillRule) {
    ui::BezierPath p = ui::BezierPath::rect({0, 0, 20, 20});
    p.append(ui::BezierPath::rect({5, 5, 10, 10}));  // same direction
    EXPECT_TRUE(p.contains({10, 10}));
    p.setUsesEvenOddFillRule(true);
    EXPECT_FALSE(p.contains({10, 10}));
    EXPECT_TRUE(p.contains({2, 2}));
}

TEST(BezierPathTest, NonFiniteArgumentsAreDropped) {
    ui::BezierPath p;
    p.move({nan, 0});
    p.addLine({1, nan});
    p.addCurve({1, 1}, {nan, 1}, {2, 2});
    p.addArc({0, 0}, nan, 0, 1, true);
    EXPECT_TRUE(p.isEmpty());
    p.setLineWidth(nan);
    p.setMiterLimit(std::numeric_limits<double>::infinity());
    EXPECT_EQ(p.lineWidth(), 1);
    EXPECT_EQ(p.miterLimit(), 10);
}

TEST(BezierPathTest, FillClosesOpenSubpathsAndStrokeUsesLineWidth) {
    ui::graphicsBeginImageContextWithOptions({20, 20}, false, 1);
    ui::BezierPath open;
    open.move({0, 0});
    open.addLine({20, 0});
    open.addLine({20, 20});
    ui::Color::red().setFill();
    open.fill();
    ui::BezierPath line;
    line.move({0, 18});
    line.addLine({10, 18});
    line.setLineWidth(4);
    ui::Color::blue().setStroke();
    line.stroke();
    cg::Context* context = ui::graphicsGetCurrentContext();
    ASSERT_NE(context, nullptr);
    const auto image = context->makeImage();
    ui::graphicsEndImageContext();
    EXPECT_EQ(image->pixel(17, 3), (cg::RGBA8{255, 0, 0, 255}));  // inside the implicit close
    EXPECT_EQ(image->pixel(3, 10).a, 0);                          // the other side of the diagonal
    EXPECT_EQ(image->pixel(5, 16), (cg::RGBA8{0, 0, 255, 255}));  // 4 wide around y = 18
    EXPECT_EQ(image->pixel(5, 15).a, 0);
}

} // namespace
