#include "pellavo/PopBubble.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "pellavo/Pellavo.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/control/Control.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/control/VisualEffectView.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo {

struct PopBubbleTestAccess {
    static const std::shared_ptr<ui::Control>& overlay(PopBubble& bubble) { return bubble.blackOverlay_; }
};

namespace {

using Access = PopBubbleTestAccess;
using Option = PopBubbleOption;
constexpr double nan = std::numeric_limits<double>::quiet_NaN();
const cg::RGBA8 clearPixel{0, 0, 0, 0};
const cg::RGBA8 whitePixel{255, 255, 255, 255};

class PopBubbleTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        container = ns::make<ui::View>(cg::Rect{0, 0, 375, 667});
        window()->addSubview(container);
    }

    std::shared_ptr<PopBubble> bubble(std::optional<std::vector<Option>> options = std::nullopt) {
        return ns::make<PopBubble>(std::move(options), [this] { ++shown; }, [this] { ++dismissed; });
    }
    static std::shared_ptr<ui::View> content(double width = 200, double height = 100) {
        return ns::make<ui::View>(cg::Rect{0, 0, width, height});
    }
    static double shownScale(const ui::View& view) { return view.layer()->presentation()->transform().m11; }
    // Expects the pixel at a point of the bubble's bounds, in a picture of the container.
    void expectBubblePixel(const PopBubble& b, cg::Point at, cg::RGBA8 expected, const std::string& what) {
        const cg::Image picture = testing::renderView(*container);
        const cg::Point origin = b.frame().origin;
        testing::expectPixel(picture, origin.x + at.x, origin.y + at.y, 2, expected, what);
    }

    std::shared_ptr<ui::View> container;
    int shown = 0;
    int dismissed = 0;
};

TEST_F(PopBubbleTest, PlacesBesideThePointWithinTheContainer) {
    struct Row {
        cg::Point point;
        PopBubbleType type;
        double width;
        cg::Rect frame;
        cg::Point anchor;
    };
    const Row rows[] = {
        {{300, 400}, PopBubbleType::down, 200, {155, 400, 200, 110}, {0.725, 0}},
        {{300, 400}, PopBubbleType::up, 200, {155, 290, 200, 110}, {0.725, 1}},
        {{50, 400}, PopBubbleType::down, 200, {20, 400, 200, 110}, {0.15, 0}},
        {{187.5, 400}, PopBubbleType::down, 400, {-25, 400, 400, 110}, {212.5 / 400, 0}},
        {{100, 400}, PopBubbleType::down, 400, {0, 400, 400, 110}, {0.25, 0}},
    };
    for (const Row& row : rows) {
        const std::string what = std::to_string(row.point.x) + (row.type == PopBubbleType::up ? " up" : " down");
        auto b = bubble({{Option::type(row.type)}});
        auto c = content(row.width);
        b->show(c, row.point, container);
        advance(0.61);
        EXPECT_EQ(b->frame(), row.frame) << what;
        EXPECT_EQ(b->layer()->anchorPoint(), row.anchor) << what;
        EXPECT_EQ(c->frame(), (cg::Rect{0, row.type == PopBubbleType::up ? 0.0 : 10.0, row.width, 100})) << what;
        EXPECT_EQ(b->superview(), container) << what;
    }

    // A source inside a moved subview, converted into the container; then into the key window.
    auto moved = ns::make<ui::View>(cg::Rect{30, 40, 300, 300});
    container->addSubview(moved);
    auto source = ns::make<ui::View>(cg::Rect{100, 200, 50, 20});
    moved->addSubview(source);
    auto b = bubble();
    b->show(content(), source, container);
    advance(0.61);
    EXPECT_EQ(b->frame(), (cg::Rect{55, 260, 200, 110}));
    b->show(content(), source);
    EXPECT_EQ(b->superview(), window());
    b->show(content(), cg::Point{100, 100});
    EXPECT_EQ(b->superview(), window());
}

