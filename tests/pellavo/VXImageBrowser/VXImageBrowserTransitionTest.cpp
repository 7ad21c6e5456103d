#include <gtest/gtest.h>

#include <memory>

#include "pellavo/VXImageBrowser/VXImageBrowserTransition.hpp"
#include "platform/ca/Renderer.hpp"
#include "platform/ns/Clock.hpp"
#include "tests/pellavo/VXImageBrowser/VXImageBrowserTestSupport.hpp"
#include "tests/support/Golden.hpp"

namespace pellavo::testing {
namespace {

using State = ui::GestureRecognizer::State;

cg::Rect midpoint(const cg::Rect& a, const cg::Rect& b) {
    return {(a.origin.x + b.origin.x) / 2, (a.origin.y + b.origin.y) / 2, (a.size.width + b.size.width) / 2,
            (a.size.height + b.size.height) / 2};
}

void expectNear(const cg::Rect& actual, const cg::Rect& expected) {
    EXPECT_NEAR(actual.origin.x, expected.origin.x, 1e-6);
    EXPECT_NEAR(actual.origin.y, expected.origin.y, 1e-6);
    EXPECT_NEAR(actual.size.width, expected.size.width, 1e-6);
    EXPECT_NEAR(actual.size.height, expected.size.height, 1e-6);
}

class VXImageBrowserTransitionTest : public BrowserTest {
protected:
    // The snapshot of a running transition: the container's image view.
    std::shared_ptr<ui::ImageView> snapshot() {
        const auto box = container();
        if (!box) return nullptr;
        for (const auto& view : box->subviews())
            if (auto image = std::dynamic_pointer_cast<ui::ImageView>(view)) return image;
        return nullptr;
    }
    std::shared_ptr<ui::View> background() {
        const auto box = container();
        return box && !box->subviews().empty() ? box->subviews().front() : nullptr;
    }
    const cg::Image& renderWindow() {
        renderer_ = std::make_unique<ca::Renderer>(cg::Size{375, 667}, 1);
        return renderer_->render(*window()->layer(),
                                 ca::RenderMode::presentation(static_cast<double>(now()) / 1e9));
    }

private:
    std::unique_ptr<ca::Renderer> renderer_;
};

TEST_F(VXImageBrowserTransitionTest, PresentFliesTheImageFromTheThumbnailOverAFadingBackground) {
    const auto browser = makeBrowser();
    root->present(browser, true, {});
    advance(0.175);
    const auto box = container();
    ASSERT_TRUE(box);
    ASSERT_EQ(box->subviews().size(), 2u);
    const auto bg = background();
    const auto snap = snapshot();
    ASSERT_TRUE(snap);
    EXPECT_EQ(box->subviews()[1], snap);
    EXPECT_EQ(browser->view()->superview(), nullptr);
    EXPECT_EQ(bg->backgroundColor(), ui::Color::black());
    EXPECT_NEAR(shownAlpha(*bg), 0.5, 1e-6);
    const cg::Rect target = Access::imageView(*browser)->frame();
    EXPECT_EQ(target, (cg::Rect{0, 0, 375, 667}));
    expectNear(shownFrame(*snap), midpoint({20, 100, 80, 60}, target));
    EXPECT_EQ(snap->layer()->cornerRadius(), 8);
    EXPECT_TRUE(snap->layer()->masksToBounds());
    EXPECT_EQ(snap->contentMode(), ui::View::ContentMode::scaleAspectFit);
    EXPECT_EQ(snap->image(), browser->imageInfo().image);

    advance(0.185);
    EXPECT_EQ(root->presentedViewController(), browser);
    ASSERT_EQ(box->subviews().size(), 1u);
    EXPECT_EQ(box->subviews()[0], browser->view());
}

TEST_F(VXImageBrowserTransitionTest, DurationAndFillModeShapeTheFlight) {
    const auto browser = makeBrowser(Mode::aspectFill, {100, 100});
    browser->transitionInfo()->setDuration(0.6);
    const auto animator = ns::make<VXImageBrowserTransition>(browser->imageInfo(), browser->transitionInfo(),
                                                             VXImageBrowserTransition::TransitionMode::present);
    EXPECT_EQ(animator->transitionDuration(nullptr), 0.6);
    root->present(browser, true, {});
    advance(0.3);
    const auto snap = snapshot();
    ASSERT_TRUE(snap);
    EXPECT_EQ(snap->contentMode(), ui::View::ContentMode::scaleAspectFill);
    // The flight ends on the filled frame, beyond the screen.
    EXPECT_EQ(snap->frame(), (cg::Rect{0, 0, 667, 667}));
    expectNear(shownFrame(*snap), midpoint({20, 100, 80, 60}, {0, 0, 667, 667}));
    advance(0.29);
    EXPECT_TRUE(browser->isBeingPresented());
    advance(0.02);
    EXPECT_FALSE(browser->isBeingPresented());
    EXPECT_EQ(browser->view()->superview(), container());
}

TEST_F(VXImageBrowserTransitionTest, DismissAfterADragStartsWhereTheDragLeftOff) {
    const auto browser = makeBrowser();
    show(browser);
    auto& pan = *Access::pan(*browser);
    driver().driveGesture(pan, State::began, {});
    driver().driveGesture(pan, State::changed, moved(112.5, 0));
    driver().driveGesture(pan, State::ended, {});
    EXPECT_EQ(browser->view()->superview(), nullptr);
    const auto snap = snapshot();
    ASSERT_TRUE(snap);
    EXPECT_NEAR(shownAlpha(*background()), 0.7, 1e-6);
    expectNear(shownFrame(*snap), {112.5, 0, 375, 667});
    EXPECT_EQ(snap->frame(), (cg::Rect{20, 100, 80, 60}));
    advance(0.36);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(VXImageBrowserTransitionTest, DismissEndsOnTheRecordedRectangleFromTheUnzoomedFrame) {
    const auto browser = makeBrowser(Mode::aspectFit, {750, 1334});
    show(browser);
    thumbnail->setFrame({200, 400, 40, 40});
    Access::scrollView(*browser)->setZoomScale(2);
    driver().tap({187, 333});
    // The single tap acts 0.3 s after the lift: the flight starts then.
    advance(0.3);
    ASSERT_TRUE(browser->isBeingDismissed());
    const auto snap = snapshot();
    ASSERT_TRUE(snap);
    EXPECT_EQ(snap->frame(), (cg::Rect{20, 100, 80, 60}));
    expectNear(shownFrame(*snap), {0, 0, 375, 667});
    advance(0.4);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(container(), nullptr);
}

TEST_F(VXImageBrowserTransitionTest, FreedThumbnailGivesSquareCornersAndAForeignControllerIsShownAtOnce) {
    const auto browser = makeBrowser();
    thumbnail->removeFromSuperview();
    thumbnail.reset();
    root->present(browser, true, {});
    advance(0.1);
    ASSERT_TRUE(snapshot());
    EXPECT_EQ(snapshot()->layer()->cornerRadius(), 0);
    advance(0.3);
    EXPECT_EQ(root->presentedViewController(), browser);

    // An animator handed a controller that is not a browser shows it and finishes.
    struct Delegate : ui::ViewControllerTransitioningDelegate {
        std::shared_ptr<ui::ViewControllerAnimatedTransitioning> animationControllerForPresented(
            const std::shared_ptr<ui::ViewController>&, const std::shared_ptr<ui::ViewController>&,
            const std::shared_ptr<ui::ViewController>&) override {
            return ns::make<VXImageBrowserTransition>(VXImageInfo(drawnImage({10, 10}), Mode::aspectFit), nullptr,
                                                      VXImageBrowserTransition::TransitionMode::present);
        }
    };
    root->dismiss(false, {});
    advance(0.1);
    const auto delegate = std::make_shared<Delegate>();
    const auto other = ns::make<ui::ViewController>();
    other->setModalPresentationStyle(ui::ModalPresentationStyle::custom);
    other->setTransitioningDelegate(delegate);
    root->present(other, true, {});
    EXPECT_EQ(root->presentedViewController(), other);
    EXPECT_FALSE(other->isBeingPresented());
    EXPECT_EQ(other->view()->superview(), container());
}

TEST_F(VXImageBrowserTransitionTest, PicturesMidPresentAndMidDrag) {
    const auto browser = ns::make<Browser>(VXImageInfo(drawnImage({600, 400}, 1), Mode::aspectFit),
                                           std::make_shared<VXTransitionInfo>(thumbnail));
    root->view()->setBackgroundColor(ui::Color::white());
    thumbnail->setImage(browser->imageInfo().image);
    thumbnail->setContentMode(ui::View::ContentMode::scaleAspectFill);
    root->present(browser, true, {});
    advance(0.175);
    expectMatchesGolden(renderWindow(), "pellavo_image_browser_transition");

    advance(0.2);
    auto& pan = *Access::pan(*browser);
    driver().driveGesture(pan, State::began, {});
    driver().driveGesture(pan, State::changed, moved(112.5, 0));
    expectMatchesGolden(renderWindow(), "pellavo_image_browser_drag");
}

} // namespace
} // namespace pellavo::testing
