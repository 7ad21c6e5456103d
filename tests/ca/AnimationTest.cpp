// Layer animations read back through presentation() at chosen clock times, with the
// clock moved through the run loop.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "platform/ca/AnimationDelegate.hpp"
#include "platform/ca/AnimationGroup.hpp"
#include "platform/ca/BasicAnimation.hpp"
#include "platform/ca/CurrentMediaTime.hpp"
#include "platform/ca/KeyframeAnimation.hpp"
#include "platform/ca/GradientLayer.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ca/Transaction.hpp"
#include "tests/ca/AnimationTestSupport.hpp"
#include "tests/support/PlatformTest.hpp"

namespace {

using namespace pellavo;
using pellavo::testing::basicAnimation;
using ca::FillMode;
using ca::Transform3D;
constexpr double pi = std::numbers::pi;

struct Stop {
    std::shared_ptr<const ca::Animation> animation;
    bool finished;
    std::int64_t at;
};

struct Recorder : ns::Object, ca::AnimationDelegate {
    std::vector<Stop> stops;
    void animationDidStop(const std::shared_ptr<const ca::Animation>& a, bool finished) override {
        stops.push_back({a, finished, ns::Clock::shared()->now()});
    }
};

class AnimationTest : public pellavo::testing::AnimationFixture {
protected:
    double radius(const ca::Layer& layer) { return layer.presentation()->cornerRadius(); }
    std::int64_t at(double seconds) const { return start_ + ns::secondsToNanoseconds(seconds); }

