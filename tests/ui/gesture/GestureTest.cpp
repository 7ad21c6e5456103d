#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/ns/Runtime.hpp"
#include "platform/ui/event/Event.hpp"
#include "platform/ui/gesture/GestureArena.hpp"
#include "platform/ui/gesture/PanGestureRecognizer.hpp"
#include "platform/ui/gesture/PinchGestureRecognizer.hpp"
#include "platform/ui/gesture/TapGestureRecognizer.hpp"
#include "platform/ui/event/Touch.hpp"
#include "tests/support/AppTest.hpp"

namespace pellavo::ui {
namespace {

using State = GestureRecognizer::State;

// Writes every touch callback it gets into a shared log.
class LoggingView : public View {
public:
    explicit LoggingView(const cg::Rect& frame, std::vector<std::string>* log, std::string name)
        : View(frame), log_(log), name_(std::move(name)) {}

    void touchesBegan(const TouchSet& touches, const Event*) override { note("began", touches); }
    void touchesMoved(const TouchSet& touches, const Event*) override { note("moved", touches); }
    void touchesEnded(const TouchSet& touches, const Event*) override { note("ended", touches); }
    void touchesCancelled(const TouchSet& touches, const Event*) override { note("cancelled", touches); }

private:
    void note(const char* what, const TouchSet& touches) {
        for (std::size_t i = 0; i < touches.size(); ++i) log_->push_back(name_ + " " + what);
    }
    std::vector<std::string>* log_;
    std::string name_;
};

// Records each action call: the state it saw and what the recogniser reported then.
class Target : public ns::Object {
public:
    struct Call {
        State state;
        cg::Point location;
        cg::Point translation;
        cg::Point velocity;
        double scale = 1;
    };
    void tapped(TapGestureRecognizer& r) { calls.push_back({r.state(), r.location(r.view()), {}, {}, 1}); }
    void panned(PanGestureRecognizer& r) {
        calls.push_back({r.state(), r.location(r.view()), r.translation(r.view()), r.velocity(r.view()), 1});
        if (resetTranslation) r.setTranslation({0, 0}, r.view());
        if (onPan) onPan(r);
    }
    void pinched(PinchGestureRecognizer& r) { calls.push_back({r.state(), r.location(r.view()), {}, {}, r.scale()}); }
    void plain() { ++plainCount; }

    std::vector<State> states() const {
        std::vector<State> result;
        for (const auto& call : calls) result.push_back(call.state);
        return result;
    }

    std::vector<Call> calls;
    int plainCount = 0;
    bool resetTranslation = false;
    std::function<void(PanGestureRecognizer&)> onPan;
};

class Delegate : public GestureRecognizerDelegate {
public:
    bool gestureRecognizerShouldBegin(GestureRecognizer& r) override {
        ++beginAsked;
        if (onBegin) onBegin(r);
        return begin;
    }
    bool gestureRecognizerShouldReceive(GestureRecognizer& r, Touch& t) override {
        ++receiveAsked;
        if (onReceive) onReceive(r, t);
        return receive;
    }
    bool gestureRecognizerShouldRecognizeSimultaneously(GestureRecognizer&, GestureRecognizer&) override {
        return simultaneous;
    }
    bool begin = true;
    bool receive = true;
    bool simultaneous = false;
    int beginAsked = 0;
    int receiveAsked = 0;
    std::function<void(GestureRecognizer&)> onBegin;
    std::function<void(GestureRecognizer&, Touch&)> onReceive;
};

class GestureTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        view = ns::make<LoggingView>(cg::Rect{50, 100, 200, 200}, &log, "view");
        window()->addSubview(view);
        target = ns::make<Target>();
    }

