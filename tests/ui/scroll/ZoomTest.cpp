#include <gtest/gtest.h>

#include <cmath>

#include "platform/ui/scroll/ScrollView.hpp"
#include "platform/ui/view/Window.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/ui/scroll/ScrollTestSupport.hpp"

namespace pellavo {
namespace {

using testing::ScrollRecorder;

class ZoomTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        sv = ns::make<ui::ScrollView>(cg::Rect{0, 0, 300, 400});
        content = ns::make<ui::View>(cg::Rect{0, 0, 300, 400});
        sv->addSubview(content);
        sv->setContentSize({300, 400});
        sv->setMinimumZoomScale(1);
        sv->setMaximumZoomScale(4);
        recorder = std::make_shared<ScrollRecorder>();
        recorder->zoomView = content;
        sv->setDelegate(recorder);
        window()->addSubview(sv);
        advance(0.01);
    }

    std::shared_ptr<ui::ScrollView> sv;
    std::shared_ptr<ui::View> content;
    std::shared_ptr<ScrollRecorder> recorder;
};

TEST_F(ZoomTest, SetZoomScaleClampsScalesTheViewAndKeepsTheCentre) {
    sv->setZoomScale(2);
    EXPECT_EQ(sv->zoomScale(), 2);
    EXPECT_EQ(content->transform(), cg::AffineTransform::makeScale(2, 2));
    EXPECT_EQ(content->frame(), (cg::Rect{0, 0, 600, 800}));
    EXPECT_EQ(content->bounds().size, (cg::Size{300, 400}));
    EXPECT_EQ(sv->contentSize(), (cg::Size{600, 800}));
    EXPECT_EQ(sv->contentOffset(), (cg::Point{150, 200}));
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"scroll 150,200", "zoom"}));

    sv->setZoomScale(10);
    EXPECT_EQ(sv->zoomScale(), 4);
    EXPECT_EQ(sv->contentSize(), (cg::Size{1200, 1600}));
    EXPECT_EQ(sv->contentOffset(), (cg::Point{450, 600}));
    // Back to 1: the centre would sit at the origin; the limits hold the offset at 0.
    sv->setZoomScale(0.5);
    EXPECT_EQ(sv->zoomScale(), 1);
    EXPECT_EQ(sv->contentOffset(), (cg::Point{0, 0}));
    EXPECT_EQ(recorder->count("zoom"), 3);
    // The same scale again changes nothing and reports nothing.
    sv->setZoomScale(1);
    EXPECT_EQ(recorder->count("zoom"), 3);
}

TEST_F(ZoomTest, ZoomToRectFillsTheViewWithTheRectangleCentred) {
    sv->zoom({100, 100, 80, 80}, false);
    EXPECT_DOUBLE_EQ(sv->zoomScale(), 3.75); // min(300/80, 400/80)
    EXPECT_EQ(sv->contentOffset(), (cg::Point{375, 325}));
    // Zero-size rectangles do nothing.
    recorder->events.clear();
    sv->zoom({10, 10, 0, 50}, false);
    sv->zoom({10, 10, 50, 0}, true);
    advance(0.5);
    EXPECT_TRUE(recorder->events.empty());
}

TEST_F(ZoomTest, AnimatedZoomCallsBackEveryFrameThenEnds) {
    sv->setZoomScale(2, true);
    EXPECT_EQ(sv->zoomScale(), 1);
    advance(0.15);
    EXPECT_GT(sv->zoomScale(), 1.2);
    EXPECT_LT(sv->zoomScale(), 1.8);
    EXPECT_TRUE(sv->isZooming());
    advance(0.2);
    EXPECT_EQ(sv->zoomScale(), 2);
    EXPECT_EQ(sv->contentOffset(), (cg::Point{150, 200}));
    EXPECT_FALSE(sv->isZooming());
    EXPECT_GE(recorder->count("zoom"), 17);
    EXPECT_EQ(recorder->milestones(), (std::vector<std::string>{"didEndZooming 2"}));
}

TEST_F(ZoomTest, ZoomNeedsAZoomingViewInsideTheScrollView) {
    recorder->zoomView = nullptr;
    sv->setZoomScale(2);
    EXPECT_EQ(sv->zoomScale(), 1);
    recorder->zoomView = ns::make<ui::View>(cg::Rect{0, 0, 10, 10}); // not a subview
    sv->zoom({0, 0, 10, 10}, false);
    EXPECT_EQ(sv->zoomScale(), 1);
    EXPECT_TRUE(recorder->events.empty());
}

