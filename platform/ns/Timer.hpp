#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/ns/Export.hpp"
#include "platform/ns/Object.hpp"
#include "platform/ns/Selector.hpp"

namespace pellavo::ns {

// A run-loop timer on the shared clock. Fire dates lie on the grid
// start + n × interval in integer nanoseconds, the first one interval after
// scheduling. The run loop holds a valid timer, so owners may hold it weakly.
// Timers belong to the main thread.
class PELLAVO_EXPORT Timer : public Object {
    struct Key {
        explicit Key() = default;
    };

public:
    using Action = std::function<void(Timer&)>;

    // Interval ≤ 0 or NaN is taken as 0.1 ms; +∞ never fires but stays valid. Called
    // off the main thread: a log line and an invalid timer.
    static std::shared_ptr<Timer> scheduledTimer(double interval, bool repeats, Action action);
    // Performs `selector` on `target` through ns::Runtime with the timer as sender. The
    // target is held weakly: once it is gone the timer invalidates itself instead of
    // firing. A target that cannot perform the selector gets one log line (from the
    // runtime) and the timer is invalidated.
    static std::shared_ptr<Timer> scheduledTimer(double interval, std::shared_ptr<Object> target,
                                                 Selector selector, std::any userInfo, bool repeats);

    explicit Timer(Key) {}
    ~Timer() override;

    std::string_view className() const override { return "NSTimer"; }

    // Runs the action now without moving the grid; a non-repeating timer is then
    // invalidated. Nothing for an invalid timer.
    void fire();
    // Stops the timer for good and releases its action and user info (after the action
    // returns, when called from inside it). Safe from inside the action.
    void invalidate();

    bool isValid() const { return valid_; }
    // The next fire date in nanoseconds on the shared clock; INT64_MAX when the timer
    // never fires again.
    std::int64_t fireDate() const { return fireDate_; }
    // The interval in seconds after clamping.
    double timeInterval() const { return static_cast<double>(interval_) / 1e9; }
    bool repeats() const { return repeats_; }
    const std::any& userInfo() const { return userInfo_; }

private:
    static std::shared_ptr<Timer> schedule(double interval, bool repeats,
                                           std::shared_ptr<Action> action, std::any userInfo);
    void scheduleNext(std::int64_t dueNs);
    void timerEvent();
    void runAction();
    void releaseContents();

    bool valid_ = false;
    bool repeats_ = false;
    int firing_ = 0;
    std::int64_t start_ = 0;
    std::int64_t interval_ = 0;
    std::int64_t fireDate_ = 0;
    std::uint64_t eventId_ = 0;
    std::shared_ptr<Action> action_;
    std::any userInfo_;
};

} // namespace pellavo::ns
