#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "pellavo/Pellavo.hpp"
#include "platform/ca/BackdropLayer.hpp"
#include "platform/ca/GradientLayer.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo {
namespace {

constexpr float nan = std::numeric_limits<float>::quiet_NaN();
constexpr float inf = std::numeric_limits<float>::infinity();

void expectPoint(cg::Point actual, cg::Point expected, const char* what) {
    EXPECT_NEAR(actual.x, expected.x, 1e-6) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-6) << what;
}

class VXGradientViewTest : public testing::AppTest {
protected:
    // A red-to-blue view in the window, drawn once.
    std::shared_ptr<VXGradientView> drawn(cg::Rect frame = {0, 0, 100, 10}) {
        auto view = ns::make<VXGradientView>(frame);
        view->setFirstColor(ui::Color::red());
        view->setSecondColor(ui::Color::blue());
        window()->addSubview(view);
        runUntilIdle();
        return view;
    }
    static float alphaOf(const VXGradientView& view, std::size_t i) {
        return static_cast<float>(view.gradientLayer()->colors().at(i).alpha);
    }
    static std::vector<double> locations(const VXGradientView& view) {
        return view.gradientLayer()->locations().value_or(std::vector<double>{});
    }
};

TEST_F(VXGradientViewTest, SettingsWaitForTheFirstDrawingPass) {
    auto view = ns::make<VXGradientView>(cg::Rect{0, 0, 100, 10});
    EXPECT_EQ(view->gradientLayer(), nullptr);
    EXPECT_EQ(view->backgroundColor(), ui::Color::clear());
    view->setFirstColor(ui::Color::red());
    view->setSecondColor(ui::Color::blue());
    view->setAngleº(90);
    view->setColorRatio(0.8f);
    view->setIsBlur(true);
    EXPECT_EQ(view->gradientLayer(), nullptr);
    EXPECT_TRUE(view->layer()->sublayers().empty());

    window()->addSubview(view);
    runUntilIdle();
    const auto gradient = view->gradientLayer();
    ASSERT_NE(gradient, nullptr);
    const auto& sublayers = view->layer()->sublayers();
    ASSERT_EQ(sublayers.size(), 2u);
    EXPECT_NE(std::dynamic_pointer_cast<ca::BackdropLayer>(sublayers[0]), nullptr);
    EXPECT_EQ(sublayers[0], view->blurLayer());
    EXPECT_EQ(sublayers[1], gradient);
    EXPECT_EQ(gradient->frame(), view->bounds());
    ASSERT_EQ(gradient->colors().size(), 2u);
    EXPECT_EQ(gradient->colors()[0].red, 1);
    EXPECT_EQ(gradient->colors()[1].blue, 1);
    EXPECT_EQ(alphaOf(*view, 0), 0.9f);
    EXPECT_EQ(alphaOf(*view, 1), 0.9f);
    expectPoint(gradient->startPoint(), {0, 0.5}, "start");
    expectPoint(gradient->endPoint(), {1, 0.5}, "end");
    ASSERT_EQ(locations(*view).size(), 2u);
    EXPECT_NEAR(locations(*view)[0], 0.6, 1e-6);
    EXPECT_NEAR(locations(*view)[1], 1, 1e-6);

    auto plain = ns::make<VXGradientView>(cg::Rect{0, 20, 50, 50});
    window()->addSubview(plain);
    runUntilIdle();
    ASSERT_EQ(plain->layer()->sublayers().size(), 1u);
    EXPECT_EQ(plain->layer()->sublayers()[0], plain->gradientLayer());
    EXPECT_EQ(plain->gradientLayer()->colors(), (std::vector<cg::Color>{{1, 1, 1, 1}, {1, 1, 1, 1}}));
    expectPoint(plain->gradientLayer()->startPoint(), {0.5, 0}, "default start");
    expectPoint(plain->gradientLayer()->endPoint(), {0.5, 1}, "default end");
    EXPECT_EQ(locations(*plain), (std::vector<double>{0, 1}));
}