    std::shared_ptr<TapGestureRecognizer> addTap(int taps = 1) {
        auto tap = ns::make<TapGestureRecognizer>(target, &Target::tapped);
        tap->setNumberOfTapsRequired(taps);
        view->addGestureRecognizer(tap);
        return tap;
    }
    std::shared_ptr<PanGestureRecognizer> addPan() {
        auto pan = ns::make<PanGestureRecognizer>(target, &Target::panned);
        view->addGestureRecognizer(pan);
        return pan;
    }
    std::shared_ptr<PinchGestureRecognizer> addPinch() {
        auto pinch = ns::make<PinchGestureRecognizer>(target, &Target::pinched);
        view->addGestureRecognizer(pinch);
        return pinch;
    }
    // A tap that only counts its recognitions in `to->plainCount`.
    static std::shared_ptr<TapGestureRecognizer> addPlainTap(View& on, const std::shared_ptr<Target>& to,
                                                             int taps = 1) {
        auto tap = ns::make<TapGestureRecognizer>(to, &Target::plain);
        tap->setNumberOfTapsRequired(taps);
        on.addGestureRecognizer(tap);
        return tap;
    }
    // A single tap (reporting calls) made to wait for a double tap (counting).
    std::pair<std::shared_ptr<TapGestureRecognizer>, std::shared_ptr<TapGestureRecognizer>> addSingleAndDoubleTap() {
        auto single = addTap(1);
        auto doubleTap = addPlainTap(*view, target, 2);
        single->requireToFail(doubleTap);
        return {single, doubleTap};
    }
    // A 100 × 100 logging child at the view's top left.
    std::shared_ptr<LoggingView> addChild() {
        auto child = ns::make<LoggingView>(cg::Rect{0, 0, 100, 100}, &log, "child");
        view->addSubview(child);
        return child;
    }

    std::vector<std::string> log;
    std::shared_ptr<LoggingView> view;
    std::shared_ptr<Target> target;
};

// ---------------------------------------------------------------- tap

TEST_F(GestureTest, TapAllowsMovementUpToTenPoints) {
    struct Case {
        double dx, dy;
        bool recognised;
    };
    const Case cases[] = {{9.9, 0, true}, {0, -9.9, true}, {7, 7, true}, {10.1, 0, false}, {0, 10.1, false}, {7.2, 7.2, false}};
    auto tap = addTap();
    for (const auto& c : cases) {
        target->calls.clear();
        log.clear();
        auto id = driver().touchDown({100, 200});
        driver().move(id, {100 + c.dx, 200 + c.dy});
        driver().up(id);
        SCOPED_TRACE(::testing::Message() << c.dx << "," << c.dy);
        if (c.recognised) {
            ASSERT_EQ(target->states(), std::vector<State>{State::ended});
            // The location is where the finger went down, in the view.
            EXPECT_EQ(target->calls[0].location, (cg::Point{50, 100}));
            EXPECT_EQ(log, (std::vector<std::string>{"view began", "view moved", "view cancelled"}));
        } else {
            EXPECT_TRUE(target->calls.empty());
            EXPECT_EQ(log, (std::vector<std::string>{"view began", "view moved", "view ended"}));
        }
        EXPECT_EQ(tap->state(), State::possible);
    }
}

TEST_F(GestureTest, TapFailsOnASecondFinger) {
    addTap();
    auto first = driver().touchDown({100, 200});
    auto second = driver().touchDown({150, 200});
    driver().up(second);
    driver().up(first);
    EXPECT_TRUE(target->calls.empty());
    // Once both fingers are gone it works again.
    driver().tap({100, 200});
    EXPECT_EQ(target->calls.size(), 1u);
}

TEST_F(GestureTest, DoubleTapHonoursTheIntervalAndDistance) {
    struct Case {
        double gap;
        cg::Point second;
        bool recognised;
    };
    const Case cases[] = {{0.0, {100, 200}, true},
                          {0.29, {100, 244}, true},
                          {0.31, {100, 200}, false},
                          {0.1, {100, 246}, false}};
    addTap(2);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.gap);
        target->calls.clear();
        driver().tap({100, 200});
        advance(c.gap);
        driver().tap(c.second);
        advance(1); // lets a waiting tap time out
        EXPECT_EQ(target->calls.size(), c.recognised ? 1u : 0u);
    }
}

TEST_F(GestureTest, FailedTapReleasesTheWithheldEnd) {
    // A double tap keeps the view's touchesEnded back while it waits for a second tap.
    addTap(2);
    driver().tap({100, 200});
    EXPECT_EQ(log, (std::vector<std::string>{"view began"}));
    advance(0.29);
    EXPECT_EQ(log, (std::vector<std::string>{"view began"}));
    advance(0.02);
    EXPECT_EQ(log, (std::vector<std::string>{"view began", "view ended"}));
    EXPECT_TRUE(target->calls.empty());
    EXPECT_EQ(GestureArena::shared().trackedTouchCount(), 0u);
}

