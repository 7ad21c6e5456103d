#include "platform/ns/RunLoop.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <limits>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/ns/Clock.hpp"
#include "platform/ns/Console.hpp"

namespace pellavo::ns {

namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();
// Real-time waits are capped so a far-off deadline never overflows a time point.
constexpr double kMaxRealWaitSeconds = 1e7;

// Captured by the thread that runs the library's static initialisers: the one that loaded it.
const std::thread::id kMainThread = std::this_thread::get_id();

bool onMainThread(const char* what) {
    if (isMainThread()) return true;
    ns::log(std::string("RunLoop::") + what + " called off the main thread; ignored");
    return false;
}

SteadyClock::time_point realDeadline(double seconds) {
    if (!(seconds > 0)) seconds = 0;  // NaN and negatives: no waiting
    seconds = std::min(seconds, kMaxRealWaitSeconds);
    return SteadyClock::now() + std::chrono::nanoseconds(secondsToNanoseconds(seconds));
}

} // namespace

bool isMainThread() { return std::this_thread::get_id() == kMainThread; }

struct RunLoop::State {
    using EventKey = std::pair<std::int64_t, EventId>;

    mutable std::mutex mutex;
    std::condition_variable wake;
    std::uint64_t wakeCount = 0;
    bool stopRequested = false;

    // Ordered by due time, then by id: ids grow, so ties keep the order the due time
    // was set in.
    EventId nextEventId = 1;
    std::map<EventKey, Block> events;
    std::unordered_map<EventId, std::int64_t> dueById;

    std::deque<Block> blocks;
    // Bumped by reset so a turn in progress stops taking blocks.
    std::uint64_t generation = 0;

    ObserverId nextObserverId = 1;
    std::map<std::pair<int, ObserverId>, std::shared_ptr<Block>> observers;
    std::unordered_map<ObserverId, int> observerOrder;

    std::vector<Block> resetHandlers;

    void notifyLocked() {
        ++wakeCount;
        wake.notify_all();
    }
    bool idleLocked(std::int64_t now) const {
        return blocks.empty() && (events.empty() || events.begin()->first.first > now);
    }
    std::int64_t nextDueLocked() const { return events.empty() ? kNever : events.begin()->first.first; }
    // Sleeps until another thread brings work, the next event falls due (on a clock
    // that moves by itself), or the deadline. Returns at once when woken meanwhile.
    void sleepLocked(std::unique_lock<std::mutex>& lock, std::int64_t now,
                     SteadyClock::time_point deadline) {
        const std::uint64_t seen = wakeCount;
        const auto woken = [&] { return wakeCount != seen || stopRequested; };
        auto until = deadline;
        if (!events.empty()) {
            const auto untilDue = std::chrono::nanoseconds(std::max<std::int64_t>(nextDueLocked() - now, 0));
            if (untilDue < deadline - SteadyClock::now()) until = SteadyClock::now() + untilDue;
        }
        wake.wait_until(lock, until, woken);
    }
};

RunLoop::RunLoop() : state_(std::make_unique<State>()) {}
RunLoop::~RunLoop() = default;

RunLoop& RunLoop::main() {
    // Immortal: worker threads may still queue blocks while the process exits.
    static auto* loop = new RunLoop;
    return *loop;
}

RunLoop::EventId RunLoop::schedule(std::int64_t dueNs, Block block) {
    if (!block) return 0;
    auto& s = *state_;
    std::lock_guard lock(s.mutex);
    const EventId id = s.nextEventId++;
    s.events.emplace(State::EventKey{dueNs, id}, std::move(block));
    s.dueById.emplace(id, dueNs);
    s.notifyLocked();
    return id;
}

bool RunLoop::cancel(EventId id) {
    auto& s = *state_;
    Block dropped;  // destroyed after the lock is released: it may own anything
    std::lock_guard lock(s.mutex);
    const auto found = s.dueById.find(id);
    if (found == s.dueById.end()) return false;
    const auto event = s.events.find({found->second, id});
    dropped = std::move(event->second);
    s.events.erase(event);
    s.dueById.erase(found);
    return true;
}

