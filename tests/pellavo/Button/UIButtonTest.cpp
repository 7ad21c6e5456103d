#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "pellavo/Button/CAShapeLayer.hpp"
#include "pellavo/Button/UIButton.hpp"
#include "pellavo/Button/UIColor.hpp"
#include "pellavo/DotsLoading/UIColor+hex.hpp"
#include "platform/ca/Renderer.hpp"
#include "platform/ui/view/Screen.hpp"
#include "platform/ui/view/View.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"
#include "tests/support/Pixels.hpp"

namespace {

using namespace pellavo;
using State = ui::Control::State;
namespace buttons = pellavo::uibutton;

using pellavo::testing::expectPixel;

// A fractional point size is rounded up to whole pixels: within one device pixel.
void expectSize(const ui::Image& image, double width, double height) {
    EXPECT_NEAR(image.size().width, width, 1 / image.scale());
    EXPECT_NEAR(image.size().height, height, 1 / image.scale());
    EXPECT_GE(image.size().width, width);
    EXPECT_GE(image.size().height, height);
}

constexpr cg::RGBA8 kWhite{255, 255, 255, 255};
constexpr cg::RGBA8 kClear{0, 0, 0, 0};

class UIButtonTest : public pellavo::testing::AppTest {
protected:
    void TearDown() override {
        ui::Screen::main().setScale(2);
        AppTest::TearDown();
    }
};

TEST_F(UIButtonTest, PlayButtonHasItsTriangleHighlightAndCentringInset) {
    auto button = buttons::playButton(44, 30);
    EXPECT_EQ(button->bounds(), cg::Rect(0, 0, 44, 30));
    EXPECT_EQ(button->contentHorizontalAlignment(), ui::ContentHorizontalAlignment::center);
    EXPECT_FALSE(button->title(State::normal).has_value());
    EXPECT_FALSE(button->backgroundColor().has_value());

    ASSERT_TRUE(button->hasExplicitImage(State::normal));
    ASSERT_TRUE(button->hasExplicitImage(State::highlighted));
    const ui::Image normal = *button->image(State::normal);
    const ui::Image highlighted = *button->image(State::highlighted);
    EXPECT_EQ(normal.scale(), 2);
    expectSize(normal, 17.32050807568877, 20);
    expectSize(highlighted, 17.32050807568877, 20);
    // The centroid of the triangle, well inside it.
    const double cx = 20 * 0.28867513459481287;
    expectPixel(normal, cx, 10, kWhite, "normal centre");
    expectPixel(highlighted, cx, 10, {255, 255, 255, 178}, "highlighted centre at alpha 0.7");
    expectPixel(normal, 16, 2, kClear, "outside the slanted side");

    const ui::EdgeInsets insets = button->imageEdgeInsets();
    EXPECT_EQ(insets.top, 0);
    EXPECT_EQ(insets.bottom, 0);
    EXPECT_EQ(insets.right, 0);
    EXPECT_NEAR(insets.left, 2.886751345948128, 1e-12);

    // The edge is the smaller side, capped at 20.
    auto narrow = buttons::playButton(12, 30);
    expectSize(*narrow->image(State::normal), 12 * 0.8660254037844386, 12);
    EXPECT_NEAR(narrow->imageEdgeInsets().left, 12 * 0.8660254037844386 * 0.5 - 12 * 0.28867513459481287, 1e-12);

    auto replay = buttons::replayButton(44, 30);
    EXPECT_EQ(replay->bounds(), cg::Rect(0, 0, 44, 30));
    expectPixel(*replay->image(State::normal), cx, 10, {255, 0, 0, 255}, "replay is red");
    expectPixel(*replay->image(State::highlighted), cx, 10, {255, 0, 0, 178}, "replay highlight");
    EXPECT_NEAR(replay->imageEdgeInsets().left, 2.886751345948128, 1e-12);
}

TEST_F(UIButtonTest, PauseBarsComeFromTheHeight) {
    auto small = buttons::pauseButton(100, 10);
    EXPECT_EQ(small->bounds(), cg::Rect(0, 0, 100, 10));
    EXPECT_EQ(small->contentHorizontalAlignment(), ui::ContentHorizontalAlignment::center);
    const ui::Image image = *small->image(State::normal);
    expectSize(image, 8, 10);
    expectPixel(image, 1.5, 5, kWhite, "left bar");
    expectPixel(image, 4, 5, kClear, "gap");
    expectPixel(image, 6.5, 5, kWhite, "right bar");
    expectPixel(*small->image(State::highlighted), 1.5, 5, {255, 255, 255, 178}, "highlighted bar");

    auto tall = buttons::pauseButton(44, 30);
    expectSize(*tall->image(State::normal), 16, 20);
}

TEST_F(UIButtonTest, GlyphButtonsHaveANormalImageOnly) {
    auto close = buttons::closeButton();
    EXPECT_EQ(close->frame(), cg::Rect(0, 0, 50, 50));
    ASSERT_TRUE(close->hasExplicitImage(State::normal));
    EXPECT_FALSE(close->hasExplicitImage(State::highlighted));
    expectSize(*close->image(State::normal), 19, 19);
    expectPixel(*close->image(State::normal), 9.5, 9.5, kWhite, "white crossing");

    const ui::Color light(0.9, 0.8, 0.1, 1);
    struct Case {
        const char* name;
        std::shared_ptr<ui::Button> button;
        double side;
    };
    for (const Case& c : {Case{"back", buttons::backButton(light), 44}, Case{"plus", buttons::plusButton(light), 50},
                          Case{"confirm", buttons::confirmButton(light), 50}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.button->frame(), cg::Rect(0, 0, c.side, c.side));
        ASSERT_TRUE(c.button->hasExplicitImage(State::normal));
        EXPECT_FALSE(c.button->hasExplicitImage(State::highlighted));
        expectSize(*c.button->image(State::normal), 22, 22);
    }
    // The plus sign's crossing is in the colour; back and plus have no rim.
    expectPixel(*buttons::plusButton(light)->image(State::normal), 11, 11, {230, 204, 26, 255}, "plus centre");
}

TEST_F(UIButtonTest, CirclePlayButtonHighlightsInLightGrey) {
    auto button = buttons::circlePlayButton(44);
    EXPECT_EQ(button->frame(), cg::Rect(0, 0, 44, 44));
    expectSize(*button->image(State::normal), 44, 44);
    expectPixel(*button->image(State::normal), 6, 22, kWhite, "disc");
    expectPixel(*button->image(State::highlighted), 6, 22, {170, 170, 170, 255}, "light grey disc");
    expectPixel(*button->image(State::highlighted), 44.0 / 3 + 22 * 0.28867513459481287, 22, kClear, "hole");
}

TEST_F(UIButtonTest, ImagesFollowTheScreenScale) {
    ui::Screen::main().setScale(3);
    auto button = buttons::playButton(44, 30);
    const ui::Image image = *button->image(State::normal);
    EXPECT_EQ(image.scale(), 3);
    EXPECT_EQ(image.cgImage()->width(), static_cast<int>(std::ceil(17.32050807568877 * 3)));
    EXPECT_EQ(image.cgImage()->height(), 60);
    expectPixel(image, 20 * 0.28867513459481287, 10, kWhite, "centre at scale 3");
    EXPECT_EQ(buttons::closeButton()->image(State::normal)->cgImage()->width(), 57);
}

TEST_F(UIButtonTest, BadSizesGiveButtonsWithoutImages) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    using Factory = std::function<std::shared_ptr<ui::Button>(double)>;
    const std::vector<std::pair<const char*, Factory>> factories = {
        {"circlePlay", [](double v) { return buttons::circlePlayButton(v); }},
        {"play width", [](double v) { return buttons::playButton(v, 30); }},
        {"play height", [](double v) { return buttons::playButton(44, v); }},
        {"replay", [](double v) { return buttons::replayButton(v, v); }},
        {"pause height", [](double v) { return buttons::pauseButton(44, v); }},
        {"pause width", [](double v) { return buttons::pauseButton(v, 30); }},
    };
    for (const auto& [name, make] : factories) {
        for (double v : {0.0, -5.0, nan, std::numeric_limits<double>::infinity()}) {
            SCOPED_TRACE(std::string(name) + " " + std::to_string(v));
            auto button = make(v);
            ASSERT_NE(button, nullptr);
            EXPECT_FALSE(button->hasExplicitImage(State::normal));
            EXPECT_FALSE(button->hasExplicitImage(State::highlighted));
            EXPECT_TRUE(button->bounds().isFinite());
            EXPECT_GE(button->bounds().size.width, 0);
            EXPECT_GE(button->bounds().size.height, 0);
            EXPECT_TRUE(std::isfinite(button->imageEdgeInsets().left));
            button->setCenter({100, 100});
            window()->addSubview(button);
        }
    }
    // A sized icon beside them still draws.
    auto good = buttons::closeButton();
    good->setFrame({0, 0, 50, 50});
    window()->addSubview(good);
    runUntilIdle();
    ca::Renderer renderer({375, 667}, 2);
    const cg::Image& frame = renderer.render(*window()->layer());
    EXPECT_EQ(frame.pixel(50, 50), (cg::RGBA8{255, 255, 255, 255}));
    EXPECT_TRUE(loggedLines().empty());
    EXPECT_TRUE(printedLines().empty());
}

