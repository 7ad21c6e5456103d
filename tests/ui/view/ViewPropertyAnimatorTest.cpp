#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/view/View.hpp"
#include "platform/ui/view/ViewPropertyAnimator.hpp"
#include "platform/ui/view/Window.hpp"
#include "tests/support/AppTest.hpp"

namespace pellavo::ui {
namespace {

class ViewPropertyAnimatorTest : public pellavo::testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        view = ns::make<View>(cg::Rect{0, 0, 100, 100});
        window()->addSubview(view);
    }
    double shownX() const { return view->layer()->presentation()->position().x; }
    std::int64_t elapsed() const { return now() - ns::ManualClock::defaultStart; }

    std::shared_ptr<View> view;
    std::vector<std::pair<std::int64_t, ViewAnimatingPosition>> ends;
};

TEST_F(ViewPropertyAnimatorTest, StartsAfterItsDelayWithItsCurveAndReportsTheEnd) {
    auto linear = ViewPropertyAnimator::make(1, ViewAnimationCurve::linear, [&] { view->setCenter({150, 50}); });
    auto other = ns::make<View>(cg::Rect{0, 0, 100, 100});
    auto eased = ViewPropertyAnimator::make(1, ViewAnimationCurve::easeInOut);
    eased->addAnimations([&] { other->setCenter({150, 50}); });
    for (const auto& animator : {linear, eased})
        animator->addCompletion([&](ViewAnimatingPosition p) { ends.emplace_back(elapsed(), p); });
    EXPECT_EQ(view->center().x, 50); // nothing runs before the start
    linear->startAnimation(0.5);
    eased->startAnimation(0.5);
    EXPECT_TRUE(linear->isRunning());
    EXPECT_EQ(view->center().x, 150);
    advance(0.5);
    EXPECT_EQ(shownX(), 50);
    advance(0.25);
    EXPECT_NEAR(shownX(), 75, 1e-9);
    EXPECT_LT(other->layer()->presentation()->position().x, 75);
    advance(0.75);
    const std::vector<std::pair<std::int64_t, ViewAnimatingPosition>> expected{
        {1'500'000'000, ViewAnimatingPosition::end}, {1'500'000'000, ViewAnimatingPosition::end}};
    EXPECT_EQ(ends, expected);
    EXPECT_FALSE(linear->isRunning());
}

TEST_F(ViewPropertyAnimatorTest, NeverStartedIsInertAndADroppedRunningOneStillCompletes) {
    bool ran = false;
    {
        auto idle = ViewPropertyAnimator::make(0.2, ViewAnimationCurve::linear, [&] { view->setAlpha(0); });
        idle->addCompletion([&](ViewAnimatingPosition) { ran = true; });
    }
    advance(1);
    EXPECT_FALSE(ran);
    EXPECT_EQ(view->alpha(), 1);

    std::weak_ptr<ViewPropertyAnimator> weak;
    {
        auto running = ViewPropertyAnimator::make(0.4, ViewAnimationCurve::easeIn, [&] { view->setAlpha(0); });
        running->addCompletion([&](ViewAnimatingPosition p) { ends.emplace_back(elapsed(), p); });
        running->startAnimation();
        weak = running;
    }
    EXPECT_FALSE(weak.expired());
    advance(0.4);
    EXPECT_EQ(ends, (std::vector<std::pair<std::int64_t, ViewAnimatingPosition>>{
                        {1'400'000'000, ViewAnimatingPosition::end}}));
    EXPECT_TRUE(weak.expired());
}

} // namespace
} // namespace pellavo::ui
