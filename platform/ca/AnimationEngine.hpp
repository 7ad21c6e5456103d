#pragma once

#include "platform/ns/Export.hpp"

#include <cstdint>
#include <functional>

namespace pellavo::ca {

// The clock work of animation: animation ends, transaction completions and display
// link frames. It keeps one event on the main run loop, at the earliest due entry,
// and moves it whenever that changes. At the event every entry due by then runs in
// (due time, order) order, on the main thread: entries do their removals and queue
// their callbacks on the main queue, which runs them in the same turn.
class PELLAVO_EXPORT AnimationEngine {
public:
    using EntryId = std::uint64_t;

    static AnimationEngine& shared();

    // Schedules `fn` at `dueNs`. Entries due at one instant run by `order`, then by
    // insertion; 0 takes the next insertion number. Safe from any thread.
    EntryId add(std::int64_t dueNs, std::function<void()> fn, std::uint64_t order = 0);
    // Unknown or already-run entries are ignored.
    void remove(EntryId id);
    // A fresh number from the insertion sequence, for sources that keep their place.
    std::uint64_t nextOrder();

    // The earliest due entry, or INT64_MAX.
    std::int64_t nextDueTime() const;

    AnimationEngine(const AnimationEngine&) = delete;
    AnimationEngine& operator=(const AnimationEngine&) = delete;

private:
    AnimationEngine();
    void fire();
    void rescheduleLocked();
    void reset();

    struct State;
    State* state_;
};

} // namespace pellavo::ca
