#pragma once

#include "platform/ns/Export.hpp"

#include <atomic>
#include <cstdint>
#include <memory>

namespace pellavo::ns {

// Seconds to integer nanoseconds: llround(s * 1e9), saturating at the int64 range;
// NaN gives 0. Every duration the platform stores goes through here.
PELLAVO_EXPORT std::int64_t secondsToNanoseconds(double seconds);
// a + b clamped to the int64 range.
PELLAVO_EXPORT std::int64_t saturatingAdd(std::int64_t a, std::int64_t b);

// The one source of time: monotonic integer nanoseconds. Timers, delayed dispatch,
// display links and animation all read the shared clock and nothing else.
class PELLAVO_EXPORT Clock {
public:
    virtual ~Clock() = default;

    virtual std::int64_t now() const = 0;
    double seconds() const { return static_cast<double>(now()) / 1e9; }
    // Seconds since the 2001 reference date.
    virtual double absoluteTime() const { return seconds(); }

    // The clock everything reads; a SystemClock unless a test installs its own.
    static std::shared_ptr<Clock> shared();
    // nullptr restores the system clock.
    static void setShared(std::shared_ptr<Clock> clock);
};

// Time that moves only when told to. Starts at 10^12 ns so no instant is 0.
class PELLAVO_EXPORT ManualClock : public Clock {
public:
    static constexpr std::int64_t defaultStart = 1'000'000'000'000;

    explicit ManualClock(std::int64_t start = defaultStart) : now_(start) {}

    std::int64_t now() const override { return now_.load(std::memory_order_acquire); }
    // Forward only: a negative step or an earlier instant is ignored.
    void advance(std::int64_t nanoseconds);
    void set(std::int64_t nanoseconds);

private:
    std::atomic<std::int64_t> now_;
};

// The monotonic system clock; absolute time is the wall time at creation plus the
// monotonic time elapsed since, so it never jumps.
class PELLAVO_EXPORT SystemClock : public Clock {
public:
    SystemClock();
    std::int64_t now() const override;
    double absoluteTime() const override;

private:
    std::int64_t createdAt_ = 0;
    double absoluteAtCreation_ = 0;
};

// The shared clock's absolute time.
PELLAVO_EXPORT double absoluteTimeGetCurrent();

} // namespace pellavo::ns
