#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "pellavo/Pellavo.hpp"
#include "platform/ca/BackdropLayer.hpp"
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

constexpr float nan = std::numeric_limits<float>::quiet_NaN();
constexpr float inf = std::numeric_limits<float>::infinity();

void expectPoint(cg::Point actual, cg::Point expected, const char* what) {
    EXPECT_NEAR(actual.x, expected.x, 1e-6) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-6) << what;
}

class VXGradientViewTest : public testing::AppTest {
protected:
    static std::shared_ptr<VXGradientView> redToBlue(ui::View& parent, cg::Rect frame) {
        auto view = ns::make<VXGradientView>(frame);
        view->setFirstColor(ui::Color::red());
        view->setSecondColor(ui::Color::blue());
        parent.addSubview(view);
        return view;
    }
    // A red-to-blue view in the window, drawn once.
    std::shared_ptr<VXGradientView> drawn() {
        auto view = redToBlue(*window(), {0, 0, 100, 10});
        runUntilIdle();
        return view;
    }
    static float alphaOf(const VXGradientView& view, std::size_t i) {
        return static_cast<float>(view.gradientLayer()->colors().at(i).alpha);
    }
    static void expectStops(const VXGradientView& view, float first, float second) {
        const auto stops = view.gradientLayer()->locations().value_or(std::vector<double>{});
        ASSERT_EQ(stops.size(), 2u);
        EXPECT_NEAR(stops[0], first, 1e-6);
        EXPECT_NEAR(stops[1], second, 1e-6);
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
    const double alpha = 0.9f;
    EXPECT_EQ(gradient->colors(), (std::vector<cg::Color>{{1, 0, 0, alpha}, {0, 0, 1, alpha}}));
    expectPoint(gradient->startPoint(), {0, 0.5}, "start");
    expectPoint(gradient->endPoint(), {1, 0.5}, "end");
    expectStops(*view, 0.6f, 1);

    auto plain = ns::make<VXGradientView>(cg::Rect{0, 20, 50, 50});
    window()->addSubview(plain);
    runUntilIdle();
    ASSERT_EQ(plain->layer()->sublayers().size(), 1u);
    EXPECT_EQ(plain->layer()->sublayers()[0], plain->gradientLayer());
    EXPECT_EQ(plain->gradientLayer()->colors(), (std::vector<cg::Color>{{1, 1, 1, 1}, {1, 1, 1, 1}}));
    expectPoint(plain->gradientLayer()->startPoint(), {0.5, 0}, "default start");
    expectPoint(plain->gradientLayer()->endPoint(), {0.5, 1}, "default end");
    EXPECT_EQ(plain->gradientLayer()->locations(), (std::vector<double>{0, 1}));
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
        expectStops(*view, row.first, row.second);
    }
    view->setColorRatio(0.1f);
    view->setFadeIntensity(1);
    EXPECT_EQ(view->gradientLayer()->locations(), (std::vector<double>{0.0f, 0.2f}));

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

TEST_F(VXGradientViewTest, PaintsLeftToRight) {
    auto view = drawn();
    view->setAngleº(90);
    const auto picture = testing::renderView(*view);
    const auto left = testing::pixelAt(picture, 0.5, 5);
    const auto right = testing::pixelAt(picture, 99.5, 5);
    const auto middle = testing::pixelAt(picture, 50, 5);
    EXPECT_TRUE(left.r > 240 && left.b < 20) << left;
    EXPECT_TRUE(right.b > 240 && right.r < 20) << right;
    EXPECT_TRUE(middle.r > 60 && middle.b > 60) << middle;
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

// Angles, transitions, the blur over stripes and bars, as the gallery shows them, with
// the animated bar halfway.
TEST_F(VXGradientViewTest, GoldenGradientsAndBars) {
    auto board = ns::make<ui::View>(cg::Rect{0, 0, 340, 300});
    board->setBackgroundColor(ui::Color(0.97, 1));
    window()->addSubview(board);
    const auto gradient = [&](cg::Rect frame) { return redToBlue(*board, frame); };
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

    const auto bar = [&](double y, double height, float progress) {
        auto made = ns::make<VXLinearProgressView>(cg::Rect{10, y, 300, height});
        made->setBarColor(ui::Color(0.86, 1));
        made->setFirstColor(ui::Color::red());
        made->setSecondColor(ui::Color::blue());
        made->setProgress(progress, false);
        board->addSubview(made);
        return made;
    };
    bar(130, 8, 0);
    bar(148, 8, 35);
    bar(166, 8, 100);
    bar(184, 16, 60)->setBarInset(2);
    bar(210, 16, 60)->setIsCornersRounded(false);
    auto dark = bar(236, 16, 70);
    dark->setBarColor(ui::Color(0.15, 1));
    dark->setFirstColor(ui::Color(0, 0.8, 0.2, 1));
    dark->setSecondColor(ui::Color(1, 0.9, 0, 1));
    auto animated = bar(262, 8, 20);
    animated->setAnimationDuration(2);
    animated->setProgress(80, true);
    advance(1);

    board->layoutIfNeeded();
    ca::Renderer renderer(board->bounds().size, 2);
    const auto& picture = renderer.render(*board->layer(), ca::RenderMode::presentation(ca::currentMediaTime()));
    // Green stays out of the gradient, so its spread along a row measures what is left
    // of the stripes: under the view at opacity 1, and beside it.
    const auto spread = [&](double from, double to) {
        int low = 255, high = 0;
        for (double x = from; x < to; x += 0.5) {
            const int g = testing::pixelAt(picture, x, 90).g;
            low = std::min(low, g);
            high = std::max(high, g);
        }
        return high - low;
    };
    EXPECT_LT(spread(270, 300) * 4, spread(326, 330));
    testing::expectMatchesGolden(picture, "pellavo_gradient_progress");
}

} // namespace
} // namespace pellavo
