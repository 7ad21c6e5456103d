#include "platform/ui/control/ActivityIndicatorView.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "platform/ca/BasicAnimation.hpp"
#include "platform/ca/Renderer.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo::ui {
namespace {

using testing::pixelAt;
using testing::renderView;

class ActivityIndicatorViewTest : public testing::AppTest {};

TEST_F(ActivityIndicatorViewTest, StartsStoppedAndHidden) {
    auto spinner = ns::make<ActivityIndicatorView>(ActivityIndicatorView::Style::white);
    EXPECT_EQ(spinner->frame(), (cg::Rect{0, 0, 20, 20}));
    EXPECT_FALSE(spinner->isAnimating());
    EXPECT_TRUE(spinner->hidesWhenStopped());
    EXPECT_TRUE(spinner->isHidden());

    spinner->startAnimating();
    EXPECT_TRUE(spinner->isAnimating());
    EXPECT_FALSE(spinner->isHidden());
    auto spin = std::dynamic_pointer_cast<ca::BasicAnimation>(spinner->layer()->animation("spin"));
    ASSERT_TRUE(spin);
    EXPECT_EQ(spin->keyPath(), "transform.rotation.z");
    EXPECT_EQ(spin->duration(), 1);
    EXPECT_TRUE(std::isinf(spin->repeatCount()));

    spinner->stopAnimating();
    EXPECT_FALSE(spinner->isAnimating());
    EXPECT_TRUE(spinner->isHidden());
    EXPECT_FALSE(spinner->layer()->animation("spin"));

    spinner->setHidesWhenStopped(false);
    EXPECT_FALSE(spinner->isHidden());
}

// The spoke pointing up is the brightest; each one after it, against the turn, is fainter.
TEST_F(ActivityIndicatorViewTest, TwelveSpokesFadeFromOneToAQuarter) {
    auto container = ns::make<View>(cg::Rect{0, 0, 20, 20});
    container->setBackgroundColor(Color::black());
    auto spinner = ns::make<ActivityIndicatorView>();
    spinner->setHidesWhenStopped(false);
    container->addSubview(spinner);
    const auto picture = renderView(*container);
    auto spokeAt = [&](int i) {
        const double angle = -std::numbers::pi / 2 - i * std::numbers::pi / 6;
        return pixelAt(picture, 10 + 7.5 * std::cos(angle), 10 + 7.5 * std::sin(angle)).r;
    };
    EXPECT_GE(spokeAt(0), 250);
    EXPECT_NEAR(spokeAt(11), 64, 6);
    for (int i = 1; i < 12; ++i) EXPECT_LT(spokeAt(i), spokeAt(i - 1)) << i;
    EXPECT_EQ(pixelAt(picture, 10, 10).r, 0) << "the middle is empty";
}

TEST_F(ActivityIndicatorViewTest, TheSpinTurnsThePictureOverASecond) {
    auto spinner = ns::make<ActivityIndicatorView>();
    spinner->setFrame({100, 100, 20, 20});
    window()->setBackgroundColor(Color::black());
    window()->addSubview(spinner);
    spinner->startAnimating();
    runUntilIdle();
    ca::Renderer renderer;
    const double start = now() / 1e9;
    auto brightestAngle = [&](double at) {
        const auto& picture = renderer.render(*window()->layer(), ca::RenderMode::presentation(at));
        int best = 0, index = 0;
        for (int i = 0; i < 12; ++i) {
            const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 6;
            const int v = pixelAt(picture, 110 + 7.5 * std::cos(angle), 110 + 7.5 * std::sin(angle)).r;
            if (v > best) best = v, index = i;
        }
        return index;
    };
    EXPECT_EQ(brightestAngle(start), 0);
    EXPECT_EQ(brightestAngle(start + 0.25), 3) << "a quarter turn clockwise";
    EXPECT_EQ(brightestAngle(start + 1.5), 6);
}

} // namespace
} // namespace pellavo::ui
