#include "platform/ui/control/Control.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ns/Runtime.hpp"
#include "platform/ui/event/Touch.hpp"
#include "platform/ui/event/TouchSet.hpp"
#include "tests/support/AppTest.hpp"

namespace pellavo::ui {
namespace {

using Log = std::vector<std::string>;

// Writes every tracking call and every event into a shared log.
class RecordingControl : public Control {
public:
    explicit RecordingControl(Log* log, const cg::Rect& frame = {}) : Control(frame), log_(log) {}

    bool beginTracking(const Touch& touch, const ui::Event* event) override {
        log_->push_back("begin");
        Control::beginTracking(touch, event);
        return acceptsTracking;
    }
    bool continueTracking(const Touch& touch, const ui::Event* event) override {
        log_->push_back(std::string("continue") + (isTouchInside() ? " inside" : " outside") +
                        (isHighlighted() ? " lit" : ""));
        Control::continueTracking(touch, event);
        return keepsTracking;
    }
    void endTracking(const Touch* touch, const ui::Event* event) override {
        log_->push_back("end");
        Control::endTracking(touch, event);
    }
    void cancelTracking(const ui::Event* event) override {
        log_->push_back("cancelTracking");
        Control::cancelTracking(event);
    }

    bool acceptsTracking = true;
    bool keepsTracking = true;

private:
    Log* log_;
};

// A plain view that notes every touch that reaches it.
class TouchNotingView : public View {
public:
    using View::View;
    void touchesBegan(const TouchSet& touches, const ui::Event* event) override {
        ++began;
        View::touchesBegan(touches, event);
    }
    void touchesEnded(const TouchSet& touches, const ui::Event* event) override {
        ++ended;
        View::touchesEnded(touches, event);
    }
    int began = 0;
    int ended = 0;
};

// A target with member actions, noting each call by name.
class Target : public ns::Object {
public:
    Target(Log* log, std::string name) : log_(log), name_(std::move(name)) {}
    void fire() { log_->push_back(name_); }
    void fireWithSender(Control& sender) { log_->push_back(name_ + " from " + std::string(sender.className())); }
    void down() { log_->push_back("touchDown"); }
    void upInside() { log_->push_back("touchUpInside"); }
    void upOutside() { log_->push_back("touchUpOutside"); }
    void cancelled() { log_->push_back("touchCancel"); }

    std::function<void()> onFire;
    void fireAndRun() {
        log_->push_back(name_);
        if (onFire) onFire();
    }

private:
    Log* log_;
    std::string name_;
};

class ControlTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        parent = ns::make<TouchNotingView>(cg::Rect{0, 0, 375, 667});
        window()->addSubview(parent);
        control = ns::make<RecordingControl>(&log, cg::Rect{100, 100, 100, 50});
        parent->addSubview(control);
        events = std::make_shared<Target>(&log, "events");
        control->addTarget(events, &Target::down, Control::Event::touchDown);
        control->addTarget(events, &Target::upInside, Control::Event::touchUpInside);
        control->addTarget(events, &Target::upOutside, Control::Event::touchUpOutside);
        control->addTarget(events, &Target::cancelled, Control::Event::touchCancel);
    }

    Log log;
    std::shared_ptr<TouchNotingView> parent;
    std::shared_ptr<RecordingControl> control;
    std::shared_ptr<Target> events;
};

TEST_F(ControlTest, TouchInsideRunsTheTrackingCallsAndEventsInOrder) {
    auto id = driver().touchDown({150, 125});
    EXPECT_TRUE(control->isTracking());
    EXPECT_TRUE(control->isHighlighted());
    EXPECT_EQ(control->state(), Control::State::highlighted);
    driver().move(id, {160, 130});
    driver().up(id, {160, 130});
    EXPECT_EQ(log, (Log{"begin", "touchDown", "continue inside lit", "end", "touchUpInside"}));
    EXPECT_FALSE(control->isTracking());
    EXPECT_FALSE(control->isHighlighted());
    EXPECT_FALSE(control->isTouchInside());
    EXPECT_EQ(parent->began, 0) << "a control keeps its touches";
    EXPECT_EQ(parent->ended, 0);
}

