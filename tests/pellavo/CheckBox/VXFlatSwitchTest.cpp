#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "pellavo/Pellavo.hpp"
#include "platform/ca/BasicAnimation.hpp"
#include "platform/ca/CurrentMediaTime.hpp"
#include "platform/ca/ShapeLayer.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/graphics/BezierPath.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/ExpectNear.hpp"
#include "tests/support/Golden.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo {
namespace {

using Event = ui::Control::Event;
constexpr double tolerance = 1e-6;

struct Counter {
    int count = 0;
    void changed() { ++count; }
};

// What the three layers show: circle strokeEnd, trail opacity, check mark strokeEnd and strokeStart.
struct Look {
    double circleEnd, trailOpacity, checkEnd, checkStart;
};

void expectLook(const Look& actual, const Look& expected, const std::string& when) {
    EXPECT_NEAR(actual.circleEnd, expected.circleEnd, tolerance) << when;
    EXPECT_NEAR(actual.trailOpacity, expected.trailOpacity, tolerance) << when;
    EXPECT_NEAR(actual.checkEnd, expected.checkEnd, tolerance) << when;
    EXPECT_NEAR(actual.checkStart, expected.checkStart, tolerance) << when;
}

constexpr Look offLook{1, 0, 0, 0};
constexpr Look onLook{0, 1, 0.85, 0.3};

class VXFlatSwitchTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        sw = ns::make<VXFlatSwitch>(cg::Rect{0, 0, 40, 40});
        window()->addSubview(sw);
        sw->layoutIfNeeded();
        sw->addTarget(counter, &Counter::changed, Event::valueChanged);
    }

    static ca::ShapeLayer& shape(const VXFlatSwitch& s, int i) {
        return static_cast<ca::ShapeLayer&>(*s.layer()->sublayers().at(static_cast<std::size_t>(i)));
    }
    ca::ShapeLayer& trail() const { return shape(*sw, 0); }
    ca::ShapeLayer& circle() const { return shape(*sw, 1); }
    ca::ShapeLayer& check() const { return shape(*sw, 2); }

    static Look look(const ca::Layer& t, const ca::Layer& c, const ca::Layer& k) {
        const auto& circleShape = static_cast<const ca::ShapeLayer&>(c);
        const auto& checkShape = static_cast<const ca::ShapeLayer&>(k);
        return {circleShape.strokeEnd(), t.opacity(), checkShape.strokeEnd(), checkShape.strokeStart()};
    }
    Look model() const { return look(trail(), circle(), check()); }
    Look shown() const {
        return look(*trail().presentation(), *circle().presentation(), *check().presentation());
    }
    std::size_t keyCount() const {
        return trail().animationKeys().size() + circle().animationKeys().size() + check().animationKeys().size();
    }
    // The end values of a run from t₀, at each offset.
    void expectRun(const std::vector<std::pair<double, Look>>& rows) {
        double at = 0;
        for (const auto& [offset, expected] : rows) {
            advance(offset - at);
            at = offset;
            expectLook(shown(), expected, "at t0 + " + std::to_string(offset));
        }
    }

    std::shared_ptr<VXFlatSwitch> sw;
    std::shared_ptr<Counter> counter = std::make_shared<Counter>();
    static constexpr cg::Point centre{20, 20};
};