TEST_F(GestureTest, RecognisedDoubleTapCancelsBothTapsInTheView) {
    addTap(2);
    driver().tap({100, 200}, 2);
    EXPECT_EQ(target->calls.size(), 1u);
    EXPECT_EQ(log, (std::vector<std::string>{"view began", "view began", "view cancelled", "view cancelled"}));
}

TEST_F(GestureTest, WithoutDelaysTouchesEndedTheEndIsNotHeld) {
    auto tap = addTap(2);
    tap->setDelaysTouchesEnded(false);
    driver().tap({100, 200});
    EXPECT_EQ(log, (std::vector<std::string>{"view began", "view ended"}));
}

TEST_F(GestureTest, WithoutCancelsTouchesInViewTheViewSeesTheEnd) {
    auto tap = addTap();
    tap->setCancelsTouchesInView(false);
    driver().tap({100, 200});
    EXPECT_EQ(target->calls.size(), 1u);
    EXPECT_EQ(log, (std::vector<std::string>{"view began", "view ended"}));
}

TEST_F(GestureTest, DelaysTouchesBeganHidesTakenTouchesFromTheView) {
    auto tap = addTap();
    tap->setDelaysTouchesBegan(true);
    // Recognised: the view never hears of the touch.
    driver().tap({100, 200});
    EXPECT_EQ(target->calls.size(), 1u);
    EXPECT_TRUE(log.empty());
    // Failed by moving: the view gets the began then, and everything after it.
    auto id = driver().touchDown({100, 200});
    driver().move(id, {100, 205});
    EXPECT_TRUE(log.empty());
    driver().move(id, {100, 215});
    EXPECT_EQ(log, (std::vector<std::string>{"view began", "view moved"}));
    driver().up(id);
    EXPECT_EQ(log, (std::vector<std::string>{"view began", "view moved", "view ended"}));
    // Waiting for a second tap: began and ended both follow once it gives up.
    log.clear();
    tap->setNumberOfTapsRequired(2);
    driver().tap({100, 200});
    EXPECT_TRUE(log.empty());
    advance(0.3);
    EXPECT_EQ(log, (std::vector<std::string>{"view began", "view ended"}));
    EXPECT_EQ(target->calls.size(), 1u);
}

TEST_F(GestureTest, SingleTapWaitsForTheDoubleTapToFail) {
    auto [single, doubleTap] = addSingleAndDoubleTap();

    driver().tap({100, 200});
    EXPECT_TRUE(target->calls.empty());
    advance(0.299);
    EXPECT_TRUE(target->calls.empty());
    advance(0.001);
    ASSERT_EQ(target->states(), std::vector<State>{State::ended});
    EXPECT_EQ(target->calls[0].location, (cg::Point{50, 100}));
    EXPECT_EQ(target->plainCount, 0);
    // The single tap took the touch: its held-back end became a cancel.
    EXPECT_EQ(log, (std::vector<std::string>{"view began", "view cancelled"}));

    // A double tap suppresses the single one.
    target->calls.clear();
    log.clear();
    driver().tap({100, 200}, 2);
    advance(1);
    EXPECT_TRUE(target->calls.empty());
    EXPECT_EQ(target->plainCount, 1);
    EXPECT_EQ(single->state(), State::possible);
    EXPECT_EQ(doubleTap->state(), State::possible);
}

// ---------------------------------------------------------------- pan

TEST_F(GestureTest, PanBeginsPastTheHysteresisWithTheFullTranslation) {
    addPan();
    auto id = driver().touchDown({100, 200});
    driver().move(id, {110, 200});
    EXPECT_TRUE(target->calls.empty());
    EXPECT_EQ(log, (std::vector<std::string>{"view began", "view moved"}));
    driver().move(id, {110.5, 200});
    ASSERT_EQ(target->states(), std::vector<State>{State::began});
    EXPECT_EQ(target->calls[0].translation, (cg::Point{10.5, 0}));
    EXPECT_EQ(target->calls[0].location, (cg::Point{60.5, 100}));
    // The view loses the touch when the pan begins.
    EXPECT_EQ(log, (std::vector<std::string>{"view began", "view moved", "view cancelled"}));
    driver().move(id, {110.5, 200}); // no change of location: no report
    driver().move(id, {120, 230});
    driver().up(id);
    EXPECT_EQ(target->states(), (std::vector<State>{State::began, State::changed, State::ended}));
    EXPECT_EQ(target->calls[1].translation, (cg::Point{20, 30}));
    EXPECT_EQ(target->calls[2].translation, (cg::Point{20, 30}));
    EXPECT_EQ(log.size(), 3u);
}

