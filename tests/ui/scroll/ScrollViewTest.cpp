#include "platform/ui/scroll/ScrollView.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/ui/view/Window.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/ui/scroll/ScrollTestSupport.hpp"

namespace pellavo {
namespace {

using testing::ScrollRecorder;

using ScrollViewTest = testing::ScrollViewFixture;

TEST_F(ScrollViewTest, DidScrollFiresOnlyOnChangeAndBoundsFollowTheOffset) {
    EXPECT_TRUE(recorder->events.empty()) << "setting the delegate reports nothing";
    sv->setContentOffset({0, 40});
    EXPECT_EQ(sv->bounds().origin, (cg::Point{0, 40}));
    sv->setContentOffset({0, 40});
    sv->setContentOffset({0, 40}, true);
    // A bounds change with a new origin is a scroll too; a size change alone is not.
    sv->setBounds({0, 60, 300, 400});
    sv->setFrame({0, 0, 300, 380});
    EXPECT_EQ(sv->contentOffset(), (cg::Point{0, 60}));
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"scroll 0,40", "scroll 0,60"}));
    // Programmatic offsets are not clamped.
    sv->setContentOffset({-20, 5000});
    EXPECT_EQ(sv->contentOffset(), (cg::Point{-20, 5000}));
}

TEST_F(ScrollViewTest, OffsetChangeLaysOutOnlyTheScrollView) {
    auto holder = ns::make<ui::View>(cg::Rect{0, 0, 375, 667});
    window()->addSubview(holder);
    holder->addSubview(sv);
    advance(0.02);
    ASSERT_FALSE(holder->layer()->needsLayout());
    sv->setContentOffset({0, 100});
    EXPECT_TRUE(sv->layer()->needsLayout());
    EXPECT_FALSE(holder->layer()->needsLayout());
    EXPECT_FALSE(window()->layer()->needsLayout());
}

TEST_F(ScrollViewTest, LimitsFollowContentInsetsAndBounds) {
    sv->setContentInset({10, 20, 30, 40});
    EXPECT_EQ(sv->minimumContentOffset(), (cg::Point{-20, -10}));
    EXPECT_EQ(sv->maximumContentOffset(), (cg::Point{40, 830})); // 300+40-300, 1200+30-400
    // Content smaller than the bounds: the maximum is the minimum.
    sv->setContentSize({100, 100});
    EXPECT_EQ(sv->maximumContentOffset(), (cg::Point{-20, -10}));
    sv->setContentSize({-5, 50});
    EXPECT_EQ(sv->contentSize(), (cg::Size{0, 50}));
}

TEST_F(ScrollViewTest, NonFiniteValuesAreIgnoredWithALine) {
    const double nan = std::nan("");
    const double inf = INFINITY;
    sv->setContentOffset({0, 30});
    sv->setContentOffset({nan, 0});
    sv->setContentOffset({0, inf}, true);
    sv->setContentSize({inf, 10});
    sv->setContentInset({nan, 0, 0, 0});
    sv->setZoomScale(nan);
    sv->setMinimumZoomScale(inf);
    sv->setMaximumZoomScale(nan);
    sv->setDecelerationRate(nan);
    EXPECT_EQ(sv->contentOffset(), (cg::Point{0, 30}));
    EXPECT_EQ(sv->contentSize(), (cg::Size{300, 1200}));
    EXPECT_EQ(sv->contentInset(), ui::EdgeInsets());
    EXPECT_EQ(sv->decelerationRate(), ui::ScrollView::decelerationRateNormal);
    EXPECT_EQ(sv->minimumZoomScale(), 1);
    EXPECT_EQ(sv->maximumZoomScale(), 1);
    EXPECT_EQ(loggedLines().size(), 8u);
    for (const auto& line : loggedLines()) EXPECT_NE(line.find("ScrollView: ignoring a non-finite"), std::string::npos) << line;
}

