#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "pellavo/DotsLoading/DotsLoadingView.hpp"
#include "pellavo/MaterialLoadingIndicator.hpp"
#include "platform/ca/BasicAnimation.hpp"
#include "platform/ca/CurrentMediaTime.hpp"
#include "platform/ca/KeyframeAnimation.hpp"
#include "platform/ca/MediaTimingFunction.hpp"
#include "platform/ca/Renderer.hpp"
#include "platform/ca/ShapeLayer.hpp"
#include "platform/ui/controller/ViewController.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/ExpectNear.hpp"
#include "tests/support/Golden.hpp"

namespace pellavo {
namespace {

constexpr double turn = 2 * std::numbers::pi;
using Keys = std::vector<std::string>;

class MaterialLoadingIndicatorTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        indicator = ns::make<MaterialLoadingIndicator>(cg::Rect{0, 0, 40, 40});
        window()->addSubview(indicator);
    }
    ca::ShapeLayer& arc() const { return static_cast<ca::ShapeLayer&>(*indicator->layer()->sublayers().at(0)); }
    std::shared_ptr<ca::ShapeLayer> shownArc() const {
        return std::dynamic_pointer_cast<ca::ShapeLayer>(arc().presentation());
    }
    double shownAngle() const {
        const auto t = indicator->layer()->presentation()->transform();
        return std::atan2(t.m12, t.m11);
    }
    static ca::Transform3D turned(double turns) { return ca::Transform3D::identity().rotated(turns * turn, 0, 0, 1); }

    std::shared_ptr<MaterialLoadingIndicator> indicator;
};

TEST_F(MaterialLoadingIndicatorTest, ArcIsAShortBlueStrokeOnTheWidthCircle) {
    EXPECT_EQ(arc().frame(), (cg::Rect{0, 0, 40, 40}));
    ASSERT_TRUE(arc().path());
    const auto& first = arc().path()->elements().at(0);
    EXPECT_EQ(first.type, cg::PathElementType::moveTo);
    testing::expectNear(first.points[0], {40, 20}, 1e-9);
    testing::expectNear(arc().path()->pathBoundingBox(), {0, 0, 40, 40}, 1e-9);
    EXPECT_NEAR(arc().path()->length(), 40 * std::numbers::pi, 0.05);
    EXPECT_EQ(arc().lineWidth(), 5);
    EXPECT_EQ(arc().lineCap(), cg::LineCap::round);
    EXPECT_EQ(arc().strokeStart(), 0);
    EXPECT_EQ(arc().strokeEnd(), 0.05);
    EXPECT_EQ(arc().strokeColor(), ui::Color::blue().cgColor());
    EXPECT_EQ(arc().fillColor(), ui::Color::clear().cgColor());
    EXPECT_EQ(arc().backgroundColor(), ui::Color::clear().cgColor());
    EXPECT_EQ(indicator->backgroundColor(), ui::Color::clear());
    EXPECT_TRUE(arc().animationKeys().empty());
    EXPECT_TRUE(indicator->layer()->animationKeys().empty());
}

TEST_F(MaterialLoadingIndicatorTest, StartingTwiceAddsTheAnimationsOnce) {
    indicator->startAnimating();
    indicator->startAnimating();
    EXPECT_EQ(arc().animationKeys(), (Keys{"color", "stroke"}));
    EXPECT_EQ(indicator->layer()->animationKeys(), Keys{"rotation"});
    const auto color = std::dynamic_pointer_cast<ca::KeyframeAnimation>(arc().animation("color"));
    ASSERT_TRUE(color);
    EXPECT_EQ(color->calculationMode(), ca::CalculationMode::paced);
    EXPECT_EQ(color->duration(), 10);
    EXPECT_EQ(color->repeatCount(), INFINITY);
    EXPECT_EQ(color->values().size(), 5u);
    const auto rotation = std::dynamic_pointer_cast<ca::BasicAnimation>(indicator->layer()->animation("rotation"));
    ASSERT_TRUE(rotation);
    EXPECT_TRUE(rotation->isCumulative());
    EXPECT_TRUE(rotation->isAdditive());
    EXPECT_EQ(rotation->duration(), 2.2);
}

TEST_F(MaterialLoadingIndicatorTest, HeadRunsAheadThenTailCatchesUpWhileTheViewTurns) {
    const auto f = [](double x) { return ca::MediaTimingFunction(0.39, 0.575, 0.565, 1.0).evaluate(x); };
    indicator->startAnimating();
    struct Row {
        double t;
        double start;
        double end;
    };
    double elapsed = 0;
    for (const Row& row : {Row{0.1, 0, 0.05}, Row{0.35, 0, 0.05 + 0.7 * f(0.5)}, Row{0.6, 0, 0.75}, Row{0.7, 0, 0.75},
                           Row{1.0, 0.7 * f(0.5), 0.75}}) {
        advance(row.t - elapsed);
        elapsed = row.t;
        EXPECT_NEAR(shownArc()->strokeStart(), row.start, 1e-9) << row.t;
        EXPECT_NEAR(shownArc()->strokeEnd(), row.end, 1e-9) << row.t;
        EXPECT_EQ(arc().strokeStart(), 0);
        EXPECT_EQ(arc().strokeEnd(), 0.05);
    }
    indicator->stopAnimating();
    indicator->startAnimating();
    advance(0.55);
    EXPECT_NEAR(shownAngle(), std::numbers::pi / 2, 1e-9);
    advance(2.2);
    EXPECT_NEAR(shownAngle(), std::numbers::pi / 2, 1e-9);
    EXPECT_TRUE(indicator->layer()->transform().isIdentity());
}