TEST_F(GestureTest, PanWithinTheHysteresisFails) {
    auto pan = addPan();
    auto id = driver().touchDown({100, 200});
    driver().move(id, {107, 207});
    driver().up(id);
    EXPECT_TRUE(target->calls.empty());
    EXPECT_EQ(pan->state(), State::possible);
    EXPECT_EQ(log, (std::vector<std::string>{"view began", "view moved", "view ended"}));
}

TEST_F(GestureTest, SetTranslationRebasesIt) {
    auto pan = addPan();
    target->resetTranslation = true;
    auto id = driver().touchDown({100, 200});
    driver().move(id, {120, 200});
    driver().move(id, {125, 190});
    driver().move(id, {125, 195});
    driver().up(id);
    ASSERT_EQ(target->calls.size(), 4u);
    EXPECT_EQ(target->calls[0].translation, (cg::Point{20, 0}));
    EXPECT_EQ(target->calls[1].translation, (cg::Point{5, -10}));
    EXPECT_EQ(target->calls[2].translation, (cg::Point{0, 5}));
    EXPECT_EQ(target->calls[3].translation, (cg::Point{0, 0}));
    // Non-finite values are ignored.
    pan->setTranslation({NAN, 1}, view);
    EXPECT_TRUE(pan->translation(view).isFinite());
}

TEST_F(GestureTest, TranslationFollowsTheViewScale) {
    view->setTransform(cg::AffineTransform::makeScale(2, 2));
    addPan();
    auto id = driver().touchDown({150, 200});
    driver().move(id, {170, 200});
    ASSERT_EQ(target->calls.size(), 1u);
    // 20 screen points are 10 points in a view drawn at twice its size.
    EXPECT_NEAR(target->calls[0].translation.x, 10, 1e-9);
    EXPECT_NEAR(target->calls[0].translation.y, 0, 1e-9);
    driver().up(id);
}

TEST_F(GestureTest, PanVelocityComesFromSamplesWithinATenthOfASecond) {
    addPan();
    auto id = driver().touchDown({100, 200});
    advance(0.05);
    driver().move(id, {120, 200}); // 20 pt in 0.05 s
    ASSERT_EQ(target->calls.size(), 1u);
    EXPECT_NEAR(target->calls[0].velocity.x, 400, 1e-6);
    advance(0.05);
    driver().move(id, {130, 210}); // 30, 10 since the down, 0.1 s ago
    EXPECT_NEAR(target->calls[1].velocity.x, 300, 1e-6);
    EXPECT_NEAR(target->calls[1].velocity.y, 100, 1e-6);
    advance(0.05);
    driver().move(id, {131, 210}); // the down is now too old: 11, 10 since 0.1 s ago
    EXPECT_NEAR(target->calls[2].velocity.x, 110, 1e-6);
    EXPECT_NEAR(target->calls[2].velocity.y, 100, 1e-6);
    advance(0.5);
    driver().move(id, {140, 210}); // only the new sample is recent: the last value stays
    EXPECT_NEAR(target->calls[3].velocity.x, 110, 1e-6);
    EXPECT_NEAR(target->calls[3].velocity.y, 100, 1e-6);
    driver().up(id);
}

TEST_F(GestureTest, DragGivesAVelocityFromTimestamps) {
    addPan();
    driver().drag({100, 200}, {200, 200}, 10, 0.25); // 400 pt/s
    ASSERT_FALSE(target->calls.empty());
    EXPECT_EQ(target->calls.back().state, State::ended);
    EXPECT_NEAR(target->calls.back().velocity.x, 400, 1e-6);
    EXPECT_EQ(target->calls.back().translation, (cg::Point{100, 0}));
}

TEST_F(GestureTest, PanIgnoresTouchesBeyondItsMaximum) {
    auto pan = addPan();
    pan->setMaximumNumberOfTouches(1);
    view->setIsMultipleTouchEnabled(true);
    auto first = driver().touchDown({100, 200});
    auto second = driver().touchDown({200, 200});
    driver().move(second, {200, 260});
    EXPECT_TRUE(target->calls.empty());
    EXPECT_EQ(pan->numberOfTouches(), 1u);
    driver().move(first, {100, 220});
    ASSERT_EQ(target->states(), std::vector<State>{State::began});
    EXPECT_EQ(target->calls[0].translation, (cg::Point{0, 20}));
    driver().up(first);
    EXPECT_EQ(target->states(), (std::vector<State>{State::began, State::ended}));
    driver().up(second);
}