// Swatches, every shape placed directly, and every button normal and highlighted.
TEST_F(UIButtonTest, IconsGolden) {
    auto panel = ns::make<ui::View>(cg::Rect{0, 0, 375, 300});
    panel->setBackgroundColor(ui::Color(0x30 / 255.0, 0x30 / 255.0, 0x30 / 255.0, 1));
    window()->addSubview(panel);

    const char* dots[] = {"#4284F7", "#F74239", "#FDBC02", "#4AB552"};
    for (int i = 0; i < 4; ++i) {
        const ui::Color color = uicolor::hexStr(dots[i], 1);
        for (int row = 0; row < 2; ++row) {
            auto swatch = ns::make<ui::View>(cg::Rect{10.0 + 40 * i, 10.0 + 30 * row, 30, 24});
            swatch->setBackgroundColor(row == 0 ? color : uicolor::shadeDarker(color));
            panel->addSubview(swatch);
        }
    }

    const ui::Color light(0.85, 0.9, 1, 1);
    const std::vector<std::pair<std::shared_ptr<ca::Layer>, cg::Point>> shapes = {
        {cashapelayer::circlePlayShape(ui::Color::white(), 40), {10, 80}},
        {cashapelayer::playShape(ui::Color::white(), 20), {60, 90}},
        {cashapelayer::replayShape(ui::Color::red(), 20), {90, 90}},
        {cashapelayer::pauseShape(ui::Color::white(), {6, 20}, 4), {120, 90}},
        {cashapelayer::closeShape(15, ui::Color::white()), {150, 90}},
        {cashapelayer::backShape(18, light), {180, 88}},
        {cashapelayer::plusShape(18, light), {210, 88}},
        {cashapelayer::confirmShape(18, light), {240, 88}},
        {cashapelayer::circle(ui::Color::white(), 10), {280, 90}},
    };
    for (const auto& [layer, origin] : shapes) {
        layer->setFrame({origin, layer->frame().size});
        panel->layer()->addSublayer(layer);
    }

    for (int row = 0; row < 2; ++row) {
        const std::vector<std::shared_ptr<ui::Button>> rowButtons = {
            buttons::circlePlayButton(44), buttons::playButton(44, 30), buttons::replayButton(44, 30),
            buttons::pauseButton(44, 30),  buttons::closeButton(),      buttons::backButton(light),
            buttons::plusButton(light),    buttons::confirmButton(light),
        };
        double x = 10;
        for (const auto& button : rowButtons) {
            const cg::Size size = button->bounds().size;
            button->setFrame({x, 140.0 + 70 * row + (50 - size.height) / 2, size.width, size.height});
            button->setIsHighlighted(row == 1);
            panel->addSubview(button);
            x += size.width - 4;
        }
    }
    runUntilIdle();
    ca::Renderer renderer({375, 300}, 2);
    pellavo::testing::expectMatchesGolden(renderer.render(*panel->layer()), "pellavo_icons");
}

} // namespace