TEST_F(MaterialLoadingIndicatorTest, EachCycleTurnsTheArcOnAndStartsAnother) {
    indicator->startAnimating();
    const auto first = arc().animation("stroke");
    advance(1.2);
    testing::expectNear(arc().transform(), turned(0.7), 1e-9);
    ASSERT_TRUE(arc().animation("stroke"));
    EXPECT_NE(arc().animation("stroke"), first);
    advance(1.2);
    testing::expectNear(arc().transform(), turned(1.4), 1e-9);
    advance(3.6);
    EXPECT_NEAR(arc().transform().m11, -1, 1e-9);
}

TEST_F(MaterialLoadingIndicatorTest, StopEndsEverythingAndAStaleCycleStaysDead) {
    indicator->startAnimating();
    advance(1.5);
    indicator->stopAnimating();
    const auto idle = [&] {
        EXPECT_TRUE(arc().animationKeys().empty());
        EXPECT_TRUE(indicator->layer()->animationKeys().empty());
        EXPECT_TRUE(arc().transform().isIdentity());
        EXPECT_TRUE(indicator->layer()->transform().isIdentity());
    };
    idle();
    advance(2);
    idle();
    indicator->startAnimating();
    EXPECT_EQ(arc().animationKeys(), (Keys{"color", "stroke"}));
    EXPECT_EQ(indicator->layer()->animationKeys(), Keys{"rotation"});

    // Stopped and restarted in one turn: the removed cycle's completion must not turn
    // the arc or restart the fresh cycle.
    advance(0.5);
    indicator->stopAnimating();
    indicator->startAnimating();
    const auto fresh = arc().animation("stroke");
    EXPECT_TRUE(runUntilIdle());
    EXPECT_TRUE(loggedLines().empty());
    EXPECT_EQ(arc().animation("stroke"), fresh);
    EXPECT_TRUE(arc().transform().isIdentity());
    advance(1.2);
    testing::expectNear(arc().transform(), turned(0.7), 1e-9);
}

TEST_F(MaterialLoadingIndicatorTest, ColoursCycleAndAnAnimatingIndicatorCanBeDropped) {
    indicator->startAnimating();
    const auto first = indicator->colors().front().cgColor();
    EXPECT_EQ(shownArc()->strokeColor(), first);
    advance(10);
    ASSERT_TRUE(shownArc()->strokeColor());
    EXPECT_NEAR(shownArc()->strokeColor()->red, first.red, 1e-9);
    EXPECT_NEAR(shownArc()->strokeColor()->blue, first.blue, 1e-9);

    for (const auto& configure : std::vector<std::function<void(MaterialLoadingIndicator&)>>{
             [](MaterialLoadingIndicator& v) { v.setColors({}); },
             [](MaterialLoadingIndicator& v) { v.setAnimationDurring(0); }}) {
        indicator->stopAnimating();
        configure(*indicator);
        indicator->startAnimating();
        advance(1);
        EXPECT_TRUE(shownArc()->strokeColor());
    }
    EXPECT_EQ(shownArc()->strokeColor(), ui::Color::blue().cgColor());

    const std::weak_ptr<MaterialLoadingIndicator> weak = indicator;
    indicator->removeFromSuperview();
    indicator.reset();
    EXPECT_TRUE(weak.expired());
    advance(3);
    EXPECT_TRUE(loggedLines().empty());
    EXPECT_TRUE(printedLines().empty());
}

// Both indicators as the gallery shows them, 0.7 s after they start.
TEST_F(MaterialLoadingIndicatorTest, GoldenLoadingIndicators) {
    auto root = ns::make<ui::ViewController>();
    window()->setRootViewController(root);
    const auto board = root->view();
    board->setFrame({0, 0, 375, 240});
    board->setBackgroundColor(ui::Color::white());
    const auto add = [&](double x, double side) {
        auto view = ns::make<MaterialLoadingIndicator>(cg::Rect{x, 50 - side / 2, side, side});
        board->addSubview(view);
        return view;
    };
    add(16, 40)->startAnimating();
    auto custom = add(97, 60);
    custom->setColors({ui::Color(0.56, 0.27, 0.68, 1), ui::Color(0.0, 0.59, 0.53, 1), ui::Color(0.56, 0.27, 0.68, 1)});
    custom->startAnimating();
    auto fast = add(198, 80);
    fast->setAnimationDurring(3);
    fast->startAnimating();
    add(319, 40);
    ns::make<DotsLoadingView>()->show();
    advance(0.7);
    // As the screen shows it: the animations' values now, not the model.
    ca::Renderer renderer(board->bounds().size, 2);
    testing::expectMatchesGolden(renderer.render(*board->layer(), ca::RenderMode::presentation(ca::currentMediaTime())),
                                 "pellavo_loading_indicators");
}

} // namespace
} // namespace pellavo