TEST_F(GestureTest, TwoFingerPanCarriesOnWhenAFingerJoins) {
    view->setIsMultipleTouchEnabled(true);
    addPan();
    auto first = driver().touchDown({100, 200});
    driver().move(first, {100, 220});
    auto second = driver().touchDown({200, 220});
    driver().move({{first, {100, 230}}, {second, {200, 230}}});
    driver().up(first);
    driver().move(second, {200, 240});
    driver().up(second);
    ASSERT_EQ(target->states(), (std::vector<State>{State::began, State::changed, State::changed, State::ended}));
    EXPECT_EQ(target->calls[1].translation, (cg::Point{0, 30}));
    EXPECT_EQ(target->calls[2].translation, (cg::Point{0, 40}));
}

TEST_F(GestureTest, CancelledTouchCancelsAPan) {
    addPan();
    auto id = driver().touchDown({100, 200});
    driver().move(id, {150, 200});
    driver().cancel(id);
    EXPECT_EQ(target->states(), (std::vector<State>{State::began, State::cancelled}));
}

// ---------------------------------------------------------------- delegates

TEST_F(GestureTest, ShouldReceiveIsAskedOnceAndCanRefuse) {
    auto tap = addTap();
    auto delegate = std::make_shared<Delegate>();
    tap->setDelegate(delegate);
    delegate->receive = false;
    auto id = driver().touchDown({100, 200});
    driver().move(id, {101, 200});
    driver().up(id);
    EXPECT_EQ(delegate->receiveAsked, 1);
    EXPECT_TRUE(target->calls.empty());
    EXPECT_EQ(log, (std::vector<std::string>{"view began", "view moved", "view ended"}));

    delegate->receive = true;
    driver().tap({100, 200});
    EXPECT_EQ(delegate->receiveAsked, 2);
    EXPECT_EQ(target->calls.size(), 1u);
}

TEST_F(GestureTest, ShouldBeginFalseMakesItFail) {
    auto pan = addPan();
    auto delegate = std::make_shared<Delegate>();
    pan->setDelegate(delegate);
    delegate->begin = false;
    // The delegate sees the translation that led to the request.
    cg::Point seen;
    delegate->onBegin = [&](GestureRecognizer& r) { seen = static_cast<PanGestureRecognizer&>(r).translation(view); };
    auto id = driver().touchDown({100, 200});
    driver().move(id, {100, 215});
    driver().move(id, {100, 240});
    driver().up(id);
    EXPECT_EQ(delegate->beginAsked, 1);
    EXPECT_EQ(seen, (cg::Point{0, 15}));
    EXPECT_TRUE(target->calls.empty());
    EXPECT_EQ(log, (std::vector<std::string>{"view began", "view moved", "view moved", "view ended"}));
}

TEST_F(GestureTest, DeadDelegatesAndTargetsAreSkipped) {
    auto tap = addTap();
    {
        auto delegate = std::make_shared<Delegate>();
        delegate->receive = false;
        tap->setDelegate(delegate);
    }
    auto other = ns::make<Target>();
    tap->addTarget(other, &Target::plain);
    other.reset();
    driver().tap({100, 200});
    EXPECT_EQ(target->calls.size(), 1u);
}

TEST_F(GestureTest, RemovingViewsInsideShouldReceiveIsSafe) {
    auto child = addChild();
    auto childTap = addPlainTap(*child, target);
    auto tap = addTap();
    auto delegate = std::make_shared<Delegate>();
    childTap->setDelegate(delegate);
    std::weak_ptr<View> weakChild = child;
    delegate->onReceive = [&](GestureRecognizer&, Touch&) {
        view->removeFromSuperview();
        if (auto c = weakChild.lock()) c->removeFromSuperview();
    };
    child.reset();
    childTap.reset();
    driver().tap({60, 110});
    // The touch keeps its view; the views removed from the window hear nothing more.
    EXPECT_EQ(target->plainCount, 1);
    EXPECT_EQ(target->calls.size(), 0u);
    EXPECT_TRUE(log.empty());
}

// ---------------------------------------------------------------- arbitration