TEST_F(VXGradientViewTest, AngleIsNormalisedAndTurnsThePoints) {
    auto view = drawn();
    const float q85 = 85.0f / 90.0f;
    const float q95 = -95.0f / 90.0f;
    struct Row {
        float assigned, stored;
        cg::Point start, end;
    };
    const Row rows[] = {
        {90, 135, {0, 0.5}, {1, 0.5}},    {315, 0, {1, 0}, {0, 1}},
        {-90, 315, {1, 0.5}, {0, 0.5}},   {400, 85, {1 - q85, 0}, {q85, 1}},
        {135, 180, {0, 1}, {1, 0}},       {180, 225, {0.5, 1}, {0.5, 0}},
        {-500, -95, {1 - q95, 0}, {q95, 1}},
    };
    for (const Row& row : rows) {
        view->setAngleº(row.assigned);
        EXPECT_EQ(view->angleº(), row.stored) << row.assigned;
        expectPoint(view->gradientLayer()->startPoint(), row.start, "start");
        expectPoint(view->gradientLayer()->endPoint(), row.end, "end");
    }

    view->setAngleº(90);
    view->setAngleº(view->angleº());
    EXPECT_EQ(view->angleº(), 180);
    for (float bad : {nan, inf, -inf}) {
        view->setAngleº(bad);
        EXPECT_EQ(view->angleº(), 180) << bad;
        expectPoint(view->gradientLayer()->startPoint(), {0, 1}, "kept start");
    }
    // Far past any whole number of turns an integer could count: still finite.
    view->setAngleº(1e19f);
    EXPECT_TRUE(std::isfinite(view->angleº()));
    view->setAngleº(std::numeric_limits<float>::max());
    EXPECT_TRUE(std::isfinite(view->angleº()));
    EXPECT_TRUE(std::isfinite(view->gradientLayer()->startPoint().x));
}

TEST_F(VXGradientViewTest, RatioAndFadePlaceTheTransition) {
    auto view = drawn();
    struct Row {
        float ratio, fade, first, second;
    };
    const Row rows[] = {{0.8f, 1, 0.6f, 1},    {0.3f, 0.5f, 0.15f, 0.45f}, {0.3f, 0, 0.3f, 0.3f},
                        {0, 1, 0, 0},          {1, 1, 1, 1}};
    for (const Row& row : rows) {
        view->setColorRatio(row.ratio);
        view->setFadeIntensity(row.fade);
        const auto stops = locations(*view);
        ASSERT_EQ(stops.size(), 2u);
        EXPECT_NEAR(stops[0], row.first, 1e-6) << row.ratio << " " << row.fade;
        EXPECT_NEAR(stops[1], row.second, 1e-6) << row.ratio << " " << row.fade;
    }
    view->setColorRatio(0.1f);
    view->setFadeIntensity(1);
    EXPECT_EQ(locations(*view), (std::vector<double>{0.0f, 0.2f}));

    // Out-of-range settings are stored; the layer's drawing makes sense of them.
    for (float bad : {nan, 5.0f}) {
        view->setColorRatio(bad);
        view->setFadeIntensity(bad);
        EXPECT_TRUE(view->colorRatio() == bad || std::isnan(view->colorRatio())) << bad;
        const auto picture = testing::renderView(*view);
        EXPECT_EQ(testing::pixelAt(picture, 50, 5).a, 255) << bad;
    }
}

TEST_F(VXGradientViewTest, BlurSitsBelowATranslucentGradient) {
    auto view = drawn();
    view->setIsBlur(true);
    const auto blur = view->blurLayer();
    ASSERT_NE(std::dynamic_pointer_cast<ca::BackdropLayer>(blur), nullptr);
    EXPECT_EQ(view->layer()->sublayers(), (std::vector<std::shared_ptr<ca::Layer>>{blur, view->gradientLayer()}));
    EXPECT_EQ(alphaOf(*view, 0), 0.9f);
    view->setBlurOpacity(1);
    EXPECT_FLOAT_EQ(alphaOf(*view, 1), 0.4f);

    // A colour change while blurred is opaque until the next drawing pass.
    view->setFirstColor(ui::Color(0, 1, 0, 1));
    EXPECT_EQ(alphaOf(*view, 0), 1);
    view->setNeedsDisplay();
    runUntilIdle();
    EXPECT_FLOAT_EQ(alphaOf(*view, 0), 0.4f);

    // An emptied blur layer is found again on the blur view.
    view->setBlurLayer(nullptr);
    view->setBlurOpacity(0.5f);
    EXPECT_EQ(view->blurLayer(), blur);
    EXPECT_EQ(view->layer()->sublayers(), (std::vector<std::shared_ptr<ca::Layer>>{blur, view->gradientLayer()}));

    view->setBlurOpacity(1);
    view->setIsBlur(false);
    EXPECT_EQ(view->blurLayer(), nullptr);
    EXPECT_EQ(blur->superlayer(), nullptr);
    EXPECT_EQ(view->layer()->sublayers().size(), 1u);
    EXPECT_FLOAT_EQ(alphaOf(*view, 0), 0.4f);
}

