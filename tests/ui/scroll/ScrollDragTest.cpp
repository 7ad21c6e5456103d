#include <gtest/gtest.h>

#include <cmath>

#include "platform/ui/control/Button.hpp"
#include "platform/ui/gesture/PanGestureRecognizer.hpp"
#include "platform/ui/scroll/ScrollView.hpp"
#include "platform/ui/event/TouchSet.hpp"
#include "platform/ui/view/Window.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/ui/scroll/ScrollTestSupport.hpp"

namespace pellavo {
namespace {

using testing::ScrollRecorder;

// The on-screen share of an excess e past a limit, for a view of length d.
double band(double e, double d) { return (1 - 1 / (e * 0.55 / d + 1)) * d; }

class ScrollDragTest : public testing::ScrollViewFixture {
protected:
    void usePages(int pages) {
        sv->setContentSize({300.0 * pages, 400});
        sv->setIsPagingEnabled(true);
    }
};

TEST_F(ScrollDragTest, DragFollowsTheFingerAfterTenPointsAndRubberBands) {
    const auto id = driver().touchDown({150, 100});
    driver().move(id, {150, 108});
    EXPECT_FALSE(sv->isDragging());
    EXPECT_TRUE(recorder->events.empty());
    // Down by 200 from the top: past the limit, shown as the rubber band.
    driver().move(id, {150, 300});
    EXPECT_TRUE(sv->isDragging());
    EXPECT_NEAR(sv->contentOffset().y, -band(200, 400), 1e-9);
    EXPECT_EQ(sv->contentOffset().x, 0) << "the axis that does not scroll stays";
    // Up by 50 from the start: inside the limits the content follows the finger.
    driver().move(id, {170, 50});
    EXPECT_EQ(sv->contentOffset(), (cg::Point{0, 50}));
    driver().up(id);
    EXPECT_FALSE(sv->isDragging());
    EXPECT_EQ(recorder->milestones(),
              (std::vector<std::string>{"willBeginDragging", "willEndDragging", "didEndDragging 0"}));
    advance(1);
    EXPECT_EQ(sv->contentOffset(), (cg::Point{0, 50}));
}

TEST_F(ScrollDragTest, ReleaseBeyondALimitEasesBack) {
    const auto id = driver().touchDown({150, 100});
    driver().move(id, {150, 300});
    driver().up(id);
    EXPECT_TRUE(sv->isDecelerating());
    advance(0.15);
    EXPECT_LT(sv->contentOffset().y, 0);
    EXPECT_GT(sv->contentOffset().y, -band(200, 400) / 2) << "ease-out covers most of the way in half the time";
    advance(0.2);
    EXPECT_EQ(sv->contentOffset(), (cg::Point{0, 0}));
    EXPECT_FALSE(sv->isDecelerating());
    EXPECT_EQ(recorder->milestones(), (std::vector<std::string>{"willBeginDragging", "willEndDragging", "didEndDragging 1",
                                                                "willBeginDecelerating", "didEndDecelerating 0,0"}));
}

TEST_F(ScrollDragTest, DragCaughtDuringTheBounceCarriesOnWithoutAJump) {
    const auto id = driver().touchDown({150, 100});
    driver().move(id, {150, 300});
    driver().up(id);
    advance(0.05);
    const double caught = sv->contentOffset().y;
    ASSERT_LT(caught, -1);
    const auto again = driver().touchDown({150, 200});
    driver().move(again, {150, 212});
    const double moved = sv->contentOffset().y;
    EXPECT_LT(moved, caught) << "the content follows the finger down";
    EXPECT_GT(moved, caught - 12) << "past the limit it gives way less than the finger moved";
    EXPECT_EQ(recorder->count("didEndDecelerating"), 0);
    driver().up(again);
}

TEST_F(ScrollDragTest, WithoutBouncesTheOffsetIsClamped) {
    sv->setBounces(false);
    const auto id = driver().touchDown({150, 100});
    driver().move(id, {150, 300});
    EXPECT_EQ(sv->contentOffset(), (cg::Point{0, 0}));
    driver().move(id, {150, 0});
    EXPECT_EQ(sv->contentOffset(), (cg::Point{0, 100}));
    driver().up(id);
    EXPECT_EQ(recorder->count("scroll "), 1);
}

TEST_F(ScrollDragTest, FlickDeceleratesOnTheClockToItsTarget) {
    // 200 pt up in 0.2 s: about 1 pt/ms.
    driver().drag({150, 350}, {150, 150}, 10, 0.2);
    const double v = recorder->lastVelocity.y;
    EXPECT_NEAR(v, 1.0, 0.05);
    EXPECT_EQ(recorder->lastVelocity.x, 0);
    EXPECT_EQ(sv->contentOffset().y, 200);
    const double r = ui::ScrollView::decelerationRateNormal;
    const double target = 200 + v * r / (1 - r);
    EXPECT_NEAR(recorder->lastTarget.y, target, 1e-6);
    EXPECT_TRUE(sv->isDecelerating());

    advance(0.5);
    // x(t) = x0 + v·r·(1 − r^(1000t))/(1 − r), sampled on a display frame near 0.5 s.
    const double at = sv->contentOffset().y;
    const auto x = [&](double t) { return 200 + v * r * (1 - std::pow(r, 1000 * t)) / (1 - r); };
    EXPECT_GE(at, x(0.48));
    EXPECT_LE(at, x(0.5) + 1e-9);
    advance(4);
    EXPECT_EQ(sv->contentOffset().y, target);
    EXPECT_EQ(recorder->count("didEndDecelerating"), 1);
    EXPECT_FALSE(sv->isDecelerating());
}

TEST_F(ScrollDragTest, LiftAfterARestHasNoVelocity) {
    const auto id = driver().touchDown({150, 350});
    advance(0.05);
    driver().move(id, {150, 250});
    advance(0.3);
    driver().up(id);
    EXPECT_EQ(recorder->lastVelocity, (cg::Point{0, 0}));
    EXPECT_EQ(recorder->milestones().back(), "didEndDragging 0");
    EXPECT_EQ(sv->contentOffset(), (cg::Point{0, 100}));
}

TEST_F(ScrollDragTest, WillEndDraggingCanRetargetAndTheTargetIsClamped) {
    recorder->retarget = [](cg::Point, cg::Point& target) { target = {0, 5000}; };
    driver().drag({150, 350}, {150, 150}, 10, 0.2);
    advance(0.31);
    EXPECT_EQ(sv->contentOffset(), (cg::Point{0, 800})) << "a changed target eases out over 0.3 s";
    EXPECT_EQ(recorder->milestones().back(), "didEndDecelerating 0,800");
}

TEST_F(ScrollDragTest, TouchDuringDecelerationDragStopsItWithoutTheEndCallback) {
    driver().drag({150, 350}, {150, 150}, 10, 0.2);
    advance(0.2);
    const auto id = driver().touchDown({150, 200});
    driver().move(id, {150, 250});
    EXPECT_FALSE(sv->isDecelerating());
    driver().up(id);
    advance(5);
    EXPECT_EQ(recorder->count("didEndDecelerating"), 0);
    EXPECT_EQ(recorder->count("willBeginDragging"), 2);
}

TEST_F(ScrollDragTest, PagingFlickTurnsOnePage) {
    usePages(3);
    driver().drag({250, 200}, {200, 200}, 5, 0.05);
    EXPECT_EQ(recorder->lastTarget, (cg::Point{300, 0}));
    advance(0.15);
    EXPECT_GT(sv->contentOffset().x, 50);
    EXPECT_LT(sv->contentOffset().x, 300);
    advance(0.2);
    EXPECT_EQ(sv->contentOffset(), (cg::Point{300, 0}));
    EXPECT_EQ(recorder->milestones().back(), "didEndDecelerating 300,0");
}

TEST_F(ScrollDragTest, PagingSlowDragGoesToTheNearestPage) {
    usePages(3);
    // 160 of 300 at 80 pt/s: past half, on to the next page.
    driver().drag({290, 200}, {130, 200}, 10, 2.0);
    advance(0.4);
    EXPECT_EQ(sv->contentOffset(), (cg::Point{300, 0}));
    // 140 back: short of half, it returns.
    driver().drag({150, 200}, {290, 200}, 10, 2.0);
    advance(0.4);
    EXPECT_EQ(sv->contentOffset(), (cg::Point{300, 0}));
}

TEST_F(ScrollDragTest, PagingTurnsAtMostOnePagePerSwipe) {
    usePages(5);
    sv->setContentOffset({300, 0});
    driver().drag({299, 200}, {-71, 200}, 5, 0.05);
    EXPECT_EQ(sv->contentOffset().x, 670);
    advance(0.4);
    EXPECT_EQ(sv->contentOffset(), (cg::Point{600, 0}));
    // Backwards past the first page: the range of pages holds it.
    sv->setContentOffset({0, 0});
    driver().drag({10, 200}, {200, 200}, 5, 0.05);
    advance(0.4);
    EXPECT_EQ(sv->contentOffset(), (cg::Point{0, 0}));
}

TEST_F(ScrollDragTest, PagingLiftExactlyOnAPageGivesNoDeceleration) {
    usePages(3);
    driver().drag({299, 200}, {-1, 200}, 10, 4.0);
    EXPECT_EQ(sv->contentOffset(), (cg::Point{300, 0}));
    advance(0.5);
    EXPECT_EQ(recorder->milestones(),
              (std::vector<std::string>{"willBeginDragging", "willEndDragging", "didEndDragging 0"}));
}

TEST_F(ScrollDragTest, PagingWithZeroWidthBoundsTargetsZero) {
    usePages(3);
    const auto id = driver().touchDown({150, 200});
    driver().move(id, {100, 200});
    ASSERT_EQ(sv->contentOffset(), (cg::Point{50, 0}));
    sv->setFrame({0, 0, 0, 400});
    driver().up(id);
    advance(0.5);
    EXPECT_EQ(sv->contentOffset(), (cg::Point{0, 0}));
}

// Records what a content view hears.
class TouchLog : public ui::View {
public:
    using View::View;
    std::vector<std::string> heard;
    void touchesBegan(const ui::TouchSet&, const ui::Event*) override { heard.push_back("began"); }
    void touchesMoved(const ui::TouchSet&, const ui::Event*) override { heard.push_back("moved"); }
    void touchesEnded(const ui::TouchSet&, const ui::Event*) override { heard.push_back("ended"); }
    void touchesCancelled(const ui::TouchSet&, const ui::Event*) override { heard.push_back("cancelled"); }
};

TEST_F(ScrollDragTest, ContentTouchesArriveAtOnceAndAreCancelledWhenThePanBegins) {
    auto content = ns::make<TouchLog>(cg::Rect{0, 0, 300, 1200});
    sv->addSubview(content);
    const auto id = driver().touchDown({150, 300});
    EXPECT_EQ(content->heard, (std::vector<std::string>{"began"}));
    driver().move(id, {150, 295});
    driver().move(id, {150, 250});
    driver().up(id);
    EXPECT_EQ(content->heard, (std::vector<std::string>{"began", "moved", "cancelled"}));
    // A tap reaches the content whole.
    content->heard.clear();
    driver().tap({150, 300});
    EXPECT_EQ(content->heard, (std::vector<std::string>{"began", "ended"}));
}

TEST_F(ScrollDragTest, DragStartingOnAButtonCancelsItsTracking) {
    struct Target : ns::Object {
        int ups = 0;
        void up() { ++ups; }
    };
    auto target = std::make_shared<Target>();
    auto button = ns::make<ui::Button>(cg::Rect{50, 250, 200, 100});
    button->addTarget(target, &Target::up, ui::Control::Event::touchUpInside);
    sv->addSubview(button);
    const auto id = driver().touchDown({150, 300});
    EXPECT_TRUE(button->isTracking());
    EXPECT_TRUE(button->isHighlighted());
    driver().move(id, {150, 280});
    EXPECT_FALSE(button->isTracking());
    EXPECT_FALSE(button->isHighlighted());
    EXPECT_EQ(sv->contentOffset(), (cg::Point{0, 20}));
    driver().up(id, {150, 280});
    EXPECT_EQ(target->ups, 0);
    // A tap still reaches it.
    driver().tap({150, 300});
    EXPECT_EQ(target->ups, 1);
}

TEST_F(ScrollDragTest, ScrollingDisabledOrNothingToScrollBlocksDrags) {
    sv->setIsScrollEnabled(false);
    driver().drag({150, 350}, {150, 150}, 10, 0.2);
    EXPECT_EQ(sv->contentOffset(), (cg::Point{0, 0}));
    sv->setIsScrollEnabled(true);
    sv->setContentSize({300, 400});
    driver().drag({150, 350}, {150, 150}, 10, 0.2);
    EXPECT_EQ(sv->contentOffset(), (cg::Point{0, 0}));
    // Insets make room too.
    sv->setContentInset({0, 0, 100, 0});
    driver().drag({150, 350}, {150, 250}, 10, 2);
    EXPECT_EQ(sv->contentOffset(), (cg::Point{0, 100}));
    EXPECT_EQ(recorder->count("willBeginDragging"), 1);
}

TEST_F(ScrollDragTest, AnotherPanOnTheViewGoesFirst) {
    struct Target : ns::Object {
        int calls = 0;
        void pan() { ++calls; }
    };
    auto target = std::make_shared<Target>();
    auto other = ns::make<ui::PanGestureRecognizer>();
    other->addTarget(target, &Target::pan);
    sv->addGestureRecognizer(other);
    driver().drag({150, 350}, {150, 150}, 10, 0.2);
    EXPECT_GT(target->calls, 0);
    EXPECT_EQ(sv->contentOffset(), (cg::Point{0, 0}));
    EXPECT_TRUE(recorder->events.empty());
}

TEST_F(ScrollDragTest, IndicatorsShowOnlyWhileMoving) {
    const auto indicatorShown = [&] {
        for (const auto& layer : sv->layer()->sublayers())
            if (!layer->delegate().lock() && !layer->isHidden()) return true;
        return false;
    };
    sv->setContentOffset({0, 100});
    EXPECT_FALSE(indicatorShown());
    const auto id = driver().touchDown({150, 300});
    driver().move(id, {150, 200});
    EXPECT_TRUE(indicatorShown());
    // 400 of 1200 visible: a third of the 395 pt track, placed by progress 200/800.
    const auto& vertical = sv->layer()->sublayers().back();
    EXPECT_NEAR(vertical->frame().size.height, 395.0 / 3, 1e-9);
    EXPECT_EQ(vertical->frame().size.width, 2.5);
    EXPECT_NEAR(vertical->frame().origin.y, 200 + 2.5 + 0.25 * (395 - 395.0 / 3), 1e-9);
    EXPECT_EQ(vertical->frame().origin.x, 300 - 5);
    driver().up(id);
    EXPECT_FALSE(indicatorShown());
    sv->setShowsVerticalScrollIndicator(false);
    sv->setContentOffset({0, 300}, true);
    advance(0.1);
    EXPECT_FALSE(indicatorShown());
}

} // namespace
} // namespace pellavo