void RunLoop::enqueue(Block block) {
    if (!block) return;
    auto& s = *state_;
    std::lock_guard lock(s.mutex);
    s.blocks.push_back(std::move(block));
    s.notifyLocked();
}

RunLoop::ObserverId RunLoop::addObserver(int order, Block observer) {
    if (!observer) return 0;
    auto& s = *state_;
    std::lock_guard lock(s.mutex);
    const ObserverId id = s.nextObserverId++;
    s.observers.emplace(std::pair{order, id}, std::make_shared<Block>(std::move(observer)));
    s.observerOrder.emplace(id, order);
    return id;
}

void RunLoop::removeObserver(ObserverId id) {
    auto& s = *state_;
    std::shared_ptr<Block> dropped;
    std::lock_guard lock(s.mutex);
    const auto found = s.observerOrder.find(id);
    if (found == s.observerOrder.end()) return;
    const auto observer = s.observers.find({found->second, id});
    dropped = std::move(observer->second);
    s.observers.erase(observer);
    s.observerOrder.erase(found);
}

void RunLoop::addResetHandler(Block handler) {
    if (!handler) return;
    auto& s = *state_;
    std::lock_guard lock(s.mutex);
    s.resetHandlers.push_back(std::move(handler));
}

void RunLoop::runTurn() {
    auto& s = *state_;
    const std::int64_t now = Clock::shared()->now();

    // 1. Timed events due now that existed when the turn began. Each is looked up again
    //    before it runs, so one cancelled by an earlier event is skipped.
    std::vector<State::EventKey> due;
    {
        std::lock_guard lock(s.mutex);
        for (auto it = s.events.begin(); it != s.events.end() && it->first.first <= now; ++it) {
            due.push_back(it->first);
        }
    }
    for (const auto& key : due) {
        Block block;
        {
            std::lock_guard lock(s.mutex);
            const auto event = s.events.find(key);
            if (event == s.events.end()) continue;
            block = std::move(event->second);
            s.events.erase(event);
            s.dueById.erase(key.second);
        }
        block();
    }

    // 2. Main-queue blocks queued before this step began, one at a time so a block
    //    queued meanwhile waits for the next turn.
    std::size_t count = 0;
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(s.mutex);
        count = s.blocks.size();
        generation = s.generation;
    }
    for (std::size_t i = 0; i < count; ++i) {
        Block block;
        {
            std::lock_guard lock(s.mutex);
            if (s.generation != generation || s.blocks.empty()) break;
            block = std::move(s.blocks.front());
            s.blocks.pop_front();
        }
        block();
    }

    // 3. End-of-turn observers present when this step began; one removed meanwhile is skipped.
    std::vector<std::pair<int, ObserverId>> keys;
    {
        std::lock_guard lock(s.mutex);
        keys.reserve(s.observers.size());
        for (const auto& entry : s.observers) keys.push_back(entry.first);
    }
    for (const auto& key : keys) {
        std::shared_ptr<Block> observer;
        {
            std::lock_guard lock(s.mutex);
            const auto found = s.observers.find(key);
            if (found == s.observers.end()) continue;
            observer = found->second;
        }
        (*observer)();
    }
}

void RunLoop::runOnce() {
    if (!onMainThread("runOnce")) return;
    runTurn();
}

bool RunLoop::runUntilIdle(int maxTurns) {
    if (!onMainThread("runUntilIdle")) return false;
    maxTurns = std::max(maxTurns, 1);
    for (int turn = 0; turn < maxTurns; ++turn) {
        runTurn();
        if (isIdle()) return true;
    }
    ns::log("RunLoop: still busy after " + std::to_string(maxTurns) +
            " turns at one instant; moving on");
    return false;
}

