#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "pellavo/Pellavo.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ns/NotificationCenter.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/control/Button.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "platform/ui/gesture/PanGestureRecognizer.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo {
namespace {

using Event = ui::Control::Event;
using GState = ui::GestureRecognizer::State;
constexpr double inf = std::numeric_limits<double>::infinity();

struct Counter {
    int count = 0;
    std::function<void()> onChange;
    void changed() {
        ++count;
        if (onChange) onChange();
    }
};

class GMStepperTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        stepper = ns::make<GMStepper>(cg::Rect{0, 0, 200, 40});
        window()->addSubview(stepper);
        stepper->layoutIfNeeded();
        stepper->addTarget(counter, &Counter::changed, Event::valueChanged);
    }

    ui::Button& left() const { return static_cast<ui::Button&>(*stepper->subviews()[0]); }
    ui::Button& right() const { return static_cast<ui::Button&>(*stepper->subviews()[1]); }
    ui::Label& label() const { return static_cast<ui::Label&>(*stepper->subviews()[2]); }
    std::string text() const { return label().text().value_or("<none>").utf8(); }
    ui::PanGestureRecognizer& pan() const {
        return static_cast<ui::PanGestureRecognizer&>(*label().gestureRecognizers().at(0));
    }
    double labelX() const { return label().center().x; }
    double shownLabelX() const { return label().layer()->presentation()->position().x; }
    // One pan event in `state`: a translation of `dx` at velocity `vx`.
    void panBy(double dx, double vx, GState state = GState::changed) {
        driver().driveGesture(pan(), state, {{100, 20}, {dx, 0}, {vx, 0}});
    }
    ui::TestDriver::TouchId press(cg::Point point) { return driver().touchDown(point); }

    std::shared_ptr<GMStepper> stepper;
    std::shared_ptr<Counter> counter = std::make_shared<Counter>();
    static constexpr cg::Point leftPoint{25, 20};
    static constexpr cg::Point rightPoint{175, 20};
};

TEST_F(GMStepperTest, NewStepperShowsItsDefaults) {
    EXPECT_EQ(text(), "0");
    EXPECT_EQ(left().title(ui::Control::State::normal)->utf8(), "\u2212");
    EXPECT_EQ(right().title(ui::Control::State::normal)->utf8(), "+");
    EXPECT_EQ(stepper->buttonsFont().fontName(), "AvenirNext-Bold");
    EXPECT_EQ(stepper->buttonsFont().pointSize(), 20);
    EXPECT_EQ(label().font().fontName(), "AvenirNext-Bold");
    EXPECT_EQ(label().font().pointSize(), 25);
    EXPECT_EQ(left().titleLabel()->font().pointSize(), 20);
}

TEST_F(GMStepperTest, ValueIsClampedAndAnnouncedOnlyWhenItChanges) {
    stepper->setValue(-3);
    EXPECT_EQ(stepper->value(), 0);
    EXPECT_EQ(counter->count, 0);
    stepper->setValue(10001);
    EXPECT_EQ(stepper->value(), 10000);
    EXPECT_EQ(text(), "10000");
    EXPECT_EQ(counter->count, 1);
    stepper->setValue(10000);
    EXPECT_EQ(counter->count, 1);

    stepper->setValue(5);
    counter->count = 0;
    stepper->setMinimumValue(20);
    EXPECT_EQ(stepper->value(), 20);
    EXPECT_EQ(text(), "20");
    EXPECT_EQ(counter->count, 1);
    stepper->setMaximumValue(100);
    EXPECT_EQ(counter->count, 1);
    // A minimum above the maximum gives the maximum; NaN limits are ignored.
    stepper->setMinimumValue(200);
    EXPECT_EQ(stepper->value(), 100);
    stepper->setMaximumValue(std::nan(""));
    stepper->setStepValue(std::nan(""));
    EXPECT_EQ(stepper->maximumValue(), 100);
    EXPECT_EQ(stepper->stepValue(), 1);

    for (auto [weight, stored] : {std::pair{1.5, 1.0}, {-1.0, 0.0}, {std::nan(""), 0.0}, {0.3, 0.3}}) {
        stepper->setLabelWidthWeight(weight);
        EXPECT_EQ(stepper->labelWidthWeight(), stored) << weight;
    }
}

