#include "platform/ns/Clock.hpp"

#include <chrono>
#include <cmath>
#include <limits>
#include <mutex>
#include <utility>

namespace pellavo::ns {

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
// 2^63: the first double above the int64 range (INT64_MAX itself is not a double).
constexpr double kTwoTo63 = 9223372036854775808.0;
// Seconds between the Unix epoch and 2001-01-01 00:00:00 UTC.
constexpr double kUnixToReference = 978307200.0;

// Immortal: workers may read the clock while the process exits.
struct SharedClock {
    std::mutex mutex;
    std::shared_ptr<Clock> system = std::make_shared<SystemClock>();
    std::shared_ptr<Clock> current = system;
};

SharedClock& sharedClock() {
    static auto* state = new SharedClock;
    return *state;
}

} // namespace

std::int64_t secondsToNanoseconds(double seconds) {
    if (std::isnan(seconds)) return 0;
    const double ns = seconds * 1e9;
    if (ns >= kTwoTo63) return kMax;
    if (ns <= -kTwoTo63) return kMin;
    // In range, so llround cannot overflow (values just below 2^63 round to at most
    // the largest double below it).
    return static_cast<std::int64_t>(std::llround(ns));
}

std::int64_t saturatingAdd(std::int64_t a, std::int64_t b) {
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) return b > 0 ? kMax : kMin;
    return sum;
}

std::shared_ptr<Clock> Clock::shared() {
    auto& state = sharedClock();
    std::lock_guard lock(state.mutex);
    return state.current;
}

void Clock::setShared(std::shared_ptr<Clock> clock) {
    auto& state = sharedClock();
    std::shared_ptr<Clock> previous;
    std::lock_guard lock(state.mutex);
    previous = std::exchange(state.current, clock ? std::move(clock) : state.system);
}

void ManualClock::advance(std::int64_t nanoseconds) {
    if (nanoseconds <= 0) return;
    std::int64_t current = now_.load(std::memory_order_relaxed);
    while (!now_.compare_exchange_weak(current, saturatingAdd(current, nanoseconds),
                                       std::memory_order_acq_rel)) {
    }
}

void ManualClock::set(std::int64_t nanoseconds) {
    std::int64_t current = now_.load(std::memory_order_relaxed);
    while (nanoseconds > current &&
           !now_.compare_exchange_weak(current, nanoseconds, std::memory_order_acq_rel)) {
    }
}

SystemClock::SystemClock() {
    createdAt_ = now();
    const auto wall = std::chrono::system_clock::now().time_since_epoch();
    absoluteAtCreation_ = std::chrono::duration<double>(wall).count() - kUnixToReference;
}

std::int64_t SystemClock::now() const {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double SystemClock::absoluteTime() const {
    return absoluteAtCreation_ + static_cast<double>(now() - createdAt_) / 1e9;
}

double absoluteTimeGetCurrent() { return Clock::shared()->absoluteTime(); }

} // namespace pellavo::ns
