#include "platform/ns/Timer.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/ns/Clock.hpp"
#include "platform/ns/Console.hpp"
#include "platform/ns/RunLoop.hpp"
#include "platform/ns/Runtime.hpp"

namespace pellavo::ns {

namespace {

constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();
// The shortest interval: also what an interval of zero, below zero or NaN becomes.
// Anything shorter would make walking the clock event by event crawl.
constexpr std::int64_t kMinInterval = 100'000;

// The run loop's hold on every valid timer. Immortal, like the run loop.
struct Registry {
    std::mutex mutex;
    std::unordered_map<const Timer*, std::shared_ptr<Timer>> valid;
};

Registry& registry() {
    static auto* state = new Registry;
    return *state;
}

void invalidateAll() {
    std::vector<std::shared_ptr<Timer>> timers;
    {
        std::lock_guard lock(registry().mutex);
        timers.reserve(registry().valid.size());
        for (const auto& entry : registry().valid) timers.push_back(entry.second);
    }
    for (const auto& timer : timers) timer->invalidate();
}

void installResetHandler() {
    static std::once_flag once;
    std::call_once(once, [] { RunLoop::main().addResetHandler(invalidateAll); });
}

// The first grid point start + k × interval strictly after `now`, or kNever when it
// lies beyond the clock's range.
std::int64_t nextGridPoint(std::int64_t start, std::int64_t interval, std::int64_t now) {
    if (now < start) return saturatingAdd(start, interval);
    const std::int64_t steps = (now - start) / interval + 1;
    std::int64_t offset = 0;
    std::int64_t next = 0;
    if (__builtin_mul_overflow(steps, interval, &offset) || __builtin_add_overflow(start, offset, &next)) {
        return kNever;
    }
    return next;
}

// Keeps the firing depth right even when the action throws.
struct FiringScope {
    explicit FiringScope(int& depth) : depth_(depth) { ++depth_; }
    ~FiringScope() { --depth_; }
    FiringScope(const FiringScope&) = delete;
    FiringScope& operator=(const FiringScope&) = delete;
    int& depth_;
};

} // namespace

std::shared_ptr<Timer> Timer::scheduledTimer(double interval, bool repeats, Action action) {
    return schedule(interval, repeats, std::make_shared<Action>(std::move(action)), std::any());
}

std::shared_ptr<Timer> Timer::scheduledTimer(double interval, std::shared_ptr<Object> target, Selector selector,
                                             std::any userInfo, bool repeats) {
    auto action = [weakTarget = std::weak_ptr<Object>(target), selector](Timer& timer) {
        const auto strongTarget = weakTarget.lock();
        if (!strongTarget || !Runtime::shared().perform(strongTarget.get(), selector, &timer)) {
            timer.invalidate();
        }
    };
    return schedule(interval, repeats, std::make_shared<Action>(std::move(action)), std::move(userInfo));
}

std::shared_ptr<Timer> Timer::schedule(double interval, bool repeats, std::shared_ptr<Action> action,
                                       std::any userInfo) {
    auto timer = ns::make<Timer>(Key{});
    if (!isMainThread()) {
        ns::log("Timer::scheduledTimer called off the main thread; the timer is invalid");
        return timer;
    }
    installResetHandler();

    bool never = false;
    std::int64_t intervalNs = kMinInterval;
    if (std::isinf(interval) && interval > 0) {
        never = true;
    } else if (interval > 0) {
        intervalNs = std::max(secondsToNanoseconds(interval), kMinInterval);
    }

    timer->valid_ = true;
    timer->repeats_ = repeats;
    timer->start_ = Clock::shared()->now();
    timer->interval_ = intervalNs;
    timer->action_ = (action && *action) ? std::move(action) : nullptr;
    timer->userInfo_ = std::move(userInfo);
    {
        std::lock_guard lock(registry().mutex);
        registry().valid.emplace(timer.get(), timer);
    }
    const std::int64_t first = never ? kNever : saturatingAdd(timer->start_, intervalNs);
    if (first == kNever) {
        timer->fireDate_ = kNever;
    } else {
        timer->scheduleNext(first);
    }
    return timer;
}

Timer::~Timer() {
    if (eventId_ != 0) RunLoop::main().cancel(eventId_);
}

void Timer::scheduleNext(std::int64_t dueNs) {
    fireDate_ = dueNs;
    if (dueNs == kNever) return;
    // The event holds the timer weakly: the registry is what keeps a valid timer alive.
    eventId_ = RunLoop::main().schedule(dueNs, [weak = weakFromThis<Timer>()] {
        if (const auto timer = weak.lock()) timer->timerEvent();
    });
}

void Timer::timerEvent() {
    // The caller holds a strong reference for the whole call.
    eventId_ = 0;
    if (!valid_) return;
    runAction();
    if (!valid_) return;
    if (!repeats_) {
        invalidate();
        return;
    }
    // A late timer fires once, then continues at the first grid point after now.
    scheduleNext(nextGridPoint(start_, interval_, Clock::shared()->now()));
}

void Timer::runAction() {
    const auto action = action_;  // survives invalidation from inside the action
    if (!action) return;
    {
        FiringScope scope(firing_);
        (*action)(*this);
    }
    // Invalidated from inside the action: release the contents now that it returned.
    if (!valid_ && firing_ == 0) releaseContents();
}

void Timer::fire() {
    if (!valid_) return;
    const auto self = sharedFromThis<Timer>();  // the action may drop the last owner
    runAction();
    if (valid_ && !repeats_) invalidate();
}

void Timer::invalidate() {
    if (!valid_) return;
    valid_ = false;
    if (eventId_ != 0) {
        RunLoop::main().cancel(eventId_);
        eventId_ = 0;
    }
    // Declared first so it is released last: it may be the final reference to this timer.
    std::shared_ptr<Timer> hold;
    {
        std::lock_guard lock(registry().mutex);
        const auto found = registry().valid.find(this);
        if (found != registry().valid.end()) {
            hold = std::move(found->second);
            registry().valid.erase(found);
        }
    }
    // From inside the action the contents are released once it returns.
    if (firing_ == 0) releaseContents();
}

void Timer::releaseContents() {
    auto action = std::move(action_);
    action_.reset();
    auto info = std::move(userInfo_);
    userInfo_.reset();
}

} // namespace pellavo::ns
