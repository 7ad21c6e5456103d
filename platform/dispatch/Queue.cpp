#include "platform/dispatch/Queue.hpp"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/ns/Clock.hpp"
#include "platform/ns/Console.hpp"
#include "platform/ns/RunLoop.hpp"

namespace pellavo::dispatch {

namespace {

constexpr std::size_t kLevels = 5;

class Pool {
public:
    ~Pool() {
        // At exit: drop what has not started, let running blocks finish, join.
        std::array<std::deque<Queue::Block>, kLevels> dropped;
        std::vector<std::thread> workers;
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            dropped.swap(queued_);
            pending_ = 0;
            workers.swap(workers_);
        }
        work_.notify_all();
        for (auto& worker : workers) worker.join();
        idle_.notify_all();
    }

    void submit(QoS qos, Queue::Block block) {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        if (workers_.empty()) start();
        queued_[static_cast<std::size_t>(qos)].push_back(std::move(block));
        ++pending_;
        work_.notify_one();
    }

    bool waitForIdle(double seconds) {
        if (!(seconds > 0)) seconds = 0;
        seconds = std::min(seconds, 1e7);
        const auto deadline = std::chrono::steady_clock::now() +
                              std::chrono::nanoseconds(ns::secondsToNanoseconds(seconds));
        std::unique_lock lock(mutex_);
        return idle_.wait_until(lock, deadline, [this] { return pending_ == 0 && running_ == 0; });
    }

    void addTaskEndHook(std::function<void()> hook) {
        if (!hook) return;
        std::lock_guard lock(mutex_);
        hooks_.push_back(std::make_shared<std::function<void()>>(std::move(hook)));
    }

private:
    void start() {
        const unsigned cores = std::thread::hardware_concurrency();
        const unsigned count = std::max(2u, std::min(4u, cores));
        for (unsigned i = 0; i < count; ++i) workers_.emplace_back([this] { work(); });
    }

    void work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            work_.wait(lock, [this] { return stopping_ || pending_ > 0; });
            if (stopping_) return;
            Queue::Block block;
            for (auto& level : queued_) {
                if (level.empty()) continue;
                block = std::move(level.front());
                level.pop_front();
                break;
            }
            --pending_;
            ++running_;
            const auto hooks = hooks_;
            lock.unlock();
            run(block);
            block = nullptr;
            for (const auto& hook : hooks) run(*hook);
            lock.lock();
            --running_;
            if (pending_ == 0 && running_ == 0) idle_.notify_all();
        }
    }

    static void run(const std::function<void()>& fn) {
        try {
            fn();
        } catch (const std::exception& e) {
            ns::log(std::string("dispatch: a global block threw: ") + e.what());
        } catch (...) {
            ns::log("dispatch: a global block threw a non-standard exception");
        }
    }

    std::mutex mutex_;
    std::condition_variable work_;
    std::condition_variable idle_;
    std::array<std::deque<Queue::Block>, kLevels> queued_;
    std::size_t pending_ = 0;
    std::size_t running_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
    std::vector<std::shared_ptr<std::function<void()>>> hooks_;
};

Pool& pool() {
    // Destroyed at exit, which joins the workers.
    static Pool instance;
    return instance;
}

} // namespace

Queue& Queue::main() {
    static auto* queue = new Queue(true, QoS::userInteractive);
    return *queue;
}

Queue& Queue::global(QoS qos) {
    static auto* queues = new std::array<Queue, kLevels>{
        Queue(false, QoS::userInteractive), Queue(false, QoS::userInitiated), Queue(false, QoS::standard),
        Queue(false, QoS::utility), Queue(false, QoS::background)};
    const auto level = static_cast<std::size_t>(qos);
    return (*queues)[level < kLevels ? level : static_cast<std::size_t>(QoS::standard)];
}

void Queue::async(Block block) {
    if (!block) return;
    if (isMain_) {
        ns::RunLoop::main().enqueue(std::move(block));
    } else {
        pool().submit(qos_, std::move(block));
    }
}

void Queue::asyncAfter(double seconds, Block block) {
    if (!block) return;
    if (std::isinf(seconds) && seconds > 0) return;  // never
    const std::int64_t delay = seconds > 0 ? ns::secondsToNanoseconds(seconds) : 0;
    const std::int64_t due = ns::saturatingAdd(ns::Clock::shared()->now(), delay);
    ns::RunLoop::main().schedule(due, [this, block = std::move(block)]() mutable { async(std::move(block)); });
}

bool waitForGlobalIdle(double realTimeoutSeconds) { return pool().waitForIdle(realTimeoutSeconds); }

bool settleMainAndGlobal(double realTimeoutSeconds) {
    using Steady = std::chrono::steady_clock;
    const auto deadline =
        Steady::now() + std::chrono::duration_cast<Steady::duration>(
                            std::chrono::duration<double>(std::isfinite(realTimeoutSeconds)
                                                              ? std::clamp(realTimeoutSeconds, 0.0, 3600.0)
                                                              : 0.0));
    auto& loop = ns::RunLoop::main();
    for (;;) {
        const double left = std::chrono::duration<double>(deadline - Steady::now()).count();
        const bool globalIdle = waitForGlobalIdle(std::max(left, 0.0));
        const bool mainIdle = loop.runUntilIdle();
        // Quiet only when neither side produced work for the other meanwhile.
        if (globalIdle && mainIdle && waitForGlobalIdle(0) && loop.isIdle()) return true;
        if (Steady::now() >= deadline) return false;
    }
}

bool isMainThread() { return ns::isMainThread(); }

void addGlobalTaskEndHook(std::function<void()> hook) { pool().addTaskEndHook(std::move(hook)); }

} // namespace pellavo::dispatch
