#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "platform/ca/BasicAnimation.hpp"
#include "platform/ca/Renderer.hpp"
#include "platform/ca/Transaction.hpp"
#include "platform/ca/CurrentMediaTime.hpp"
#include "platform/ui/view/View.hpp"
#include "platform/ui/view/Window.hpp"
#include "tests/support/AppTest.hpp"

namespace pellavo::ui {
namespace {

using Options = ViewAnimationOptions;

class ViewAnimationTest : public pellavo::testing::AppTest {
protected:
    std::shared_ptr<View> makeView(cg::Rect frame = {0, 0, 100, 100}, bool inWindow = true) {
        auto view = ns::make<View>(frame);
        if (inWindow) window()->addSubview(view);
        return view;
    }
    static cg::Point shownCenter(const View& v) { return v.layer()->presentation()->position(); }
    static double shownAlpha(const View& v) { return v.layer()->presentation()->opacity(); }

    // Records each completion as (nanoseconds since the test's start, finished).
    std::function<void(bool)> recorder() {
        return [this](bool finished) { calls.emplace_back(now() - start_, finished); };
    }
    static std::int64_t ms(double milliseconds) { return std::llround(milliseconds * 1e6); }

    std::vector<std::pair<std::int64_t, bool>> calls;
    std::int64_t start_ = ns::ManualClock::defaultStart;
};

TEST_F(ViewAnimationTest, ModelChangesAtOnceAndEachCurveShapesThePresentation) {
    auto a = makeView(), b = makeView(), c = makeView();
    View::animate(1, [&] {
        a->setCenter({150, 50});
        a->setAlpha(0);
    });
    View::animate(1, 0, Options::curveLinear, [&] { b->setCenter({150, 50}); });
    View::animate(1, 0.5, Options::curveEaseInOut, [&] { c->setCenter({150, 50}); });
    EXPECT_EQ(a->center(), (cg::Point{150, 50}));
    EXPECT_EQ(a->alpha(), 0);
    EXPECT_EQ(shownCenter(*a), (cg::Point{50, 50}));

    advance(0.25);
    EXPECT_LT(shownCenter(*a).x, 75); // ease-in: behind the linear one
    EXPECT_NEAR(shownCenter(*b).x, 75, 1e-9);
    EXPECT_EQ(shownCenter(*c).x, 50); // the delay holds the old value
    advance(0.25);
    EXPECT_NEAR(shownCenter(*a).x, 100, 1e-9);
    EXPECT_NEAR(shownAlpha(*a), 0.5, 1e-6);
    EXPECT_EQ(shownCenter(*c).x, 50);
    advance(0.5);
    EXPECT_EQ(shownCenter(*a).x, 150);
    EXPECT_NEAR(shownCenter(*c).x, 100, 1e-9); // half-way through its own second
    advance(0.5);
    EXPECT_EQ(shownCenter(*c).x, 150);
    EXPECT_TRUE(c->layer()->animationKeys().empty());
}

TEST_F(ViewAnimationTest, CompletionTimesAndFlags) {
    auto view = makeView();
    auto outside = makeView({0, 0, 10, 10}, false);
    View::animate(0.5, [] {}, recorder());                                     // nothing changes
    View::animate(0.7, [&] { outside->setAlpha(0.5); }, recorder());           // in no window
    View::animate(0, [&] { view->setAlpha(0.9); }, recorder());                // next turn
    View::animate(-1, 0.3, Options{}, nullptr, recorder());                    // ditto, delay ignored
    View::animate(std::nan(""), [] {}, recorder());                            // ditto
    View::animate(0.4, 0.2, Options{}, [&] { view->setCenter({1, 1}); }, recorder());
    EXPECT_EQ(view->alpha(), 0.9);
    EXPECT_TRUE(calls.empty());
    runUntilIdle(); // the next turn
    EXPECT_EQ(calls.size(), 3u);
    advance(1);
    EXPECT_EQ(calls, (std::vector<std::pair<std::int64_t, bool>>{
                         {0, true}, {0, true}, {0, true}, {ms(500), true}, {ms(600), true}, {ms(700), true}}));
}

TEST_F(ViewAnimationTest, RemovalEndsAtOnceWithFalseWhileReplacementAndDirectSetsKeepTheirTime) {
    auto removed = makeView(), destroyed = makeView(), replaced = makeView(), set = makeView();
    View::animate(1, [&] { removed->setCenter({0, 0}); }, recorder());
    View::animate(1, [&] { destroyed->setAlpha(0.5); }, recorder());
    View::animate(1, [&] { replaced->setCenter({0, 0}); }, recorder());
    View::animate(1, [&] { set->setCenter({0, 0}); }, recorder());
    advance(0.25);
    removed->layer()->removeAllAnimations();
    runUntilIdle();
    advance(0.25);
    destroyed->removeFromSuperview();
    destroyed.reset();
    runUntilIdle();
    auto other = ns::make<ca::BasicAnimation>();
    other->setKeyPath("position");
    replaced->layer()->addAnimation(other, "position");
    set->setCenter({9, 9});
    advance(1);
    EXPECT_EQ(calls, (std::vector<std::pair<std::int64_t, bool>>{
                         {ms(250), false}, {ms(500), false}, {ms(1000), true}, {ms(1000), true}}));
}

TEST_F(ViewAnimationTest, AdditiveOffsetsStackAndSurviveDirectSets) {
    auto view = makeView({0, 0, 100, 100}); // centre (50, 50)
    View::animate(1, 0, Options::curveLinear, [&] { view->setCenter({150, 50}); }, recorder());
    advance(0.5);
    EXPECT_NEAR(shownCenter(*view).x, 100, 1e-9);
    // A second animation stacks its own offset: no jump at its start.
    View::animate(1, 0, Options::curveLinear, [&] { view->setCenter({150, 250}); }, recorder());
    EXPECT_NEAR(shownCenter(*view).x, 100, 1e-9);
    EXPECT_NEAR(shownCenter(*view).y, 50, 1e-9);
    EXPECT_EQ(view->layer()->animationKeys(), (std::vector<std::string>{"position", "position-2"}));
    advance(0.25);
    // First offset −100 × 0.25, second −200 × 0.75.
    EXPECT_NEAR(shownCenter(*view).x, 125, 1e-9);
    EXPECT_NEAR(shownCenter(*view).y, 100, 1e-9);
    // A direct set moves the model at once and the picture by the same amount only.
    view->setCenter({160, 250});
    EXPECT_NEAR(shownCenter(*view).x, 135, 1e-9);
    advance(0.75);
    EXPECT_EQ(shownCenter(*view), (cg::Point{160, 250}));
    EXPECT_EQ(calls, (std::vector<std::pair<std::int64_t, bool>>{{ms(1000), true}, {ms(1500), true}}));
}

TEST_F(ViewAnimationTest, NonAdditivePropertiesStartFromWhatIsShown) {
    auto view = makeView();
    View::animate(1, 0, Options::curveLinear, [&] {
        view->setAlpha(0);
        view->setBackgroundColor(Color::blue());
    }, recorder());
    advance(0.5);
    View::animate(1, 0, Options::curveLinear, [&] { view->setAlpha(1); }, recorder());
    EXPECT_NEAR(shownAlpha(*view), 0.5, 1e-6);
    advance(0.5);
    EXPECT_NEAR(shownAlpha(*view), 0.75, 1e-6);
    EXPECT_EQ(view->layer()->presentation()->backgroundColor(), cg::Color(0, 0, 1, 1));
    advance(0.5);
    EXPECT_EQ(shownAlpha(*view), 1);
    // The interrupted animation still reports true at its own time.
    EXPECT_EQ(calls, (std::vector<std::pair<std::int64_t, bool>>{{ms(1000), true}, {ms(1500), true}}));
}

TEST_F(ViewAnimationTest, LayoutAndAutoresizingInsideTheBlockAnimate) {
    auto parent = makeView({0, 0, 100, 100});
    auto child = ns::make<View>(cg::Rect{0, 0, 100, 20});
    child->setAutoresizingMask(View::AutoresizingMask::flexibleWidth);
    parent->addSubview(child);
    View::animate(1, 0, Options::curveLinear, [&] { parent->setBounds({0, 0, 200, 100}); });
    EXPECT_EQ(child->bounds().size.width, 200);
    advance(0.5);
    EXPECT_NEAR(child->layer()->presentation()->bounds().size.width, 150, 1e-9);
    EXPECT_NEAR(child->layer()->presentation()->position().x, 75, 1e-9);
}

TEST_F(ViewAnimationTest, BlocksIgnoreTheSurroundingTransactionWhileStandaloneLayersFollowIt) {
    auto view = makeView();
    auto sublayer = ns::make<ca::Layer>();
    view->layer()->addSublayer(sublayer);
    runUntilIdle(); // committed
    ca::Transaction::begin();
    ca::Transaction::setDisableActions(true);
    View::animate(1, [&] {
        view->setAlpha(0);
        sublayer->setOpacity(0);
    });
    ca::Transaction::commit();
    EXPECT_EQ(view->layer()->animationKeys(), (std::vector<std::string>{"opacity"}));
    EXPECT_TRUE(sublayer->animationKeys().empty());
    // Outside a block a view's layer has no action at all.
    view->setCenter({7, 7});
    EXPECT_EQ(view->layer()->animationKeys(), (std::vector<std::string>{"opacity"}));
}

TEST_F(ViewAnimationTest, ChainedCompletionsStartExactlyAtThePreviousEnd) {
    auto view = makeView();
    std::vector<std::int64_t> starts;
    std::function<void()> step = [&] {
        starts.push_back(now() - start_);
        if (starts.size() < 4)
            View::animate(0.3, [&] { view->setCenter({view->center().x + 10, 0}); },
                          [&](bool) { step(); });
    };
    step();
    advance(2);
    EXPECT_EQ(starts, (std::vector<std::int64_t>{0, ms(300), ms(600), ms(900)}));
    EXPECT_EQ(shownCenter(*view).x, 80);
}

TEST_F(ViewAnimationTest, SpringOvershootsAndSettlesExactlyAtTheEnd) {
    auto view = makeView({0, 0, 100, 100});
    View::animate(0.6, 0, 0.7, 3, Options{}, [&] { view->setCenter({150, 50}); }, recorder());
    EXPECT_EQ(shownCenter(*view).x, 50);
    double highest = 0;
    for (int i = 0; i < 59; ++i) {
        advance(0.01);
        highest = std::max(highest, shownCenter(*view).x);
    }
    EXPECT_GT(highest, 150);
    advance(0.01);
    EXPECT_EQ(shownCenter(*view).x, 150);
    EXPECT_EQ(calls, (std::vector<std::pair<std::int64_t, bool>>{{ms(600), true}}));
}

TEST_F(ViewAnimationTest, AnimatingViewsAreSkippedByHitTestingUnlessInteractionIsAllowed) {
    auto blocked = makeView({0, 0, 100, 100});
    auto allowed = makeView({200, 0, 100, 100});
    View::animate(0.5, 0.5, Options{}, [&] { blocked->setAlpha(0.5); });
    View::animate(1, 0, Options::allowUserInteraction, [&] { allowed->setAlpha(0.5); });
    EXPECT_EQ(window()->hitTest({50, 50}, nullptr), window()); // during the delay too
    EXPECT_EQ(window()->hitTest({250, 50}, nullptr), allowed);
    advance(0.99);
    EXPECT_EQ(window()->hitTest({50, 50}, nullptr), window());
    advance(0.01);
    EXPECT_EQ(window()->hitTest({50, 50}, nullptr), blocked);
    // A removed animation unblocks at once.
    View::animate(1, [&] { blocked->setAlpha(1); });
    blocked->layer()->removeAllAnimations();
    EXPECT_FALSE(blocked->isInteractionBlockedByAnimation());
}

TEST_F(ViewAnimationTest, CrossDissolveMixesTheOldAndNewPicturesAtMidTime) {
    window()->setBackgroundColor(Color::white());
    auto view = makeView({0, 0, 100, 100});
    view->setBackgroundColor(Color::red());
    View::transition(view, 1, Options::transitionCrossDissolve, [&] { view->setBackgroundColor(Color::blue()); },
                     recorder());
    EXPECT_EQ(view->layer()->animationKeys(), (std::vector<std::string>{"transition"}));
    EXPECT_EQ(window()->hitTest({50, 50}, nullptr), window());
    advance(0.5);
    ca::Renderer renderer;
    const cg::RGBA8 mid = renderer.render(*window()->layer(), ca::RenderMode::presentation(ca::currentMediaTime()))
                              .pixel(100, 100);
    // Red at one half over white, then blue at one half over that.
    EXPECT_NEAR(mid.r, 128, 2);
    EXPECT_NEAR(mid.g, 64, 2);
    EXPECT_NEAR(mid.b, 191, 2);
    advance(0.5);
    const cg::RGBA8 end = renderer.render(*window()->layer(), ca::RenderMode::presentation(ca::currentMediaTime()))
                              .pixel(100, 100);
    EXPECT_EQ(end, (cg::RGBA8{0, 0, 255, 255}));
    EXPECT_TRUE(view->layer()->animationKeys().empty());
    EXPECT_EQ(calls, (std::vector<std::pair<std::int64_t, bool>>{{ms(1000), true}}));
}

} // namespace
} // namespace pellavo::ui
