#include "pellavo/SnakePageControl.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

#include "platform/ca/Layer.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/layout/LayoutConstraint.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"
#include "tests/support/Pixels.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

bool has(const std::vector<std::string>& keys, const char* key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

class SnakePageControlTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        control = ns::make<SnakePageControl>(cg::Rect{0, 0, 200, 20});
        window()->addSubview(control);
        runUntilIdle();
    }
    const std::vector<std::shared_ptr<ca::Layer>>& layers() const { return control->layer()->sublayers(); }
    ca::Layer& active() const { return *layers().back(); }

    std::shared_ptr<SnakePageControl> control;
};

TEST_F(SnakePageControlTest, GeometryFollowsProgress) {
    control->setPageCount(3);
    ASSERT_EQ(layers().size(), 4u);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(layers()[k]->frame(), (cg::Rect{20.0 * k, 0, 10, 10})) << k;
        EXPECT_EQ(layers()[k]->cornerRadius(), 5);
    }
    EXPECT_EQ(control->intrinsicContentSize(), (cg::Size{50, 10}));
    // Progress, then the active dot's x and width: a value out of range leaves the dot.
    const double rows[][3] = {{0.5, 10, 20},  {1.25, 25, 15}, {2, 40, 10},   {2.1, 40, 10},
                              {-0.1, 40, 10}, {nan, 40, 10},  {inf, 40, 10}, {1, 20, 10}};
    for (const auto& [progress, x, width] : rows) {
        control->setProgress(progress);
        EXPECT_EQ(active().frame(), (cg::Rect{x, 0, width, 10})) << progress;
    }
    active().setFrame({20, 3, 10, 10});
    control->setProgress(0.5);
    EXPECT_EQ(active().frame(), (cg::Rect{10, 3, 20, 10}));

    const std::pair<double, int> pages[] = {{1.5, 2}, {1.49, 1}, {-0.5, -1}, {nan, 0}, {1e300, INT_MAX}, {-inf, INT_MIN}};
    for (const auto& [progress, page] : pages) {
        control->setProgress(progress);
        EXPECT_EQ(control->currentPage(), page) << progress;
    }
}

TEST_F(SnakePageControlTest, PageCountRebuildsOnlyOnAChange) {
    for (int nothing : {0, -5}) {
        control->setPageCount(nothing);
        EXPECT_TRUE(layers().empty()) << nothing;
    }
    control->setActiveTint(ui::Color::red());
    EXPECT_TRUE(layers().empty());

    control->setPageCount(3);
    const auto three = layers();
    control->setPageCount(3);
    EXPECT_EQ(layers(), three);
    EXPECT_EQ(active().backgroundColor(), ui::Color::red().cgColor());

    control->setPageCount(5);
    ASSERT_EQ(layers().size(), 6u);
    EXPECT_EQ(std::find(three.begin(), three.end(), layers()[0]), three.end());
    EXPECT_EQ(layers().back(), three.back());

    control->setProgress(1);
    control->setPageCount(0);
    ASSERT_EQ(layers().size(), 1u);
    EXPECT_TRUE(active().isHidden());
    control->setProgress(0.5);
    control->setPageCount(2);
    ASSERT_EQ(layers().size(), 3u);
    EXPECT_FALSE(active().isHidden());
    EXPECT_EQ(active().frame(), (cg::Rect{10, 0, 20, 10}));

    control->setInactiveTint(ui::Color::blue());
    EXPECT_EQ(layers()[1]->backgroundColor(), ui::Color::blue().cgColor());
    control->setPageCount(1);
    EXPECT_EQ(layers()[0]->backgroundColor(), ui::Color::blue().cgColor());
}

TEST_F(SnakePageControlTest, UnchangedWritesRunTheirUpdates) {
    control->setPageCount(3);
    control->setProgress(1);
    active().setFrame({33, 0, 10, 10});
    control->setProgress(1);
    EXPECT_EQ(active().frame(), (cg::Rect{20, 0, 10, 10}));
    layers()[1]->setFrame({0, 0, 1, 1});
    control->setIndicatorRadius(5);
    EXPECT_EQ(layers()[1]->frame(), (cg::Rect{20, 0, 10, 10}));
}

class CustomFit : public SnakePageControl {
public:
    using SnakePageControl::SnakePageControl;
    cg::Size sizeThatFits(cg::Size) const override { return {7, 7}; }
};

TEST_F(SnakePageControlTest, SpacingAndIntrinsicSize) {
    control->setPageCount(3);
    control->setProgress(1);
    control->setIndicatorRadius(8);
    for (const auto& layer : layers()) {
        EXPECT_EQ(layer->frame().size, (cg::Size{16, 16}));
        EXPECT_EQ(layer->cornerRadius(), 8);
    }
    EXPECT_EQ(active().frame(), (cg::Rect{26, 0, 16, 16}));
    EXPECT_EQ(control->intrinsicContentSize(), (cg::Size{68, 16}));
    EXPECT_EQ(ns::make<CustomFit>(cg::Rect{})->intrinsicContentSize(), (cg::Size{7, 7}));

    auto pinned = ns::make<SnakePageControl>(cg::Rect{});
    pinned->setTranslatesAutoresizingMaskIntoConstraints(false);
    window()->addSubview(pinned);
    ui::LayoutConstraint::activate({pinned->leftAnchor().constraintEqualTo(window()->leftAnchor(), 10),
                                    pinned->topAnchor().constraintEqualTo(window()->topAnchor(), 50)});
    pinned->setPageCount(3);
    window()->layoutIfNeeded();
    EXPECT_EQ(pinned->frame(), (cg::Rect{10, 50, 50, 10}));
    pinned->setPageCount(5);
    runUntilIdle();
    EXPECT_EQ(pinned->frame(), (cg::Rect{10, 50, 90, 10}));
}