TEST_F(ControlTest, TheToleranceIsSeventyPointsAroundTheBounds) {
    // The control spans x 100…200; 69 pt past the right edge is still inside.
    auto id = driver().touchDown({150, 125});
    driver().move(id, {269, 125});
    driver().move(id, {271, 125});
    EXPECT_FALSE(control->isHighlighted());
    EXPECT_FALSE(control->isTouchInside());
    driver().up(id, {271, 125});
    EXPECT_EQ(log, (Log{"begin", "touchDown", "continue inside lit", "continue outside", "end", "touchUpOutside"}));

    log.clear();
    id = driver().touchDown({150, 125});
    driver().up(id, {150, 125 + 25 + 69});
    EXPECT_EQ(log, (Log{"begin", "touchDown", "end", "touchUpInside"}));
}

TEST_F(ControlTest, CancelCallsCancelTrackingAndNeverEndTracking) {
    auto id = driver().touchDown({150, 125});
    driver().cancel(id);
    EXPECT_EQ(log, (Log{"begin", "touchDown", "cancelTracking", "touchCancel"}));
    EXPECT_FALSE(control->isTracking());
    EXPECT_FALSE(control->isHighlighted());
}

TEST_F(ControlTest, RefusedOrStoppedTrackingStillEndsWithAnEvent) {
    control->acceptsTracking = false;
    auto id = driver().touchDown({150, 125});
    EXPECT_FALSE(control->isTracking());
    driver().move(id, {155, 125});
    driver().up(id, {155, 125});
    EXPECT_EQ(log, (Log{"begin", "touchDown", "touchUpInside"}));

    log.clear();
    control->acceptsTracking = true;
    control->keepsTracking = false;
    id = driver().touchDown({150, 125});
    driver().move(id, {155, 125});
    driver().move(id, {160, 125});
    driver().up(id, {160, 125});
    EXPECT_EQ(log, (Log{"begin", "touchDown", "continue inside lit", "touchUpInside"}));
}

TEST_F(ControlTest, ADisabledControlAbsorbsTheTouch) {
    control->setIsEnabled(false);
    EXPECT_EQ(control->state(), Control::State::disabled);
    EXPECT_EQ(window()->hitTest({150, 125}, nullptr), control);
    driver().tap({150, 125});
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(parent->began, 0);
    EXPECT_EQ(parent->ended, 0);
    EXPECT_FALSE(control->isHighlighted());
}

TEST_F(ControlTest, DisablingMidTouchDropsTheHighlight) {
    auto id = driver().touchDown({150, 125});
    control->setIsEnabled(false);
    EXPECT_FALSE(control->isHighlighted());
    EXPECT_EQ(control->state(), Control::State::disabled);
    driver().up(id, {150, 125});
    EXPECT_FALSE(control->isTracking());
    control->setIsEnabled(true);
    driver().tap({150, 125});
    EXPECT_EQ(log, (Log{"begin", "touchDown", "end", "touchUpInside", "begin", "touchDown", "end", "touchUpInside"}));
}

TEST_F(ControlTest, LeavingTheWindowMidTouchForgetsTheTouch) {
    driver().touchDown({150, 125});
    control->removeFromSuperview();
    EXPECT_FALSE(control->isTracking());
    EXPECT_FALSE(control->isHighlighted());
    driver().cancelAll();
    parent->addSubview(control);
    log.clear();
    driver().tap({150, 125});
    EXPECT_EQ(log, (Log{"begin", "touchDown", "end", "touchUpInside"}));
}

TEST_F(ControlTest, ATouchOnAPlainSubviewReachesTheControl) {
    auto child = ns::make<View>(cg::Rect{10, 10, 20, 20});
    control->addSubview(child);
    driver().tap({115, 115});
    EXPECT_EQ(log, (Log{"begin", "touchDown", "end", "touchUpInside"}));
    EXPECT_EQ(parent->began, 0);
}

