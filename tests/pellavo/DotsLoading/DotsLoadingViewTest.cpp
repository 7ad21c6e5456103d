#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "pellavo/DotsLoading/DotView.hpp"
#include "pellavo/DotsLoading/DotsLoadingView.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ui/controller/ViewController.hpp"
#include "tests/support/AppTest.hpp"

namespace pellavo {
namespace {

constexpr const char* fourColorsLine = "You can set custom colors only if you set four colors.";
constexpr const char* cannotShowLine = "Cannot show DotsLoadingView.";

ui::Color rgb(unsigned hex) {
    return ui::Color(((hex >> 16) & 0xFF) / 255.0, ((hex >> 8) & 0xFF) / 255.0, (hex & 0xFF) / 255.0, 1);
}

double shownScale(const ui::View& view) { return view.layer()->presentation()->transform().m11; }
double shownOpacity(const ui::View& view) { return view.layer()->presentation()->opacity(); }

class DotsLoadingViewTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        root = ns::make<ui::ViewController>();
        window()->setRootViewController(root);
        start_ = now();
    }
    // Moves the clock to `seconds` after the last mark.
    void at(double seconds) { advance(seconds - static_cast<double>(now() - start_) / 1e9); }
    void mark() { start_ = now(); }
    // Shows a fresh default indicator and marks the moment.
    std::shared_ptr<DotsLoadingView> shown() {
        auto view = ns::make<DotsLoadingView>();
        view->show();
        mark();
        return view;
    }
    static const ui::View& dot(const DotsLoadingView& view, std::size_t i) { return *view.subviews().at(i); }

    std::shared_ptr<ui::ViewController> root;

private:
    std::int64_t start_ = 0;
};

TEST_F(DotsLoadingViewTest, ColoursAreFourOrTheDefaults) {
    const std::vector<ui::Color> defaults{rgb(0x4284F7), rgb(0xF74239), rgb(0xFDBC02), rgb(0x4AB552)};
    const std::vector<ui::Color> custom{ui::Color::red(), ui::Color::blue(), ui::Color::black(), ui::Color::white()};
    std::vector<ui::Color> five = custom;
    five.push_back(ui::Color::gray());
    const std::vector<std::tuple<std::optional<std::vector<ui::Color>>, std::vector<ui::Color>, bool>> rows{
        {std::nullopt, defaults, false},
        {five, defaults, true},
        {std::vector<ui::Color>{}, defaults, true},
        {custom, custom, false}};
    for (const auto& [given, expected, complains] : rows) {
        const std::size_t before = printedLines().size();
        auto view = ns::make<DotsLoadingView>(given);
        EXPECT_EQ(view->colors(), expected) << given.has_value();
        const auto lines = printedLines();
        EXPECT_EQ(std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(before), lines.end()),
                  complains ? std::vector<std::string>{fourColorsLine} : std::vector<std::string>{});
    }
    auto fresh = ns::make<DotsLoadingView>();
    EXPECT_EQ(fresh->frame(), (cg::Rect{0, 0, 150, 100}));
    EXPECT_EQ(fresh->backgroundColor(), ui::Color::clear());
    EXPECT_TRUE(fresh->subviews().empty());
    EXPECT_FALSE(fresh->superview());
    EXPECT_EQ(fresh->loadingViewBackgroundColor(), ui::Color::white());
}

TEST_F(DotsLoadingViewTest, ShowCentresFourDotsInTheRootView) {
    auto view = shown();
    EXPECT_EQ(view->superview(), root->view());
    EXPECT_EQ(view->center(), (cg::Point{187.5, 333.5}));
    ASSERT_EQ(view->subviews().size(), 4u);
    const double xs[] = {18.75, 56.25, 93.75, 131.25};
    for (std::size_t i = 0; i < 4; ++i) {
        const ui::View& d = dot(*view, i);
        EXPECT_EQ(d.bounds(), (cg::Rect{0, 0, 15, 15}));
        EXPECT_EQ(d.center(), (cg::Point{xs[i], 50}));
        EXPECT_EQ(d.layer()->cornerRadius(), 7.5);
        EXPECT_TRUE(d.clipsToBounds());
        EXPECT_EQ(d.backgroundColor(), view->colors()[i]);
    }
}

