#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

#include "pellavo/Pellavo.hpp"
#include "platform/ca/BasicAnimation.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ca/MediaTimingFunction.hpp"
#include "platform/ca/Renderer.hpp"
#include "platform/cg/Context.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/control/Button.hpp"
#include "platform/ui/control/Label.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Pixels.hpp"

namespace pellavo {
namespace {

// What a label of this text and font measures after sizeToFit.
cg::Size fitted(const char* text, std::optional<ui::Font> font = ui::Font::systemFont(14)) {
    auto label = ns::make<ui::Label>();
    label->setFont(font);
    label->setText(ns::String(text));
    label->sizeToFit();
    return label->bounds().size;
}

// The side of a one-character badge with the defaults: at least 10, plus the padding 4.
double roundSide(const char* text) {
    const cg::Size size = fitted(text);
    return std::max(size.width, std::max(size.height, 10.0)) + 4;
}

double shownScale(const ui::View& view) { return view.layer()->presentation()->transform().m11; }

class VXBadgeBarButtonTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        button = ns::make<ui::Button>(cg::Rect{40, 40, 60, 32});
        window()->addSubview(button);
        item = ns::make<VXBadgeBarButton>()->initWithCustomBadgeBarButton(button);
    }
    ui::Label& badge() const { return *item->badge(); }
    bool bounces() const { return badge().layer()->animation("bounceAnimation") != nullptr; }

    std::shared_ptr<ui::Button> button;
    std::shared_ptr<VXBadgeBarButton> item;
};

// Colours, font size, padding, minimum size, origin and the two flags.
auto settings(const VXBadgeBarButton& item) {
    return std::tuple(item.badgeBGColor(), item.badgeTextColor(), item.badgeFont().pointSize(), item.badgePadding(),
                      item.badgeMinSize(), item.badgeOriginX(), item.badgeOriginY(), item.shouldHideBadgeAtZero(),
                      item.shouldAnimateBadge());
}

TEST_F(VXBadgeBarButtonTest, BlankUntilInitialisedThenTheBadgeLook) {
    auto blank = ns::make<VXBadgeBarButton>();
    EXPECT_EQ(settings(*blank), std::tuple(ui::Color(), ui::Color(), 0.0, 0.0, 0.0, 0.0, 0.0, false, false));
    ASSERT_NE(blank->badge(), nullptr);
    EXPECT_EQ(blank->badge()->superview(), nullptr);
    EXPECT_TRUE(blank->badgeValue().isEmpty());

    EXPECT_EQ(item->customView(), button);
    EXPECT_FALSE(button->clipsToBounds());
    EXPECT_EQ(settings(*item), std::tuple(ui::Color::red(), ui::Color::white(), 14.0, 4.0, 10.0, 0.0, 0.0, true, true));
    EXPECT_EQ(item->badgeFont(), ui::Font::systemFont(14));
    // The unshown label has no text: the minimum size and the padding alone.
    EXPECT_EQ(badge().bounds().size, (cg::Size{14, 14}));
    EXPECT_EQ(badge().layer()->cornerRadius(), 7);
    EXPECT_EQ(blank->initWithCustomBadgeBarButton(button), blank);

    auto& runtime = ns::Runtime::shared();
    EXPECT_TRUE(runtime.hasCoderFactory("VXBadgeBarButton"));
    EXPECT_TRUE(runtime.isKindOfClass(*runtime.create("VXBadgeBarButton"), "UIBarButtonItem"));
}

TEST_F(VXBadgeBarButtonTest, FirstValueAddsARoundBadgeThatBouncesIn) {
    item->setBadgeValue("5");
    ASSERT_EQ(button->subviews().size(), 1u);
    EXPECT_EQ(button->subviews()[0], item->badge());
    EXPECT_EQ(badge().text()->utf8(), "5");
    EXPECT_EQ(badge().backgroundColor(), ui::Color::red());
    EXPECT_EQ(badge().textColor(), ui::Color::white());
    EXPECT_EQ(badge().textAlignment(), ns::TextAlignment::center);
    const double side = roundSide("5");
    EXPECT_EQ(badge().bounds().size, (cg::Size{side, side}));
    EXPECT_EQ(badge().center(), (cg::Point{side / 2, side / 2}));
    EXPECT_EQ(badge().layer()->cornerRadius(), side / 2);
    EXPECT_TRUE(badge().layer()->masksToBounds());

    auto bounce = std::dynamic_pointer_cast<ca::BasicAnimation>(badge().layer()->animation("bounceAnimation"));
    ASSERT_NE(bounce, nullptr);
    EXPECT_EQ(bounce->keyPath(), "transform.scale");
    EXPECT_EQ(bounce->fromValue(), ca::Value(1.5));
    EXPECT_EQ(bounce->toValue(), ca::Value(1.0));
    EXPECT_EQ(bounce->duration(), 0.2);
    ASSERT_TRUE(bounce->timingFunction());
    EXPECT_EQ(bounce->timingFunction()->controlPoints(), (std::array<double, 4>{0.4, 1.3, 1, 1}));

    EXPECT_DOUBLE_EQ(shownScale(badge()), 1.5);
    advance(0.1);
    EXPECT_NEAR(shownScale(badge()), 1.5 - 0.5 * ca::MediaTimingFunction(0.4, 1.3, 1, 1).evaluate(0.5), 1e-9);
    advance(0.07);
    EXPECT_LT(shownScale(badge()), 1);  // the overshoot
    advance(0.05);
    EXPECT_EQ(shownScale(badge()), 1);
    EXPECT_FALSE(bounces());
}