TEST_F(ControlTest, ASecondFingerDoesNotDisturbTheTrackedOne) {
    control->setIsMultipleTouchEnabled(true);
    auto first = driver().touchDown({150, 125});
    auto second = driver().touchDown({160, 125});
    driver().up(second, {160, 125});
    EXPECT_TRUE(control->isTracking());
    driver().up(first, {150, 125});
    EXPECT_EQ(log, (Log{"begin", "touchDown", "end", "touchUpInside"}));
}

// ---------------------------------------------------------------- targets

class ControlTargetTest : public testing::AppTest {
protected:
    Log log;
    std::shared_ptr<Control> control = ns::make<Control>(cg::Rect{0, 0, 10, 10});
};

TEST_F(ControlTargetTest, TargetsAreCalledOnceEachInRegistrationOrder) {
    auto a = std::make_shared<Target>(&log, "a");
    auto b = std::make_shared<Target>(&log, "b");
    auto c = std::make_shared<Target>(&log, "c");
    control->addTarget(b, &Target::fire, Control::Event::valueChanged);
    control->addTarget(a, &Target::fire, Control::Event::valueChanged);
    control->addTarget(b, &Target::fire, Control::Event::valueChanged);
    control->addTarget(c, &Target::fireWithSender, Control::Event::valueChanged | Control::Event::touchDown);
    control->addTarget(a, &Target::fire, Control::Event::touchDown);
    EXPECT_EQ(control->targetCount(), 3u);

    control->sendActions(Control::Event::valueChanged);
    EXPECT_EQ(log, (Log{"b", "a", "c from UIControl"}));
    log.clear();
    control->sendActions(Control::Event::touchDown);
    EXPECT_EQ(log, (Log{"a", "c from UIControl"}));
    log.clear();
    control->sendActions(Control::Event::touchUpInside);
    EXPECT_TRUE(log.empty());
}

TEST_F(ControlTargetTest, TargetsAreHeldWeakly) {
    auto a = std::make_shared<Target>(&log, "a");
    auto b = std::make_shared<Target>(&log, "b");
    std::weak_ptr<Target> weakA = a;
    control->addTarget(a, &Target::fire, Control::Event::valueChanged);
    control->addTarget(b, &Target::fire, Control::Event::valueChanged);
    a.reset();
    EXPECT_TRUE(weakA.expired());
    control->sendActions(Control::Event::valueChanged);
    EXPECT_EQ(log, (Log{"b"}));
    EXPECT_EQ(control->targetCount(), 1u);
}

TEST_F(ControlTargetTest, RemovalTakesEventsAwayAndWorksDuringASend) {
    auto a = std::make_shared<Target>(&log, "a");
    auto b = std::make_shared<Target>(&log, "b");
    auto c = std::make_shared<Target>(&log, "c");
    control->addTarget(a, &Target::fireAndRun, Control::Event::valueChanged);
    control->addTarget(b, &Target::fire, Control::Event::valueChanged | Control::Event::touchDown);
    control->addTarget(c, &Target::fire, Control::Event::valueChanged);
    // a removes b from valueChanged and adds a new target, which waits for the next send.
    auto late = std::make_shared<Target>(&log, "late");
    a->onFire = [&] {
        control->removeTarget(b, &Target::fire, Control::Event::valueChanged);
        control->addTarget(late, &Target::fire, Control::Event::valueChanged);
    };
    control->sendActions(Control::Event::valueChanged);
    EXPECT_EQ(log, (Log{"a", "c"}));
    a->onFire = nullptr;

    log.clear();
    control->sendActions(Control::Event::valueChanged | Control::Event::touchDown);
    EXPECT_EQ(log, (Log{"a", "b", "c", "late"}));

    log.clear();
    control->removeTarget(c, nullptr, Control::Event::allEvents);
    control->removeTarget(nullptr, nullptr, Control::Event::touchDown);
    control->sendActions(Control::Event::valueChanged | Control::Event::touchDown);
    EXPECT_EQ(log, (Log{"a", "late"}));
}

