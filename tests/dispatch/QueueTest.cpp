#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/dispatch/Queue.hpp"
#include "platform/ns/RunLoop.hpp"
#include "platform/ns/Timer.hpp"
#include "tests/support/PlatformTest.hpp"

namespace {

using namespace pellavo;
using dispatch::QoS;
using dispatch::Queue;

class QueueTest : public pellavo::testing::PlatformTest {};

// A one-shot latch that global blocks can wait on.
class Gate {
public:
    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        cv_.notify_all();
    }
    void wait() {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [this] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool open_ = false;
};

TEST_F(QueueTest, MainQueueIsFifoAndNeverInline) {
    std::vector<int> order;
    for (int i = 0; i < 5; ++i) Queue::main().async([&order, i] { order.push_back(i); });
    EXPECT_TRUE(order.empty());
    Queue::main().async([&] {
        Queue::main().async([&] { order.push_back(99); });
        order.push_back(5);
    });
    ns::RunLoop::main().runOnce();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    runUntilIdle();
    EXPECT_EQ(order.back(), 99);
}

TEST_F(QueueTest, ManyProducersEachKeepTheirOrder) {
    constexpr int kThreads = 8;
    constexpr int kBlocks = 1000;
    std::vector<std::vector<int>> seen(kThreads);  // touched on the main thread only
    std::vector<std::thread> producers;
    for (int t = 0; t < kThreads; ++t) {
        producers.emplace_back([&seen, t] {
            for (int i = 0; i < kBlocks; ++i) Queue::main().async([&seen, t, i] { seen[t].push_back(i); });
        });
    }
    for (auto& producer : producers) producer.join();
    runUntilIdle();
    std::vector<int> expected(kBlocks);
    for (int i = 0; i < kBlocks; ++i) expected[i] = i;
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(seen[t], expected) << "producer " << t;
}

TEST_F(QueueTest, AsyncAfterRunsExactlyAtItsDeadlineInCallOrder) {
    const auto start = now();
    std::vector<std::string> order;
    std::int64_t ranAt = 0;
    Queue::main().asyncAfter(0.2, [&] {
        ranAt = now();
        order.push_back("first");
    });
    Queue::main().asyncAfter(0.2, [&] { order.push_back("second"); });
    ns::RunLoop::main().advanceTo(start + 199'999'999);
    EXPECT_TRUE(order.empty());
    ns::RunLoop::main().advanceTo(start + 200'000'000);
    EXPECT_EQ(ranAt, start + 200'000'000);
    EXPECT_EQ(order, (std::vector<std::string>{"first", "second"}));
}

TEST_F(QueueTest, AsyncAfterJoinsTheMainQueueInItsOwnTurn) {
    std::vector<std::string> order;
    int turns = 0;
    const auto observer = ns::RunLoop::main().addObserver(0, [&] {
        ++turns;
        order.push_back("end of turn");
    });
    Queue::main().asyncAfter(0.1, [&] { order.push_back("after"); });
    advance(0.1);
    ns::RunLoop::main().removeObserver(observer);
    // The block ran in the turn at 0.1 s (the walk's one turn there), then the end-of-turn step.
    EXPECT_EQ(order, (std::vector<std::string>{"after", "end of turn"}));
    EXPECT_EQ(turns, 1);
}

TEST_F(QueueTest, DegenerateDelays) {
    std::vector<std::string> order;
    const double inf = std::numeric_limits<double>::infinity();
    Queue::main().asyncAfter(inf, [&] { order.push_back("never"); });
    Queue::main().asyncAfter(-1, [&] { order.push_back("negative"); });
    Queue::main().asyncAfter(std::nan(""), [&] { order.push_back("nan"); });
    Queue::main().asyncAfter(0, [&] { order.push_back("zero"); });
    Queue::main().asyncAfter(1e300, [&] { order.push_back("far"); });
    Queue::main().async([&] {
        // From inside a turn, zero delay means the next turn, not this one.
        Queue::main().asyncAfter(0, [&] { order.push_back("next turn"); });
        order.push_back("async");
    });
    ns::RunLoop::main().runOnce();
    // The delayed blocks join the main queue in step 1, behind the block queued before.
    EXPECT_EQ(order, (std::vector<std::string>{"async", "negative", "nan", "zero"}));
    ns::RunLoop::main().runOnce();
    EXPECT_EQ(order.back(), "next turn");
    advance(1e6);
    EXPECT_EQ(order.size(), 5u);
}

TEST_F(QueueTest, GlobalWorkRunsOffMainAndPostsBack) {
    std::atomic<bool> offMain{false};
    bool postedBackOnMain = false;
    EXPECT_TRUE(dispatch::isMainThread());
    Queue::global(QoS::userInteractive).async([&] {
        offMain = !dispatch::isMainThread();
        Queue::main().async([&] { postedBackOnMain = dispatch::isMainThread(); });
    });
    EXPECT_TRUE(ns::RunLoop::main().runUntil([&] { return postedBackOnMain; }, 30));
    EXPECT_TRUE(offMain.load());
}

TEST_F(QueueTest, HigherQualityRunsFirst) {
    const unsigned cores = std::thread::hardware_concurrency();
    const int workers = static_cast<int>(std::max(2u, std::min(4u, cores)));
    // Hold every worker, queue low before high, then free exactly one worker.
    std::vector<Gate> gates(workers);
    std::atomic<int> held{0};
    for (auto& gate : gates) {
        Queue::global(QoS::standard).async([&] {
            ++held;
            gate.wait();
        });
    }
    while (held.load() < workers) std::this_thread::yield();
    std::mutex mutex;
    std::vector<QoS> order;
    for (QoS qos : {QoS::background, QoS::utility, QoS::standard, QoS::userInitiated, QoS::userInteractive,
                    QoS::background, QoS::userInteractive}) {
        Queue::global(qos).async([&, qos] {
            std::lock_guard lock(mutex);
            order.push_back(qos);
        });
    }
    gates[0].open();
    // The freed worker drains the queue alone: wait until it has.
    for (;;) {
        {
            std::lock_guard lock(mutex);
            if (order.size() == 7) break;
        }
        std::this_thread::yield();
    }
    for (auto& gate : gates) gate.open();
    EXPECT_TRUE(dispatch::waitForGlobalIdle(30));
    EXPECT_EQ(order, (std::vector<QoS>{QoS::userInteractive, QoS::userInteractive, QoS::userInitiated,
                                      QoS::standard, QoS::utility, QoS::background, QoS::background}));
}

TEST_F(QueueTest, ThrowingBlockIsLoggedAndTheHooksStillRun) {
    static std::atomic<int> hookRuns{0};
    static std::atomic<bool> hookOnMain{false};
    const int before = hookRuns.load();
    dispatch::addGlobalTaskEndHook([] {
        ++hookRuns;
        if (dispatch::isMainThread()) hookOnMain = true;
    });
    Queue::global().async([] { throw std::runtime_error("boom"); });
    Queue::global().async([] { throw 42; });
    std::atomic<bool> after{false};
    Queue::global().async([&] { after = true; });
    ASSERT_TRUE(dispatch::waitForGlobalIdle(30));
    EXPECT_TRUE(after.load());
    EXPECT_EQ(hookRuns.load() - before, 3);
    EXPECT_FALSE(hookOnMain.load());
    auto lines = loggedLines();
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"dispatch: a global block threw a non-standard exception",
                                               "dispatch: a global block threw: boom"}));
}

TEST_F(QueueTest, WaitsTimeOut) {
    Gate gate;
    Queue::global().async([&] { gate.wait(); });
    EXPECT_FALSE(dispatch::waitForGlobalIdle(0.05));
    gate.open();
    EXPECT_TRUE(dispatch::waitForGlobalIdle(30));
    EXPECT_FALSE(ns::RunLoop::main().runUntil([] { return false; }, 0.05));
}

TEST_F(QueueTest, RunOnTheSystemClockStopsFromATimerAndWakesForWorkers) {
    ns::Clock::setShared(nullptr);
    auto& loop = ns::RunLoop::main();
    bool fired = false;
    const auto timer = ns::Timer::scheduledTimer(0.01, false, [&](ns::Timer&) {
        fired = true;
        loop.stop();
    });
    loop.run();
    EXPECT_TRUE(fired);

    // Nothing scheduled: run() sleeps until a worker brings work.
    bool stoppedByWorker = false;
    Queue::global().async([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        Queue::main().async([&] {
            stoppedByWorker = dispatch::isMainThread();
            loop.stop();
        });
    });
    loop.run();
    EXPECT_TRUE(stoppedByWorker);
}

} // namespace
