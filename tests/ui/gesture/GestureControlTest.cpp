#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/control/Control.hpp"
#include "platform/ui/gesture/TapGestureRecognizer.hpp"
#include "tests/support/AppTest.hpp"

namespace pellavo::ui {
namespace {

// A control that notes its tracking calls and control events.
class TrackingControl : public Control {
public:
    using Control::Control;
    bool beginTracking(const Touch& touch, const ui::Event* event) override {
        log.push_back("begin");
        return Control::beginTracking(touch, event);
    }
    bool continueTracking(const Touch& touch, const ui::Event* event) override {
        log.push_back("continue");
        return Control::continueTracking(touch, event);
    }
    void endTracking(const Touch* touch, const ui::Event* event) override {
        log.push_back("end");
        Control::endTracking(touch, event);
    }
    void cancelTracking(const ui::Event* event) override {
        log.push_back("cancel");
        Control::cancelTracking(event);
    }
    std::vector<std::string> log;
};

class Flipper : public ns::Object {
public:
    void toggle() {
        ++toggles;
        if (control) control->log.push_back("toggle");
    }
    void upInside() {
        if (control) control->log.push_back("touchUpInside");
    }
    void cancelled() {
        if (control) control->log.push_back("touchCancel");
    }
    int toggles = 0;
    TrackingControl* control = nullptr;
};

class GestureControlTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        control = ns::make<TrackingControl>(cg::Rect{50, 100, 100, 40});
        window()->addSubview(control);
        box = ns::make<View>(cg::Rect{44, 14, 12, 12});
        control->addSubview(box);
        flipper = ns::make<Flipper>();
        flipper->control = control.get();
        control->addTarget(flipper, &Flipper::upInside, Control::Event::touchUpInside);
        control->addTarget(flipper, &Flipper::cancelled, Control::Event::touchCancel);
        tap = ns::make<TapGestureRecognizer>(flipper, &Flipper::toggle);
        box->addGestureRecognizer(tap);
    }

    std::shared_ptr<TrackingControl> control;
    std::shared_ptr<View> box;
    std::shared_ptr<Flipper> flipper;
    std::shared_ptr<TapGestureRecognizer> tap;
};

// The box's plain view passes its touches up to the control, which starts tracking;
// the tap recognises at the lift and takes the touch, so the control's tracking is
// cancelled instead of ended: one flip, not two.
TEST_F(GestureControlTest, TapOnAControlsSubviewGivesOneActionAndCancelsTracking) {
    driver().tap({100, 120});
    EXPECT_EQ(flipper->toggles, 1);
    EXPECT_EQ(control->log, (std::vector<std::string>{"begin", "cancel", "touchCancel", "toggle"}));
    EXPECT_FALSE(control->isTracking());
    EXPECT_FALSE(control->isHighlighted());
}

TEST_F(GestureControlTest, FailedTapLetsTheControlFinishTracking) {
    auto id = driver().touchDown({100, 120});
    driver().move(id, {100, 135}); // past the tap's allowance, still inside the control
    driver().up(id);
    EXPECT_EQ(flipper->toggles, 0);
    EXPECT_EQ(control->log, (std::vector<std::string>{"begin", "continue", "end", "touchUpInside"}));
}

TEST_F(GestureControlTest, TouchOnTheControlOutsideTheBoxIsTheControlsAlone) {
    driver().tap({60, 105});
    EXPECT_EQ(flipper->toggles, 0);
    EXPECT_EQ(control->log, (std::vector<std::string>{"begin", "end", "touchUpInside"}));
}

} // namespace
} // namespace pellavo::ui
