#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "platform/ns/Runtime.hpp"
#include "platform/ui/controller/NavigationController.hpp"
#include "tests/pellavo/VXImageBrowser/VXImageBrowserTestSupport.hpp"

namespace pellavo::testing {
namespace {

using State = ui::GestureRecognizer::State;

TEST(VXImageInfoTest, RectanglesFollowTheModeAndRawValuesMapBack) {
    const struct {
        Mode mode;
        cg::Size image;
        cg::Size container;
        cg::Rect expected;
    } cases[] = {
        {Mode::aspectFill, {100, 100}, {375, 667}, {0, 0, 667, 667}},
        {Mode::aspectFill, {600, 400}, {375, 667}, {0, 0, 1000.5, 667}},
        {Mode::aspectFill, {300, 600}, {375, 667}, {0, 0, 375, 750}},
        {Mode::aspectFit, {600, 400}, {375, 667}, {0, 0, 375, 667}},
        {Mode::aspectFit, {10, 2000}, {375, 667}, {0, 0, 375, 667}},
        // No proportions to fill with.
        {Mode::aspectFill, {0, 0}, {375, 667}, {0, 0, 375, 667}},
    };
    for (const auto& c : cases) {
        const ui::Image image = c.image.width > 0 ? drawnImage(c.image) : ui::Image();
        const VXImageInfo info(image, c.mode);
        const cg::Rect r = info.calculateRect(c.container);
        EXPECT_NEAR(r.origin.x, c.expected.origin.x, 1e-9);
        EXPECT_NEAR(r.origin.y, c.expected.origin.y, 1e-9);
        EXPECT_NEAR(r.size.width, c.expected.size.width, 1e-9) << c.image.width << "x" << c.image.height;
        EXPECT_NEAR(r.size.height, c.expected.size.height, 1e-9) << c.image.width << "x" << c.image.height;
        EXPECT_EQ(static_cast<int>(info.contentMode()), static_cast<int>(c.mode));
    }
    EXPECT_EQ(VXImageInfo::imageModeFromRawValue(1), Mode::aspectFit);
    EXPECT_EQ(VXImageInfo::imageModeFromRawValue(2), Mode::aspectFill);
    EXPECT_EQ(VXImageInfo::imageModeFromRawValue(3), std::nullopt);
    EXPECT_EQ(VXImageInfo::imageModeFromRawValue(0), std::nullopt);
}

class VXImageBrowserTest : public BrowserTest {};

TEST_F(VXImageBrowserTest, MaximumZoomComesFromTheFirstImageAndKeepsItsValueForAnEmptyView) {
    const struct {
        cg::Size image;
        double expected;
    } cases[] = {{{4000, 3000}, 10}, {{100, 100}, 2.0}, {{750, 1334}, 2.0}, {{400, 2400}, 3}};
    for (const auto& c : cases) {
        const auto browser = makeBrowser(Mode::aspectFit, c.image);
        browser->view()->setFrame({0, 0, 400, 800});
        browser->view()->layoutIfNeeded();
        const auto& scroll = Access::scrollView(*browser);
        EXPECT_DOUBLE_EQ(scroll->maximumZoomScale(), c.expected) << c.image.width;
        // A zero-size view leaves the limit as it was.
        browser->view()->setFrame({0, 0, 0, 0});
        browser->view()->layoutIfNeeded();
        EXPECT_DOUBLE_EQ(scroll->maximumZoomScale(), c.expected);
    }
}

TEST_F(VXImageBrowserTest, LoadingBuildsTheBlackScrollingPageAndItsGestures) {
    const auto browser = makeBrowser(Mode::aspectFill, {100, 100});
    const auto view = browser->view();
    view->layoutIfNeeded();
    EXPECT_EQ(view->backgroundColor(), ui::Color::black());
    const auto& scroll = Access::scrollView(*browser);
    const auto& image = Access::imageView(*browser);
    EXPECT_EQ(scroll->superview(), view);
    EXPECT_EQ(image->superview(), scroll);
    EXPECT_EQ(scroll->frame(), view->bounds());
    EXPECT_FALSE(scroll->showsHorizontalScrollIndicator());
    EXPECT_FALSE(scroll->showsVerticalScrollIndicator());
    EXPECT_EQ(scroll->minimumZoomScale(), 1.0);
    EXPECT_EQ(scroll->delegate().get(), static_cast<ui::ScrollViewDelegate*>(browser.get()));
    // Aspect fit in both modes; fill shapes the frame instead.
    EXPECT_EQ(image->contentMode(), ui::View::ContentMode::scaleAspectFit);
    EXPECT_EQ(image->frame(), (cg::Rect{0, 0, 667, 667}));
    EXPECT_EQ(scroll->contentSize(), image->bounds().size);
    EXPECT_EQ(Access::doubleTap(*browser)->numberOfTapsRequired(), 2);
    EXPECT_EQ(Access::singleTap(*browser)->numberOfTapsRequired(), 1);
    for (const auto& r : {std::shared_ptr<ui::GestureRecognizer>(Access::singleTap(*browser)),
                          std::shared_ptr<ui::GestureRecognizer>(Access::doubleTap(*browser)),
                          std::shared_ptr<ui::GestureRecognizer>(Access::pan(*browser))})
        EXPECT_EQ(r->view(), scroll);
    EXPECT_EQ(Access::pan(*browser)->delegate().get(), static_cast<ui::GestureRecognizerDelegate*>(browser.get()));
    EXPECT_EQ(browser->edgesForExtendedLayout(), ui::RectEdge::none);
    EXPECT_FALSE(browser->automaticallyAdjustsScrollViewInsets());
}

TEST_F(VXImageBrowserTest, TheThumbnailDecidesThePresentationAndCanSwipeThePan) {
    const ui::Image image = drawnImage({600, 400});
    // On screen: the browser's own transition, from the thumbnail's window rectangle.
    const auto onScreen = ns::make<Browser>(VXImageInfo(image, Mode::aspectFit),
                                            std::make_shared<VXTransitionInfo>(thumbnail));
    EXPECT_EQ(onScreen->modalPresentationStyle(), ui::ModalPresentationStyle::custom);
    EXPECT_EQ(onScreen->transitioningDelegate().get(),
              static_cast<ui::ViewControllerTransitioningDelegate*>(onScreen.get()));
    EXPECT_EQ(Access::convertedRect(*onScreen->transitionInfo()), (cg::Rect{20, 100, 80, 60}));

    // Not in a view: the standard presentation, but the info still gives the pan.
    const auto loose = ns::make<ui::View>(cg::Rect{0, 0, 10, 10});
    const auto offScreen = ns::make<Browser>(image, ui::View::ContentMode::scaleAspectFill, std::nullopt, loose);
    EXPECT_EQ(offScreen->modalPresentationStyle(), ui::ModalPresentationStyle::fullScreen);
    EXPECT_EQ(offScreen->transitioningDelegate(), nullptr);
    ASSERT_TRUE(offScreen->transitionInfo());
    EXPECT_EQ(Access::convertedRect(*offScreen->transitionInfo()), std::nullopt);
    EXPECT_EQ(offScreen->imageInfo().imageMode, Mode::aspectFill);
    offScreen->view();
    EXPECT_TRUE(Access::pan(*offScreen));

    // canSwipe read at load; no info at all: no pan either. Content mode 4 shows the whole image.
    const auto info = std::make_shared<VXTransitionInfo>(thumbnail);
    info->setCanSwipe(false);
    const auto noSwipe = ns::make<Browser>(VXImageInfo(image, Mode::aspectFit), info);
    noSwipe->view();
    info->setCanSwipe(true);
    EXPECT_FALSE(Access::pan(*noSwipe));
    EXPECT_TRUE(Access::singleTap(*noSwipe));
    const auto plain = ns::make<Browser>(image, ui::View::ContentMode::center, std::nullopt, nullptr);
    EXPECT_EQ(plain->imageInfo().imageMode, Mode::aspectFit);
    EXPECT_EQ(plain->transitionInfo(), nullptr);
    plain->view();
    EXPECT_FALSE(Access::pan(*plain));
}

TEST_F(VXImageBrowserTest, RuntimeKnowsTheClassAndItsActionsButCannotMakeIt) {
    auto& runtime = ns::Runtime::shared();
    const auto browser = makeBrowser();
    EXPECT_TRUE(runtime.isKindOfClass(*browser, "UIViewController"));
    EXPECT_TRUE(runtime.isKindOfClass(*browser, "VXImageBrowserViewController"));
    for (const char* action : {"singleTap", "doubleTap:", "pan:"})
        EXPECT_TRUE(runtime.instancesRespondToSelector("VXImageBrowserViewController", ns::Selector(action))) << action;
    EXPECT_EQ(runtime.create("VXImageBrowserViewController"), nullptr);
}

// ---------------------------------------------------------------- taps

TEST_F(VXImageBrowserTest, SingleTapWaitsForTheDoubleTapThenDismisses) {
    const auto browser = makeBrowser();
    show(browser);
    ASSERT_EQ(root->presentedViewController(), browser);
    driver().tap({187, 333});
    advance(0.29);
    EXPECT_FALSE(browser->isBeingDismissed());
    advance(0.02);
    EXPECT_TRUE(browser->isBeingDismissed());
    advance(0.4);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_TRUE(printedLines().empty());
}

TEST_F(VXImageBrowserTest, DoubleTapZoomsOnTheTapAndBackFromAnyOtherScale) {
    const auto browser = makeBrowser(Mode::aspectFit, {750, 1334});
    show(browser);
    const auto& scroll = Access::scrollView(*browser);
    ASSERT_EQ(scroll->maximumZoomScale(), 2.0);
    // The zoom runs 0.3 s on display-link frames; the last one may come a frame later.
    driver().tap({100, 200}, 2);
    advance(0.34);
    EXPECT_EQ(scroll->zoomScale(), 2.0);
    // The 80-point square about the tap fills the view as far as the limit allows.
    EXPECT_NEAR(scroll->contentOffset().x, 100 * 2 - 187.5, 1e-6);
    EXPECT_NEAR(scroll->contentOffset().y, 200 * 2 - 333.5, 1e-6);
    EXPECT_EQ(Access::imageView(*browser)->bounds().size, (cg::Size{375, 667}));
    EXPECT_EQ(Access::imageView(*browser)->frame(), (cg::Rect{0, 0, 750, 1334}));
    advance(0.5);
    driver().tap({100, 200}, 2);
    advance(0.34);
    EXPECT_EQ(scroll->zoomScale(), 1.0);

    scroll->setZoomScale(1.0001);
    advance(0.5);
    driver().tap({200, 300}, 2);
    advance(0.34);
    EXPECT_EQ(scroll->zoomScale(), 1.0);
    EXPECT_EQ(root->presentedViewController(), browser);
}

TEST_F(VXImageBrowserTest, InsideANavigationControllerOnlyTheSoleControllerDismisses) {
    for (const bool sole : {false, true}) {
        const auto browser = makeBrowser(Mode::aspectFit, {600, 400}, false);
        std::shared_ptr<ui::NavigationController> navigation;
        if (sole) {
            navigation = ns::make<ui::NavigationController>(browser);
        } else {
            navigation = ns::make<ui::NavigationController>(ns::make<ui::ViewController>());
            navigation->pushViewController(browser, false);
        }
        root->present(navigation, false, {});
        advance(0.5);
        ASSERT_EQ(navigation->topViewController(), browser);
        driver().tap({187, 333});
        advance(0.8);
        EXPECT_EQ(root->presentedViewController() == nullptr, sole) << sole;
        if (!sole) root->dismiss(false, {});
        advance(0.1);
    }
}

// ---------------------------------------------------------------- the drag

TEST_F(VXImageBrowserTest, DragGateFollowsZoomModeAndDirection) {
    const struct {
        Mode mode;
        double zoom;
        double offsetX;
        double translationX;
        bool expected;
    } cases[] = {
        {Mode::aspectFit, 1.0, 0, 5, true},      {Mode::aspectFit, 1.0001, 0, 5, false},
        {Mode::aspectFill, 1.0, 0, 5, true},     {Mode::aspectFill, 1.0, 0, -5, false},
        {Mode::aspectFill, 1.0, 10, 5, false},   {Mode::aspectFill, 1.0001, 0, 5, false},
    };
    for (const auto& c : cases) {
        const auto browser = makeBrowser(c.mode, {100, 100});
        show(browser);
        const auto& scroll = Access::scrollView(*browser);
        scroll->setZoomScale(c.zoom);
        scroll->setContentOffset({c.offsetX, 0});
        const auto& pan = Access::pan(*browser);
        pan->setTranslation({c.translationX, 0}, browser->view());
        EXPECT_EQ(browser->gestureRecognizerShouldBegin(*pan), c.expected)
            << static_cast<int>(c.mode) << " zoom " << c.zoom << " offset " << c.offsetX << " dx " << c.translationX;
        // Anything but a pan may begin.
        EXPECT_TRUE(browser->gestureRecognizerShouldBegin(*Access::singleTap(*browser)));
        root->dismiss(false, {});
        advance(0.1);
    }
}

TEST_F(VXImageBrowserTest, DragFadesTheBackgroundAndRestoresUpToAQuarter) {
    const auto browser = makeBrowser();
    show(browser);
    const auto& scroll = Access::scrollView(*browser);
    auto& pan = *Access::pan(*browser);
    const cg::Point centre = scroll->center();
    driver().driveGesture(pan, State::began, {});
    driver().driveGesture(pan, State::changed, moved(93.75, 0));
    EXPECT_DOUBLE_EQ(Access::panViewAlpha(*browser), 0.75);
    EXPECT_EQ(browser->view()->backgroundColor(), ui::Color(0, 0.75));
    EXPECT_EQ(scroll->center(), (cg::Point{centre.x + 93.75, centre.y}));
    EXPECT_EQ(Access::panViewOrigin(*browser), centre);
    // Exactly a quarter is not past it.
    driver().driveGesture(pan, State::ended, {});
    advance(0.31);
    EXPECT_EQ(scroll->center(), centre);
    EXPECT_EQ(Access::panViewAlpha(*browser), 1.0);
    EXPECT_EQ(Access::panViewOrigin(*browser), std::nullopt);
    EXPECT_EQ(browser->view()->backgroundColor(), ui::Color(0, 1));

    // Cancelled halfway: restored too. A changed without began records its own origin.
    driver().driveGesture(pan, State::changed, moved(0, 333.5));
    EXPECT_EQ(Access::panViewOrigin(*browser), centre);
    EXPECT_DOUBLE_EQ(Access::panViewAlpha(*browser), 0.5);
    driver().driveGesture(pan, State::cancelled, {});
    advance(0.31);
    EXPECT_EQ(scroll->center(), centre);
    EXPECT_EQ(root->presentedViewController(), browser);

    // Past a quarter: dismissed.
    driver().driveGesture(pan, State::began, {});
    driver().driveGesture(pan, State::changed, moved(97.5, 0));
    driver().driveGesture(pan, State::ended, {});
    EXPECT_TRUE(browser->isBeingDismissed());
    advance(0.4);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(VXImageBrowserTest, ARestoreThatEndsAfterANewDragBeganLeavesItsOrigin) {
    const auto browser = makeBrowser();
    show(browser);
    auto& pan = *Access::pan(*browser);
    const cg::Point centre = Access::scrollView(*browser)->center();
    driver().driveGesture(pan, State::began, {});
    driver().driveGesture(pan, State::changed, moved(30, 0));
    driver().driveGesture(pan, State::ended, {});
    advance(0.1);
    driver().driveGesture(pan, State::began, {});
    driver().driveGesture(pan, State::changed, moved(10, 0));
    advance(0.25);
    EXPECT_TRUE(Access::panViewOrigin(*browser).has_value());
    EXPECT_LT(Access::panViewAlpha(*browser), 1.0);
    // The newer drag restores on its own.
    driver().driveGesture(pan, State::cancelled, {});
    advance(0.31);
    EXPECT_EQ(Access::scrollView(*browser)->center(), centre);
    EXPECT_EQ(Access::panViewAlpha(*browser), 1.0);
}

TEST_F(VXImageBrowserTest, RealDragsDismissAFitImageAndScrollAFilledOne) {
    const auto fit = makeBrowser();
    show(fit);
    driver().drag({187, 333}, {307, 333});
    EXPECT_TRUE(fit->isBeingDismissed());
    advance(0.5);
    EXPECT_EQ(root->presentedViewController(), nullptr);

    const auto fill = makeBrowser(Mode::aspectFill, {100, 100});
    show(fill);
    driver().drag({300, 333}, {150, 333});
    advance(1);
    EXPECT_GT(Access::scrollView(*fill)->contentOffset().x, 0);
    EXPECT_EQ(root->presentedViewController(), fill);
    EXPECT_EQ(Access::panViewOrigin(*fill), std::nullopt);
}

// ---------------------------------------------------------------- faults

TEST_F(VXImageBrowserTest, LayoutWhileZoomedResetsOnlyForANewSize) {
    const auto browser = makeBrowser(Mode::aspectFit, {750, 1334});
    show(browser);
    const auto& scroll = Access::scrollView(*browser);
    const auto& image = Access::imageView(*browser);
    scroll->setZoomScale(2);
    const cg::Size zoomed = scroll->contentSize();
    browser->view()->setNeedsLayout();
    browser->view()->layoutIfNeeded();
    EXPECT_EQ(scroll->zoomScale(), 2);
    EXPECT_EQ(scroll->contentSize(), zoomed);

    driver().rotate(ui::InterfaceOrientation::landscapeLeft);
    advance(0.5);
    EXPECT_EQ(scroll->zoomScale(), 1);
    EXPECT_EQ(scroll->contentSize(), image->frame().size);
    EXPECT_EQ(scroll->frame(), browser->view()->bounds());
    EXPECT_EQ(browser->view()->bounds().size, (cg::Size{667, 375}));
}

TEST_F(VXImageBrowserTest, ClearedTransitionInfoFallsBackToTheSlide) {
    const auto browser = makeBrowser();
    show(browser);
    browser->setTransitionInfo(nullptr);
    EXPECT_EQ(browser->animationControllerForDismissed(browser), nullptr);
    driver().tap({187, 333});
    advance(0.31 + 0.175);
    // The standard slide moves the browser's own view down.
    EXPECT_GT(shownFrame(*browser->view()).origin.y, 100);
    advance(0.3);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(VXImageBrowserTest, ADismissedBrowserWithoutDownloadIsFreed) {
    std::weak_ptr<Browser> weak;
    {
        const auto browser = makeBrowser();
        weak = browser;
        show(browser);
        driver().tap({187, 333});
    }
    advance(1);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_TRUE(weak.expired());
}

} // namespace
} // namespace pellavo::testing
