#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "pellavo/Pellavo.hpp"
#include "platform/ca/GradientLayer.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "tests/support/AppTest.hpp"

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
    // The progress is set first, then the minimum, then the maximum, on a 200-point bar.
    struct Row {
        float progress, minimum, maximum, clamped, width;
    };
    const Row rows[] = {
        {50, 0, 100, 50, 100}, {150, 0, 100, 100, 200},  {-5, 0, 100, 0, 0},
        {3, 5, 5, 5, 0},       {50, 0, 30, 30, 200},     {0, -3e38f, 3e38f, 0, 0},
    };
    for (const Row& row : rows) {
        auto made = add({0, 0, 200, 8});
        made->setProgress(row.progress, false);
        made->setMinimumValue(row.minimum);
        made->setMaximumValue(row.maximum);
        EXPECT_EQ(made->progress(), row.clamped) << row.progress;
        EXPECT_EQ(float(constant(*made)), row.width) << row.progress;
        made->layoutIfNeeded();
        EXPECT_EQ(float(track(*made).frame().width()), row.width) << row.progress;
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

} // namespace
} // namespace pellavo