TEST_F(GMStepperTest, ItemsNameIntegralValuesInRange) {
    stepper->setMaximumValue(2);
    stepper->setValue(1);
    stepper->setItems({"a", "b", "c"});
    EXPECT_EQ(text(), "b");

    auto other = ns::make<GMStepper>(cg::Rect{0, 0, 200, 40});
    auto events = std::make_shared<Counter>();
    other->addTarget(events, &Counter::changed, Event::valueChanged);
    other->setValue(5);
    events->count = 0;
    other->setItems({"a", "b", "c"});
    EXPECT_EQ(other->value(), 2);
    EXPECT_EQ(static_cast<ui::Label&>(*other->subviews()[2]).text()->utf8(), "c");
    EXPECT_EQ(events->count, 1);

    // Off the item indices, or with a step other than 1, the number shows.
    stepper->setMaximumValue(10);
    stepper->setValue(7);
    EXPECT_EQ(text(), "7");
    stepper->setMinimumValue(-5);
    stepper->setValue(-2);
    stepper->setItems({"x", "y"});
    EXPECT_EQ(text(), "-2");
    EXPECT_EQ(stepper->value(), -2);
    stepper->setValue(1);
    EXPECT_EQ(text(), "y");
    stepper->setStepValue(2);
    stepper->setValue(0);
    EXPECT_EQ(text(), "0");
}

TEST_F(GMStepperTest, LabelTextFormats) {
    struct Case {
        const char* name;
        std::function<void(GMStepper&)> apply;
        std::string expected;
    };
    const Case cases[] = {
        {"half", [](GMStepper& s) { s.setValue(1.5); }, "1.5"},
        {"integral with a half step", [](GMStepper& s) { s.setStepValue(0.5); s.setValue(2); }, "2"},
        {"integral kept as a double",
         [](GMStepper& s) { s.setShowIntegerIfDoubleIsInteger(false); s.setValue(2); }, "2.0"},
        {"negative", [](GMStepper& s) { s.setMinimumValue(-5); s.setValue(-2.5); }, "-2.5"},
        {"negative zero", [](GMStepper& s) { s.setMinimumValue(-1); s.setValue(-0.0); }, "0"},
        {"negative zero as a double",
         [](GMStepper& s) { s.setMinimumValue(-1); s.setShowIntegerIfDoubleIsInteger(false); s.setValue(-0.0); },
         "-0.0"},
        {"beyond int64", [](GMStepper& s) { s.setMaximumValue(inf); s.setValue(1e20); }, "100000000000000000000"},
        {"infinite", [](GMStepper& s) { s.setMinimumValue(-inf); s.setMaximumValue(inf); s.setValue(inf); }, "inf"},
        {"minus infinite",
         [](GMStepper& s) { s.setMinimumValue(-inf); s.setMaximumValue(inf); s.setValue(-inf); }, "-inf"},
        {"tiny", [](GMStepper& s) { s.setValue(0.00001); }, "1e-05"},
        {"tiny with digits", [](GMStepper& s) { s.setValue(0.000015); }, "1.5e-05"},
        {"huge fraction-free double",
         [](GMStepper& s) { s.setMaximumValue(inf); s.setShowIntegerIfDoubleIsInteger(false); s.setValue(1e16); },
         "1e+16"},
        {"not a number", [](GMStepper& s) { s.setMinimumValue(3); s.setValue(std::nan("")); }, "3"},
        {"three tenths",
         [](GMStepper& s) {
             s.setStepValue(0.1);
             for (int i = 0; i < 3; ++i) s.setValue(s.value() + s.stepValue());
         },
         "0.30000000000000004"},
    };
    for (const Case& c : cases) {
        auto s = ns::make<GMStepper>(cg::Rect{0, 0, 200, 40});
        c.apply(*s);
        EXPECT_EQ(static_cast<ui::Label&>(*s->subviews()[2]).text()->utf8(), c.expected) << c.name;
    }
}