TEST_F(VXGradientViewTest, PaintsLeftToRightAndBlursWhatLiesBeneath) {
    auto view = drawn();
    view->setAngleº(90);
    auto picture = testing::renderView(*view);
    const auto left = testing::pixelAt(picture, 0.5, 5);
    const auto right = testing::pixelAt(picture, 99.5, 5);
    const auto middle = testing::pixelAt(picture, 50, 5);
    EXPECT_GT(left.r, 240) << left;
    EXPECT_LT(left.b, 20) << left;
    EXPECT_GT(right.b, 240) << right;
    EXPECT_LT(right.r, 20) << right;
    EXPECT_TRUE(middle.r > 60 && middle.b > 60) << middle;

    // Two-point stripes, half under a blurred view at opacity 1: green stays out of
    // the gradient, so its spread measures what the blur leaves of the stripes.
    auto board = ns::make<ui::View>(cg::Rect{0, 0, 200, 40});
    board->setBackgroundColor(ui::Color::black());
    for (double x = 2; x < 200; x += 4) {
        auto stripe = ns::make<ui::View>(cg::Rect{x, 0, 2, 40});
        stripe->setBackgroundColor(ui::Color::white());
        board->addSubview(stripe);
    }
    auto blurred = ns::make<VXGradientView>(cg::Rect{0, 0, 100, 40});
    blurred->setFirstColor(ui::Color::red());
    blurred->setSecondColor(ui::Color::blue());
    blurred->setIsBlur(true);
    blurred->setBlurOpacity(1);
    board->addSubview(blurred);
    window()->addSubview(board);
    runUntilIdle();
    picture = testing::renderView(*board);
    const auto spread = [&](double from) {
        int low = 255, high = 0;
        for (double x = from; x < from + 20; x += 0.5) {
            const int g = testing::pixelAt(picture, x, 20).g;
            low = std::min(low, g);
            high = std::max(high, g);
        }
        return high - low;
    };
    EXPECT_LT(spread(40) * 4, spread(150));
}

TEST_F(VXGradientViewTest, ReachableByNameAndFromInterfaceFiles) {
    auto& runtime = ns::Runtime::shared();
    auto view = std::dynamic_pointer_cast<VXGradientView>(runtime.create("VXGradientView"));
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(runtime.setValue(*view, "angle\u00BA", ns::Value::of(90.0f)));
    EXPECT_EQ(view->angleº(), 135);
    for (const char* key : {"blurLayer", "gradientLayer"})
        EXPECT_FALSE(runtime.propertyType("VXGradientView", key).has_value()) << key;

    auto nib = ui::Nib::fromData(R"(<interface version="1">
  <object class="VXGradientView" frame="0 0 60 60">
    <property name="angleº" value="90"/>
    <property name="isBlur" value="true"/>
  </object>
</interface>)",
                                 "Gradient");
    const auto objects = nib->instantiate(nullptr);
    EXPECT_TRUE(nib->lastWarnings().empty());
    ASSERT_EQ(objects.size(), 1u);
    const auto made = std::dynamic_pointer_cast<VXGradientView>(objects[0]);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->angleº(), 135);
    EXPECT_TRUE(made->isBlur());
    EXPECT_EQ(made->frame(), (cg::Rect{0, 0, 60, 60}));
}

} // namespace
} // namespace pellavo
