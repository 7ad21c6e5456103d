#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ca/MediaTimingFunction.hpp"

namespace pellavo::ca {

class TransactionCompletion;

// Groups layer changes. Each thread has its own stack of transactions; the first
// layer change on a thread with none open opens an implicit one. The main thread
// commits whatever is open at the end of each run-loop turn, global-queue workers
// after each task. Values not set in a transaction are looked up outwards; the
// defaults are 0.25 s, no timing function and actions enabled.
class PELLAVO_EXPORT Transaction {
public:
    static void begin();
    // Closes the innermost explicit transaction; without one, nothing.
    static void commit();

    static double animationDuration();
    static void setAnimationDuration(double seconds);
    static std::optional<MediaTimingFunction> animationTimingFunction();
    static void setAnimationTimingFunction(std::optional<MediaTimingFunction> function);
    static bool disableActions();
    static void setDisableActions(bool disable);
    // Runs once on the main queue when every animation added from now on, while this
    // transaction or one nested in it is open, has ended or been removed, and the
    // outermost transaction has committed. A new block replaces the old one and
    // keeps what is already being waited for.
    static void setCompletionBlock(std::function<void()> block);

    // A transaction with actions disabled for the guard's scope: layer changes made
    // inside it show at once, without implicit animations.
    class ActionsDisabled {
    public:
        ActionsDisabled() {
            begin();
            setDisableActions(true);
        }
        ~ActionsDisabled() { commit(); }
        ActionsDisabled(const ActionsDisabled&) = delete;
        ActionsDisabled& operator=(const ActionsDisabled&) = delete;
    };

    // ---- for layers and the animation engine

    // Marks a moment in the calling thread's sequence of outermost commits.
    struct Stamp {
        std::shared_ptr<const std::atomic<std::uint64_t>> commits;
        std::uint64_t at = 0;
        // True once an outermost commit happened on that thread after the stamp.
        bool committedSince() const { return commits && commits->load(std::memory_order_acquire) > at; }
    };
    static Stamp stamp();
    // Opens the implicit transaction when the calling thread has none open.
    static void layerWillChange();
    // The completion records an animation added now must hold up: those of every
    // open transaction with a block.
    static std::vector<std::shared_ptr<TransactionCompletion>> completionsToTrack();
    // Commits every open transaction of the calling thread, implicit included.
    static void flush();
};

} // namespace pellavo::ca
