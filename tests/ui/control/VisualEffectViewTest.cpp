#include "platform/ui/control/VisualEffectView.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/ca/BackdropLayer.hpp"
#include "platform/ca/ChangeCount.hpp"
#include "platform/ca/Renderer.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo::ui {
namespace {

using testing::pixelAt;
using testing::renderView;

// A 300 × 100 white view with two black stripes 60 pt wide, at x = 60 and 180.
std::shared_ptr<View> stripes() {
    auto view = ns::make<View>(cg::Rect{0, 0, 300, 100});
    view->setBackgroundColor(Color::white());
    for (double x : {60.0, 180.0}) {
        auto stripe = ns::make<View>(cg::Rect{x, 0, 60, 100});
        stripe->setBackgroundColor(Color::black());
        view->addSubview(stripe);
    }
    return view;
}

class VisualEffectViewTest : public testing::AppTest {};

TEST_F(VisualEffectViewTest, TheEffectSoftensWhatIsBehindIt) {
    auto scene = stripes();
    auto effect = ns::make<VisualEffectView>(BlurEffect(BlurEffect::Style::regular));
    effect->setFrame({0, 0, 300, 100});
    EXPECT_EQ(effect->effect()->style(), BlurEffect::Style::regular);
    EXPECT_TRUE(std::dynamic_pointer_cast<ca::BackdropLayer>(effect->layer()));
    scene->addSubview(effect);
    const auto picture = renderView(*scene);
    const int black = pixelAt(picture, 90, 50).r;  // middle of a black stripe
    const int white = pixelAt(picture, 150, 50).r; // middle of the white gap
    // σ 20 pt over 60-pt stripes leaves about 13 % of the far colour at a stripe's middle.
    EXPECT_GT(black, 50);
    EXPECT_LT(white, 235);
    EXPECT_LT(black + 100, white);
    // Across the edge of a stripe the picture now changes gradually.
    int previous = pixelAt(picture, 100, 50).r;
    for (double x = 101; x <= 140; x += 1) {
        const int v = pixelAt(picture, x, 50).r;
        EXPECT_GE(v, previous);
        EXPECT_LE(v - previous, 8);
        previous = v;
    }
    // The picture goes on beyond the view's edge: nothing fades to transparent.
    EXPECT_EQ(pixelAt(picture, 0, 0).a, 255);
    EXPECT_GT(pixelAt(picture, 0, 0).r, 200);

    // Without an effect nothing changes.
    effect->setEffect(std::nullopt);
    const auto plain = renderView(*scene);
    EXPECT_EQ(pixelAt(plain, 90, 50).r, 0);
    EXPECT_EQ(pixelAt(plain, 150, 50).r, 255);
}

TEST_F(VisualEffectViewTest, TheDarkStyleTintsAndTheCornerRadiusClips) {
    auto scene = ns::make<View>(cg::Rect{0, 0, 100, 100});
    scene->setBackgroundColor(Color::white());
    auto effect = ns::make<VisualEffectView>(BlurEffect(BlurEffect::Style::dark));
    effect->setFrame({0, 0, 100, 100});
    effect->layer()->setCornerRadius(30);
    scene->addSubview(effect);
    const auto picture = renderView(*scene);
    // White under (0.1, 0.1, 0.1) at 0.5.
    EXPECT_NEAR(pixelAt(picture, 50, 50).r, 140, 2);
    EXPECT_EQ(pixelAt(picture, 1, 1).r, 255) << "outside the rounded corner";
}

TEST_F(VisualEffectViewTest, ItWorksUnderAParentAtHalfOpacity) {
    auto scene = stripes();
    auto parent = ns::make<View>(cg::Rect{0, 0, 300, 100});
    parent->setAlpha(0.5);
    auto effect = ns::make<VisualEffectView>(BlurEffect(BlurEffect::Style::regular));
    effect->setFrame({0, 0, 300, 100});
    parent->addSubview(effect);
    scene->addSubview(parent);
    const auto picture = renderView(*scene);
    const int black = pixelAt(picture, 90, 50).r;
    // Half of a blurred backdrop over black: well above what an empty backdrop would give.
    EXPECT_GT(black, 30);
    EXPECT_LT(black, 120);
    EXPECT_GT(pixelAt(picture, 150, 50).r, 150);
}

TEST_F(VisualEffectViewTest, ABareBackdropLayerWorksInAnyTree) {
    auto root = ns::make<ca::Layer>();
    root->setFrame({0, 0, 300, 100});
    root->setBackgroundColor(cg::Color(1, 1, 1, 1));
    for (double x : {60.0, 180.0}) {
        auto stripe = ns::make<ca::Layer>();
        stripe->setFrame({x, 0, 60, 100});
        stripe->setBackgroundColor(cg::Color(0, 0, 0, 1));
        root->addSublayer(stripe);
    }
    auto backdrop = ns::make<ca::BackdropLayer>();
    backdrop->setFrame({20, 10, 260, 80});
    root->addSublayer(backdrop);
    ca::Renderer renderer({300, 100}, 2);
    const auto& picture = renderer.render(*root);
    EXPECT_GT(pixelAt(picture, 90, 50).r, 25);
    EXPECT_LT(pixelAt(picture, 150, 50).r, 235);
    EXPECT_EQ(pixelAt(picture, 90, 5).r, 0) << "outside the backdrop layer";

    // A host that draws only on change sees its own settings change; equal values are no change.
    const auto before = ca::ChangeCount::current();
    backdrop->setBlurRadius(4);
    backdrop->setTintColor(cg::Color(1, 0, 0, 0.2));
    backdrop->setIsEnabled(false);
    EXPECT_EQ(ca::ChangeCount::current(), before + 3);
    backdrop->setIsEnabled(false);
    backdrop->setBlurRadius(std::nan(""));
    EXPECT_EQ(ca::ChangeCount::current(), before + 3);
}

} // namespace
} // namespace pellavo::ui