// A tap on a child and a pan on its parent share the finger on the child; a second
// finger on the parent moves the pan without moving the tap's finger.
TEST_F(GestureTest, PanAndTapExcludeEachOtherUnlessSimultaneous) {
    auto child = addChild();
    auto tapTarget = ns::make<Target>();
    auto tap = addPlainTap(*child, tapTarget);
    auto pan = addPan();
    auto delegate = std::make_shared<Delegate>();
    pan->setDelegate(delegate);

    for (bool simultaneous : {false, true}) {
        SCOPED_TRACE(simultaneous);
        delegate->simultaneous = simultaneous;
        target->calls.clear();
        tapTarget->plainCount = 0;

        // The pan begins first: the tap fails unless both may recognise.
        auto onChild = driver().touchDown({60, 110});
        auto onParent = driver().touchDown({200, 250});
        driver().move(onParent, {200, 280}); // centroid moves 15
        ASSERT_EQ(target->states(), std::vector<State>{State::began});
        driver().up(onChild);
        EXPECT_EQ(tapTarget->plainCount, simultaneous ? 1 : 0);
        driver().up(onParent);
        EXPECT_EQ(target->states().back(), State::ended);

        // The tap recognises first: the pan, sharing its finger, fails unless both may.
        target->calls.clear();
        tapTarget->plainCount = 0;
        onChild = driver().touchDown({60, 110});
        onParent = driver().touchDown({200, 250});
        driver().up(onChild);
        EXPECT_EQ(tapTarget->plainCount, 1);
        driver().move(onParent, {200, 300});
        driver().up(onParent);
        if (simultaneous)
            EXPECT_EQ(target->states(), (std::vector<State>{State::began, State::ended}));
        else
            EXPECT_TRUE(target->calls.empty());
    }
}

TEST_F(GestureTest, SimultaneousRecognitionLetsBothRun) {
    view->setIsMultipleTouchEnabled(true);
    auto pan = addPan();
    auto pinch = addPinch();
    auto delegate = std::make_shared<Delegate>();
    pinch->setDelegate(delegate);

    for (bool simultaneous : {false, true}) {
        SCOPED_TRACE(simultaneous);
        delegate->simultaneous = simultaneous;
        target->calls.clear();
        auto ids = driver().touchDown({{100, 200}, {150, 200}});
        driver().move({{ids[0], {80, 200}}, {ids[1], {191, 200}}}); // centroid 10.5 right, spread 111
        driver().up(ids[0]);
        driver().up(ids[1]);
        int pans = 0, pinches = 0;
        for (const auto& call : target->calls) {
            if (call.scale != 1) ++pinches;
            else ++pans;
        }
        if (simultaneous) {
            EXPECT_GT(pans, 0);
            EXPECT_GT(pinches, 0);
        } else {
            // The pan is deeper in the list and asked first; the pinch lost.
            EXPECT_GT(pans, 0);
            EXPECT_EQ(pinches, 0);
        }
    }
}

TEST_F(GestureTest, DeepestRecogniserWins) {
    auto child = addChild();
    auto childTarget = ns::make<Target>();
    addPlainTap(*child, childTarget);
    addTap();
    driver().tap({60, 110});
    EXPECT_EQ(childTarget->plainCount, 1);
    EXPECT_TRUE(target->calls.empty());
    // Outside the child only the parent's recogniser sees the touch.
    driver().tap({200, 250});
    EXPECT_EQ(childTarget->plainCount, 1);
    EXPECT_EQ(target->calls.size(), 1u);
}

TEST_F(GestureTest, RequirementCyclesAreIgnored) {
    auto a = addTap();
    auto b = addPlainTap(*view, target);
    auto c = addPlainTap(*view, target);
    a->requireToFail(a);
    a->requireToFail(nullptr);
    a->requireToFail(b);
    b->requireToFail(c);
    c->requireToFail(a); // would close a → b → c → a
    b->requireToFail(a);
    // c is free, so it recognises; a and b wait on it and then fail.
    driver().tap({100, 200});
    advance(1);
    EXPECT_EQ(target->plainCount, 1);
    EXPECT_TRUE(target->calls.empty());
}

// ---------------------------------------------------------------- pinch