void RunLoop::advance(double seconds) {
    if (!std::isfinite(seconds)) {
        ns::log("RunLoop::advance: ignoring a non-finite interval");
        return;
    }
    advanceTo(saturatingAdd(Clock::shared()->now(), secondsToNanoseconds(seconds)));
}

void RunLoop::advanceTo(std::int64_t targetNs) {
    if (!onMainThread("advance")) return;
    const auto clock = std::dynamic_pointer_cast<ManualClock>(Clock::shared());
    if (!clock) {
        ns::log("RunLoop::advance needs a manual clock; ignored");
        return;
    }
    auto& s = *state_;
    // After an instant that never became idle, time moves on: the leftover work is due
    // at every later instant too, so it is not waited for here.
    bool stuck = false;
    bool ranAtTarget = false;
    for (;;) {
        const std::int64_t now = clock->now();
        std::int64_t next = kNever;
        {
            std::lock_guard lock(s.mutex);
            const auto it = stuck ? s.events.upper_bound({now, std::numeric_limits<EventId>::max()})
                                  : s.events.begin();
            if (it != s.events.end()) next = it->first.first;
        }
        if (next == kNever || next > targetNs) break;
        clock->set(next);
        stuck = !runUntilIdle();
        ranAtTarget = clock->now() == targetNs && !stuck;
    }
    clock->set(targetNs);
    // Already idle at the target after its own events: no extra turn.
    if (ranAtTarget && isIdle()) return;
    runUntilIdle();
}

bool RunLoop::runUntil(const std::function<bool()>& predicate, double realTimeoutSeconds) {
    if (!onMainThread("runUntil")) return false;
    auto& s = *state_;
    const auto deadline = realDeadline(realTimeoutSeconds);
    for (;;) {
        if (predicate && predicate()) return true;
        runTurn();
        if (predicate && predicate()) return true;
        const std::int64_t now = Clock::shared()->now();
        std::unique_lock lock(s.mutex);
        if (SteadyClock::now() >= deadline) return false;
        if (!s.idleLocked(now)) continue;
        s.sleepLocked(lock, now, deadline);
    }
}

void RunLoop::run() {
    if (!onMainThread("run")) return;
    auto& s = *state_;
    {
        std::lock_guard lock(s.mutex);
        s.stopRequested = false;
    }
    for (;;) {
        runTurn();
        const std::int64_t now = Clock::shared()->now();
        std::unique_lock lock(s.mutex);
        if (s.stopRequested) break;
        if (!s.idleLocked(now)) continue;
        s.sleepLocked(lock, now, realDeadline(kMaxRealWaitSeconds));
        if (s.stopRequested) break;
    }
    std::lock_guard lock(s.mutex);
    s.stopRequested = false;
}

void RunLoop::stop() {
    auto& s = *state_;
    std::lock_guard lock(s.mutex);
    s.stopRequested = true;
    s.notifyLocked();
}

void RunLoop::wakeUp() {
    auto& s = *state_;
    std::lock_guard lock(s.mutex);
    s.notifyLocked();
}

bool RunLoop::isIdle() const {
    const std::int64_t now = Clock::shared()->now();
    std::lock_guard lock(state_->mutex);
    return state_->idleLocked(now);
}

std::int64_t RunLoop::nextDueTime() const {
    std::lock_guard lock(state_->mutex);
    return state_->nextDueLocked();
}

void RunLoop::reset() {
    auto& s = *state_;
    std::vector<Block> handlers;
    {
        std::lock_guard lock(s.mutex);
        handlers = s.resetHandlers;
    }
    for (const auto& handler : handlers) handler();

    // Dropped work is destroyed outside the lock: its destructors may schedule or cancel.
    std::map<State::EventKey, Block> events;
    std::deque<Block> blocks;
    {
        std::lock_guard lock(s.mutex);
        events.swap(s.events);
        blocks.swap(s.blocks);
        s.dueById.clear();
        ++s.generation;
        s.stopRequested = false;
    }
}

} // namespace pellavo::ns