TEST_F(GMStepperTest, LayoutAndLook) {
    EXPECT_EQ(left().frame(), (cg::Rect{0, 0, 50, 40}));
    EXPECT_EQ(label().frame(), (cg::Rect{50, 0, 100, 40}));
    EXPECT_EQ(right().frame(), (cg::Rect{150, 0, 50, 40}));

    stepper->setLabelWidthWeight(0.2);
    EXPECT_EQ(label().frame().size.width, 100); // at the next pass
    advance(0.01);
    EXPECT_EQ(label().frame(), (cg::Rect{80, 0, 40, 40}));
    EXPECT_EQ(right().frame(), (cg::Rect{120, 0, 80, 40}));

    const ui::Color border(1, 0, 0, 1);
    stepper->setStepBorderColor(border);
    stepper->setStepBorderWidth(1);
    for (ca::Layer* layer : {stepper->layer().get(), label().layer().get()}) {
        EXPECT_EQ(layer->borderWidth(), 1);
        EXPECT_EQ(layer->borderColor(), border.cgColor());
    }
    stepper->setStepCornerRadius(12);
    EXPECT_EQ(stepper->layer()->cornerRadius(), 12);
    EXPECT_TRUE(stepper->layer()->masksToBounds());

    const ui::Color green(0, 1, 0, 1);
    stepper->setButtonsBackgroundColor(green);
    for (ui::View* view : {static_cast<ui::View*>(&left()), static_cast<ui::View*>(&right()),
                           static_cast<ui::View*>(stepper.get())})
        EXPECT_EQ(view->backgroundColor(), green);

    // Pixels: the green buttons either side of the blue label, the red border at the edge.
    stepper->setStepBorderWidth(0);
    auto picture = testing::renderView(*stepper);
    testing::expectPixelNear(testing::pixelAt(picture, 20, 5), {0, 255, 0, 255}, 2);
    testing::expectPixelNear(testing::pixelAt(picture, 85, 5), {66, 153, 222, 255}, 2);
    testing::expectPixelNear(testing::pixelAt(picture, 190, 20), {0, 255, 0, 255}, 2);
}

TEST_F(GMStepperTest, RightPressStepsSlidesAndReturns) {
    auto id = press(rightPoint);
    EXPECT_EQ(stepper->value(), 1);
    EXPECT_EQ(counter->count, 1);
    EXPECT_EQ(labelX(), 105);
    EXPECT_LT(shownLabelX(), 105);
    advance(0.1);
    EXPECT_DOUBLE_EQ(shownLabelX(), 105);
    advance(0.2);
    driver().up(id, rightPoint);
    advance(1);
    EXPECT_EQ(stepper->value(), 1);
    EXPECT_EQ(counter->count, 1);
    EXPECT_DOUBLE_EQ(shownLabelX(), 100);
    EXPECT_TRUE(left().isEnabled());
    EXPECT_TRUE(label().isUserInteractionEnabled());
}

TEST_F(GMStepperTest, HoldingRepeatsOnTheAcceleratingGrid) {
    press(rightPoint);
    advance(2.5);
    EXPECT_EQ(stepper->value(), 6);
    advance(1.5);
    EXPECT_EQ(stepper->value(), 21);
    advance(1);
    EXPECT_EQ(stepper->value(), 41);
    EXPECT_EQ(counter->count, 41);
}

TEST_F(GMStepperTest, SmallAdvancesLandOnTheSameGrid) {
    press(rightPoint);
    for (int i = 0; i < 50; ++i) advance(0.05);
    EXPECT_EQ(stepper->value(), 6);
}

TEST_F(GMStepperTest, WithoutAutorepeatAPressStepsOnce) {
    stepper->setAutorepeat(false);
    press(rightPoint);
    advance(5);
    EXPECT_EQ(stepper->value(), 1);
}

TEST_F(GMStepperTest, PressAtTheMinimumFlashesAndLocksTheOthers) {
    const ui::Color flash(1, 0, 1, 1);
    stepper->setLimitHitAnimationColor(flash);
    auto id = press(leftPoint);
    EXPECT_EQ(counter->count, 0);
    EXPECT_EQ(left().backgroundColor(), flash);
    EXPECT_FALSE(right().isEnabled());
    EXPECT_FALSE(label().isUserInteractionEnabled());
    advance(0.2);

    // Another finger on the right button, or a drag on the label, does nothing.
    auto other = driver().touchDown(rightPoint);
    driver().up(other, rightPoint);
    driver().drag({100, 20}, {140, 20}, 10, 0.2);
    advance(1);
    EXPECT_EQ(stepper->value(), 0);
    EXPECT_EQ(labelX(), 100);

    driver().up(id, leftPoint);
    advance(0.2);
    EXPECT_EQ(left().backgroundColor(), stepper->buttonsBackgroundColor());
    EXPECT_TRUE(right().isEnabled());
}

TEST_F(GMStepperTest, CancelledPressStopsTheRepeat) {
    auto id = press(rightPoint);
    advance(0.6);
    driver().cancel(id);
    const double value = stepper->value();
    advance(3);
    EXPECT_EQ(stepper->value(), value);
    EXPECT_TRUE(left().isEnabled());
    EXPECT_TRUE(right().isEnabled());
    EXPECT_TRUE(label().isUserInteractionEnabled());
}

