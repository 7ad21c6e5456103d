#include "pellavo/VXHub.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "pellavo/Pellavo.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ca/Renderer.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ns/RunLoop.hpp"
#include "platform/ns/Timer.hpp"
#include "platform/ui/control/ActivityIndicatorView.hpp"
#include "platform/ui/control/Button.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/view/Window.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/ExpectNear.hpp"
#include "tests/support/Golden.hpp"

namespace pellavo {

// Reads the shared hub's private parts and puts it back to rest: the hub outlives every
// test's application and run loop.
struct VXHubTestAccess {
    static VXHub& hub() { return *VXHub::shared(); }
    static bool isShowing() { return hub().isShowing_; }
    static std::shared_ptr<ns::Timer> timer() { return hub().dismissTimer_; }
    static std::shared_ptr<ui::View> overlay() { return hub().overlayView(); }
    static std::shared_ptr<ui::View> container() { return hub().containerView(); }
    static std::shared_ptr<ui::ActivityIndicatorView> indicator() { return hub().activityIndicator(); }
    static std::uint64_t generation() { return hub().generation_; }
    static void reset() {
        auto& h = hub();
        h.invalidateDismissTimer();
        h.dismissTimer_.reset();
        h.overlayView()->removeFromSuperview();
        h.containerView()->removeFromSuperview();
        ++h.generation_;
        h.isShowing_ = false;
        h.indicatorTimeount_ = 60;
    }
};

namespace {

using Access = VXHubTestAccess;

struct TapCounter : ns::Object {
    int taps = 0;
    void tapped() { ++taps; }
};

class VXHubTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        Access::reset();
    }
    void TearDown() override {
        Access::reset();
        AppTest::TearDown();
    }

    bool overlayShown() { return Access::overlay()->superview() == window(); }
    bool containerShown() { return Access::container()->superview() == window(); }
    bool flag() { return app().isNetworkActivityIndicatorVisible(); }
    // A hide whose completion counts its calls.
    void hideCounting() {
        VXHub::hide([this] { ++completions; });
    }
    // The hub shown and settled.
    void showSettled() {
        VXHub::show();
        runUntilIdle();
        advance(1);
    }
    // The only time-out pending is the hub's own.
    void expectOneTimerDue(double inSeconds) {
        const auto timer = Access::timer();
        ASSERT_TRUE(timer && timer->isValid());
        EXPECT_NEAR(static_cast<double>(timer->fireDate() - now()) / 1e9, inSeconds, 1e-6);
        EXPECT_EQ(ns::RunLoop::main().nextDueTime(), timer->fireDate());
    }

    int completions = 0;
};

TEST_F(VXHubTest, CentredSquareOverAFullScreenTouchCatcher) {
    auto counter = std::make_shared<TapCounter>();
    auto button = ns::make<ui::Button>(cg::Rect{20, 580, 120, 44});
    button->addTarget(counter, &TapCounter::tapped, ui::Control::Event::touchUpInside);
    window()->addSubview(button);
    driver().tap({80, 602});
    ASSERT_EQ(counter->taps, 1);

    VXHub::show();
    EXPECT_FALSE(flag()) << "nothing runs inline";
    runUntilIdle();
    const auto overlay = Access::overlay();
    const auto container = Access::container();
    const auto indicator = Access::indicator();
    EXPECT_TRUE(flag());
    EXPECT_TRUE(Access::isShowing());
    ASSERT_TRUE(overlayShown());
    ASSERT_TRUE(containerShown());
    testing::expectNear(overlay->frame(), {0, 0, 375, 667});
    testing::expectNear(container->frame(), {157.5, 303.5, 60, 60});
    testing::expectNear(container->center(), {187.5, 333.5});
    const auto& stack = window()->subviews();
    EXPECT_EQ(stack.back(), container);
    EXPECT_EQ(stack[stack.size() - 2], overlay);
    EXPECT_EQ(container->alpha(), 1);

    ASSERT_EQ(indicator->superview(), container);
    testing::expectNear(indicator->center(), {30, 30});
    testing::expectNear(indicator->bounds(), {0, 0, 20, 20});
    EXPECT_TRUE(indicator->isAnimating());
    EXPECT_FALSE(Access::timer()) << "the time-out starts once the spinner has popped in";
    advance(0.05);
    EXPECT_TRUE(indicator->transform().isIdentity());
    EXPECT_EQ(indicator->alpha(), 1);
    expectOneTimerDue(60);

    for (int i = 0; i < 9; ++i) {
        for (int j = 0; j < 9; ++j) {
            const cg::Point p{375 * (i + 0.5) / 9, 667 * (j + 0.5) / 9};
            const auto hit = window()->hitTest(p, nullptr);
            EXPECT_TRUE(hit == overlay || hit == container || (hit && hit->isDescendant(container.get())))
                << p.x << ", " << p.y;
        }
    }
    driver().tap({80, 602});
    EXPECT_EQ(counter->taps, 1);
}