TEST_F(PopBubbleTest, OptionsSetTheirPropertiesInOrder) {
    const ui::Color green(0, 1, 0, 1);
    const std::vector<std::pair<Option, std::function<bool(const PopBubble&)>>> table{
        {Option::arrowSize({24, 14}), [](auto& b) { return b.arrowSize() == cg::Size{24, 14}; }},
        {Option::animationIn(1.5), [](auto& b) { return b.animationIn() == 1.5; }},
        {Option::animationOut(0.7), [](auto& b) { return b.animationOut() == 0.7; }},
        {Option::cornerRadius(12), [](auto& b) { return b.popCornerRadius() == 12; }},
        {Option::sideEdge(-4), [](auto& b) { return b.sideEdge() == -4; }},
        {Option::blackOverlayColor(green), [&](auto& b) { return b.blackOverlayColor() == green; }},
        {Option::overlayBlur(ui::BlurEffect::Style::dark),
         [](auto& b) { return b.overlayBlur() == ui::BlurEffect(ui::BlurEffect::Style::dark); }},
        {Option::type(PopBubbleType::up), [](auto& b) { return b.popBubbleType() == PopBubbleType::up; }},
        {Option::color(green), [&](auto& b) { return b.popColor() == green; }},
    };
    for (std::size_t i = 0; i < table.size(); ++i)
        EXPECT_TRUE(table[i].second(*ns::make<PopBubble>(std::vector{table[i].first}, nullptr, nullptr))) << i;

    // No options or an empty list: every default.
    for (const auto& b : {ns::make<PopBubble>(), bubble(), bubble(std::vector<Option>{})})
        EXPECT_TRUE(b->arrowSize() == (cg::Size{16, 10}) && b->animationIn() == 0.6 && b->animationOut() == 0.3 &&
                    b->popCornerRadius() == 6 && b->sideEdge() == 20 && b->popBubbleType() == PopBubbleType::down &&
                    b->blackOverlayColor() == ui::Color(0, 0.2) && !b->overlayBlur() &&
                    b->popColor() == ui::Color::white() && b->backgroundColor() == ui::Color::clear());
    EXPECT_EQ(popBubbleTypeFromRawValue(0), PopBubbleType::up);
    EXPECT_EQ(popBubbleTypeFromRawValue(1), PopBubbleType::down);
    EXPECT_FALSE(popBubbleTypeFromRawValue(2));

    // The later colour fills.
    auto b = bubble({{Option::color(ui::Color::red()), Option::color(ui::Color::blue())}});
    b->show(content(), cg::Point{300, 400}, container);
    advance(0.61);
    expectBubblePixel(*b, {100, 60}, {0, 0, 255, 255}, "centre");
}

TEST_F(PopBubbleTest, SpringsOpenThenShrinksAway) {
    auto b = bubble();
    auto c = content();
    b->show(c, cg::Point{300, 400}, container);
    const auto& overlay = Access::overlay(*b);
    EXPECT_TRUE(b->transform().isIdentity());
    EXPECT_EQ(shownScale(*b), 0);
    double largest = 0;
    for (int step = 1; step <= 29; ++step) {
        advance(0.02);
        largest = std::max(largest, shownScale(*b));
        // The overlay fades in linearly over a third of the spring.
        if (step == 5) {
            EXPECT_NEAR(overlay->layer()->presentation()->opacity(), 0.5, 1e-6);
        }
    }
    EXPECT_GT(largest, 1);  // the spring overshoots
    advance(0.01);
    EXPECT_EQ(shown, 0);
    advance(0.02);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(overlay->alpha(), 1);

    b->dismiss();
    advance(0.29);
    EXPECT_EQ(dismissed, 0);
    EXPECT_EQ(b->superview(), container);
    advance(0.02);
    EXPECT_EQ(dismissed, 1);
    EXPECT_EQ(b->superview(), nullptr);
    EXPECT_EQ(overlay->superview(), nullptr);
    EXPECT_EQ(c->superview(), nullptr);
    EXPECT_EQ(shown, 1);
}