TEST_F(ScrollViewTest, AnimatedOffsetEasesOverPointThreeSecondsAndEndsOnce) {
    sv->setContentOffset({0, 300}, true);
    EXPECT_EQ(sv->contentOffset(), (cg::Point{0, 0})) << "nothing moves before the first frame";
    advance(0.15);
    // Ease-in-out is symmetric: half way at half time (within a frame's worth).
    EXPECT_NEAR(sv->contentOffset().y, 150, 25);
    advance(0.2);
    EXPECT_EQ(sv->contentOffset(), (cg::Point{0, 300}));
    const int frames = recorder->count("scroll ");
    EXPECT_GE(frames, 17);
    EXPECT_LE(frames, 19);
    EXPECT_EQ(recorder->milestones(), (std::vector<std::string>{"didEndScrollingAnimation 0,300"}));
    EXPECT_EQ(recorder->events[recorder->events.size() - 2], "scroll 0,300");
    advance(1);
    EXPECT_EQ(recorder->count("didEnd"), 1);
}

TEST_F(ScrollViewTest, AnimatedOffsetEndsExactlyOnItsTarget) {
    // from + (to − from) × 1 is not `to` in doubles for these.
    sv->setContentOffset({0, 763.775});
    sv->setContentOffset({0, 255.069}, true);
    advance(0.4);
    EXPECT_EQ(sv->contentOffset().y, 255.069);
}

TEST_F(ScrollViewTest, SupersededAnimationSendsNoEndCallback) {
    sv->setContentOffset({0, 300}, true);
    advance(0.1);
    sv->setContentOffset({0, 100}, true);
    advance(0.5);
    EXPECT_EQ(recorder->milestones(), (std::vector<std::string>{"didEndScrollingAnimation 0,100"}));
    // A direct set stops an animation silently too.
    recorder->events.clear();
    sv->setContentOffset({0, 500}, true);
    advance(0.1);
    sv->setContentOffset({0, 7});
    advance(0.5);
    EXPECT_EQ(recorder->milestones(), std::vector<std::string>{});
    EXPECT_EQ(sv->contentOffset(), (cg::Point{0, 7}));
}

TEST_F(ScrollViewTest, ScrollRectToVisibleMovesTheLeastDistance) {
    sv->setContentSize({900, 1200});
    struct Case {
        cg::Point start;
        cg::Rect rect;
        cg::Point expected;
    } cases[] = {
        {{0, 0}, {0, 500, 50, 50}, {0, 150}},         // below: its bottom edge comes in
        {{0, 600}, {0, 500, 50, 50}, {0, 500}},       // above: its top edge
        {{0, 0}, {350, 0, 50, 50}, {100, 0}},         // to the right
        {{0, 0}, {0, 100, 50, 600}, {0, 100}},        // taller than the view: its origin
        {{0, 0}, {0, 1150, 50, 200}, {0, 800}},       // past the content: clamped
        {{0, 0}, {-50, -50, 10, 10}, {0, 0}},         // before the content: clamped
    };
    for (const auto& c : cases) {
        sv->setContentOffset(c.start);
        sv->scrollRectToVisible(c.rect, false);
        EXPECT_EQ(sv->contentOffset(), c.expected) << c.rect.origin.x << "," << c.rect.origin.y;
    }
}

TEST_F(ScrollViewTest, ScrollRectToVisibleAnimatesOrDoesNothing) {
    sv->scrollRectToVisible({0, 100, 50, 50}, true);
    advance(1);
    EXPECT_TRUE(recorder->events.empty());
    sv->scrollRectToVisible({0, 600, 50, 50}, true);
    advance(1);
    EXPECT_EQ(sv->contentOffset(), (cg::Point{0, 250}));
    EXPECT_GE(recorder->count("scroll "), 17);
    EXPECT_EQ(recorder->milestones(), (std::vector<std::string>{"didEndScrollingAnimation 0,250"}));
}

TEST_F(ScrollViewTest, ReleasedDuringAnAnimationIsSafe) {
    sv->setContentOffset({0, 300}, true);
    advance(0.1);
    sv->removeFromSuperview();
    std::weak_ptr<ui::ScrollView> weak = sv;
    sv.reset();
    advance(0.5);
    EXPECT_TRUE(weak.expired());
}

} // namespace
} // namespace pellavo