TEST_F(ControlTargetTest, ATargetMayDestroyTheControlDuringASend) {
    auto a = std::make_shared<Target>(&log, "a");
    auto b = std::make_shared<Target>(&log, "b");
    std::weak_ptr<Control> weak = control;
    control->addTarget(a, &Target::fireAndRun, Control::Event::valueChanged);
    control->addTarget(b, &Target::fire, Control::Event::valueChanged);
    a->onFire = [&] { control.reset(); };
    weak.lock()->sendActions(Control::Event::valueChanged);
    EXPECT_EQ(log, (Log{"a", "b"}));
    EXPECT_TRUE(weak.expired());
}

// Registered with the object runtime so that actions can be named by selector.
class SelectorTarget : public ns::Object {
public:
    std::string_view className() const override { return "ControlTestSelectorTarget"; }
    void tapped(Control* sender) { senders.push_back(sender); }
    void ping() { ++pings; }
    std::vector<Control*> senders;
    int pings = 0;
};

TEST_F(ControlTargetTest, SelectorActionsGoThroughTheRuntime) {
    auto& runtime = ns::Runtime::shared();
    runtime.registerClass<SelectorTarget>("ControlTestSelectorTarget");
    runtime.addAction("ControlTestSelectorTarget", ns::Selector("tapped:"), &SelectorTarget::tapped);
    runtime.addAction("ControlTestSelectorTarget", ns::Selector("ping"), &SelectorTarget::ping);

    auto target = std::make_shared<SelectorTarget>();
    control->addTarget(target, ns::Selector("tapped:"), Control::Event::touchUpInside);
    control->addTarget(target, ns::Selector("tapped:"), Control::Event::touchUpInside);
    control->addTarget(target, ns::Selector("ping"), Control::Event::touchUpInside);
    control->sendActions(Control::Event::touchUpInside);
    EXPECT_EQ(target->senders, (std::vector<Control*>{control.get()}));
    EXPECT_EQ(target->pings, 1);

    control->removeTarget(target, ns::Selector("ping"), Control::Event::touchUpInside);
    control->sendActions(Control::Event::touchUpInside);
    EXPECT_EQ(target->senders.size(), 2u);
    EXPECT_EQ(target->pings, 1);

    std::weak_ptr<SelectorTarget> weak = target;
    target.reset();
    EXPECT_TRUE(weak.expired()) << "the control holds selector targets weakly too";
    control->sendActions(Control::Event::touchUpInside);
    EXPECT_EQ(control->targetCount(), 0u);
}

TEST_F(ControlTargetTest, ASenderOfAnotherClassIsNotPassedOn) {
    class Other : public Control {};
    struct Typed {
        int calls = 0;
        void act(Other&) { ++calls; }
    };
    auto typed = std::make_shared<Typed>();
    control->addTarget(typed, &Typed::act, Control::Event::valueChanged);
    control->sendActions(Control::Event::valueChanged);
    EXPECT_EQ(typed->calls, 0);
}

TEST_F(ControlTargetTest, TheRuntimesSelectedReachesAnOverridingControl) {
    // Keeps its own state, as a switch whose look lags behind the base flag does.
    class OwnSelection : public Control {
    public:
        bool isSelected() const override { return own; }
        void setIsSelected(bool selected) override {
            Control::setIsSelected(selected);
            own = !selected;
        }
        bool own = true;
    };
    auto& runtime = ns::Runtime::shared();
    auto own = ns::make<OwnSelection>();
    EXPECT_EQ(runtime.value(*own, "selected")->asBool(), true);
    EXPECT_TRUE(runtime.setValue(*own, "selected", ns::Value::of(true)));
    EXPECT_FALSE(own->own);
    EXPECT_EQ(runtime.value(*own, "selected")->asBool(), false);
    EXPECT_EQ(own->state(), Control::State::selected) << "state() keeps reading the stored flag";
}

} // namespace
} // namespace pellavo::ui