TEST_F(PopBubbleTest, ReshowsAndStaleCompletionsDoNothing) {
    // A show after a close lays out under identity: the same frame again.
    auto b = bubble();
    b->show(content(), cg::Point{300, 400}, container);
    advance(0.61);
    b->dismiss();
    advance(0.31);
    auto c = content();
    b->show(c, cg::Point{300, 400}, container);
    EXPECT_EQ(b->bounds().size, (cg::Size{200, 110}));
    advance(0.61);
    EXPECT_EQ(b->frame(), (cg::Rect{155, 400, 200, 110}));

    // A show during the close keeps the bubble up.
    dismissed = 0;
    advance(0.09);
    b->dismiss();
    advance(0.1);
    b->show(c, cg::Point{300, 400}, container);
    advance(1);
    EXPECT_EQ(b->superview(), container);
    EXPECT_EQ(Access::overlay(*b)->superview(), container);
    EXPECT_EQ(c->superview(), b);
    EXPECT_EQ(dismissed, 0);

    // A close before the spring ends: no show callback; dismiss() while closing adds nothing.
    auto quick = bubble();
    shown = dismissed = 0;
    quick->show(content(), cg::Point{300, 400}, container);
    advance(0.2);
    quick->dismiss();
    advance(0.2);
    quick->dismiss();  // does not start the close again
    advance(0.11);
    EXPECT_EQ(quick->superview(), nullptr);
    advance(1);
    quick->dismiss();
    bubble()->dismiss();
    advance(1);
    EXPECT_EQ(dismissed, 1);
    EXPECT_EQ(shown, 0);
}

TEST_F(PopBubbleTest, OverlayDimsOrBlursTheContainer) {
    auto dim = bubble({{Option::blackOverlayColor(ui::Color(0.5, 0.4))}});
    dim->show(content(), cg::Point{300, 400}, container);
    const auto& dimOverlay = Access::overlay(*dim);
    EXPECT_EQ(dimOverlay->backgroundColor(), ui::Color(0.5, 0.4));
    EXPECT_EQ(dimOverlay->alpha(), 1);
    EXPECT_EQ(dimOverlay->layer()->presentation()->opacity(), 0);
    EXPECT_EQ(dimOverlay->frame(), container->bounds());
    container->setFrame({0, 0, 300, 500});
    EXPECT_EQ(dimOverlay->frame(), (cg::Rect{0, 0, 300, 500}));
    dim->dismiss();

    auto blurred = bubble({{Option::overlayBlur(ui::BlurEffect::Style::light)}});
    const auto& overlay = Access::overlay(*blurred);
    for (int show = 0; show < 3; ++show) {
        blurred->show(content(), cg::Point{100, 100}, container);
        // Opaque at once the first time; faded in from the close afterwards.
        EXPECT_EQ(overlay->layer()->presentation()->opacity(), show == 0 ? 1 : 0) << show;
        advance(0.61);
        blurred->dismiss();
        advance(0.31);
    }
    ASSERT_EQ(overlay->subviews().size(), 1u);
    auto effect = std::dynamic_pointer_cast<ui::VisualEffectView>(overlay->subviews()[0]);
    ASSERT_TRUE(effect);
    EXPECT_EQ(effect->effect(), ui::BlurEffect(ui::BlurEffect::Style::light));
    EXPECT_EQ(effect->frame(), overlay->bounds());
    EXPECT_FALSE(effect->isUserInteractionEnabled());
}

TEST_F(PopBubbleTest, OverlayTapsDismissBubbleTapsDoNot) {
    auto b = bubble();
    for (int i = 0; i < 3; ++i) b->show(content(), cg::Point{300, 400}, container);
    advance(0.61);
    driver().tap({200, 460});  // content
    driver().tap({300, 405});  // arrow
    advance(0.31);
    EXPECT_EQ(b->superview(), container);
    driver().tap({50, 100});
    advance(0.31);
    EXPECT_EQ(dismissed, 1);
    EXPECT_EQ(b->superview(), nullptr);
}

