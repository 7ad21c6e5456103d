#pragma once

#include "platform/ns/Export.hpp"

#include <cstdint>
#include <functional>
#include <memory>

namespace pellavo::ns {

// True on the main thread: the one that loaded the platform library (it runs the
// library's static initialisers). Safe from any thread.
PELLAVO_EXPORT bool isMainThread();

// The main thread's run loop. A turn at instant T runs, in this order:
//   1. the timed events due at or before T that existed when the turn began, by due
//      time and then by the order their due time was set;
//   2. the main-queue blocks queued before step 2 began, first in first out;
//   3. the end-of-turn observers, by ascending order and then by registration.
// Work added during a step waits for the next turn. Scheduling, cancelling, queueing
// blocks, stop() and wakeUp() are safe from any thread; everything that runs turns
// belongs to the main thread (the one that loaded the platform library).
class PELLAVO_EXPORT RunLoop {
public:
    using EventId = std::uint64_t;
    using ObserverId = std::uint64_t;
    using Block = std::function<void()>;

    // Named observer orders for the layers that commit at the end of a turn.
    struct Order {
        static constexpr int layout = 100;
        static constexpr int display = 200;
        static constexpr int commit = 300;
    };

    // Turns run at one instant before the loop gives up on becoming idle.
    static constexpr int defaultMaxTurns = 10000;

    static RunLoop& main();

    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    // Runs `block` in the first turn at or after `dueNs` on the shared clock. A source
    // whose due time changes cancels its event and schedules a new one.
    EventId schedule(std::int64_t dueNs, Block block);
    // False when the event already ran, was cancelled or never existed.
    bool cancel(EventId id);

    // Queues a block for step 2 of the next turn: how any thread posts work to the main
    // thread (the main dispatch queue is built on it). Never runs the block inline.
    void enqueue(Block block);

    ObserverId addObserver(int order, Block observer);
    void removeObserver(ObserverId id);

    // Called by reset() before events are dropped, so sources such as timers
    // can invalidate themselves. Handlers stay registered for the process.
    void addResetHandler(Block handler);

    // One turn at the current instant.
    void runOnce();
    // Turns at the current instant until nothing is due and no block is queued (at
    // least one turn). False, with a log line, when maxTurns did not get there.
    bool runUntilIdle(int maxTurns = defaultMaxTurns);
    // Manual clock only: walks to the target instant event by event, running turns at
    // each due instant until idle, so work scheduled by a completion runs at its own
    // instant. Off the main thread or on another clock: a log line and nothing else.
    void advance(double seconds);
    void advanceTo(std::int64_t targetNs);
    // Runs turns at the current clock time until `predicate` holds, sleeping while idle
    // until another thread brings work. False after the real-time timeout.
    bool runUntil(const std::function<bool()>& predicate, double realTimeoutSeconds);

    // For applications: turns until stop(), sleeping until the next due event or work
    // from another thread.
    void run();
    void stop();
    void wakeUp();

    // Nothing due at the current instant and no block queued.
    bool isIdle() const;
    // Earliest due time of any event, or INT64_MAX when none is scheduled.
    std::int64_t nextDueTime() const;

    // Runs the reset handlers (timers invalidate themselves), then drops every event
    // and queued block. Observers stay. Ends an application's session
    // (ui::Application::terminate).
    void reset();
    void resetForTesting() { reset(); }

private:
    RunLoop();
    ~RunLoop();

    void runTurn();

    struct State;
    std::unique_ptr<State> state_;
};

} // namespace pellavo::ns