TEST_F(VXHubTest, HidesItselfAfterTheTimeout) {
    VXHub::show();
    runUntilIdle();
    advance(10);
    const auto timer = Access::timer();
    const std::int64_t due = timer->fireDate();
    VXHub::show();  // shown: nothing, the time-out keeps its date
    runUntilIdle();
    EXPECT_EQ(Access::timer(), timer);
    EXPECT_EQ(timer->fireDate(), due);
    advance(50.04);
    EXPECT_TRUE(overlayShown());
    EXPECT_TRUE(flag());
    advance(0.16);
    EXPECT_FALSE(overlayShown());
    EXPECT_FALSE(containerShown());
    EXPECT_FALSE(flag());

    Access::hub().setIndicatorTimeount(5);
    VXHub::show();
    runUntilIdle();
    advance(5.1);
    EXPECT_TRUE(overlayShown());
    advance(0.1);
    EXPECT_FALSE(overlayShown());
}

TEST_F(VXHubTest, AStaleTimeoutOnlyTurnsTheFlagOff) {
    showSettled();
    hideCounting();
    runUntilIdle();
    advance(29);
    const std::uint64_t generation = Access::generation();
    app().setIsNetworkActivityIndicatorVisible(true);
    advance(30.1);
    EXPECT_FALSE(flag());
    EXPECT_EQ(Access::generation(), generation);
    EXPECT_FALSE(overlayShown());
    EXPECT_EQ(completions, 1);
}

TEST_F(VXHubTest, HideCompletesOnceAfterBothViewsLeave) {
    showSettled();
    hideCounting();
    runUntilIdle();
    EXPECT_FALSE(Access::isShowing());
    EXPECT_FALSE(flag());
    advance(0.09);
    EXPECT_EQ(completions, 0);
    EXPECT_TRUE(overlayShown());
    advance(0.02);
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(overlayShown());
    EXPECT_FALSE(containerShown());

    // Hidden already, and with an empty completion: the flag goes off, nothing is called.
    app().setIsNetworkActivityIndicatorVisible(true);
    hideCounting();
    VXHub::hide({});
    advance(1);
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(flag());
}

TEST_F(VXHubTest, WithoutAKeyWindowOnlyTheFlagChanges) {
    window()->setIsHidden(true);
    VXHub::show();
    advance(1);
    EXPECT_TRUE(flag());
    EXPECT_FALSE(Access::isShowing());
    EXPECT_FALSE(Access::overlay()->superview());
    EXPECT_FALSE(Access::timer());
    hideCounting();
    advance(1);
    EXPECT_FALSE(flag());
    EXPECT_EQ(completions, 0);
}