TEST_F(SnakePageControlTest, OnlyTheInactiveDotsMoveImplicitly) {
    control->setPageCount(3);
    runUntilIdle();
    control->setIndicatorRadius(6);
    for (int k = 0; k < 3; ++k) {
        const auto keys = layers()[k]->animationKeys();
        for (const char* key : {"position", "bounds", "cornerRadius"}) EXPECT_TRUE(has(keys, key)) << k << key;
    }
    EXPECT_TRUE(has(active().animationKeys(), "cornerRadius"));
    for (double progress : {0.0, 1.5}) {
        control->setProgress(progress);
        for (const char* key : {"position", "bounds"}) EXPECT_FALSE(has(active().animationKeys(), key)) << key;
    }
}

TEST_F(SnakePageControlTest, DrawsTheActiveDotOverTheRow) {
    window()->setBackgroundColor(ui::Color::black());
    control->setPageCount(3);
    control->setProgress(1);
    runUntilIdle();
    const auto picture = testing::renderView(*window());
    testing::expectPixelNear(testing::pixelAt(picture, 25, 5), {255, 255, 255, 255}, 2);
    for (double x : {5.0, 45.0}) testing::expectPixelNear(testing::pixelAt(picture, x, 5), {77, 77, 77, 255}, 3);
    testing::expectPixelNear(testing::pixelAt(picture, 15, 5), {0, 0, 0, 255}, 2);
}

TEST_F(SnakePageControlTest, BadInputIsClampedOrIgnored) {
    control->setProgress(0);
    control->setPageCount(INT_MIN);
    EXPECT_TRUE(layers().empty());
    control->setPageCount(INT_MAX);
    EXPECT_EQ(layers().size(), 10'001u);
    EXPECT_EQ(control->pageCount(), INT_MAX);
    EXPECT_EQ(control->intrinsicContentSize().width, 10'000 * 10 + 9'999 * 10);

    control->setPageCount(1);
    for (double bad : {nan, inf, -inf}) {
        control->setIndicatorRadius(bad);
        control->setIndicatorPadding(bad);
    }
    EXPECT_EQ(control->indicatorRadius(), 5);
    EXPECT_EQ(control->indicatorPadding(), 10);
    control->setIndicatorRadius(-3);
    EXPECT_EQ(control->indicatorRadius(), -3);
    EXPECT_EQ(layers()[0]->frame(), (cg::Rect{0, 0, 0, 0}));
    EXPECT_EQ(control->intrinsicContentSize(), (cg::Size{0, 0}));
    EXPECT_TRUE(loggedLines().empty());
}

TEST_F(SnakePageControlTest, RuntimeAndInterfaceFiles) {
    auto& runtime = ns::Runtime::shared();
    auto made = std::dynamic_pointer_cast<SnakePageControl>(runtime.create("SnakePageControl"));
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(runtime.setValue(*made, "pageCount", ns::Value::of(4)));
    EXPECT_TRUE(runtime.setValue(*made, "progress", ns::Value::of(1.5)));
    EXPECT_TRUE(runtime.setValue(*made, "activeTint", ns::Value::of(ui::Color::red())));
    const auto& sub = made->layer()->sublayers();
    ASSERT_EQ(sub.size(), 5u);
    EXPECT_EQ(sub.back()->frame(), (cg::Rect{30, 0, 20, 10}));
    EXPECT_EQ(sub.back()->backgroundColor(), ui::Color::red().cgColor());
    EXPECT_FALSE(runtime.propertyType("SnakePageControl", "currentPage").has_value());

    auto nib = ui::Nib::fromData(R"(<interface version="1"><object class="SnakePageControl" frame="0 0 100 20">)"
                                 R"(<property name="pageCount" value="4"/></object></interface>)",
                                 "Pages");
    const auto objects = nib->instantiate(nullptr);
    ASSERT_FALSE(objects.empty());
    auto loaded = std::dynamic_pointer_cast<SnakePageControl>(objects[0]);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->frame(), (cg::Rect{0, 0, 100, 20}));
    EXPECT_EQ(loaded->layer()->sublayers().size(), 5u);
}

TEST_F(SnakePageControlTest, GoldenRows) {
    auto board = ns::make<ui::View>(cg::Rect{0, 0, 160, 150});
    board->setBackgroundColor(ui::Color(0.17, 1));
    window()->addSubview(board);
    // y, pages, radius, padding, progress
    const double rows[][5] = {{10, 3, 5, 10, 0}, {30, 3, 5, 10, 0.5}, {50, 3, 5, 10, 1.25},
                              {70, 3, 5, 10, 2}, {94, 5, 8, 6, 2.5},  {126, 7, 3, 4, 3.7}};
    for (const auto& [y, pages, radius, padding, progress] : rows) {
        auto made = ns::make<SnakePageControl>(cg::Rect{16, y, 0, 0});
        board->addSubview(made);
        made->setPageCount(static_cast<int>(pages));
        made->setIndicatorRadius(radius);
        made->setIndicatorPadding(padding);
        made->setProgress(progress);
        if (pages == 5) {
            made->setActiveTint(ui::Color(1, 0.5, 0, 1));
            made->setInactiveTint(ui::Color(1, 0.5));
        }
        if (pages == 7) {
            made->setTranslatesAutoresizingMaskIntoConstraints(false);
            ui::LayoutConstraint::activate({made->centerXAnchor().constraintEqualTo(board->centerXAnchor()),
                                            made->topAnchor().constraintEqualTo(board->topAnchor(), y)});
        }
    }
    runUntilIdle();
    testing::expectMatchesGolden(testing::renderView(*board), "pellavo_snake_page_control");
}

} // namespace
} // namespace pellavo
