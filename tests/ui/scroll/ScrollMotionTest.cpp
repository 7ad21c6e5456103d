#include "platform/ui/scroll/ScrollMotion.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace pellavo {
namespace {

using ui::ScrollMotion;

constexpr double eps = 1e-9;

TEST(ScrollMotionTest, RubberBand) {
    struct Row {
        const char* what;
        double raw, min, max, dimension;
        bool bounces;
        double shown;
    };
    // An excess e on a length d shows as (1 − 1/(e·0.55/d + 1))·d.
    const std::vector<Row> rows{
        {"inside the limits", 50, 0, 800, 400, true, 50},
        {"on a limit", 800, 0, 800, 400, true, 800},
        {"200 before the minimum", -200, 0, 800, 400, true, -86.27450980392153},
        {"a length past the maximum", 1200, 0, 800, 400, true, 800 + 141.93548387096774},
        {"without bouncing, clamped low", -200, 0, 800, 400, false, 0},
        {"without bouncing, clamped high", 900, 0, 800, 400, false, 800},
        {"no length, clamped", -5, 0, 800, 0, true, 0},
        {"a maximum below the minimum is the minimum", 50, 0, -10, 400, false, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_NEAR(ScrollMotion::rubberBand(row.raw, row.min, row.max, row.dimension, row.bounces), row.shown, eps);
    }
}

TEST(ScrollMotionTest, UnRubberBand) {
    struct Row {
        const char* what;
        double shown, min, max, dimension;
        bool bounces;
        double raw;
    };
    const std::vector<Row> rows{
        {"inside the limits", 50, 0, 800, 400, true, 50},
        {"the band's 200 before the minimum", -86.27450980392153, 0, 800, 400, true, -200},
        {"the band's length past the maximum", 800 + 141.93548387096774, 0, 800, 400, true, 1200},
        {"a whole length or more is held at 0.999 of it", -400, 0, 800, 400, true, -999 * 400 / 0.55},
        {"without bouncing, as shown", -30, 0, 800, 400, false, -30},
        {"no length, as shown", -30, 0, 800, 0, true, -30},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const double raw = ScrollMotion::unRubberBand(row.shown, row.min, row.max, row.dimension, row.bounces);
        EXPECT_NEAR(raw, row.raw, 1e-6 * std::max(1.0, std::fabs(row.raw)));
    }
}

TEST(ScrollMotionTest, Deceleration) {
    struct Row {
        const char* what;
        double rate, t, travelled;
    };
    // (1 − r^(1000t))·r/(1 − r) per unit of velocity.
    const std::vector<Row> rows{
        {"nothing at the lift", 0.998, 0, 0},
        {"normal rate, 0.1 s", 0.998, 0.1, 90.53516446047459},
        {"normal rate, 0.5 s", 0.998, 0.5, 315.61188382627756},
        {"fast rate, 0.5 s", 0.99, 0.5, 98.34952217880087},
        {"normal rate, in the end its reach", 0.998, 60, 499},
        {"fast rate, in the end its reach", 0.99, 60, 99},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_NEAR(ScrollMotion::travelled(row.rate, row.t), row.travelled, 1e-9);
    }
    EXPECT_NEAR(ScrollMotion::reach(0.998), 499, 1e-9);
    EXPECT_NEAR(ScrollMotion::reach(0.99), 99, 1e-9);
    EXPECT_EQ(ScrollMotion::reach(0), 0);
}

TEST(ScrollMotionTest, Paging) {
    struct Row {
        const char* what;
        double offset, velocity, pageSize, startPage, lo, hi;
        double target;
    };
    // Three pages of 300 unless said otherwise: offsets 0 to 600.
    const std::vector<Row> rows{
        {"slow, past half: the next page", 160, 0.08, 300, 0, 0, 600, 300},
        {"slow, short of half: back", 140, 0, 300, 1, 0, 600, 0},
        {"a flick forward turns the page", 50, 1, 300, 0, 0, 600, 300},
        {"a flick backward turns the page back", 250, -1, 300, 1, 0, 600, 0},
        {"the flick speed is the threshold", 10, 0.3, 300, 0, 0, 600, 300},
        {"just below it is a slow lift", 10, 0.29, 300, 0, 0, 600, 0},
        {"one page per swipe", 970, 0, 300, 1, 0, 1200, 600},
        {"no page before the first", -190, -1, 300, 0, 0, 600, 0},
        {"no page after the last", 700, 1, 300, 2, 0, 600, 600},
        {"a last page shown in part counts", 890, 0, 300, 3, 0, 650, 900},
        {"an inset short of a page adds none", -20, -1, 300, 0, -20, 600, 0},
        {"no page size: 0", 50, 0, 0, 0, 0, 600, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(ScrollMotion::pageOffset(row.offset, row.velocity, row.pageSize, row.startPage, row.lo, row.hi),
                  row.target);
    }
    EXPECT_EQ(ScrollMotion::page(450, 300), 2);
    EXPECT_EQ(ScrollMotion::page(-140, 300), 0);
    EXPECT_EQ(ScrollMotion::page(450, 0), 0);
}

TEST(ScrollMotionTest, RunningMotions) {
    const auto scroll = ScrollMotion::scroll({0, 0}, {0, 300});
    const auto snap = ScrollMotion::snap({0, -100}, {0, 0});
    const auto zoom = ScrollMotion::zoom({0, 0}, {100, 100}, 1, 2);
    const auto bounce = ScrollMotion::zoomBounce({40, 40}, {0, 0}, 3, 2);
    const auto flick = ScrollMotion::deceleration({0, 200}, {0, 699}, {0, 1});
    struct Row {
        const char* what;
        ScrollMotion motion;
        double t, rate;
        cg::Point offset;
        double scale;
        bool done;
        double tolerance;
    };
    const std::vector<Row> rows{
        {"a scroll starts where it was", scroll, 0, 0.998, {0, 0}, 1, false, eps},
        {"ease-in-out is half way at half time", scroll, 0.15, 0.998, {0, 150}, 1, false, 1e-6},
        {"a scroll lands on its target", scroll, 0.3, 0.998, {0, 300}, 1, true, 0},
        {"and stays there", scroll, 1, 0.998, {0, 300}, 1, true, 0},
        {"a snap eases out: most of the way at half time", snap, 0.15, 0.998, {0, -31.53568125725394}, 1, false, 1e-4},
        {"a snap lands on its target", snap, 0.3, 0.998, {0, 0}, 1, true, 0},
        {"a zoom moves offset and scale together", zoom, 0.15, 0.998, {50, 50}, 1.5, false, 1e-6},
        {"a zoom lands on both targets", zoom, 0.3, 0.998, {100, 100}, 2, true, 0},
        {"a bounce starts from the pinch", bounce, 0, 0.998, {40, 40}, 3, false, eps},
        {"a bounce lands on the limit", bounce, 0.3, 0.998, {0, 0}, 2, true, 0},
        {"a flick starts at the lift", flick, 0, 0.998, {0, 200}, 1, false, eps},
        {"a flick follows the decay", flick, 0.5, 0.998, {0, 200 + 315.61188382627756}, 1, false, 1e-9},
        {"at the rate in force", flick, 0.5, 0.99, {0, 200 + 98.34952217880087}, 1, false, 1e-9},
        {"a flick ends on its target within half a point", flick, 10, 0.998, {0, 699}, 1, true, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const auto frame = row.motion.at(row.t, row.rate);
        EXPECT_NEAR(frame.offset.x, row.offset.x, row.tolerance);
        EXPECT_NEAR(frame.offset.y, row.offset.y, row.tolerance);
        if (row.motion.isZoom()) {
            EXPECT_NEAR(frame.scale, row.scale, row.tolerance);
        }
        EXPECT_EQ(frame.done, row.done);
    }
}

TEST(ScrollMotionTest, Kinds) {
    using Kind = ScrollMotion::Kind;
    struct Row {
        const char* what;
        ScrollMotion motion;
        Kind kind;
        bool decelerating, zoom;
    };
    const std::vector<Row> rows{
        {"none", ScrollMotion(), Kind::none, false, false},
        {"scroll", ScrollMotion::scroll({}, {0, 1}), Kind::scroll, false, false},
        {"deceleration", ScrollMotion::deceleration({}, {0, 1}, {0, 1}), Kind::decelerate, true, false},
        {"snap", ScrollMotion::snap({}, {0, 1}), Kind::snap, true, false},
        {"zoom", ScrollMotion::zoom({}, {}, 1, 2), Kind::zoom, false, true},
        {"zoom bounce", ScrollMotion::zoomBounce({}, {}, 3, 2), Kind::zoomBounce, false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(row.motion.kind(), row.kind);
        EXPECT_EQ(row.motion.isRunning(), row.kind != Kind::none);
        EXPECT_EQ(row.motion.isDecelerating(), row.decelerating);
        EXPECT_EQ(row.motion.isZoom(), row.zoom);
    }
}

} // namespace
} // namespace pellavo