TEST_F(VXFlatSwitchTest, Geometry) {
    struct Row {
        cg::Size size;
        double lineWidth;
        double r, ox, oy;
    };
    for (const Row& row : {Row{{40, 40}, 2, 19, 1, 1}, Row{{60, 40}, 2, 19, 11, 1}, Row{{40, 80}, 4, 18, 2, 22},
                           Row{{1, 1}, 2, 0, 0.5, 0.5}, Row{{0, 0}, 2, 0, 0, 0}}) {
        auto s = ns::make<VXFlatSwitch>(cg::Rect{0, 0, row.size.width, row.size.height});
        s->setLineWidth(row.lineWidth);
        s->layoutIfNeeded();
        const std::string what = std::to_string(row.size.width) + " x " + std::to_string(row.size.height);
        const cg::Path oval = ui::BezierPath::ovalIn({row.ox, row.oy, 2 * row.r, 2 * row.r}).cgPath();
        EXPECT_EQ(shape(*s, 0).path(), oval) << what;
        EXPECT_EQ(shape(*s, 1).path(), oval) << what;
        // Its frame is the bounds before the rotation about the centre.
        EXPECT_EQ(shape(*s, 1).bounds(), s->bounds()) << what;
        EXPECT_EQ(shape(*s, 1).position(), (cg::Point{row.size.width / 2, row.size.height / 2})) << what;
        testing::expectNear(shape(*s, 1).transform(), ca::Transform3D::makeRotation(3.7000980142279785, 0, 0, 1));
        EXPECT_EQ(shape(*s, 2).frame(), s->bounds()) << what;
        const auto points = shape(*s, 2).path()->elements();
        ASSERT_EQ(points.size(), 3u) << what;
        testing::expectNear(points[1].points[0], {row.ox + 0.9 * row.r, row.oy + 1.4 * row.r}, 1e-9);
        // Degenerate bounds give a point-sized path at the centre, not a mirrored one.
        const cg::Rect reach = shape(*s, 2).path()->boundingBox();
        EXPECT_GE(reach.origin.x, row.ox - 1e-9) << what;
        EXPECT_LE(reach.origin.x + reach.size.width, row.ox + 2 * row.r + 1e-9) << what;
        ca::Renderer({4, 4}, 2).render(*s->layer(), ca::RenderMode::presentation(ca::currentMediaTime()));
    }

    const auto points = check().path()->elements();
    testing::expectNear(points[0].points[0], {3.887086173027903, 9.931533979569108}, 1e-9);
    testing::expectNear(points[1].points[0], {18.1, 27.6}, 1e-9);
    testing::expectNear(points[2].points[0], {34.554844419260576, 7.7870354159557476}, 1e-9);

    sw->setFrame({0, 0, 60, 40});
    advance(0.01);
    EXPECT_EQ(trail().path(), ui::BezierPath::ovalIn({11, 1, 38, 38}).cgPath()) << "a resize lays out again";

    sw->setLineWidth(4);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(shape(*sw, i).lineWidth(), 4);
    EXPECT_EQ(trail().path(), ui::BezierPath::ovalIn({11, 1, 38, 38}).cgPath()) << "the radius waits for layout";
    sw->setNeedsLayout();
    sw->layoutIfNeeded();
    EXPECT_EQ(trail().path(), ui::BezierPath::ovalIn({12, 2, 36, 36}).cgPath());

    sw->setLineWidth(std::numeric_limits<double>::quiet_NaN());
    sw->setLineWidth(std::numeric_limits<double>::infinity());
    EXPECT_EQ(sw->lineWidth(), 4);
    EXPECT_EQ(trail().lineWidth(), 4);
    sw->setLineWidth(-1);  // kept: the renderer draws it as nothing
    EXPECT_EQ(check().lineWidth(), -1);
}

TEST_F(VXFlatSwitchTest, RestingValues) {
    EXPECT_FALSE(sw->isSelected());
    expectLook(model(), offLook, "new");
    EXPECT_EQ(keyCount(), 0u);

    sw->setIsSelected(true);
    EXPECT_TRUE(sw->isSelected());
    expectLook(model(), onLook, "set on");

    auto& runtime = ns::Runtime::shared();
    EXPECT_TRUE(runtime.setValue(*sw, "selected", ns::Value::of(false)));
    EXPECT_EQ(runtime.value(*sw, "selected")->asBool(), false);
    expectLook(model(), offLook, "set off by name");
    EXPECT_EQ(sw->state(), ui::Control::State::normal);
    EXPECT_EQ(keyCount(), 0u);

    // The direct setter changes only the switch's own state, the base flag stays.
    sw->setSelected(true, false);
    EXPECT_EQ(runtime.value(*sw, "selected")->asBool(), true);
    EXPECT_EQ(sw->state(), ui::Control::State::normal);
    EXPECT_EQ(counter->count, 0);
}

