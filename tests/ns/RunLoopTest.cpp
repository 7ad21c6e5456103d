#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "platform/dispatch/Queue.hpp"
#include "platform/ns/RunLoop.hpp"
#include "tests/support/PlatformTest.hpp"

namespace {

using namespace pellavo;
using ns::RunLoop;

class RunLoopTest : public pellavo::testing::PlatformTest {
protected:
    void TearDown() override {
        for (auto id : observers_) loop().removeObserver(id);
        PlatformTest::TearDown();
    }
    static RunLoop& loop() { return RunLoop::main(); }
    RunLoop::ObserverId observe(int order, std::function<void()> fn) {
        const auto id = loop().addObserver(order, std::move(fn));
        observers_.push_back(id);
        return id;
    }
    std::int64_t at(double seconds) const { return now() + ns::secondsToNanoseconds(seconds); }

    std::vector<std::string> log_;
    std::vector<RunLoop::ObserverId> observers_;
};

TEST_F(RunLoopTest, TurnRunsDueEventsThenBlocksThenObservers) {
    const auto t = now();
    observe(RunLoop::Order::commit, [&] { log_.push_back("commit"); });
    observe(RunLoop::Order::layout, [&] { log_.push_back("layout"); });
    observe(RunLoop::Order::display, [&] { log_.push_back("display"); });
    observe(RunLoop::Order::layout, [&] { log_.push_back("layout2"); });
    loop().enqueue([&] { log_.push_back("block"); });
    loop().schedule(t, [&] { log_.push_back("late-set"); });
    loop().schedule(t - 5, [&] { log_.push_back("earliest"); });
    loop().schedule(t + 1, [&] { log_.push_back("future"); });
    loop().schedule(t, [&] {
        log_.push_back("set-last");
        // Added during step 1: waits for the next turn, even though it is due.
        loop().schedule(t, [&] { log_.push_back("next-turn event"); });
        loop().enqueue([&] { log_.push_back("queued in step 1"); });
    });
    loop().runOnce();
    const std::vector<std::string> firstTurn = {"earliest", "late-set", "set-last", "block",
                                                "queued in step 1", "layout", "layout2", "display", "commit"};
    EXPECT_EQ(log_, firstTurn);
    log_.clear();
    loop().runOnce();
    EXPECT_EQ(log_, (std::vector<std::string>{"next-turn event", "layout", "layout2", "display", "commit"}));
}

TEST_F(RunLoopTest, BlockQueuedByABlockWaitsForTheNextTurn) {
    int turns = 0;
    observe(0, [&] { ++turns; });
    loop().enqueue([&] {
        log_.push_back("a");
        loop().enqueue([&] { log_.push_back("c"); });
    });
    loop().enqueue([&] { log_.push_back("b"); });
    loop().runOnce();
    EXPECT_EQ(log_, (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(runUntilIdle());
    EXPECT_EQ(log_, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(turns, 2);
}

TEST_F(RunLoopTest, CancelledEventsDoNotRun) {
    RunLoop::EventId victim = 0;
    loop().schedule(now(), [&] {
        log_.push_back("first");
        EXPECT_TRUE(loop().cancel(victim));
    });
    victim = loop().schedule(now(), [&] { log_.push_back("victim"); });
    const auto ran = loop().schedule(now(), [&] { log_.push_back("third"); });
    EXPECT_TRUE(runUntilIdle());
    EXPECT_EQ(log_, (std::vector<std::string>{"first", "third"}));
    EXPECT_FALSE(loop().cancel(ran));
    EXPECT_FALSE(loop().cancel(victim));
    EXPECT_FALSE(loop().cancel(0));
    EXPECT_EQ(loop().schedule(now(), nullptr), 0u);
}

TEST_F(RunLoopTest, ObserversRemovedDuringATurnAreSkipped) {
    RunLoop::ObserverId second = 0;
    RunLoop::ObserverId self = 0;
    self = observe(1, [&] {
        log_.push_back("first");
        loop().removeObserver(self);
        loop().removeObserver(second);
    });
    second = observe(2, [&] { log_.push_back("second"); });
    observe(3, [&] { log_.push_back("third"); });
    loop().runOnce();
    loop().runOnce();
    EXPECT_EQ(log_, (std::vector<std::string>{"first", "third", "third"}));
}

TEST_F(RunLoopTest, AdvanceRunsChainedWorkAtItsOwnInstant) {
    const auto start = now();
    std::vector<std::int64_t> seen;
    loop().schedule(at(5), [&] {
        seen.push_back(now());
        loop().schedule(at(5), [&] { seen.push_back(now()); });
    });
    advance(10);
    EXPECT_EQ(seen, (std::vector<std::int64_t>{start + 5'000'000'000, start + 10'000'000'000}));
    EXPECT_EQ(now(), start + 10'000'000'000);
}

TEST_F(RunLoopTest, AdvanceRunsEachInstantUntilIdleBeforeMovingOn) {
    const auto start = now();
    std::vector<std::int64_t> seen;
    loop().schedule(at(1), [&] {
        // A block queued by an event runs at the same instant, before the clock moves.
        loop().enqueue([&] {
            seen.push_back(now());
            loop().enqueue([&] { seen.push_back(now()); });
        });
    });
    loop().schedule(at(2), [&] { seen.push_back(now()); });
    loop().schedule(at(3), [&] { seen.push_back(-1); });
    advance(2);
    EXPECT_EQ(seen, (std::vector<std::int64_t>{start + 1'000'000'000, start + 1'000'000'000, start + 2'000'000'000}));
    EXPECT_EQ(loop().nextDueTime(), start + 3'000'000'000);
}

TEST_F(RunLoopTest, TurnBoundEndsASelfRequeueingBlock) {
    std::function<void()> requeue;
    int runs = 0;
    bool keepGoing = true;
    requeue = [&] {
        ++runs;
        if (keepGoing) loop().enqueue(requeue);
    };
    loop().enqueue(requeue);
    EXPECT_FALSE(loop().runUntilIdle(50));
    EXPECT_EQ(runs, 50);
    ASSERT_EQ(loggedLines().size(), 1u);
    EXPECT_EQ(loggedLines()[0], "RunLoop: still busy after 50 turns at one instant; moving on");

    // advance gives up on each busy instant and still reaches its target, running the
    // timed work on the way.
    const auto start = now();
    bool timedRan = false;
    loop().schedule(at(0.5), [&] { timedRan = true; });
    advance(1);
    EXPECT_TRUE(timedRan);
    EXPECT_EQ(now(), start + 1'000'000'000);
    EXPECT_GE(runs, 50 + 2 * RunLoop::defaultMaxTurns);
    keepGoing = false;
    EXPECT_TRUE(runUntilIdle());
}

TEST_F(RunLoopTest, AdvanceNeedsTheMainThreadAndAManualClockAndFiniteTime) {
    const auto start = now();
    std::thread([] { RunLoop::main().advance(1); }).join();
    EXPECT_EQ(now(), start);
    advance(std::numeric_limits<double>::infinity());
    advance(std::nan(""));
    EXPECT_EQ(now(), start);
    auto manual = ns::Clock::shared();
    ns::Clock::setShared(nullptr);
    loop().advance(1);
    ns::Clock::setShared(manual);
    EXPECT_EQ(now(), start);
    EXPECT_EQ(loggedLines(), (std::vector<std::string>{
                                 "RunLoop::advance called off the main thread; ignored",
                                 "RunLoop::advance: ignoring a non-finite interval",
                                 "RunLoop::advance: ignoring a non-finite interval",
                                 "RunLoop::advance needs a manual clock; ignored",
                             }));
    // A negative step runs the current instant and leaves the clock alone.
    bool ran = false;
    loop().enqueue([&] { ran = true; });
    advance(-3);
    EXPECT_TRUE(ran);
    EXPECT_EQ(now(), start);
}

TEST_F(RunLoopTest, ScheduleAndCancelFromOtherThreads) {
    std::atomic<int> ran{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                const auto id = RunLoop::main().schedule(now() + i, [&] { ++ran; });
                if ((i + t) % 2 == 0) RunLoop::main().cancel(id);
            }
        });
    }
    for (auto& thread : threads) thread.join();
    advance(0.001);
    EXPECT_EQ(ran.load(), 400);
}

TEST_F(RunLoopTest, RunUntilWakesForWorkFromAnotherThread) {
    std::atomic<bool> done{false};
    std::thread worker([&] { RunLoop::main().enqueue([&] { done = true; }); });
    EXPECT_TRUE(loop().runUntil([&] { return done.load(); }, 30));
    worker.join();
    // The manual clock never moves by itself: a future event cannot satisfy it.
    bool fired = false;
    loop().schedule(at(1), [&] { fired = true; });
    EXPECT_FALSE(loop().runUntil([&] { return fired; }, 0.05));
    EXPECT_FALSE(fired);
}

TEST_F(RunLoopTest, ResetDropsWorkButKeepsObservers) {
    int observed = 0;
    observe(0, [&] { ++observed; });
    loop().schedule(now(), [&] { log_.push_back("event"); });
    loop().enqueue([&] { log_.push_back("block"); });
    loop().resetForTesting();
    EXPECT_TRUE(loop().isIdle());
    EXPECT_EQ(loop().nextDueTime(), std::numeric_limits<std::int64_t>::max());
    loop().runOnce();
    EXPECT_TRUE(log_.empty());
    EXPECT_EQ(observed, 1);
}

TEST_F(RunLoopTest, ResetFromInsideABlockDropsTheRestOfTheTurn) {
    loop().enqueue([&] {
        log_.push_back("a");
        loop().resetForTesting();
    });
    loop().enqueue([&] { log_.push_back("b"); });
    loop().runOnce();
    EXPECT_EQ(log_, (std::vector<std::string>{"a"}));
}

TEST_F(RunLoopTest, MainThreadIsTheOneThatLoadedThePlatform) {
    EXPECT_TRUE(ns::isMainThread());
    EXPECT_TRUE(dispatch::isMainThread()) << "the queues' answer is the run loop's";
    std::atomic<bool> elsewhere{true};
    std::thread([&] { elsewhere = ns::isMainThread(); }).join();
    EXPECT_FALSE(elsewhere.load());
}

} // namespace