    std::int64_t start_ = ns::ManualClock::defaultStart;
};

TEST_F(AnimationTest, FromValueIsCapturedWhenAdded) {
    auto layer = ns::make<ca::Layer>();
    layer->setCornerRadius(1);
    layer->addAnimation(basicAnimation("cornerRadius", 2.0, 6.0, 1), "a");
    advance(0.5);
    EXPECT_DOUBLE_EQ(radius(*layer), 4);
    // No from-value: the value shown now, even though the model says 1.
    layer->addAnimation(basicAnimation("cornerRadius", std::nullopt, 10.0, 1), "b");
    EXPECT_DOUBLE_EQ(radius(*layer), 4);
    advance(0.5);
    EXPECT_DOUBLE_EQ(radius(*layer), 7);
    EXPECT_EQ(layer->cornerRadius(), 1); // the model never moves
}

TEST_F(AnimationTest, DurationsThatAreNotPositiveRunAQuarterSecond) {
    for (double d : {0.0, -1.0, std::nan("")}) {
        auto layer = ns::make<ca::Layer>();
        layer->addAnimation(basicAnimation("cornerRadius", 0.0, 8.0, d), "r");
        advance(0.125);
        EXPECT_DOUBLE_EQ(radius(*layer), 4) << d;
        advance(0.125);
        EXPECT_TRUE(layer->animationKeys().empty()) << d;
    }
}

TEST_F(AnimationTest, FillModesAroundADelayedBegin) {
    struct Case {
        FillMode fill;
        double before, after;
    } cases[] = {{FillMode::removed, 1, 1}, {FillMode::forwards, 1, 5}, {FillMode::backwards, 3, 1}, {FillMode::both, 3, 5}};
    for (const auto& c : cases) {
        auto layer = ns::make<ca::Layer>();
        layer->setCornerRadius(1);
        auto a = basicAnimation("cornerRadius", 3.0, 5.0, 1);
        a->setFillMode(c.fill);
        a->setIsRemovedOnCompletion(false);
        a->setBeginTime(ca::currentMediaTime() + 1); // absolute media time
        layer->addAnimation(a, "r");
        advance(0.5);
        EXPECT_EQ(radius(*layer), c.before);
        advance(1);
        EXPECT_DOUBLE_EQ(radius(*layer), 4);
        advance(1);
        EXPECT_EQ(radius(*layer), c.after);
    }
}

TEST_F(AnimationTest, RemovedOnCompletionBothWays) {
    auto layer = ns::make<ca::Layer>();
    auto gone = basicAnimation("cornerRadius", 0.0, 1.0, 0.5);
    auto kept = basicAnimation("borderWidth", 0.0, 1.0, 0.5);
    kept->setIsRemovedOnCompletion(false);
    layer->addAnimation(gone, "gone");
    layer->addAnimation(kept, "kept");
    advance(0.5 - 1e-9);
    EXPECT_EQ(layer->animationKeys(), (std::vector<std::string>{"gone", "kept"}));
    advance(1e-9);
    EXPECT_EQ(layer->animationKeys(), (std::vector<std::string>{"kept"}));
    // Without a fill it shows nothing any more, though it stays attached.
    EXPECT_EQ(layer->presentation()->borderWidth(), 0);
}

TEST_F(AnimationTest, FractionalAndEndlessRepeats) {
    auto layer = ns::make<ca::Layer>();
    auto half = basicAnimation("cornerRadius", 0.0, 4.0, 1);
    half->setRepeatCount(1.5);
    layer->addAnimation(half, "half");
    auto endless = basicAnimation("borderWidth", 0.0, 2.0, 1);
    endless->setRepeatCount(INFINITY);
    layer->addAnimation(endless, "endless");
    advance(1.25);
    EXPECT_DOUBLE_EQ(radius(*layer), 1);
    advance(0.25);
    EXPECT_EQ(layer->animationKeys(), (std::vector<std::string>{"endless"}));
    advance(1000.25); // 1001.75 s in
    EXPECT_DOUBLE_EQ(layer->presentation()->borderWidth(), 1.5);
}

TEST_F(AnimationTest, CumulativeAdditiveRotationLeavesTheModelAlone) {
    auto layer = ns::make<ca::Layer>();
    layer->setTransform(Transform3D::makeTranslation(5, 0, 0));
    auto spin = basicAnimation("transform.rotation.z", 0.0, 2 * pi, 2.2);
    spin->setIsAdditive(true);
    spin->setIsCumulative(true);
    spin->setRepeatCount(INFINITY);
    layer->addAnimation(spin, "spin");
    advance(0.55);
    const Transform3D t = layer->presentation()->transform();
    EXPECT_NEAR(t.m11, 0, 1e-12);
    EXPECT_NEAR(t.m12, 1, 1e-12);
    EXPECT_NEAR(t.m41, 5, 1e-12); // rotation replaced, translation kept
    EXPECT_EQ(layer->transform(), Transform3D::makeTranslation(5, 0, 0));
    // Continuous over a cycle boundary, sampled a frame apart.
    advance(2.2 - 0.55 - 1.0 / 120);
    const double before = std::atan2(layer->presentation()->transform().m12, layer->presentation()->transform().m11);
    advance(1.0 / 60);
    const double after = std::atan2(layer->presentation()->transform().m12, layer->presentation()->transform().m11);
    EXPECT_NEAR(std::remainder(after - before, 2 * pi), 2 * pi / 2.2 / 60, 1e-9);
}

TEST_F(AnimationTest, ReaddingUnderAKeyReplacesAndMovesItLast) {
    auto layer = ns::make<ca::Layer>();
    auto recorder = ns::make<Recorder>();
    auto first = basicAnimation("cornerRadius", 0.0, 1.0, 1);
    first->setDelegate(recorder);
    layer->addAnimation(first, "a");
    layer->addAnimation(basicAnimation("borderWidth", 0.0, 1.0, 1), "b");
    const auto attached = layer->animation("a");
    layer->addAnimation(basicAnimation("cornerRadius", 5.0, 5.0, 1), "a");
    EXPECT_EQ(layer->animationKeys(), (std::vector<std::string>{"b", "a"}));
    // The replaced animation hears false, through the main queue.
    EXPECT_TRUE(recorder->stops.empty());
    runUntilIdle();
    ASSERT_EQ(recorder->stops.size(), 1u);
    EXPECT_EQ(recorder->stops[0].animation, attached);
    EXPECT_FALSE(recorder->stops[0].finished);
}

TEST_F(AnimationTest, AttachedCopiesAreStableAndFrozen) {
    auto layer = ns::make<ca::Layer>();
    auto added = basicAnimation("cornerRadius", 0.0, 4.0, 1);
    layer->addAnimation(added, "r");
    const auto attached = std::dynamic_pointer_cast<ca::BasicAnimation>(layer->animation("r"));
    ASSERT_TRUE(attached);
    EXPECT_NE(attached, added);
    EXPECT_EQ(layer->animation("r"), attached);
    EXPECT_TRUE(attached->isFrozen());
    attached->setDuration(100);
    attached->setToValue(100.0);
    added->setToValue(100.0); // the original is no longer connected either
    advance(0.5);
    EXPECT_DOUBLE_EQ(radius(*layer), 2);
    EXPECT_EQ(attached->duration(), 1);
    EXPECT_FALSE(layer->animation("missing"));
}

TEST_F(AnimationTest, EveryWayOfStoppingReportsExactlyOnce) {
    auto recorder = ns::make<Recorder>();
    auto make = [&](double duration, FillMode fill = FillMode::removed, bool removed = true) {
        auto a = basicAnimation("cornerRadius", 0.0, 1.0, duration);
        a->setDelegate(recorder);
        a->setFillMode(fill);
        a->setIsRemovedOnCompletion(removed);
        return a;
    };
    auto layer = ns::make<ca::Layer>();
    layer->addAnimation(make(1), "natural");
    layer->addAnimation(make(1, FillMode::forwards, false), "held");
    layer->addAnimation(make(5), "removed");
    layer->addAnimation(make(5), "replaced");
    const auto natural = layer->animation("natural").get();
    const auto held = layer->animation("held").get();
    const auto removed = layer->animation("removed").get();
    const auto replaced = layer->animation("replaced").get();
    advance(1);
    layer->removeAnimation("removed");
    layer->removeAnimation("removed"); // unknown now: nothing
    layer->removeAnimation("never there");
    layer->addAnimation(basicAnimation("cornerRadius", 0.0, 1.0, 1), "replaced");
    runUntilIdle(); // the reports of removals come through the main queue
    advance(1);
    layer->removeAnimation("held"); // already finished: no second report

    auto other = ns::make<ca::Layer>();
    other->addAnimation(make(5), "all");
    other->addAnimation(make(5), "");
    const auto all = other->animation("all").get();
    other->removeAllAnimations();
    EXPECT_TRUE(other->animationKeys().empty());

    auto doomed = ns::make<ca::Layer>();
    doomed->addAnimation(make(5), "x");
    const auto destroyed = doomed->animation("x").get();
    doomed.reset();
    runUntilIdle();
    advance(10);

    std::map<const ca::Animation*, std::vector<std::pair<bool, std::int64_t>>> seen;
    for (const auto& s : recorder->stops) seen[s.animation.get()].push_back({s.finished, s.at});
    using Reports = std::vector<std::pair<bool, std::int64_t>>;
    EXPECT_EQ(seen[natural], (Reports{{true, at(1)}}));
    EXPECT_EQ(seen[held], (Reports{{true, at(1)}}));
    EXPECT_EQ(seen[removed], (Reports{{false, at(1)}}));
    EXPECT_EQ(seen[replaced], (Reports{{false, at(1)}}));
    EXPECT_EQ(seen[all], (Reports{{false, at(2)}}));
    EXPECT_EQ(seen[destroyed], (Reports{{false, at(2)}}));
    EXPECT_EQ(recorder->stops.size(), 7u); // including the animation under the empty key
}

TEST_F(AnimationTest, ToolkitStopHooksLearnWhyAnAnimationStopped) {
    using Reason = ca::LayerAnimations::StopReason;
    std::vector<std::pair<std::string, Reason>> stops;
    auto hooked = [&](const std::string& name) {
        ca::LayerAnimations::AddOptions options;
        options.onStop = [&stops, name](Reason r) { stops.emplace_back(name, r); };
        return options;
    };
    auto layer = ns::make<ca::Layer>();
    auto held = basicAnimation("cornerRadius", 0.0, 1.0, 1);
    held->setIsRemovedOnCompletion(false); // still watched: the hook wants its end
    layer->addAnimation(held, "held", hooked("held"));
    layer->addAnimation(basicAnimation("borderWidth", 0.0, 1.0, 5), "removed", hooked("removed"));
    layer->addAnimation(basicAnimation("shadowRadius", 0.0, 1.0, 5), "replaced", hooked("replaced"));
    auto doomed = ns::make<ca::Layer>();
    doomed->addAnimation(basicAnimation("cornerRadius", 0.0, 1.0, 5), "x", hooked("destroyed"));
    layer->removeAnimation("removed");
    layer->addAnimation(basicAnimation("shadowRadius", 0.0, 1.0, 5), "replaced");
    doomed.reset();
    advance(1);
    EXPECT_EQ(stops, (std::vector<std::pair<std::string, Reason>>{{"removed", Reason::removed},
                                                                  {"replaced", Reason::replaced},
                                                                  {"destroyed", Reason::layerDestroyed},
                                                                  {"held", Reason::finished}}));
}

TEST_F(AnimationTest, ADeadDelegateIsNotCalled) {
    auto layer = ns::make<ca::Layer>();
    auto recorder = ns::make<Recorder>();
    std::weak_ptr<Recorder> weak = recorder;
    auto a = basicAnimation("cornerRadius", 0.0, 1.0, 0.5);
    a->setDelegate(recorder);
    layer->addAnimation(a, "r");
    recorder.reset();
    EXPECT_TRUE(weak.expired()); // held weakly
    advance(1);
    EXPECT_TRUE(layer->animationKeys().empty());
}

TEST_F(AnimationTest, BadAnimationsAreAttachedButShowNothing) {
    auto layer = ns::make<ca::Layer>();
    layer->addAnimation(nullptr, "null");
    EXPECT_TRUE(layer->animationKeys().empty());
    auto recorder = ns::make<Recorder>();
    auto unknown = basicAnimation("noSuchKey", 0.0, 1.0, 0.5);
    unknown->setDelegate(recorder);
    layer->addAnimation(unknown, "unknown");
    layer->addAnimation(basicAnimation("cornerRadius", cg::Point(1, 1), 1.0, 0.5), "mistyped");
    layer->addAnimation(basicAnimation("cornerRadius", std::nan(""), 1.0, 0.5), "nan");
    layer->addAnimation(basicAnimation("position", cg::Point(INFINITY, 0), cg::Point(), 0.5), "inf");
    advance(0.25);
    EXPECT_EQ(radius(*layer), 0);
    EXPECT_EQ(layer->presentation()->position(), cg::Point());
    advance(0.25);
    EXPECT_TRUE(layer->animationKeys().empty());
    ASSERT_EQ(recorder->stops.size(), 1u);
    EXPECT_TRUE(recorder->stops[0].finished);
    EXPECT_EQ(recorder->stops[0].at, at(0.5));
}

TEST_F(AnimationTest, AnimationsUnderTheEmptyKeyGoOnlyWithEverything) {
    auto layer = ns::make<ca::Layer>();
    auto a = basicAnimation("cornerRadius", 2.0, 2.0, 5);
    auto b = basicAnimation("borderWidth", 3.0, 3.0, 5);
    layer->addAnimation(a, "");
    layer->addAnimation(b, "");
    EXPECT_TRUE(layer->animationKeys().empty());
    layer->removeAnimation("");
    EXPECT_EQ(radius(*layer), 2);
    EXPECT_EQ(layer->presentation()->borderWidth(), 3);
    layer->removeAllAnimations();
    EXPECT_EQ(radius(*layer), 0);
}

TEST_F(AnimationTest, StrokeGroupHeldByForwardFill) {
    auto end = ns::make<ca::KeyframeAnimation>();
    end->setKeyPath("endPoint");
    end->setValues({cg::Point(0, 0), cg::Point(0.95, 0), cg::Point(0.85, 0)});
    end->setCalculationMode(ca::CalculationMode::paced);
    end->setDuration(0.3);
    end->setFillMode(FillMode::forwards);
    auto start = basicAnimation("startPoint", cg::Point(0, 0), cg::Point(0.5, 0), 0.15);
    start->setBeginTime(0.15);
    start->setFillMode(FillMode::forwards);
    auto group = ns::make<ca::AnimationGroup>();
    group->setAnimations({end, start});
    group->setDuration(0.3);
    group->setFillMode(FillMode::forwards);
    group->setIsRemovedOnCompletion(false);

    auto layer = ns::make<ca::GradientLayer>();
    layer->setStartPoint(cg::Point(0.1, 0.1));
    layer->setEndPoint(cg::Point(0.9, 0.9));
    layer->addAnimation(group, "stroke");
    auto shown = [&] { return std::dynamic_pointer_cast<ca::GradientLayer>(layer->presentation()); };

    advance(0.075);
    EXPECT_EQ(shown()->startPoint(), cg::Point(0.1, 0.1)); // before its begin: the model
    EXPECT_NEAR(shown()->endPoint().x, 0.075 / 0.3 * 1.05, 1e-12);
    advance(0.3 * 0.95 / 1.05 - 0.075);
    EXPECT_NEAR(shown()->endPoint().x, 0.95, 1e-8); // the clock counts whole nanoseconds
    for (double t : {0.3, 1.0}) {
        advance(t - ca::currentMediaTime() + static_cast<double>(start_) / 1e9);
        EXPECT_EQ(shown()->startPoint(), cg::Point(0.5, 0));
        EXPECT_EQ(shown()->endPoint(), cg::Point(0.85, 0));
    }
    EXPECT_EQ(layer->startPoint(), cg::Point(0.1, 0.1));
    EXPECT_EQ(layer->endPoint(), cg::Point(0.9, 0.9));
    EXPECT_EQ(layer->animationKeys(), (std::vector<std::string>{"stroke"}));
}

// Five-second steps, each started by the previous one's delegate call.
struct Stepper : ns::Object, ca::AnimationDelegate {
    std::shared_ptr<ca::Layer> layer;
    std::vector<std::int64_t> begins;
    void step() {
        begins.push_back(ns::Clock::shared()->now());
        auto a = ns::make<ca::BasicAnimation>();
        a->setKeyPath("cornerRadius");
        a->setToValue(static_cast<double>(begins.size()));
        a->setDuration(5);
        a->setDelegate(sharedFromThis<Stepper>());
        layer->addAnimation(a, "step");
    }
    void animationDidStop(const std::shared_ptr<const ca::Animation>&, bool finished) override {
        if (finished) step();
    }
};

TEST_F(AnimationTest, DelegateChainsStartExactlyAtThePreviousEnd) {
    auto stepper = ns::make<Stepper>();
    stepper->layer = ns::make<ca::Layer>();
    stepper->step();
    advance(10);
    EXPECT_EQ(stepper->begins, (std::vector<std::int64_t>{at(0), at(5), at(10)}));
}

TEST_F(AnimationTest, SameInstantCallbacksRunInInsertionOrderAndEarlierFirst) {
    std::vector<std::string> order;
    struct Named : ns::Object, ca::AnimationDelegate {
        std::vector<std::string>* order = nullptr;
        std::string name;
        void animationDidStop(const std::shared_ptr<const ca::Animation>&, bool) override { order->push_back(name); }
    };
    auto layer = ns::make<ca::Layer>();
    std::vector<std::shared_ptr<Named>> delegates;
    auto add = [&](const std::string& name, double duration) {
        auto d = ns::make<Named>();
        d->order = &order;
        d->name = name;
        delegates.push_back(d);
        auto a = basicAnimation("cornerRadius", 0.0, 1.0, duration);
        a->setDelegate(d);
        layer->addAnimation(a, name);
    };
    add("late", 2);
    add("first at 1", 1);
    add("second at 1", 1);
    add("third at 1", 1);
    advance(3);
    EXPECT_EQ(order, (std::vector<std::string>{"first at 1", "second at 1", "third at 1", "late"}));
}

// Restarts a 0.3 s move from its delegate, so the picture depends on every stop
// landing on its instant.
struct Bouncer : ns::Object, ca::AnimationDelegate {
    std::shared_ptr<ca::Layer> layer = ns::make<ca::Layer>();
    int steps = 0;
    void start() {
        auto move = ns::make<ca::BasicAnimation>();
        move->setKeyPath("position");
        ++steps;
        move->setToValue(cg::Point(37.0 * steps, 11.0 * steps));
        move->setDuration(0.3);
        move->setTimingFunction(ca::MediaTimingFunction::easeInEaseOut());
        move->setFillMode(FillMode::forwards);
        move->setIsRemovedOnCompletion(false);
        move->setDelegate(sharedFromThis<Bouncer>());
        layer->addAnimation(move, "move");
        auto spin = ns::make<ca::BasicAnimation>();
        spin->setKeyPath("transform.rotation");
        spin->setFromValue(0.0);
        spin->setToValue(3.0);
        spin->setDuration(0.9);
        spin->setRepeatCount(INFINITY);
        layer->addAnimation(spin, "spin");
    }
    void animationDidStop(const std::shared_ptr<const ca::Animation>&, bool finished) override {
        if (finished) start();
    }
};

TEST_F(AnimationTest, OneLongStepAndManySmallStepsAgreeBitForBit) {
    auto once = ns::make<Bouncer>();
    once->start();
    advance(1);
    const auto big = once->layer->presentation();
    once->layer->removeAllAnimations();

    auto stepped = ns::make<Bouncer>();
    stepped->start();
    for (int i = 0; i < 100; ++i) {
        advance(0.01);
        (void)stepped->layer->presentation();
    }
    const auto small = stepped->layer->presentation();
    EXPECT_EQ(once->steps, stepped->steps);
    EXPECT_EQ(big->position(), small->position());
    EXPECT_EQ(big->transform(), small->transform());
}

} // namespace