TEST_F(GMStepperTest, PanningStepsAtTheEdges) {
    panBy(0, 0, GState::began);
    EXPECT_FALSE(left().isEnabled());
    EXPECT_FALSE(right().isEnabled());
    // At the left edge the value is already the minimum: no event, the left button flashes
    // until the label leaves the edge.
    panBy(-10, -50);
    EXPECT_EQ(labelX(), 95);
    EXPECT_EQ(counter->count, 0);
    EXPECT_EQ(left().backgroundColor(), stepper->limitHitAnimationColor());
    panBy(3, 50);
    EXPECT_EQ(labelX(), 98);
    EXPECT_EQ(left().backgroundColor(), stepper->buttonsBackgroundColor());
    panBy(5, 50);
    EXPECT_EQ(labelX(), 103);
    EXPECT_EQ(stepper->value(), 0);

    // Pushed past the edge it stops there, steps once and repeats while held.
    panBy(10, 50);
    EXPECT_EQ(labelX(), 105);
    EXPECT_EQ(stepper->value(), 1);
    advance(2.5);
    EXPECT_EQ(stepper->value(), 6);

    // Back by one point: the repeat stops; back at the edge it steps again.
    panBy(-1, -50);
    EXPECT_EQ(labelX(), 104);
    advance(1);
    EXPECT_EQ(stepper->value(), 6);
    panBy(1, 50);
    EXPECT_EQ(stepper->value(), 7);

    panBy(0, 0, GState::ended);
    EXPECT_TRUE(left().isEnabled());
    EXPECT_TRUE(right().isEnabled());
    advance(0.1);
    EXPECT_DOUBLE_EQ(shownLabelX(), 100);
    EXPECT_EQ(stepper->value(), 7);
}

TEST_F(GMStepperTest, OneSweepAcrossRunsOneTimer) {
    stepper->setValue(5);
    panBy(0, 0, GState::began);
    panBy(-20, -500);
    EXPECT_EQ(stepper->value(), 4);
    panBy(40, 500);
    EXPECT_EQ(labelX(), 105);
    EXPECT_EQ(stepper->value(), 5);
    advance(0.5);
    EXPECT_EQ(stepper->value(), 6);
    // Non-finite movement leaves the label where it is.
    panBy(std::nan(""), inf);
    EXPECT_EQ(labelX(), 105);
}

TEST_F(GMStepperTest, PanBeforeLayoutDoesNothing) {
    auto fresh = ns::make<GMStepper>(cg::Rect{0, 0, 200, 40});
    auto& freshPan = *fresh->subviews()[2]->gestureRecognizers().at(0);
    driver().driveGesture(freshPan, GState::changed, {{0, 0}, {30, 0}, {100, 0}});
    EXPECT_EQ(fresh->value(), 0);
    EXPECT_EQ(fresh->subviews()[2]->center(), (cg::Point{0, 0}));
}

TEST_F(GMStepperTest, RealDragStepsAtTheEdgeAndComesHome) {
    auto id = driver().touchDown({100, 20});
    for (int i = 1; i <= 15; ++i) {
        advance(0.016);
        driver().move(id, {100.0 + 2 * i, 20});
    }
    EXPECT_EQ(labelX(), 105);
    advance(0.6);
    driver().up(id);
    EXPECT_EQ(stepper->value(), 2);
    advance(0.1);
    EXPECT_DOUBLE_EQ(shownLabelX(), 100);
    EXPECT_TRUE(left().isEnabled());
    EXPECT_TRUE(right().isEnabled());
}

TEST_F(GMStepperTest, ResignActiveResets) {
    press(rightPoint);
    advance(0.2);
    ns::NotificationCenter::defaultCenter().post(ns::UIApplicationWillResignActiveNotification);
    advance(3);
    EXPECT_EQ(stepper->value(), 1);
    EXPECT_TRUE(left().isEnabled());
    EXPECT_TRUE(label().isUserInteractionEnabled());
    EXPECT_DOUBLE_EQ(shownLabelX(), 100);

    // A stepper never laid out resets without moving its label.
    auto loose = ns::make<GMStepper>();
    ns::NotificationCenter::defaultCenter().post(ns::UIApplicationWillResignActiveNotification);
    advance(0.2);
    EXPECT_EQ(loose->subviews()[2]->center(), (cg::Point{0, 0}));
}

TEST_F(GMStepperTest, DroppedWhileHeldDiesAndIsNeverCalled) {
    press(rightPoint);
    std::weak_ptr<GMStepper> weak = stepper;
    stepper->removeFromSuperview();
    driver().cancelAll();
    stepper.reset();
    EXPECT_TRUE(weak.expired());
    const int count = counter->count;
    advance(1);
    ns::NotificationCenter::defaultCenter().post(ns::UIApplicationWillResignActiveNotification);
    EXPECT_EQ(counter->count, count);
}