TEST_F(GestureTest, PinchScaleIsTheRatioOfDistances) {
    view->setIsMultipleTouchEnabled(true);
    auto pinch = addPinch();
    auto first = driver().touchDown({100, 200});
    auto second = driver().touchDown({140, 200}); // 40 apart
    driver().move(second, {149, 200});            // within the hysteresis
    EXPECT_TRUE(target->calls.empty());
    driver().move(second, {150, 200}); // 50 apart: begins
    ASSERT_EQ(target->states(), std::vector<State>{State::began});
    EXPECT_DOUBLE_EQ(target->calls[0].scale, 1.25);
    EXPECT_EQ(target->calls[0].location, (cg::Point{75, 100}));
    driver().move(second, {180, 200}); // 80 apart
    EXPECT_DOUBLE_EQ(target->calls[1].scale, 2.0);
    pinch->setScale(1);
    driver().move(second, {220, 200}); // 120 apart: 1.5 × the re-based 80
    EXPECT_DOUBLE_EQ(target->calls[2].scale, 1.5);
    driver().up(first);
    EXPECT_EQ(target->states(), (std::vector<State>{State::began, State::changed, State::changed, State::ended}));
    driver().up(second);
    EXPECT_EQ(pinch->state(), State::possible);
    EXPECT_DOUBLE_EQ(pinch->scale(), 1);
}

TEST_F(GestureTest, PinchVelocityIsInScaleUnitsPerSecond) {
    view->setIsMultipleTouchEnabled(true);
    auto pinch = addPinch();
    auto ids = driver().touchDown({{100, 200}, {200, 200}});
    advance(0.05);
    driver().move(ids[1], {250, 200}); // scale 1.5 after 0.05 s
    EXPECT_NEAR(pinch->velocity(), 10, 1e-9);
    driver().up(ids[0]);
    driver().up(ids[1]);
}

TEST_F(GestureTest, OneFingerIsNoPinch) {
    auto pinch = addPinch();
    driver().drag({100, 200}, {200, 300});
    EXPECT_TRUE(target->calls.empty());
    EXPECT_EQ(pinch->state(), State::possible);
}

// ---------------------------------------------------------------- life cycle

TEST_F(GestureTest, DisablingCancelsAnActiveRecogniser) {
    auto pan = addPan();
    auto id = driver().touchDown({100, 200});
    driver().move(id, {130, 200});
    pan->setIsEnabled(false);
    EXPECT_EQ(target->states(), (std::vector<State>{State::began, State::cancelled}));
    EXPECT_EQ(pan->state(), State::possible);
    driver().move(id, {160, 200});
    driver().up(id);
    EXPECT_EQ(target->calls.size(), 2u);
    // Enabled again it works with the next touch.
    pan->setIsEnabled(true);
    driver().drag({100, 200}, {150, 200}, 2, 0.1);
    EXPECT_EQ(target->calls.back().state, State::ended);
}

TEST_F(GestureTest, DisablingAWaitingDoubleTapReleasesTheSingleTap) {
    auto [single, doubleTap] = addSingleAndDoubleTap();
    driver().tap({100, 200});
    EXPECT_TRUE(target->calls.empty());
    doubleTap->setIsEnabled(false);
    EXPECT_EQ(target->calls.size(), 1u);
}

TEST_F(GestureTest, AddingToAnotherViewMovesTheRecogniser) {
    auto other = ns::make<LoggingView>(cg::Rect{0, 400, 100, 100}, &log, "other");
    window()->addSubview(other);
    auto tap = addTap();
    other->addGestureRecognizer(tap);
    EXPECT_EQ(tap->view(), other);
    EXPECT_TRUE(view->gestureRecognizers().empty());
    ASSERT_EQ(other->gestureRecognizers().size(), 1u);
    driver().tap({100, 200});
    EXPECT_TRUE(target->calls.empty());
    driver().tap({50, 450});
    EXPECT_EQ(target->calls.size(), 1u);
    other->removeGestureRecognizer(tap);
    EXPECT_EQ(tap->view(), nullptr);
}

TEST_F(GestureTest, RemovingAnActiveRecogniserStopsIt) {
    auto pan = addPan();
    auto id = driver().touchDown({100, 200});
    driver().move(id, {130, 200});
    view->removeGestureRecognizer(pan);
    driver().move(id, {160, 200});
    driver().up(id);
    EXPECT_EQ(target->states(), std::vector<State>{State::began});
    EXPECT_EQ(pan->state(), State::possible);
}