TEST_F(ZoomTest, ScaleLimitsStayOrdered) {
    sv->setMinimumZoomScale(6);
    EXPECT_EQ(sv->maximumZoomScale(), 6);
    sv->setMaximumZoomScale(0.5);
    EXPECT_EQ(sv->minimumZoomScale(), 0.5);
    sv->setMinimumZoomScale(0);
    sv->setMaximumZoomScale(-2);
    EXPECT_EQ(sv->minimumZoomScale(), 0.5);
    EXPECT_EQ(sv->maximumZoomScale(), 0.5);
    EXPECT_EQ(loggedLines().size(), 2u);
}

} // namespace
} // namespace pellavo

namespace pellavo {
namespace {

TEST_F(ZoomTest, DriverPinchZoomsAboutTheCentroid) {
    const auto ids = driver().touchDown(std::vector<cg::Point>{{100, 200}, {200, 200}});
    ASSERT_EQ(ids.size(), 2u);
    driver().move({{ids[0], {50, 200}}, {ids[1], {250, 200}}});
    EXPECT_TRUE(sv->isZooming());
    EXPECT_DOUBLE_EQ(sv->zoomScale(), 2);
    // The centroid (150, 200) stays on content point (150, 200).
    EXPECT_EQ(sv->contentOffset(), (cg::Point{150, 200}));
    EXPECT_EQ(sv->contentSize(), (cg::Size{600, 800}));
    driver().up(ids[0]);
    driver().up(ids[1]);
    EXPECT_FALSE(sv->isZooming());
    EXPECT_EQ(recorder->milestones(), (std::vector<std::string>{"willBeginZooming", "didEndZooming 2"}));
    EXPECT_GE(recorder->count("zoom"), 1);
}

TEST_F(ZoomTest, PinchPastTheLimitGivesWayAndEasesBack) {
    sv->setMaximumZoomScale(1.5);
    const auto ids = driver().touchDown(std::vector<cg::Point>{{100, 200}, {200, 200}});
    driver().move({{ids[0], {50, 200}}, {ids[1], {250, 200}}});
    EXPECT_NEAR(sv->zoomScale(), 1.5 * std::sqrt(2 / 1.5), 1e-12);
    driver().up(ids[0]);
    EXPECT_EQ(recorder->count("didEndZooming"), 0);
    advance(0.35);
    EXPECT_DOUBLE_EQ(sv->zoomScale(), 1.5);
    EXPECT_EQ(sv->contentSize(), (cg::Size{450, 600}));
    EXPECT_EQ(recorder->milestones().back(), "didEndZooming 1.5");
    driver().up(ids[1]);

    // Without bouncesZoom the scale stops at the limit.
    sv->setBouncesZoom(false);
    sv->setZoomScale(1);
    const auto again = driver().touchDown(std::vector<cg::Point>{{100, 200}, {200, 200}});
    driver().move({{again[0], {0, 200}}, {again[1], {300, 200}}});
    EXPECT_DOUBLE_EQ(sv->zoomScale(), 1.5);
    driver().up(again[0]);
    driver().up(again[1]);
}

TEST_F(ZoomTest, NoPinchWhenTheScaleCannotChange) {
    sv->setMaximumZoomScale(1);
    const auto ids = driver().touchDown(std::vector<cg::Point>{{100, 200}, {200, 200}});
    driver().move({{ids[0], {50, 200}}, {ids[1], {250, 200}}});
    EXPECT_EQ(sv->zoomScale(), 1);
    driver().up(ids[0]);
    driver().up(ids[1]);
    EXPECT_TRUE(recorder->events.empty());
    // Nor without a zooming view.
    sv->setMaximumZoomScale(3);
    recorder->zoomView = nullptr;
    const auto more = driver().touchDown(std::vector<cg::Point>{{100, 200}, {200, 200}});
    driver().move({{more[0], {50, 200}}, {more[1], {250, 200}}});
    EXPECT_EQ(sv->zoomScale(), 1);
    EXPECT_TRUE(recorder->events.empty());
}

TEST_F(ZoomTest, DragAfterZoomingScrollsTheZoomedContent) {
    sv->setZoomScale(2);
    recorder->events.clear();
    driver().drag({200, 300}, {100, 100}, 10, 2.0);
    EXPECT_EQ(sv->contentOffset(), (cg::Point{250, 400}));
    advance(1);
    EXPECT_LE(sv->contentOffset().x, 300);
    EXPECT_LE(sv->contentOffset().y, 400);
}

} // namespace
} // namespace pellavo