TEST_F(GMStepperTest, TargetMayRemoveTheStepperDuringTheEvent) {
    counter->onChange = [this] {
        stepper->removeFromSuperview();
        stepper.reset();
    };
    auto id = press(rightPoint);
    EXPECT_EQ(stepper, nullptr);
    driver().up(id);
    advance(1);
    EXPECT_EQ(counter->count, 1);
}

TEST_F(GMStepperTest, CreatedAndSetByNameThroughTheRuntime) {
    auto& runtime = ns::Runtime::shared();
    auto object = runtime.create("GMStepper");
    auto created = std::dynamic_pointer_cast<GMStepper>(object);
    ASSERT_NE(created, nullptr);
    EXPECT_TRUE(runtime.setValue(*created, "maximumValue", ns::Value::of(5.0)));
    EXPECT_TRUE(runtime.setValue(*created, "value", ns::Value::of(9.0)));
    EXPECT_EQ(static_cast<ui::Label&>(*created->subviews()[2]).text()->utf8(), "5");
    EXPECT_TRUE(runtime.setValue(*created, "labelBackgroundColor", ns::Value::of(ui::Color::red())));
    EXPECT_EQ(created->labelBackgroundColor(), ui::Color::red());
    for (const char* key : {"items", "buttonsFont", "labelFont"})
        EXPECT_FALSE(runtime.propertyType("GMStepper", key).has_value()) << key;
    for (const char* action :
         {"leftButtonTouchDown:", "rightButtonTouchDown:", "buttonTouchUp:", "handleTimerFire:", "handlePan:", "reset"})
        EXPECT_TRUE(runtime.respondsToSelector(*created, ns::Selector(action))) << action;
}

TEST_F(GMStepperTest, InterfaceFileMakesItFromACoderAndRunsSetup) {
    auto nib = ui::Nib::fromData(R"(<interface version="1">
  <object class="GMStepper" frame="16 300 240 40">
    <property name="maximumValue" value="5"/>
    <property name="value" value="9"/>
    <property name="stepCornerRadius" value="8"/>
  </object>
</interface>)",
                                 "Stepper");
    const auto objects = nib->instantiate(nullptr);
    EXPECT_TRUE(nib->lastWarnings().empty());
    EXPECT_TRUE(ns::Runtime::shared().hasCoderFactory("GMStepper"));
    ASSERT_EQ(objects.size(), 1u);
    const auto made = std::dynamic_pointer_cast<GMStepper>(objects[0]);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->frame(), (cg::Rect{16, 300, 240, 40}));
    ASSERT_EQ(made->subviews().size(), 3u);  // setup() ran: both buttons and the label
    EXPECT_EQ(static_cast<ui::Label&>(*made->subviews()[2]).text()->utf8(), "5");
    EXPECT_EQ(made->layer()->cornerRadius(), 8);
    EXPECT_EQ(made->buttonsFont(), ui::Font("AvenirNext-Bold", 20));
}

TEST_F(GMStepperTest, GoldenStateMatrix) {
    auto board = ns::make<ui::View>(cg::Rect{0, 0, 232, 312});
    board->setBackgroundColor(ui::Color(0.93, 1));
    window()->addSubview(board);
    auto add = [&](double y, cg::Size size = {200, 40}) {
        auto s = ns::make<GMStepper>(cg::Rect{16, y, size.width, size.height});
        board->addSubview(s);
        return s;
    };
    add(8);
    auto top = add(56);
    top->setMaximumValue(100);
    top->setValue(100);
    auto sizes = add(104);
    sizes->setMaximumValue(4);
    sizes->setValue(2);
    sizes->setItems({"XS", "S", "M", "L", "XL"});
    auto half = add(152);
    half->setStepValue(0.5);
    half->setValue(2.5);
    auto custom = add(200, {160, 32});
    custom->setStepCornerRadius(20);
    custom->setStepBorderWidth(2);
    custom->setStepBorderColor(ui::Color::white());
    custom->setLabelWidthWeight(0.34);
    custom->setButtonsBackgroundColor(ui::Color(0.16, 0.62, 0.45, 1));
    custom->setLabelBackgroundColor(ui::Color(0.22, 0.75, 0.56, 1));
    custom->setValue(7);
    auto held = add(248);
    held->setLimitHitAnimationColor(ui::Color(0.9, 0.3, 0.25, 1));
    board->layoutIfNeeded();
    driver().touchDown({41, 268});
    advance(0.2);
    testing::expectMatchesGolden(testing::renderView(*board), "pellavo_gmstepper_states");
}

} // namespace
} // namespace pellavo
