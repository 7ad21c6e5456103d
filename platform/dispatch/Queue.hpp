#pragma once

#include "platform/ns/Export.hpp"

#include <functional>

namespace pellavo::dispatch {

// Quality of service of the global queues, highest first.
enum class QoS { userInteractive, userInitiated, standard, utility, background };

// The main queue (blocks run in step 2 of the main run loop's turns) or one of the
// global queues (a small shared pool of worker threads). Queues are process-wide
// singletons; every member is safe from any thread.
class PELLAVO_EXPORT Queue {
public:
    using Block = std::function<void()>;

    static Queue& main();
    static Queue& global(QoS qos = QoS::standard);

    Queue(const Queue&) = delete;
    Queue& operator=(const Queue&) = delete;

    // Never runs the block inline. Main: first in, first out. Global: on the pool, higher
    // qualities first, first in first out within one; an exception escaping the block is
    // caught and logged.
    void async(Block block);
    // At the deadline's turn the block is submitted to this queue (on the main queue it
    // runs in that same turn). A delay ≤ 0 or NaN means the next turn; +∞ never.
    // Equal deadlines keep the call order.
    void asyncAfter(double seconds, Block block);

    bool isMain() const { return isMain_; }
    QoS qos() const { return qos_; }

private:
    Queue(bool isMain, QoS qos) : isMain_(isMain), qos_(qos) {}

    bool isMain_;
    QoS qos_;
};

// Waits up to the real-time timeout until no global block is queued or running.
PELLAVO_EXPORT bool waitForGlobalIdle(double realTimeoutSeconds);
// Lets work on the global queues finish and its results land on the main queue, turn after
// turn without moving the clock, until neither side has anything left (true) or the real-time
// timeout passes (false): what a screenshot or a test waits for before it looks.
PELLAVO_EXPORT bool settleMainAndGlobal(double realTimeoutSeconds);
// ns::isMainThread(), for code that speaks in queues: the main thread is the one
// that loaded the platform library, and the main queue's blocks run on it.
PELLAVO_EXPORT bool isMainThread();
// Runs on the worker after each global block (also one that threw).
PELLAVO_EXPORT void addGlobalTaskEndHook(std::function<void()> hook);

} // namespace pellavo::dispatch