TEST_F(PopBubbleTest, OutlineByPixels) {
    struct Row {
        const char* what;
        cg::Point point;
        std::vector<std::pair<cg::Point, cg::RGBA8>> pixels;
    };
    // Source at x 0…40 and 335…375: the point is 20 from the side, the bubble's edge.
    const Row rows[] = {
        {"rounded", {300, 400}, {{{0.5, 10.5}, clearPixel}, {{100, 60}, whitePixel}, {{145, 1}, whitePixel}}},
        {"flush left", {20, 400}, {{{1, 11}, whitePixel}, {{0.5, 2}, whitePixel}}},
        {"flush right", {355, 400}, {{{199, 11}, whitePixel}, {{199.5, 2}, whitePixel}}},
        {"tip outside", {5, 400}, {{{0.5, 10.5}, clearPixel}, {{100, 60}, whitePixel}}},
    };
    for (const Row& row : rows) {
        auto b = bubble({{Option::blackOverlayColor(ui::Color::clear())}});
        b->show(content(), row.point, container);
        advance(0.61);
        for (const auto& [at, expected] : row.pixels)
            expectBubblePixel(*b, at, expected, std::string(row.what) + " " + std::to_string(at.x));
        b->dismiss();
        advance(0.31);
    }
    EXPECT_TRUE(loggedLines().empty());
}

TEST_F(PopBubbleTest, BadInputAndLifetime) {
    auto b = bubble({{Option::arrowSize({nan, -3}), Option::cornerRadius(nan), Option::sideEdge(nan)}});
    auto c = content();
    b->show(nullptr, cg::Point{10, 10}, container);
    b->show(c, cg::Point{nan, 10}, container);
    b->show(c, cg::Point{10, 10}, nullptr);
    b->show(c, std::shared_ptr<ui::View>(), container);
    b->show(container, cg::Point{10, 10}, container);
    b->show(c, cg::Point{10, 10}, b);
    EXPECT_EQ(b->superview(), nullptr);
    EXPECT_EQ(container->subviews().size(), 0u);

    // Unusable sizes count as 0: no arrow, no side edge.
    b->show(c, cg::Point{10, 400}, container);
    advance(0.61);
    EXPECT_EQ(b->frame(), (cg::Rect{0, 400, 200, 100}));
    auto empty = bubble();
    empty->show(content(0, 50), cg::Point{100, 100}, container);
    advance(0.61);
    EXPECT_EQ(empty->layer()->anchorPoint(), (cg::Point{0.5, 0}));
    EXPECT_EQ(empty->frame(), (cg::Rect{100, 100, 0, 60}));

    // Durations that are not positive: at once, the handlers on the next turn.
    auto instant = bubble({{Option::animationIn(-1), Option::animationOut(nan)}});
    instant->show(content(), cg::Point{100, 100}, container);
    const int before = shown;
    runUntilIdle();
    EXPECT_EQ(shown, before + 1);
    instant->dismiss();
    runUntilIdle();
    EXPECT_EQ(instant->superview(), nullptr);

    // Added by hand: drawing and closing do nothing.
    auto handAdded = bubble();
    handAdded->setFrame({0, 0, 50, 50});
    container->addSubview(handAdded);
    handAdded->dismiss();
    EXPECT_TRUE(ns::Runtime::shared().perform(handAdded.get(), ns::Selector("dismiss"), nullptr));
    advance(0.31);
    EXPECT_EQ(handAdded->superview(), container);

    // Without a key window the forms that need one do nothing.
    app().removeWindow(window());
    const int calls = shown + dismissed;
    auto orphan = bubble();
    orphan->show(content(), cg::Point{10, 10});
    orphan->show(content(), c);
    advance(1);
    EXPECT_EQ(orphan->superview(), nullptr);
    EXPECT_EQ(shown + dismissed, calls);

    // The runtime makes one; its dismiss does nothing.
    auto made = ns::Runtime::shared().create("PopBubble");
    ASSERT_TRUE(made);
    EXPECT_EQ(ns::Runtime::shared().superclassName("PopBubble"), "UIView");
    ns::Runtime::shared().perform(made.get(), ns::Selector("dismiss"), nullptr);
    EXPECT_TRUE(loggedLines().empty());
}