TEST_F(VXBadgeBarButtonTest, ChangedValuesBounceAndResize) {
    item->setBadgeValue("5");
    advance(0.3);
    const auto first = item->badge();
    const cg::Size round = badge().bounds().size;
    item->setBadgeValue("5");
    EXPECT_FALSE(bounces());
    EXPECT_EQ(item->badge(), first);

    item->setBadgeValue("12");
    EXPECT_TRUE(bounces());
    EXPECT_EQ(item->badge(), first);
    EXPECT_GT(badge().bounds().size.width, round.width);
    EXPECT_EQ(badge().bounds().size.height, round.height);
    EXPECT_EQ(badge().layer()->cornerRadius(), badge().bounds().size.width / 2);

    // A one-line label grows to its whole text however narrow it was.
    item->setBadgeValue("1234");
    EXPECT_EQ(badge().bounds().size.width, fitted("1234").width + 4);
    EXPECT_GT(badge().bounds().size.width, 24);
}

TEST_F(VXBadgeBarButtonTest, ZeroAndEmptyShrinkTheBadgeAway) {
    for (const char* value : {"0", ""}) {
        SCOPED_TRACE(value);
        item->setBadgeValue("5");
        advance(0.3);
        const auto shown = item->badge();
        item->setBadgeValue(value);
        EXPECT_EQ(shown->transform().a, 0);
        advance(0.1);
        EXPECT_NEAR(shownScale(*shown), 0.5, 1e-9);
        advance(0.1);
        EXPECT_EQ(shown->superview(), nullptr);

        item->setBadgeValue("3");
        EXPECT_NE(item->badge(), shown);
        EXPECT_EQ(item->badge()->superview(), button);
        EXPECT_TRUE(bounces());
        item->setBadgeValue("");
        item->setBadgeValue("");
        advance(0.3);
        EXPECT_TRUE(button->subviews().empty());
    }
}

TEST_F(VXBadgeBarButtonTest, AValueSetDuringARemovalKeepsItsNewBadge) {
    item->setBadgeValue("5");
    advance(0.3);
    const auto first = item->badge();
    item->setBadgeValue("");
    advance(0.1);
    item->setBadgeValue("7");
    const auto second = item->badge();
    ASSERT_NE(second, first);
    advance(0.1);
    EXPECT_EQ(first->superview(), nullptr);
    EXPECT_EQ(second->superview(), button);
    EXPECT_EQ(item->badge(), second);
    advance(1);
    EXPECT_EQ(second->superview(), button);
}

TEST_F(VXBadgeBarButtonTest, WithoutInitializerOrCustomView) {
    // Blank: "0" shows, measured in the label's default font, no padding, no bounce.
    auto blank = ns::make<VXBadgeBarButton>();
    blank->setCustomView(button);
    blank->setBadgeValue("0");
    ASSERT_EQ(blank->badge()->superview(), button);
    EXPECT_EQ(blank->badge()->text()->utf8(), "0");
    const cg::Size plain = fitted("0", std::nullopt);
    EXPECT_EQ(blank->badge()->bounds().size, (cg::Size{std::max(plain.width, plain.height), plain.height}));
    EXPECT_EQ(blank->badge()->layer()->animation("bounceAnimation"), nullptr);

    // No custom view: a sized label in no view.
    auto loose = ns::make<VXBadgeBarButton>();
    loose->initializer();
    loose->setBadgeValue("5");
    EXPECT_EQ(loose->badge()->superview(), nullptr);
    EXPECT_EQ(loose->badge()->bounds().size.width, roundSide("5"));

    // A padding that is not finite is ignored; a negative one applies as given.
    for (double bad : {std::nan(""), std::numeric_limits<double>::infinity()}) loose->setBadgePadding(bad);
    EXPECT_EQ(loose->badgePadding(), 4);
    loose->setBadgePadding(-2);
    loose->updateBadgeFrame();
    EXPECT_EQ(loose->badge()->bounds().size.width, roundSide("5") - 6);
}

TEST_F(VXBadgeBarButtonTest, ABadgeAtScaleZeroRendersSafely) {
    button->setTitle(ns::String("Inbox"), ui::Control::State::normal);
    button->setTitleColor(ui::Color::black(), ui::Control::State::normal);
    item->setBadgeValue("5");
    advance(0.3);
    item->setBadgeValue("");
    // Dark title pixels within a pixel rectangle.
    const auto inked = [](const cg::Image& image, int x0, int y0, int x1, int y1) {
        int count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) count += image.pixel(x, y).a > 128 && image.pixel(x, y).r < 100;
        return count;
    };
    for (double step : {0.1, 0.15}) {  // mid-removal, then after it
        advance(step);
        auto context = cg::Context::makeBitmap(120, 64, false);
        ASSERT_TRUE(context);
        context->scaleBy(2, 2);
        button->layer()->render(*context);
        EXPECT_TRUE(context->isHealthy());
        EXPECT_GT(inked(*context->makeImage(), 0, 0, 120, 64), 20);
        ca::Renderer renderer;
        const cg::Image& frame =
            renderer.render(*window()->layer(), ca::RenderMode::presentation(static_cast<double>(now()) / 1e9));
        EXPECT_GT(inked(frame, 80, 80, 200, 144), 20);
    }
}

} // namespace
} // namespace pellavo
