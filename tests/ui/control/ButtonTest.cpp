#include "platform/ui/control/Button.hpp"

#include <gtest/gtest.h>

#include "platform/ui/control/ImageView.hpp"
#include "platform/ui/control/Label.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo::ui {
namespace {

using testing::expectPixelNear;
using testing::pixelAt;
using testing::renderView;
using testing::solidImage;
using State = Control::State;

class ButtonTest : public testing::AppTest {};

TEST_F(ButtonTest, AnUnsetStateAnswersWithTheNormalValueItself) {
    auto button = Button::make(ButtonType::custom);
    const Image normal = solidImage(4, 4, {255, 0, 0, 255});
    const Image selected = solidImage(4, 4, {0, 255, 0, 255});
    button->setImage(normal, State::normal);
    button->setImage(selected, State::selected);
    button->setTitle(ns::String("Go"), State::normal);

    EXPECT_EQ(button->image(State::highlighted)->cgImage(), normal.cgImage());
    EXPECT_EQ(button->image(State::disabled)->cgImage(), normal.cgImage());
    EXPECT_EQ(button->image(State::selected | State::highlighted)->cgImage(), selected.cgImage());
    EXPECT_EQ(button->title(State::highlighted), ns::String("Go"));
    EXPECT_EQ(button->titleColor(State::highlighted), Color::white());
    EXPECT_FALSE(button->backgroundImage(State::normal));

    EXPECT_TRUE(button->hasExplicitImage(State::normal));
    EXPECT_TRUE(button->hasExplicitImage(State::selected));
    EXPECT_FALSE(button->hasExplicitImage(State::highlighted));

    // The exact state wins over its parts, highlighted over selected.
    const Image both = solidImage(4, 4, {0, 0, 255, 255});
    const Image lit = solidImage(4, 4, {9, 9, 9, 255});
    button->setImage(lit, State::highlighted);
    EXPECT_EQ(button->image(State::selected | State::highlighted)->cgImage(), lit.cgImage());
    button->setImage(both, State::selected | State::highlighted);
    EXPECT_EQ(button->image(State::selected | State::highlighted)->cgImage(), both.cgImage());

    button->setIsSelected(true);
    EXPECT_EQ(button->currentImage()->cgImage(), selected.cgImage());
    button->setIsHighlighted(true);
    EXPECT_EQ(button->currentImage()->cgImage(), both.cgImage());
    EXPECT_EQ(button->imageView()->image()->cgImage(), both.cgImage());

    // None removes exactly that state's value.
    button->setImage(std::nullopt, State::normal);
    EXPECT_FALSE(button->image(State::disabled));
    EXPECT_FALSE(button->hasExplicitImage(State::normal));
}

TEST_F(ButtonTest, TheTitleLabelIsMadeOnDemandInWhiteSystem15) {
    auto button = ns::make<Button>(cg::Rect{0, 0, 100, 40});
    EXPECT_TRUE(button->subviews().empty());
    button->setTitle(ns::String("Hi"), State::normal);
    button->setTitleColor(Color::red(), State::highlighted);
    auto label = button->titleLabel();
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), ns::String("Hi"));
    EXPECT_EQ(label->font(), Font::systemFont(15));
    EXPECT_EQ(label->textColor(), Color::white());
    EXPECT_FALSE(label->isUserInteractionEnabled());
    button->setIsHighlighted(true);
    EXPECT_EQ(label->textColor(), Color::red());
    EXPECT_EQ(button->titleLabel(), label);
}

TEST_F(ButtonTest, HighlightDarkensTheImageAndBackgroundInPixels) {
    auto button = ns::make<Button>(cg::Rect{0, 0, 40, 20});
    button->setBackgroundImage(solidImage(2, 2, {0, 0, 200, 255}), State::normal);
    button->setImage(solidImage(10, 10, {200, 100, 50, 255}), State::normal);

    auto picture = renderView(*button);
    expectPixelNear(pixelAt(picture, 20, 10), {200, 100, 50, 255}, 1);
    expectPixelNear(pixelAt(picture, 2, 2), {0, 0, 200, 255}, 1);

    button->setIsHighlighted(true);
    picture = renderView(*button);
    // Black at 0.45 painted source-atop: colour × 0.55, alpha kept.
    expectPixelNear(pixelAt(picture, 20, 10), {110, 55, 28, 255}, 1);
    expectPixelNear(pixelAt(picture, 2, 2), {0, 0, 110, 255}, 1);

    // A highlighted image of its own is shown as it is; the background still darkens.
    button->setImage(solidImage(10, 10, {0, 250, 0, 255}), State::highlighted);
    picture = renderView(*button);
    expectPixelNear(pixelAt(picture, 20, 10), {0, 250, 0, 255}, 1);
    expectPixelNear(pixelAt(picture, 2, 2), {0, 0, 110, 255}, 1);

    button->setAdjustsImageWhenHighlighted(false);
    picture = renderView(*button);
    expectPixelNear(pixelAt(picture, 2, 2), {0, 0, 200, 255}, 1);

    // Disabled is not dimmed.
    button->setIsHighlighted(false);
    button->setIsEnabled(false);
    picture = renderView(*button);
    expectPixelNear(pixelAt(picture, 20, 10), {200, 100, 50, 255}, 1);
}