TEST_F(VXFlatSwitchTest, TapTurnsItOnOnTheClock) {
    driver().tap(centre);
    EXPECT_EQ(counter->count, 1);
    EXPECT_TRUE(sw->isSelected());
    EXPECT_EQ(check().animationKeys(), std::vector<std::string>{"checkmarkAnimation"});
    EXPECT_EQ(circle().animationKeys(), std::vector<std::string>{"circleStrokeEnd"});
    EXPECT_EQ(trail().animationKeys(), std::vector<std::string>{"trailCircleColor"});
    expectRun({{0.075, {0.45, 0.25, 0.2625, 0}},
               {0.15, {-0.1, 0.5, 0.525, 0}},
               {0.225, {-0.1, 0.75, 0.7875, 0.25}},
               {0.3 * 0.95 / 1.05, {-0.1, 0.95 / 1.05, 0.95, 0.4 - (0.5 * (0.95 / 1.05 - 0.5) / 0.5 - 0.4)}},
               {0.3, {-0.1, 1, 0.85, 0.3}},
               {1.0, {-0.1, 1, 0.85, 0.3}}});
    expectLook(model(), offLook, "the model keeps the starting values");
}

TEST_F(VXFlatSwitchTest, TapTurnsItOff) {
    sw->setIsSelected(true);
    driver().tap(centre);
    EXPECT_FALSE(sw->isSelected());
    EXPECT_EQ(counter->count, 1);
    expectRun({{0.075, {0, 0.75, 0.7625, 0.25}},
               {0.15, {0, 0.5, 0.475, 0}},
               {0.225, {0.5, 0.25, 0.1875, 0}},
               {0.3, {1, 0, -0.1, 0}}});
    expectLook(model(), onLook, "the model keeps the starting values");
}

TEST_F(VXFlatSwitchTest, Interruptions) {
    driver().tap(centre);
    advance(0.1);
    driver().tap(centre);
    EXPECT_EQ(counter->count, 2);
    EXPECT_FALSE(sw->isSelected());
    EXPECT_EQ(keyCount(), 3u) << "only the new animations";
    const auto& fade = static_cast<const ca::BasicAnimation&>(*trail().animation("trailCircleColor"));
    EXPECT_EQ(fade.toValue(), std::optional<ca::Value>(0.0));
    expectLook(shown(), {0, 1, 0.85, 0.3}, "restarts from the on resting values");
    advance(1);
    expectLook(shown(), {1, 0, -0.1, 0}, "ends off");

    sw->setAnimatesOnTouch(false);
    driver().tap(centre);
    EXPECT_EQ(counter->count, 3);
    EXPECT_EQ(keyCount(), 0u);
    expectLook(shown(), onLook, "without animation");

    // Lifts within the control's 70 pt tolerance count as inside.
    struct Lift {
        double dx;
        bool toggles;
    };
    for (const Lift& lift : {Lift{60, true}, Lift{80, false}}) {
        const bool before = sw->isSelected();
        const auto id = driver().touchDown(centre);
        driver().up(id, {40 + lift.dx, 20});
        EXPECT_EQ(sw->isSelected() != before, lift.toggles) << lift.dx;
    }
}

TEST_F(VXFlatSwitchTest, PixelsOnScreen) {
    sw->setStrokeColor(ui::Color::blue());
    sw->setTrailStrokeColor(ui::Color(0, 1, 0, 1));
    advance(0.5);  // the colour changes animate implicitly
    const cg::RGBA8 blue{0, 0, 255, 255}, green{0, 255, 0, 255}, clear{0, 0, 0, 0};
    auto picture = testing::renderView(*sw, ca::RenderMode::presentation(ca::currentMediaTime()));
    testing::expectPixel(picture, 39, 20, 2, blue, "off: the circle");
    testing::expectPixel(picture, 18.1, 27.6, 2, clear, "off: no check mark");

    driver().tap(centre);
    advance(0.3);
    picture = testing::renderView(*sw, ca::RenderMode::presentation(ca::currentMediaTime()));
    testing::expectPixel(picture, 1, 20, 2, green, "on: the trail's leftmost point");
    testing::expectPixel(picture, 18.1, 27.6, 2, blue, "on: the bend");
    testing::expectPixel(picture, 39, 20, 2, green, "on: the circle is gone");
}