TEST_F(VXHubTest, AShowOvertakingAHideKeepsItsViews) {
    // Into the spinner's shrinking, into the square's fading, and just before the first
    // show's time-out (due at 60.05 s), which must not cut the second one short.
    const struct {
        double hideAt, delay;
    } rows[] = {{1, 0.02}, {1, 0.07}, {60, 0.03}};
    for (const auto [hideAt, delay] : rows) {
        Access::reset();
        completions = 0;
        VXHub::show();
        runUntilIdle();
        advance(hideAt);
        const auto oldTimer = Access::timer();
        hideCounting();
        runUntilIdle();
        advance(delay);
        VXHub::show();
        runUntilIdle();
        advance(1);
        EXPECT_TRUE(overlayShown()) << delay;
        EXPECT_TRUE(containerShown()) << delay;
        EXPECT_EQ(Access::container()->alpha(), 1) << delay;
        EXPECT_EQ(Access::indicator()->alpha(), 1) << delay;
        EXPECT_TRUE(Access::isShowing()) << delay;
        EXPECT_TRUE(flag()) << delay;
        EXPECT_EQ(completions, 1) << delay;
        EXPECT_FALSE(oldTimer->isValid()) << delay;
        expectOneTimerDue(59.05);
    }
}

TEST_F(VXHubTest, AHideOvertakingThePopInLeavesNoTimeout) {
    // Queued in the same turn, and while the spinner grows.
    for (const double delay : {0.0, 0.02}) {
        VXHub::show();
        if (delay > 0) {
            runUntilIdle();
            advance(delay);
        }
        VXHub::hide();
        runUntilIdle();
        advance(1);
        EXPECT_FALSE(Access::timer()) << delay;
        EXPECT_FALSE(overlayShown()) << delay;
        EXPECT_FALSE(containerShown()) << delay;
        EXPECT_EQ(ns::RunLoop::main().nextDueTime(), INT64_MAX) << delay;
    }
}

TEST_F(VXHubTest, TwoQueuedShowsGiveOneSpinnerAndOneTimeout) {
    // Two bodies: one spinner, one time-out.
    VXHub::show();
    VXHub::show();
    runUntilIdle();
    advance(1);
    EXPECT_EQ(Access::container()->subviews().size(), 1u);
    expectOneTimerDue(59.05);
}

TEST_F(VXHubTest, CalledFromOtherThreads) {
    std::thread([] { VXHub::show(); }).join();
    runUntilIdle();
    EXPECT_TRUE(overlayShown());

    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 50; ++i) {
                if ((i + t) % 2 == 0)
                    VXHub::show();
                else
                    VXHub::hide();
            }
        });
    }
    for (auto& thread : threads) thread.join();
    settle();
    advance(1);
    EXPECT_EQ(Access::isShowing(), overlayShown());
    EXPECT_EQ(Access::isShowing(), containerShown());
}

TEST_F(VXHubTest, KnownToTheRuntimeByName) {
    auto made = ns::Runtime::shared().create("VXHub");
    ASSERT_TRUE(std::dynamic_pointer_cast<VXHub>(made));
    EXPECT_NE(made.get(), &Access::hub());
    EXPECT_EQ(ns::Runtime::shared().superclassName("VXHub"), "NSObject");
    EXPECT_EQ(VXHub::shared(), VXHub::shared());
}

TEST_F(VXHubTest, OverAHostView) {
    window()->setBackgroundColor(ui::Color(0.93, 0.95, 1, 1));
    auto label = ns::make<ui::Label>(cg::Rect{24, 120, 327, 40});
    label->setText(ns::String("Syncing your library"));
    label->setFont(ui::Font::systemFont(24, ui::Font::Weight::semibold));
    window()->addSubview(label);
    auto stripe = ns::make<ui::View>(cg::Rect{0, 300, 375, 67});
    stripe->setBackgroundColor(ui::Color(1, 0.75, 0.2, 1));
    window()->addSubview(stripe);
    VXHub::show();
    runUntilIdle();
    advance(0.3);
    ca::Renderer renderer;
    testing::expectMatchesGolden(
        renderer.render(*window()->layer(), ca::RenderMode::presentation(static_cast<double>(now()) / 1e9)),
        "pellavo_hub");
}

} // namespace
} // namespace pellavo
