#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "pellavo/Pellavo.hpp"
#include "platform/ca/CurrentMediaTime.hpp"
#include "platform/ca/GradientLayer.hpp"
#include "platform/ca/Renderer.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo {
namespace {

using Bar = VXLinearProgressView;
constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float nan = std::numeric_limits<float>::quiet_NaN();

class VXLinearProgressViewTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        bar = add({0, 0, 200, 8});
    }

    std::shared_ptr<Bar> add(cg::Rect frame) {
        auto made = ns::make<Bar>(frame);
        window()->addSubview(made);
        runUntilIdle();
        return made;
    }
    static VXGradientView& track(const Bar& bar) { return static_cast<VXGradientView&>(*bar.subviews().at(0)); }
    static double constant(const Bar& bar) {
        for (const auto& constraint : track(bar).constraints())
            if (constraint->firstAttribute() == ui::LayoutConstraint::Attribute::width) return constraint->constant();
        ADD_FAILURE() << "no width constraint on the track";
        return -1;
    }

    std::shared_ptr<Bar> bar;
};

TEST_F(VXLinearProgressViewTest, ProgressSetsTheTrackWidth) {
    struct Row {
        const char* name;
        cg::Rect frame;
        std::function<void(Bar&)> act;
        float progress;
        float width;
    };
    const Row rows[] = {
        {"half", {0, 0, 200, 8}, [](Bar& b) { b.setProgress(50, false); }, 50, 100},
        {"above the maximum", {0, 0, 200, 8}, [](Bar& b) { b.setProgress(150, false); }, 100, 200},
        {"below the minimum", {0, 0, 200, 8}, [](Bar& b) { b.setProgress(-5, false); }, 0, 0},
        {"inset", {0, 0, 200, 40}, [](Bar& b) { b.setBarInset(10); b.setProgress(50, false); }, 50, 90},
        {"zero range",
         {0, 0, 200, 8},
         [](Bar& b) {
             b.setMinimumValue(5);
             b.setMaximumValue(5);
         },
         5, 0},
        {"maximum lowered",
         {0, 0, 200, 8},
         [](Bar& b) {
             b.setProgress(50, false);
             b.setMaximumValue(30);
         },
         30, 200},
        {"overflowing range",
         {0, 0, 200, 8},
         [](Bar& b) {
             b.setMinimumValue(-3e38f);
             b.setMaximumValue(3e38f);
         },
         0, 0},
    };
    for (const Row& row : rows) {
        auto made = add(row.frame);
        row.act(*made);
        EXPECT_EQ(made->progress(), row.progress) << row.name;
        EXPECT_EQ(float(constant(*made)), row.width) << row.name;
        made->layoutIfNeeded();
        EXPECT_EQ(float(track(*made).frame().width()), row.width) << row.name;
        made->removeFromSuperview();
    }

    auto inset = add({0, 0, 200, 40});
    inset->setBarInset(10);
    inset->setProgress(50, false);
    inset->layoutIfNeeded();
    EXPECT_EQ(inset->layoutMargins(), (ui::EdgeInsets{10, 10, 10, 10}));
    EXPECT_EQ(track(*inset).frame(), (cg::Rect{10, 10, 90, 20}));
}

TEST_F(VXLinearProgressViewTest, CornersAndColours) {
    EXPECT_EQ(bar->layer()->cornerRadius(), 4);
    EXPECT_EQ(track(*bar).layer()->cornerRadius(), 4);
    bar->setIsCornersRounded(false);
    EXPECT_EQ(bar->layer()->cornerRadius(), 0);
    EXPECT_EQ(track(*bar).layer()->cornerRadius(), 0);

    // The stored gray stays off the layer until a colour is assigned.
    EXPECT_EQ(bar->barColor(), ui::Color::gray());
    EXPECT_EQ(bar->layer()->backgroundColor(), ui::Color::clear().cgColor());
    bar->setBarColor(ui::Color::red());
    EXPECT_EQ(bar->layer()->backgroundColor(), ui::Color::red().cgColor());

    bar->setProgress(50, false);
    bar->setFirstColor(ui::Color::red());
    bar->setSecondColor(ui::Color::blue());
    EXPECT_EQ(track(*bar).firstColor(), ui::Color::red());
    EXPECT_EQ(track(*bar).secondColor(), ui::Color::blue());
    runUntilIdle();
    const auto gradient = track(*bar).gradientLayer();
    ASSERT_NE(gradient, nullptr);
    EXPECT_EQ(gradient->colors(), (std::vector<cg::Color>{ui::Color::red().cgColor(), ui::Color::blue().cgColor()}));
}

TEST_F(VXLinearProgressViewTest, AnimatedProgressMovesTheTrackOverTheDuration) {
    bar->setProgress(20, false);
    runUntilIdle();
    EXPECT_TRUE(track(*bar).layer()->animationKeys().empty());

    bar->setProgress(80, true);
    // The share is a float: 0.8f of 200 reads 160 in float.
    EXPECT_EQ(float(track(*bar).frame().width()), 160);
    advance(0.125);
    EXPECT_EQ(float(track(*bar).layer()->presentation()->bounds().width()), 100);
    advance(0.125);
    EXPECT_EQ(float(track(*bar).layer()->presentation()->bounds().width()), 160);
}

TEST_F(VXLinearProgressViewTest, TrackIsALeftToRightGradient) {
    EXPECT_EQ(track(*bar).angleº(), 135);
    bar->setProgress(50, false);
    runUntilIdle();
    const auto gradient = track(*bar).gradientLayer();
    ASSERT_NE(gradient, nullptr);
    EXPECT_EQ(gradient->startPoint(), (cg::Point{0, 0.5}));
    EXPECT_EQ(gradient->endPoint(), (cg::Point{1, 0.5}));
    EXPECT_EQ(gradient->frame(), track(*bar).bounds());
}