TEST_F(VXFlatSwitchTest, RuntimeAndLifetime) {
    auto& runtime = ns::Runtime::shared();
    auto made = std::dynamic_pointer_cast<VXFlatSwitch>(runtime.create("VXFlatSwitch"));
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(runtime.setValue(*made, "animatesOnTouch", ns::Value::of(false)));
    EXPECT_TRUE(runtime.setValue(*made, "trailStrokeColor", ns::Value::of(ui::Color::red())));
    EXPECT_TRUE(runtime.setValue(*made, "lineWidth", ns::Value::of(std::nan(""))));
    EXPECT_FALSE(made->animatesOnTouch());
    EXPECT_EQ(shape(*made, 0).strokeColor(), ui::Color::red().cgColor());
    EXPECT_EQ(made->lineWidth(), 2);
    EXPECT_TRUE(runtime.respondsToSelector(*made, ns::Selector("handleTouchUpInside")));

    auto nib = ui::Nib::fromData(R"(<interface version="1">
  <object class="VXFlatSwitch" frame="10 20 50 50">
    <property name="lineWidth" value="3"/>
  </object>
</interface>)",
                                 "Switch");
    const auto objects = nib->instantiate(nullptr);
    EXPECT_TRUE(nib->lastWarnings().empty());
    ASSERT_EQ(objects.size(), 1u);
    const auto loaded = std::dynamic_pointer_cast<VXFlatSwitch>(objects[0]);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->frame(), (cg::Rect{10, 20, 50, 50}));
    ASSERT_EQ(loaded->layer()->sublayers().size(), 3u) << "set-up ran once";
    for (int i = 0; i < 3; ++i) EXPECT_EQ(shape(*loaded, i).lineWidth(), 3);
    EXPECT_EQ(shape(*loaded, 1).strokeEnd(), 1);

    driver().tap(centre);
    std::weak_ptr<VXFlatSwitch> weak = sw;
    sw->removeFromSuperview();
    sw.reset();
    EXPECT_TRUE(weak.expired());
    advance(1);
    EXPECT_TRUE(printedLines().empty());
    EXPECT_TRUE(loggedLines().empty());
}

TEST_F(VXFlatSwitchTest, GoldenStateMatrix) {
    auto board = ns::make<ui::View>(cg::Rect{0, 0, 368, 104});
    board->setBackgroundColor(ui::Color::white());
    window()->addSubview(board);
    auto add = [&](double x, cg::Size size = {40, 40}) {
        auto s = ns::make<VXFlatSwitch>(cg::Rect{x, (104 - size.height) / 2, size.width, size.height});
        board->addSubview(s);
        return s;
    };
    add(8);
    add(56)->setIsSelected(true);
    auto custom = add(104, {80, 80});
    custom->setLineWidth(4);
    custom->setStrokeColor(ui::Color(0.0, 0.48, 1.0, 1));
    custom->setTrailStrokeColor(ui::Color::lightGray());
    custom->setIsSelected(true);
    add(192, {60, 40})->setIsSelected(true);
    add(260);
    add(308)->setIsSelected(true);
    board->layoutIfNeeded();
    driver().tap({280, 52});
    driver().tap({328, 52});
    advance(0.15);
    testing::expectMatchesGolden(testing::renderView(*board, ca::RenderMode::presentation(ca::currentMediaTime())),
                                 "pellavo_flat_switch");
}

} // namespace
} // namespace pellavo