TEST_F(PopBubbleTest, ClosedOrAbandonedBubblesAreFreed) {
    std::weak_ptr<PopBubble> closed;
    {
        auto b = bubble();
        b->show(content(), cg::Point{100, 100}, container);
        b->dismiss();
        closed = b;
    }
    EXPECT_FALSE(closed.expired());
    advance(0.31);
    EXPECT_TRUE(closed.expired());

    // A container dropped while its bubble is up takes the bubble with it.
    std::weak_ptr<PopBubble> abandoned;
    std::weak_ptr<ui::View> panel;
    {
        auto host = ns::make<ui::View>(cg::Rect{0, 0, 200, 200});
        auto b = bubble();
        b->show(content(100, 50), cg::Point{100, 100}, host);
        abandoned = b;
        panel = host;
    }
    advance(1);
    EXPECT_TRUE(abandoned.expired());
    EXPECT_TRUE(panel.expired());

    // A dismiss handler that shows again.
    int reshows = 0;
    auto c = content();
    std::shared_ptr<PopBubble> again;
    again = ns::make<PopBubble>(nullptr, [&] {
        if (reshows++ == 0) again->show(c, cg::Point{100, 100}, container);
    });
    again->show(c, cg::Point{100, 100}, container);
    again->dismiss();
    advance(0.31);
    EXPECT_EQ(reshows, 1);
    EXPECT_EQ(again->superview(), container);
    advance(0.61);
}

TEST_F(PopBubbleTest, GoldenFourStates) {
    auto board = ns::make<ui::View>(cg::Rect{0, 0, 375, 600});
    window()->addSubview(board);
    auto panel = [&](int i, ui::Color stripe, double width = 20) {
        auto made = ns::make<ui::View>(cg::Rect{(i % 2) * 187.5, (i / 2) * 300.0, 187.5, 300});
        made->setBackgroundColor(ui::Color(0.95, 1));
        made->setClipsToBounds(true);
        for (double y = 0; y < 300; y += 2 * width) {
            auto band = ns::make<ui::View>(cg::Rect{0, y, 187.5, width});
            band->setBackgroundColor(stripe);
            made->addSubview(band);
        }
        board->addSubview(made);
        return made;
    };
    auto label = [](double w, double h, ui::Color color) {
        auto made = ns::make<ui::Label>(cg::Rect{0, 0, w, h});
        made->setText(ns::String("Bubble"));
        made->setTextColor(color);
        made->setTextAlignment(ns::TextAlignment::center);
        return made;
    };
    auto add = [&](std::vector<Option> options) { return bubble(std::move(options)); };

    // Each bubble is kept by its panel while shown.
    add({})->show(label(160, 60, ui::Color::black()), cg::Point{93.75, 70}, panel(0, ui::Color(0.7, 0.8, 1, 1)));
    add({Option::type(PopBubbleType::up), Option::color(ui::Color::red()), Option::cornerRadius(12),
         Option::arrowSize({24, 14})})
        ->show(label(150, 80, ui::Color::white()), cg::Point{93.75, 230}, panel(1, ui::Color(1, 0.8, 0.6, 1)));
    auto flush = panel(2, ui::Color(0.7, 0.9, 0.7, 1));
    auto source = ns::make<ui::View>(cg::Rect{0, 40, 40, 30});
    source->setBackgroundColor(ui::Color(0.2, 0.55, 0.3, 1));
    flush->addSubview(source);
    add({})->show(label(140, 60, ui::Color::black()), source, flush);
    add({Option::overlayBlur(ui::BlurEffect::Style::light), Option::type(PopBubbleType::up)})
        ->show(label(150, 70, ui::Color::black()), cg::Point{93.75, 250}, panel(3, ui::Color(0.5, 0.25, 0.7, 1), 60));
    advance(1);
    testing::expectMatchesGolden(testing::renderView(*board), "pellavo_pop_bubble");
}

} // namespace
} // namespace pellavo