TEST_F(DotsLoadingViewTest, DotsGrowAndShrinkInTurn) {
    auto view = shown();
    // (instant after show, dot, scale): grow, grown, mid-shrink, rest, the second grow.
    std::vector<std::tuple<double, std::size_t, double>> samples{{0.5, 3, 1}};
    for (std::size_t i = 0; i < 4; ++i) {
        const double offset = 0.25 * static_cast<double>(i);
        for (auto [t, scale] :
             {std::pair{0.2, 1.5}, {0.45, 2.0}, {0.5 + 0.4 / 2.1, 1.5}, {1.3, 1.0}, {1.7809523809523808 + 0.2, 1.5}})
            samples.emplace_back(offset + t, i, scale);
    }
    std::sort(samples.begin(), samples.end());
    for (const auto& [t, i, scale] : samples) {
        at(t);
        // The clock counts whole nanoseconds: the mid-shrink instant lands up to half a
        // nanosecond early, on the curve's steepest part.
        EXPECT_NEAR(shownScale(dot(*view, i)), scale, 3e-9) << "dot " << i << " at " << t;
    }
}

TEST_F(DotsLoadingViewTest, StopFadesTheDotsThenRemovesTheIndicator) {
    auto view = shown();
    view->stop();
    at(0.25);
    for (const auto& d : view->subviews()) EXPECT_NEAR(shownOpacity(*d), 0.5, 1e-6);
    at(0.5);
    EXPECT_FALSE(view->superview());
    EXPECT_EQ(view->subviews().size(), 4u);

    auto idle = ns::make<DotsLoadingView>();
    idle->stop();
    advance(1);
    EXPECT_FALSE(idle->superview());
    EXPECT_TRUE(printedLines().empty());
    EXPECT_TRUE(loggedLines().empty());
}

TEST_F(DotsLoadingViewTest, StoppedChainsEndAndNothingKeepsTheViewsAlive) {
    auto view = shown();
    at(1);
    view->stop();
    advance(3);
    const auto idle = [&] {
        for (const auto& d : view->subviews()) EXPECT_TRUE(d->layer()->animationKeys().empty());
    };
    idle();
    advance(3);
    idle();
    std::vector<std::weak_ptr<ui::View>> all{view};
    for (const auto& d : view->subviews()) all.push_back(d);
    view.reset();
    for (const auto& weak : all) EXPECT_TRUE(weak.expired());

    // Running chains hold nothing either: a hierarchy that goes takes its dots along.
    auto running = shown();
    advance(1);
    all = {running};
    for (const auto& d : running->subviews()) all.push_back(d);
    running.reset();
    window()->setRootViewController(ns::make<ui::ViewController>());
    root.reset();
    for (const auto& weak : all) EXPECT_TRUE(weak.expired());
    advance(5);
    EXPECT_TRUE(loggedLines().empty());
}

TEST_F(DotsLoadingViewTest, EachShowAddsASetAndOutlivesAnEarlierStop) {
    auto view = shown();
    at(0.3);
    view->show();
    mark();
    EXPECT_EQ(view->subviews().size(), 8u);
    at(0.2);
    EXPECT_NEAR(shownScale(dot(*view, 4)), 1.5, 1e-9);

    auto again = shown();
    again->stop();
    at(0.25);
    again->show();
    at(0.6);
    EXPECT_EQ(again->superview(), root->view());
    ASSERT_EQ(again->subviews().size(), 8u);
    for (std::size_t i = 4; i < 8; ++i) {
        EXPECT_EQ(shownOpacity(dot(*again, i)), 1);
        EXPECT_FALSE(dot(*again, i).layer()->animationKeys().empty());
    }
}

TEST_F(DotsLoadingViewTest, ShowNeedsARootControllerInTheFirstWindow) {
    app().removeWindow(window());
    auto view = ns::make<DotsLoadingView>();
    view->show();
    EXPECT_EQ(printedLines(), std::vector<std::string>{cannotShowLine});
    EXPECT_FALSE(view->superview());
    EXPECT_TRUE(view->subviews().empty());

    auto bare = ns::make<ui::Window>();
    bare->makeKeyAndVisible();
    auto second = ns::make<ui::Window>();
    second->setRootViewController(ns::make<ui::ViewController>());
    second->makeKeyAndVisible();
    view->show();
    EXPECT_EQ(printedLines(), (std::vector<std::string>{cannotShowLine, cannotShowLine}));
    EXPECT_FALSE(view->superview());
    EXPECT_TRUE(view->subviews().empty());
}

} // namespace
} // namespace pellavo
