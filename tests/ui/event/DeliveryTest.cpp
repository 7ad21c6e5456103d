#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ns/NotificationCenter.hpp"
#include "platform/ui/event/Application.hpp"
#include "platform/ui/event/Event.hpp"
#include "platform/ui/event/Touch.hpp"
#include "platform/ui/event/TouchInterceptor.hpp"
#include "platform/ui/view/View.hpp"
#include "platform/ui/view/Window.hpp"
#include "tests/support/AppTest.hpp"

namespace pellavo::ui {
namespace {

using Log = std::vector<std::string>;

// Logs "<name>.<phase>:<touch count>" and optionally handles nothing itself.
class Recorder : public View {
public:
    Recorder(Log* log, std::string name, cg::Rect frame) : View(frame), log_(log), name_(std::move(name)) {}
    std::function<void(const TouchSet&)> onBegan;
    std::function<void(const TouchSet&)> onMoved;
    std::shared_ptr<Touch> lastTouch;
    std::optional<Event> lastEvent; // a copy: the event lives only during delivery

    void touchesBegan(const TouchSet& touches, const Event* event) override {
        record("began", touches, event);
        if (onBegan) onBegan(touches);
    }
    void touchesMoved(const TouchSet& touches, const Event* event) override {
        record("moved", touches, event);
        if (onMoved) onMoved(touches);
    }
    void touchesEnded(const TouchSet& touches, const Event* event) override { record("ended", touches, event); }
    void touchesCancelled(const TouchSet& touches, const Event* event) override {
        record("cancelled", touches, event);
    }

private:
    void record(const char* phase, const TouchSet& touches, const Event* event) {
        log_->push_back(name_ + "." + phase + ":" + std::to_string(touches.size()));
        lastTouch = touches.first();
        if (event) lastEvent = *event;
    }
    Log* log_;
    std::string name_;
};

class Delivery : public pellavo::testing::AppTest {
protected:
    std::shared_ptr<Recorder> recorder(const std::shared_ptr<View>& parent, std::string name, cg::Rect frame) {
        auto view = ns::make<Recorder>(&log, std::move(name), frame);
        parent->addSubview(view);
        return view;
    }
    Log log;
};

// What hosts hand `--frames`: a whole count above 0 or nothing.
TEST(ApplicationCommandLine, CountsAreWholeNumbersAboveZero) {
    EXPECT_EQ(Application::parseCount("12"), 12);
    for (const char* bad : {"0", "-3", "12x", "", "1.5", "99999999999999999999"})
        EXPECT_EQ(Application::parseCount(bad), std::nullopt) << bad;
    EXPECT_EQ(Application::parseCount(nullptr), std::nullopt);
}

TEST_F(Delivery, ATouchReachesTheSuperviewThroughAPlainSubview) {
    auto parent = recorder(window(), "parent", {0, 0, 200, 200});
    auto plain = ns::make<View>(cg::Rect{10, 10, 50, 50});
    parent->addSubview(plain);
    driver().tap({20, 20});
    EXPECT_EQ(log, (Log{"parent.began:1", "parent.ended:1"}));
    ASSERT_NE(parent->lastTouch, nullptr);
    EXPECT_EQ(parent->lastTouch->view(), plain);
    EXPECT_EQ(parent->lastTouch->window(), window());
    EXPECT_EQ(parent->lastTouch->location(plain), (cg::Point{10, 10}));
    EXPECT_EQ(parent->lastTouch->location(nullptr), (cg::Point{20, 20}));
    ASSERT_TRUE(parent->lastEvent.has_value());
    EXPECT_EQ(parent->lastEvent->touches(plain).size(), 1u);
    EXPECT_EQ(parent->lastEvent->touches(parent).size(), 0u);
}

TEST_F(Delivery, TheTouchKeepsItsViewUntilItEnds) {
    auto a = recorder(window(), "a", {0, 0, 100, 100});
    auto b = recorder(window(), "b", {100, 0, 100, 100});
    const auto id = driver().touchDown({50, 50});
    driver().move(id, {150, 50});
    driver().up(id, {160, 60});
    EXPECT_EQ(log, (Log{"a.began:1", "a.moved:1", "a.ended:1"}));
    const auto touch = driver().touch(id);
    EXPECT_EQ(touch->view(), a);
    EXPECT_EQ(touch->location(a), (cg::Point{160, 60}));
    EXPECT_EQ(touch->previousLocation(a), (cg::Point{150, 50}));
    EXPECT_EQ(touch->phase(), Touch::Phase::ended);

    // After the end the touch no longer keeps its view alive.
    std::weak_ptr<View> weak = a;
    a->removeFromSuperview();
    a.reset();
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(touch->view(), nullptr);
}

TEST_F(Delivery, OnlyMultipleTouchViewsHearASecondFinger) {
    auto single = recorder(window(), "single", {0, 0, 100, 100});
    auto multi = recorder(window(), "multi", {0, 100, 100, 100});
    multi->setIsMultipleTouchEnabled(true);

    const auto ids = driver().touchDown(std::vector<cg::Point>{{10, 10}, {20, 20}});
    driver().move({{ids[0], {11, 11}}, {ids[1], {21, 21}}});
    driver().up(ids[1]);
    driver().up(ids[0]);
    EXPECT_EQ(log, (Log{"single.began:1", "single.moved:1", "single.ended:1"}));
    EXPECT_EQ(driver().touch(ids[1])->view(), single); // it hit the view all the same

    log.clear();
    const auto first = driver().touchDown({10, 110});
    const auto second = driver().touchDown({20, 120});
    driver().move(second, {25, 125});
    driver().cancelAll();
    EXPECT_EQ(log, (Log{"multi.began:1", "multi.began:1", "multi.moved:1", "multi.cancelled:2"}));
    (void)first;
}

TEST_F(Delivery, ExclusiveTouchViewsKeepTheWindowToThemselves) {
    auto exclusive = recorder(window(), "x", {0, 0, 100, 100});
    exclusive->setIsExclusiveTouch(true);
    auto other = recorder(window(), "o", {100, 0, 100, 100});

    // While the exclusive view holds a touch, no other view starts one.
    const auto held = driver().touchDown({10, 10});
    const auto blocked = driver().touchDown({110, 10});
    driver().up(blocked);
    driver().up(held);
    EXPECT_EQ(log, (Log{"x.began:1", "x.ended:1"}));

    // And it starts nothing while another touch is live.
    log.clear();
    const auto first = driver().touchDown({110, 10});
    const auto second = driver().touchDown({10, 10});
    driver().up(second);
    driver().up(first);
    EXPECT_EQ(log, (Log{"o.began:1", "o.ended:1"}));

    // Another window is not affected.
    log.clear();
    auto otherWindow = ns::make<Window>(cg::Rect{0, 400, 375, 267});
    otherWindow->makeKeyAndVisible();
    auto elsewhere = recorder(otherWindow, "e", {0, 0, 100, 100});
    const auto x = driver().touchDown({10, 10}); // now in otherWindow's coordinates
    EXPECT_EQ(log, (Log{"e.began:1"}));
    pellavo::ui::TestDriver mainDriver(window());
    const auto y = mainDriver.touchDown({110, 10});
    EXPECT_EQ(log, (Log{"e.began:1", "o.began:1"}));
    driver().up(x);
    mainDriver.up(y);
}

TEST_F(Delivery, ViewsRemovedDuringDeliveryHearNothingMore) {
    auto a = recorder(window(), "a", {0, 0, 100, 100});
    auto b = recorder(window(), "b", {100, 0, 100, 100});
    b->setIsMultipleTouchEnabled(true);
    a->onBegan = [&](const TouchSet&) { b->removeFromSuperview(); };
    const auto ids = driver().touchDown(std::vector<cg::Point>{{10, 10}, {110, 10}});
    driver().move(ids[1], {120, 10});
    driver().up(ids[1]);
    EXPECT_EQ(log, (Log{"a.began:1"}));

    // A view removed mid-touch by its own callback gets no further calls.
    a->onMoved = [&](const TouchSet&) { a->removeFromSuperview(); };
    driver().move(ids[0], {20, 20});
    driver().move(ids[0], {30, 30});
    driver().up(ids[0]);
    EXPECT_EQ(log, (Log{"a.began:1", "a.moved:1"}));
}

TEST_F(Delivery, EventsSentDuringDeliveryWaitForItToFinish) {
    auto a = recorder(window(), "a", {0, 0, 100, 100});
    auto b = recorder(window(), "b", {100, 0, 100, 100});
    auto injected = ns::make<Touch>(cg::Point{110, 10});
    a->onBegan = [&](const TouchSet&) {
        app().sendEvent(Event(TouchSet{injected}));
        log.push_back("a.returned");
    };
    driver().touchDown({10, 10});
    EXPECT_EQ(log, (Log{"a.began:1", "a.returned", "b.began:1"}));
    EXPECT_EQ(injected->view(), b);
}

TEST_F(Delivery, PointsOutsideEveryWindowAndUnknownIdsReachNothing) {
    auto a = recorder(window(), "a", {0, 0, 100, 100});
    const auto id = driver().touchDown({-50, 10});
    driver().move(id, {10, 10});
    driver().up(id);
    EXPECT_EQ(driver().touch(id)->view(), nullptr);
    driver().move(999, {1, 1});
    driver().up(999);
    driver().cancel(id); // already ended
    driver().up(id);
    EXPECT_TRUE(log.empty());
    // An empty event is harmless.
    app().sendEvent(Event());
    EXPECT_TRUE(log.empty());
}

TEST_F(Delivery, TheTopmostVisibleWindowTakesNewTouches) {
    auto below = recorder(window(), "below", {0, 0, 375, 667});
    auto top = ns::make<Window>();
    auto above = recorder(top, "above", {0, 0, 100, 100});
    // Hidden windows take nothing.
    driver().tap({10, 10});
    EXPECT_EQ(log, (Log{"below.began:1", "below.ended:1"}));
    log.clear();
    top->setIsHidden(false);
    driver().tap({10, 10});
    driver().tap({200, 200}); // the top window's own background is hit
    EXPECT_EQ(log, (Log{"above.began:1", "above.ended:1"}));
    // A window that hit-tests nothing lets the touch through.
    top->setIsUserInteractionEnabled(false);
    log.clear();
    driver().tap({10, 10});
    EXPECT_EQ(log, (Log{"below.began:1", "below.ended:1"}));
}

TEST_F(Delivery, TheChainEndsAtTheApplication) {
    auto view = ns::make<View>(cg::Rect{0, 0, 10, 10});
    window()->addSubview(view);
    EXPECT_EQ(view->nextResponder(), window());
    EXPECT_EQ(window()->nextResponder().get(), &app());
    EXPECT_EQ(app().nextResponder(), nullptr);
    driver().tap({5, 5}); // forwarded all the way without harm
    EXPECT_TRUE(app().liveTouches().empty());
}

TEST_F(Delivery, TouchesCarryTimeAndDragAdvancesTheClock) {
    auto a = recorder(window(), "a", {0, 0, 300, 300});
    const double start = clock().seconds();
    driver().drag({10, 10}, {110, 10}, 4, 0.2);
    EXPECT_EQ(log, (Log{"a.began:1", "a.moved:1", "a.moved:1", "a.moved:1", "a.moved:1", "a.ended:1"}));
    EXPECT_NEAR(clock().seconds() - start, 0.2, 1e-9);
    EXPECT_NEAR(a->lastTouch->timestamp() - start, 0.2, 1e-9);
    EXPECT_EQ(a->lastTouch->location(a), (cg::Point{110, 10}));
    EXPECT_NEAR(a->lastEvent->timestamp() - start, 0.2, 1e-9);
}

// ---------------------------------------------------------------- the recogniser seam

class ScriptedInterceptor : public TouchInterceptor {
public:
    std::function<void(const Event&)> onEvent;
    bool delayEnds = false;
    int resets = 0;
    void interceptEvent(const Event& event) override {
        if (onEvent) onEvent(event);
    }
    bool shouldDelayTouchEnded(const Touch&) override { return delayEnds; }
    void reset() override { ++resets; }
};

class Seam : public Delivery {
protected:
    void SetUp() override {
        Delivery::SetUp();
        // The slot is process-wide (the gesture arena sits in it once a recogniser
        // exists): put back whatever was there so later tests keep their gestures.
        previous_ = app().touchInterceptor();
        interceptor = std::make_shared<ScriptedInterceptor>();
        app().setTouchInterceptor(interceptor);
    }
    void TearDown() override {
        app().setTouchInterceptor(previous_);
        Delivery::TearDown();
    }
    std::shared_ptr<ScriptedInterceptor> interceptor;

private:
    std::shared_ptr<TouchInterceptor> previous_;
};

TEST_F(Seam, TheInterceptorSeesEventsBeforeTheViews) {
    auto a = recorder(window(), "a", {0, 0, 100, 100});
    interceptor->onEvent = [&](const Event& event) {
        const auto touch = event.allTouches().first();
        log.push_back(std::string("intercept:") + (touch->view() == a ? "a" : "?"));
    };
    driver().tap({10, 10});
    EXPECT_EQ(log, (Log{"intercept:a", "a.began:1", "intercept:a", "a.ended:1"}));
}

TEST_F(Seam, ViewsRemovedWhileRecognisersLookAreSkipped) {
    auto a = recorder(window(), "a", {0, 0, 100, 100});
    auto b = recorder(window(), "b", {100, 0, 100, 100});
    interceptor->onEvent = [&](const Event& event) {
        for (const auto& touch : event.allTouches())
            if (touch->view() == b) b->removeFromSuperview();
    };
    driver().tap({110, 10});
    driver().tap({10, 10});
    EXPECT_EQ(log, (Log{"a.began:1", "a.ended:1"}));
}

TEST_F(Seam, HeldBackEndsAreReleasedOrCancelled) {
    auto a = recorder(window(), "a", {0, 0, 100, 100});
    interceptor->delayEnds = true;
    const auto first = driver().touchDown({10, 10});
    driver().up(first);
    EXPECT_EQ(log, (Log{"a.began:1"}));
    EXPECT_TRUE(app().liveTouches().empty());
    app().deliverDelayedTouchesEnded(TouchSet{driver().touch(first)});
    EXPECT_EQ(log, (Log{"a.began:1", "a.ended:1"}));
    // Released once only.
    app().deliverDelayedTouchesEnded(TouchSet{driver().touch(first)});
    app().cancelTouchesInViews(TouchSet{driver().touch(first)});
    EXPECT_EQ(log.size(), 2u);

    log.clear();
    const auto second = driver().touchDown({10, 10});
    driver().up(second);
    app().cancelTouchesInViews(TouchSet{driver().touch(second)});
    EXPECT_EQ(log, (Log{"a.began:1", "a.cancelled:1"}));
}

TEST_F(Seam, CancelledTouchesTellTheirViewsNothingMore) {
    auto a = recorder(window(), "a", {0, 0, 100, 100});
    const auto id = driver().touchDown({10, 10});
    interceptor->onEvent = [&](const Event& event) { app().cancelTouchesInViews(event.allTouches()); };
    driver().move(id, {20, 20});
    interceptor->onEvent = nullptr;
    driver().move(id, {30, 30});
    driver().up(id);
    EXPECT_EQ(log, (Log{"a.began:1", "a.cancelled:1"}));
    // The view is free for the next touch again.
    driver().tap({10, 10});
    EXPECT_EQ(log.size(), 4u);
}

TEST_F(Seam, ResetForgetsTouchesAndTellsTheInterceptor) {
    std::weak_ptr<View> weak = recorder(window(), "a", {0, 0, 100, 100});
    driver().touchDown({10, 10});
    EXPECT_EQ(app().liveTouches().size(), 1u);
    app().resetForTesting();
    // The forgotten touch no longer keeps its view alive.
    weak.lock()->removeFromSuperview();
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(app().liveTouches().empty());
    EXPECT_TRUE(app().windows().empty());
    EXPECT_EQ(interceptor->resets, 1);
}

// ---------------------------------------------------------------- application

using ApplicationTest = pellavo::testing::AppTest;

TEST_F(ApplicationTest, WindowsAreListedWhenShownAndTheKeyIsTheLatestVisible) {
    EXPECT_EQ(app().windows(), (std::vector<std::shared_ptr<Window>>{window()}));
    EXPECT_TRUE(window()->isKeyWindow());
    EXPECT_EQ(window()->frame(), (cg::Rect{0, 0, 375, 667}));
    EXPECT_TRUE(window()->layer()->isWindowRoot());

    auto second = ns::make<Window>();
    EXPECT_TRUE(second->isHidden());
    second->makeKey(); // key, but not yet visible
    EXPECT_EQ(app().keyWindow(), window());
    second->setIsHidden(false);
    EXPECT_EQ(app().keyWindow(), second);
    EXPECT_FALSE(window()->isKeyWindow());
    EXPECT_EQ(app().windows().size(), 2u);

    second->setIsHidden(true);
    EXPECT_EQ(app().keyWindow(), window());
    second->setIsHidden(false);
    window()->makeKeyAndVisible();
    EXPECT_EQ(app().windows(), (std::vector<std::shared_ptr<Window>>{window(), second}));
    app().removeWindow(window());
    EXPECT_EQ(app().keyWindow(), second);
    app().removeWindow(second);
    EXPECT_EQ(app().keyWindow(), nullptr);
}

TEST_F(ApplicationTest, FlagsNotificationsAndTextHooks) {
    EXPECT_FALSE(app().isNetworkActivityIndicatorVisible());
    app().setIsNetworkActivityIndicatorVisible(true);
    EXPECT_TRUE(app().isNetworkActivityIndicatorVisible());

    int heard = 0;
    const auto token = ns::NotificationCenter::defaultCenter().addObserver(
        "UIApplicationWillResignActiveNotification", nullptr, [&](const ns::Notification& note) {
            ++heard;
            EXPECT_EQ(note.object().get(), &app());
        });
    app().postWillResignActive();
    EXPECT_EQ(heard, 1);
    ns::NotificationCenter::defaultCenter().removeObserver(token);

    app().insertText("12");
    app().deleteBackward();
    app().returnKey();
    app().resetForTesting();
    EXPECT_FALSE(app().isNetworkActivityIndicatorVisible());
}

} // namespace
} // namespace pellavo::ui
