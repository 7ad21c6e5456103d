#include "platform/ca/AnimationEngine.hpp"

#include <limits>
#include <map>
#include <mutex>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/ns/Clock.hpp"
#include "platform/ns/RunLoop.hpp"

namespace pellavo::ca {

namespace {
constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();
}

struct AnimationEngine::State {
    // (due, order, id)
    using Key = std::tuple<std::int64_t, std::uint64_t, EntryId>;

    mutable std::mutex mutex;
    std::map<Key, std::function<void()>> entries;
    std::unordered_map<EntryId, Key> keys;
    std::uint64_t nextSequence = 1;
    ns::RunLoop::EventId event = 0;
    std::int64_t eventDue = kNever;
};

AnimationEngine& AnimationEngine::shared() {
    // Immortal, like the run loop it feeds: entries may be added while the process exits.
    static auto* engine = new AnimationEngine;
    return *engine;
}

AnimationEngine::AnimationEngine() : state_(new State) {
    ns::RunLoop::main().addResetHandler([this] { reset(); });
}

std::uint64_t AnimationEngine::nextOrder() {
    std::lock_guard lock(state_->mutex);
    return state_->nextSequence++;
}

AnimationEngine::EntryId AnimationEngine::add(std::int64_t dueNs, std::function<void()> fn, std::uint64_t order) {
    if (!fn || dueNs == kNever) return 0;
    auto& s = *state_;
    std::lock_guard lock(s.mutex);
    const EntryId id = s.nextSequence++;
    const State::Key key{dueNs, order ? order : id, id};
    s.entries.emplace(key, std::move(fn));
    s.keys.emplace(id, key);
    rescheduleLocked();
    return id;
}

void AnimationEngine::remove(EntryId id) {
    auto& s = *state_;
    std::function<void()> dropped; // released outside the lock: it may own anything
    std::lock_guard lock(s.mutex);
    const auto found = s.keys.find(id);
    if (found == s.keys.end()) return;
    const auto entry = s.entries.find(found->second);
    dropped = std::move(entry->second);
    s.entries.erase(entry);
    s.keys.erase(found);
    rescheduleLocked();
}

std::int64_t AnimationEngine::nextDueTime() const {
    std::lock_guard lock(state_->mutex);
    return state_->entries.empty() ? kNever : std::get<0>(state_->entries.begin()->first);
}

void AnimationEngine::rescheduleLocked() {
    auto& s = *state_;
    const std::int64_t due = s.entries.empty() ? kNever : std::get<0>(s.entries.begin()->first);
    if (due == s.eventDue) return;
    if (s.event) ns::RunLoop::main().cancel(s.event);
    s.event = 0;
    s.eventDue = due;
    if (due != kNever) s.event = ns::RunLoop::main().schedule(due, [this] { fire(); });
}

void AnimationEngine::fire() {
    auto& s = *state_;
    const std::int64_t now = ns::Clock::shared()->now();
    {
        std::lock_guard lock(s.mutex);
        s.event = 0;
        s.eventDue = kNever;
    }
    // One entry at a time, looked up afresh: an entry may add or remove others.
    for (;;) {
        std::function<void()> fn;
        {
            std::lock_guard lock(s.mutex);
            const auto first = s.entries.begin();
            if (first == s.entries.end() || std::get<0>(first->first) > now) break;
            fn = std::move(first->second);
            s.keys.erase(std::get<2>(first->first));
            s.entries.erase(first);
        }
        fn();
    }
    std::lock_guard lock(s.mutex);
    rescheduleLocked();
}

void AnimationEngine::reset() {
    auto& s = *state_;
    std::map<State::Key, std::function<void()>> dropped;
    std::lock_guard lock(s.mutex);
    dropped.swap(s.entries);
    s.keys.clear();
    // The run loop drops its events itself.
    s.event = 0;
    s.eventDue = kNever;
}

} // namespace pellavo::ca