TEST_F(GestureTest, TargetsAreStoredOnceAndRemovable) {
    auto tap = addTap();
    tap->addTarget(target, &Target::tapped); // the same pair again
    tap->addTarget(target, &Target::plain);
    driver().tap({100, 200});
    EXPECT_EQ(target->calls.size(), 1u);
    EXPECT_EQ(target->plainCount, 1);
    tap->removeTarget(target, &Target::plain);
    driver().tap({100, 200});
    EXPECT_EQ(target->calls.size(), 2u);
    EXPECT_EQ(target->plainCount, 1);
    tap->removeTarget(target, nullptr);
    driver().tap({100, 200});
    EXPECT_EQ(target->calls.size(), 2u);
}

TEST_F(GestureTest, ActionsMayRemoveTheViewAndTheRecogniser) {
    auto pan = addPan();
    target->onPan = [&](PanGestureRecognizer& r) {
        if (auto v = r.view()) {
            v->removeGestureRecognizer(pan);
            v->removeFromSuperview();
        }
    };
    driver().drag({100, 200}, {150, 200}, 3, 0.1);
    EXPECT_EQ(target->states(), std::vector<State>{State::began});
    EXPECT_EQ(log, (std::vector<std::string>{"view began", "view cancelled"}));
    EXPECT_EQ(GestureArena::shared().trackedTouchCount(), 0u);
}

TEST_F(GestureTest, DriverSetsValuesWithoutTouches) {
    auto pan = addPan();
    driver().driveGesture(*pan, State::began, {{10, 10}, {3, 0}, {50, 0}, 1});
    driver().driveGesture(*pan, State::changed, {{12, 10}, {5, 0}, {40, 0}, 1});
    driver().driveGesture(*pan, State::ended, {{12, 10}, {5, 0}, {0, 0}, 1});
    ASSERT_EQ(target->states(), (std::vector<State>{State::began, State::changed, State::ended}));
    EXPECT_EQ(target->calls[0].translation, (cg::Point{3, 0}));
    EXPECT_EQ(target->calls[0].location, (cg::Point{10, 10}));
    EXPECT_EQ(target->calls[0].velocity, (cg::Point{50, 0}));
    EXPECT_EQ(target->calls[1].translation, (cg::Point{5, 0}));
    EXPECT_EQ(pan->state(), State::possible);

    // Non-finite values leave the old ones.
    driver().driveGesture(*pan, State::began, {{NAN, 0}, {INFINITY, 0}, {NAN, 0}, 1});
    EXPECT_EQ(target->calls.back().location, (cg::Point{12, 10}));
    EXPECT_TRUE(target->calls.back().translation.isFinite());
    EXPECT_TRUE(target->calls.back().velocity.isFinite());
    driver().driveGesture(*pan, State::cancelled, {{12, 10}, {}, {}, 1});

    auto pinch = addPinch();
    driver().driveGesture(*pinch, State::began, {{0, 0}, {}, {}, 1.5});
    EXPECT_DOUBLE_EQ(target->calls.back().scale, 1.5);
    driver().driveGesture(*pinch, State::ended, {{0, 0}, {}, {}, NAN});
    EXPECT_DOUBLE_EQ(target->calls.back().scale, 1.5);
}

class SelectorTarget : public ns::Object {
public:
    std::string_view className() const override { return "GestureTestSelectorTarget"; }
    void handleTap(TapGestureRecognizer* sender) { senders.push_back(sender); }
    std::vector<TapGestureRecognizer*> senders;
};

TEST_F(GestureTest, SelectorTargetsGoThroughTheRuntime) {
    ns::Runtime::shared().addAction("GestureTestSelectorTarget", ns::Selector("handleTap:"), &SelectorTarget::handleTap);
    auto tap = ns::make<TapGestureRecognizer>();
    view->addGestureRecognizer(tap);
    auto selectorTarget = ns::make<SelectorTarget>();
    tap->addTarget(selectorTarget, ns::Selector("handleTap:"));
    tap->addTarget(selectorTarget, ns::Selector("handleTap:"));
    driver().tap({100, 200});
    ASSERT_EQ(selectorTarget->senders.size(), 1u);
    EXPECT_EQ(selectorTarget->senders[0], tap.get());
    tap->removeTarget(selectorTarget, ns::Selector("handleTap:"));
    driver().tap({100, 200});
    EXPECT_EQ(selectorTarget->senders.size(), 1u);
}

} // namespace
} // namespace pellavo::ui