TEST_F(VXLinearProgressViewTest, SettlesAndIgnoresNonFiniteInput) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(-20, 120);
    for (int i = 0; i < 50; ++i) {
        bar->setProgress(value(random), false);
        runUntilIdle();
    }
    const cg::Rect settled = track(*bar).frame();
    EXPECT_EQ(settled.width(), constant(*bar));
    runUntilIdle();
    EXPECT_EQ(track(*bar).frame(), settled);

    bar->setProgress(40, false);
    for (float bad : {nan, inf, -inf}) {
        bar->setProgress(bad, true);
        bar->setMinimumValue(bad);
        bar->setMaximumValue(bad);
        bar->setBarInset(bad);
    }
    runUntilIdle();
    EXPECT_EQ(bar->progress(), 40);
    EXPECT_EQ(bar->minimumValue(), 0);
    EXPECT_EQ(bar->maximumValue(), 100);
    EXPECT_EQ(bar->barInset(), 0);
    EXPECT_EQ(float(constant(*bar)), 80);
    EXPECT_TRUE(loggedLines().empty()) << loggedLines().front();
}

TEST_F(VXLinearProgressViewTest, ReachableByNameAndFromInterfaceFiles) {
    auto& runtime = ns::Runtime::shared();
    auto made = std::dynamic_pointer_cast<Bar>(runtime.create("VXLinearProgressView"));
    ASSERT_NE(made, nullptr);
    made->setFrame({0, 20, 200, 8});
    window()->addSubview(made);
    EXPECT_TRUE(runtime.setValue(*made, "progress", ns::Value::of(150.0f)));
    EXPECT_EQ(made->progress(), 100);
    EXPECT_EQ(constant(*made), 200);
    runUntilIdle();
    EXPECT_TRUE(track(*made).layer()->animationKeys().empty());
    EXPECT_FALSE(runtime.propertyType("VXLinearProgressView", "animationDuration").has_value());

    auto nib = ui::Nib::fromData(R"(<interface version="1">
  <object class="VXLinearProgressView" frame="0 40 200 8">
    <property name="maximumValue" value="50"/>
    <property name="progress" value="25"/>
  </object>
</interface>)",
                                 "Bar");
    const auto objects = nib->instantiate(nullptr);
    EXPECT_TRUE(nib->lastWarnings().empty());
    ASSERT_EQ(objects.size(), 1u);
    const auto loaded = std::dynamic_pointer_cast<Bar>(objects[0]);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(constant(*loaded), 100);
}

// Angles, transitions, blur over stripes and bars, as the gallery shows them.
TEST_F(VXLinearProgressViewTest, GoldenGradientsAndBars) {
    auto board = ns::make<ui::View>(cg::Rect{0, 0, 340, 300});
    board->setBackgroundColor(ui::Color(0.97, 1));
    window()->addSubview(board);
    const auto gradient = [&](cg::Rect frame) {
        auto view = ns::make<VXGradientView>(frame);
        view->setFirstColor(ui::Color::red());
        view->setSecondColor(ui::Color::blue());
        board->addSubview(view);
        return view;
    };
    const float angles[] = {0, 45, 90, 135, 180, 270};
    for (int i = 0; i < 6; ++i) gradient({10 + i * 54.0, 10, 48, 48})->setAngleº(angles[i]);
    auto soft = gradient({10, 70, 70, 40});
    soft->setColorRatio(0.2f);
    soft->setFadeIntensity(0.3f);
    auto hard = gradient({90, 70, 70, 40});
    hard->setColorRatio(0.8f);
    hard->setFadeIntensity(0);
    auto stripes = ns::make<ui::View>(cg::Rect{170, 64, 160, 52});
    stripes->setBackgroundColor(ui::Color::black());
    for (double x = 2; x < 160; x += 4) {
        auto stripe = ns::make<ui::View>(cg::Rect{x, 0, 2, 52});
        stripe->setBackgroundColor(ui::Color::white());
        stripes->addSubview(stripe);
    }
    board->addSubview(stripes);
    for (int i = 0; i < 2; ++i) {
        auto blurred = gradient({176 + i * 78.0, 70, 70, 40});
        blurred->setIsBlur(true);
        blurred->setBlurOpacity(static_cast<float>(i));
    }

    const auto add = [&](double y, double height, float progress) {
        auto made = ns::make<Bar>(cg::Rect{10, y, 300, height});
        made->setBarColor(ui::Color(0.86, 1));
        made->setFirstColor(ui::Color::red());
        made->setSecondColor(ui::Color::blue());
        made->setProgress(progress, false);
        board->addSubview(made);
        return made;
    };
    add(130, 8, 0);
    add(148, 8, 35);
    add(166, 8, 100);
    add(184, 16, 60)->setBarInset(2);
    add(210, 16, 60)->setIsCornersRounded(false);
    auto dark = add(236, 16, 70);
    dark->setBarColor(ui::Color(0.15, 1));
    dark->setFirstColor(ui::Color(0, 0.8, 0.2, 1));
    dark->setSecondColor(ui::Color(1, 0.9, 0, 1));
    auto animated = add(262, 8, 20);
    animated->setAnimationDuration(2);
    animated->setProgress(80, true);
    advance(1);
    // Presentation values: the animated bar halfway.
    board->layoutIfNeeded();
    ca::Renderer renderer(board->bounds().size, 2);
    testing::expectMatchesGolden(renderer.render(*board->layer(), ca::RenderMode::presentation(ca::currentMediaTime())),
                                 "pellavo_gradient_progress");
}

} // namespace
} // namespace pellavo