TEST_F(ButtonTest, AHighlightedTemplateImageDarkensItsTint) {
    auto button = ns::make<Button>(cg::Rect{0, 0, 20, 20});
    button->setTintColor(Color(0, 0, 1, 1));
    button->setImage(solidImage(20, 20, {255, 255, 255, 255}).withRenderingMode(Image::RenderingMode::alwaysTemplate),
                     State::normal);
    expectPixelNear(pixelAt(renderView(*button), 10, 10), {0, 0, 255, 255}, 1);
    button->setIsHighlighted(true);
    expectPixelNear(pixelAt(renderView(*button), 10, 10), {0, 0, 140, 255}, 1);
}

TEST_F(ButtonTest, ALeftImageInsetShiftsTheImageByHalfOfIt) {
    auto button = ns::make<Button>(cg::Rect{0, 0, 100, 40});
    button->setImage(solidImage(20, 10, {255, 0, 0, 255}), State::normal);
    button->layoutIfNeeded();
    EXPECT_EQ(button->imageView()->frame(), (cg::Rect{40, 15, 20, 10}));
    button->setImageEdgeInsets({0, 8, 0, 0});
    button->layoutIfNeeded();
    EXPECT_EQ(button->imageView()->frame(), (cg::Rect{44, 15, 20, 10}));
}

TEST_F(ButtonTest, ImageAndTitleSitSideBySideByTheAlignment) {
    auto button = ns::make<Button>(cg::Rect{0, 0, 200, 40});
    button->setImage(solidImage(20, 20, {255, 0, 0, 255}), State::normal);
    button->setTitle(ns::String("Title"), State::normal);
    button->layoutIfNeeded();
    const cg::Rect image = button->imageView()->frame();
    const cg::Rect title = button->titleLabel()->frame();
    EXPECT_DOUBLE_EQ(image.maxX(), title.minX());
    EXPECT_DOUBLE_EQ(image.midY(), 20);
    EXPECT_DOUBLE_EQ(title.midY(), 20);
    EXPECT_NEAR(image.minX() - 0, 200 - title.maxX(), 1e-9) << "centred";
    EXPECT_EQ(title.size, button->titleLabel()->sizeThatFits({0, 0}));

    button->setContentHorizontalAlignment(ContentHorizontalAlignment::left);
    button->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(button->imageView()->frame().minX(), 0);
    button->setContentHorizontalAlignment(ContentHorizontalAlignment::right);
    button->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(button->titleLabel()->frame().maxX(), 200);
}

TEST_F(ButtonTest, TheNaturalSizeIsImageBesideTitle) {
    auto button = ns::make<Button>();
    EXPECT_EQ(button->intrinsicContentSize(), (cg::Size{0, 0}));
    button->setImage(solidImage(20, 30, {255, 0, 0, 255}), State::normal);
    button->setTitle(ns::String("Title"), State::normal);
    const cg::Size title = button->titleLabel()->intrinsicContentSize();
    EXPECT_EQ(button->intrinsicContentSize(), (cg::Size{20 + title.width, std::max(30.0, title.height)}));
    button->sizeToFit();
    EXPECT_EQ(button->bounds().size, button->intrinsicContentSize());
}

TEST_F(ButtonTest, TheImageShrinksToFitAndNeverGrows) {
    auto button = ns::make<Button>(cg::Rect{0, 0, 30, 10});
    button->setImage(solidImage(40, 20, {255, 0, 0, 255}), State::normal);
    button->layoutIfNeeded();
    EXPECT_EQ(button->imageView()->frame(), (cg::Rect{5, 0, 20, 10}));
    button->setFrame({0, 0, 300, 300});
    button->layoutIfNeeded();
    EXPECT_EQ(button->imageView()->frame().size, (cg::Size{40, 20}));
}

TEST_F(ButtonTest, ADisabledButtonAbsorbsTheTouch) {
    int taps = 0;
    struct Counter {
        int* taps;
        void tapped() { ++*taps; }
    };
    auto counter = std::make_shared<Counter>(Counter{&taps});
    auto button = ns::make<Button>(cg::Rect{10, 10, 100, 40});
    button->addTarget(counter, &Counter::tapped, Control::Event::touchUpInside);
    window()->addSubview(button);
    driver().tap({50, 30});
    EXPECT_EQ(taps, 1);
    button->setIsEnabled(false);
    EXPECT_EQ(window()->hitTest({50, 30}, nullptr), button);
    driver().tap({50, 30});
    EXPECT_EQ(taps, 1);
}

} // namespace
} // namespace pellavo::ui
