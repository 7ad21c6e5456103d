#include <gtest/gtest.h>

#include <any>
#include <cmath>
#include <functional>
#include <string>
#include <limits>
#include <memory>
#include <thread>
#include <vector>

#include "platform/dispatch/Queue.hpp"
#include "platform/ns/RunLoop.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ns/Timer.hpp"
#include "tests/support/PlatformTest.hpp"

namespace {

using namespace pellavo;
using ns::Timer;

constexpr std::int64_t kStep = 50'000'000;  // 0.05 s
constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();

class TimerTest : public pellavo::testing::PlatformTest {
protected:
    // A repeating timer recording the instant of every fire.
    std::shared_ptr<Timer> recording(double interval, bool repeats = true) {
        return Timer::scheduledTimer(interval, repeats, [this](Timer&) { fires_.push_back(now()); });
    }
    std::vector<std::int64_t> grid(std::int64_t start, std::int64_t interval, int count) const {
        std::vector<std::int64_t> points;
        for (int n = 1; n <= count; ++n) points.push_back(start + n * interval);
        return points;
    }
    std::vector<std::int64_t> fires_;
};

TEST_F(TimerTest, RepeatingTimerFiresOnTheGridHoweverTimeIsAdvanced) {
    const auto start = now();
    const auto timer = recording(0.05);
    EXPECT_EQ(timer->fireDate(), start + kStep);
    advance(2.5);
    EXPECT_EQ(fires_, grid(start, kStep, 50));
    EXPECT_EQ(timer->fireDate(), start + 51 * kStep);
    timer->invalidate();

    // The same grid when the clock moves in steps that do not divide the interval.
    fires_.clear();
    const auto start2 = now();
    const auto timer2 = recording(0.05);
    for (int i = 0; i < 192; ++i) advance(0.013);  // 2.496 s
    advance(0.004);
    EXPECT_EQ(fires_, grid(start2, kStep, 50));
}

TEST_F(TimerTest, LateTimerFiresOnceThenReturnsToTheGrid) {
    const auto start = now();
    const auto timer = recording(0.05);
    clock().advance(1'000'000'000);  // no turns meanwhile
    ns::RunLoop::main().runOnce();
    EXPECT_EQ(fires_, std::vector<std::int64_t>{start + 1'000'000'000});
    EXPECT_EQ(timer->fireDate(), start + 21 * kStep);
    clock().advance(10'000'000);  // between grid points: still late for none
    ns::RunLoop::main().runOnce();
    EXPECT_EQ(fires_.size(), 1u);
    advance(0.04);
    EXPECT_EQ(fires_.back(), start + 21 * kStep);
}

TEST_F(TimerTest, FireKeepsTheGridAndEndsANonRepeatingTimer) {
    const auto start = now();
    const auto repeating = recording(0.05);
    advance(0.02);
    repeating->fire();
    EXPECT_TRUE(repeating->isValid());
    EXPECT_EQ(repeating->fireDate(), start + kStep);
    advance(0.03);
    EXPECT_EQ(fires_, (std::vector<std::int64_t>{start + 20'000'000, start + kStep}));

    fires_.clear();
    const auto once = recording(0.05, false);
    once->fire();
    EXPECT_FALSE(once->isValid());
    once->fire();  // invalid: nothing
    advance(1);
    EXPECT_EQ(fires_.size(), 1u + 20u);  // the one manual fire plus the repeating timer's
    repeating->invalidate();
}

TEST_F(TimerTest, NonRepeatingTimerFiresOnceAndReleasesItsAction) {
    auto captured = std::make_shared<int>(0);
    std::weak_ptr<int> watch = captured;
    const auto start = now();
    std::int64_t firedAt = 0;
    const auto timer = Timer::scheduledTimer(0.3, false, [captured, &firedAt, this](Timer&) {
        ++*captured;
        firedAt = now();
    });
    captured.reset();
    advance(1);
    EXPECT_EQ(firedAt, start + 300'000'000);
    EXPECT_FALSE(timer->isValid());
    EXPECT_TRUE(watch.expired());
}

TEST_F(TimerTest, RunLoopHoldsAValidTimerUntilInvalidated) {
    std::weak_ptr<Timer> weak = recording(0.1);
    advance(0.35);
    EXPECT_EQ(fires_.size(), 3u);
    ASSERT_FALSE(weak.expired());
    weak.lock()->invalidate();
    EXPECT_TRUE(weak.expired());
    advance(1);
    EXPECT_EQ(fires_.size(), 3u);
}

TEST_F(TimerTest, SelfInvalidationInsideTheActionIsSafe) {
    auto payload = std::make_shared<std::vector<int>>();
    std::weak_ptr<std::vector<int>> watch = payload;
    std::weak_ptr<Timer> weak = Timer::scheduledTimer(0.05, true, [payload](Timer& timer) {
        payload->push_back(1);
        if (payload->size() == 3) {
            timer.invalidate();
            timer.invalidate();
            // The action and its captures outlive the call that released them.
            payload->push_back(2);
            EXPECT_FALSE(timer.isValid());
        }
    });
    payload.reset();
    advance(1);
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(watch.expired());
}

// An owner that holds its timer strongly and invalidates it when destroyed.
struct Owner {
    std::shared_ptr<Timer> timer;
    int ticks = 0;
    ~Owner() {
        if (timer) timer->invalidate();
    }
};

TEST_F(TimerTest, OwnerReleasedInsideTheActionIsSafe) {
    auto owner = std::make_unique<Owner>();
    std::weak_ptr<Timer> weak;
    owner->timer = Timer::scheduledTimer(0.05, true, [&owner](Timer& timer) {
        if (++owner->ticks == 2) {
            owner.reset();  // drops the last outside reference and invalidates the timer
            EXPECT_FALSE(timer.isValid());
        }
    });
    weak = owner->timer;
    advance(0.5);
    EXPECT_EQ(owner, nullptr);
    EXPECT_TRUE(weak.expired());
}

TEST_F(TimerTest, DegenerateIntervals) {
    const auto start = now();
    const double nan = std::nan("");
    for (double interval : {0.0, -1.0, nan, 1e-9}) {
        const auto timer = Timer::scheduledTimer(interval, true, [](Timer&) {});
        EXPECT_DOUBLE_EQ(timer->timeInterval(), 0.0001) << interval;
        EXPECT_EQ(timer->fireDate(), start + 100'000) << interval;
        timer->invalidate();
    }
    const auto never = recording(std::numeric_limits<double>::infinity());
    const auto tooFar = recording(1e12);  // beyond the clock's range
    advance(1e6);
    EXPECT_TRUE(fires_.empty());
    EXPECT_TRUE(never->isValid());
    EXPECT_EQ(never->fireDate(), kNever);
    EXPECT_EQ(tooFar->fireDate(), kNever);
    never->fire();  // an explicit fire still runs it
    EXPECT_EQ(fires_.size(), 1u);
}

TEST_F(TimerTest, SameInstantRunsTimersByTheOrderTheirDueTimeWasSet) {
    std::vector<std::string> order;
    dispatch::Queue::main().asyncAfter(1, [&] { order.push_back("after"); });
    auto a = Timer::scheduledTimer(1, false, [&](Timer&) { order.push_back("timer a"); });
    advance(0.5);
    auto b = Timer::scheduledTimer(0.5, false, [&](Timer&) { order.push_back("timer b"); });
    auto c = Timer::scheduledTimer(0.25, true, [&](Timer& t) {
        order.push_back("timer c");
        t.invalidate();
    });
    advance(0.5);
    // c came due earlier; a and b fire at 1 s in the order their dates were set; the
    // delayed block joins the main queue at that instant and runs after the timers.
    EXPECT_EQ(order, (std::vector<std::string>{"timer c", "timer a", "timer b", "after"}));
}

TEST_F(TimerTest, OffTheMainThreadGivesAnInvalidTimer) {
    std::shared_ptr<Timer> timer;
    std::thread([&] { timer = recording(0.05); }).join();
    ASSERT_NE(timer, nullptr);
    EXPECT_FALSE(timer->isValid());
    advance(1);
    EXPECT_TRUE(fires_.empty());
    EXPECT_EQ(loggedLines(), std::vector<std::string>{"Timer::scheduledTimer called off the main thread; the timer is invalid"});
}

TEST_F(TimerTest, ResetForTestingInvalidatesTimers) {
    const auto timer = recording(0.05);
    ns::RunLoop::main().resetForTesting();
    EXPECT_FALSE(timer->isValid());
    advance(1);
    EXPECT_TRUE(fires_.empty());
}

} // namespace

namespace {

// A class the runtime knows, with a timer action that takes the sender.
class TimerProbe : public ns::Object {
public:
    std::string_view className() const override { return "TimerProbe"; }
    void tick(Timer* sender) {
        senders.push_back(sender);
        if (sender != nullptr) {
            if (const auto* callback = std::any_cast<std::function<void()>>(&sender->userInfo())) (*callback)();
        }
    }
    void plain() { ++plainCalls; }
    std::vector<Timer*> senders;
    int plainCalls = 0;
};

void registerProbe() {
    static const bool once = [] {
        auto& runtime = ns::Runtime::shared();
        runtime.registerClass<TimerProbe>("TimerProbe");
        runtime.addAction<TimerProbe, Timer>("TimerProbe", ns::Selector("tick:"), &TimerProbe::tick);
        runtime.addAction<TimerProbe>("TimerProbe", ns::Selector("plain"), &TimerProbe::plain);
        return true;
    }();
    (void)once;
}

class TimerSelectorTest : public TimerTest {
protected:
    void SetUp() override {
        TimerTest::SetUp();
        registerProbe();
    }
};

TEST_F(TimerSelectorTest, PerformsTheSelectorWithTheTimerAsSenderAndUserInfo) {
    auto probe = ns::make<TimerProbe>();
    int callbacks = 0;
    const auto timer = Timer::scheduledTimer(0.05, probe, ns::Selector("tick:"),
                                             std::function<void()>([&] { ++callbacks; }), true);
    advance(0.15);
    EXPECT_EQ(probe->senders, (std::vector<Timer*>{timer.get(), timer.get(), timer.get()}));
    EXPECT_EQ(callbacks, 3);

    const auto plain = Timer::scheduledTimer(0.1, probe, ns::Selector("plain"), std::any(), false);
    advance(0.1);
    EXPECT_EQ(probe->plainCalls, 1);
    EXPECT_FALSE(plain->isValid());
    timer->invalidate();
    EXPECT_FALSE(timer->userInfo().has_value());
    EXPECT_TRUE(loggedLines().empty());
}

TEST_F(TimerSelectorTest, DeadTargetEndsTheTimerWithoutACall) {
    auto probe = ns::make<TimerProbe>();
    std::weak_ptr<TimerProbe> watch = probe;
    std::weak_ptr<Timer> weakTimer = Timer::scheduledTimer(0.05, probe, ns::Selector("tick:"), std::any(), true);
    advance(0.05);
    EXPECT_EQ(probe->senders.size(), 1u);
    probe.reset();  // the timer does not keep its target alive
    EXPECT_TRUE(watch.expired());
    advance(0.05);
    EXPECT_TRUE(weakTimer.expired());  // invalidated itself and was released by the run loop
    EXPECT_TRUE(loggedLines().empty());
}

TEST_F(TimerSelectorTest, TargetThatCannotPerformGetsOneLineAndNoMoreFires) {
    auto probe = ns::make<TimerProbe>();
    const auto timer = Timer::scheduledTimer(0.05, probe, ns::Selector("noSuchAction"), std::any(), true);
    advance(1);
    EXPECT_FALSE(timer->isValid());
    EXPECT_EQ(loggedLines().size(), 1u);
}

} // namespace
