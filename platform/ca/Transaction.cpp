#include "platform/ca/Transaction.hpp"

#include <mutex>

#include "platform/ca/TransactionCompletion.hpp"
#include "platform/dispatch/Queue.hpp"
#include "platform/ns/RunLoop.hpp"

namespace pellavo::ca {

namespace {

struct Frame {
    bool implicit = false;
    std::optional<double> duration;
    std::optional<std::optional<MediaTimingFunction>> timing;
    std::optional<bool> disableActions;
    std::shared_ptr<TransactionCompletion> completion;
};

struct ThreadState {
    std::vector<Frame> stack;
    // Completions of committed transactions, waiting for the outermost commit.
    std::vector<std::shared_ptr<TransactionCompletion>> awaitingOutermost;
    std::shared_ptr<std::atomic<std::uint64_t>> commits = std::make_shared<std::atomic<std::uint64_t>>(0);
};

ThreadState& thread() {
    thread_local ThreadState state;
    return state;
}

// The main thread commits at the end of every turn, workers after every task.
void installCommitPoints() {
    static std::once_flag once;
    std::call_once(once, [] {
        ns::RunLoop::main().addObserver(ns::RunLoop::Order::commit, [] { Transaction::flush(); });
        dispatch::addGlobalTaskEndHook([] { Transaction::flush(); });
    });
}

// Installed when the library loads, so even a worker's first task commits after it.
[[maybe_unused]] const bool commitPointsInstalled = (installCommitPoints(), true);

Frame& top() {
    auto& s = thread();
    if (s.stack.empty()) {
        Frame implicit;
        implicit.implicit = true;
        s.stack.push_back(std::move(implicit));
    }
    return s.stack.back();
}

void commitTop() {
    auto& s = thread();
    Frame frame = std::move(s.stack.back());
    s.stack.pop_back();
    if (frame.completion) s.awaitingOutermost.push_back(std::move(frame.completion));
    if (!s.stack.empty()) return;
    s.commits->fetch_add(1, std::memory_order_acq_rel);
    auto waiting = std::move(s.awaitingOutermost);
    s.awaitingOutermost.clear();
    for (const auto& completion : waiting) completion->outermostCommitted();
}

template <class T>
std::optional<T> lookup(std::optional<T> Frame::*field) {
    const auto& stack = thread().stack;
    for (auto it = stack.rbegin(); it != stack.rend(); ++it)
        if ((*it).*field) return (*it).*field;
    return std::nullopt;
}

} // namespace

void Transaction::begin() {
    installCommitPoints();
    thread().stack.push_back(Frame{});
}

void Transaction::commit() {
    auto& stack = thread().stack;
    if (stack.empty() || stack.back().implicit) return;
    commitTop();
}

void Transaction::flush() {
    installCommitPoints();
    auto& s = thread();
    if (s.stack.empty()) {
        // A turn without changes still counts: layers made before it are now committed.
        s.commits->fetch_add(1, std::memory_order_acq_rel);
        return;
    }
    while (!s.stack.empty()) commitTop();
}

double Transaction::animationDuration() { return lookup(&Frame::duration).value_or(0.25); }

void Transaction::setAnimationDuration(double seconds) {
    installCommitPoints();
    top().duration = seconds;
}

std::optional<MediaTimingFunction> Transaction::animationTimingFunction() {
    return lookup(&Frame::timing).value_or(std::nullopt);
}

void Transaction::setAnimationTimingFunction(std::optional<MediaTimingFunction> function) {
    installCommitPoints();
    top().timing = function;
}

bool Transaction::disableActions() { return lookup(&Frame::disableActions).value_or(false); }

void Transaction::setDisableActions(bool disable) {
    installCommitPoints();
    top().disableActions = disable;
}

void Transaction::setCompletionBlock(std::function<void()> block) {
    installCommitPoints();
    auto& frame = top();
    if (!frame.completion) frame.completion = std::make_shared<TransactionCompletion>();
    frame.completion->setBlock(std::move(block));
}

Transaction::Stamp Transaction::stamp() {
    installCommitPoints();
    const auto& s = thread();
    return {s.commits, s.commits->load(std::memory_order_acquire)};
}

void Transaction::layerWillChange() {
    installCommitPoints();
    top();
}

std::vector<std::shared_ptr<TransactionCompletion>> Transaction::completionsToTrack() {
    // Innermost first: an inner block is due no later than an outer one.
    std::vector<std::shared_ptr<TransactionCompletion>> result;
    const auto& stack = thread().stack;
    for (auto it = stack.rbegin(); it != stack.rend(); ++it)
        if (it->completion) result.push_back(it->completion);
    return result;
}

void TransactionCompletion::setBlock(std::function<void()> block) {
    std::lock_guard lock(mutex_);
    if (!fired_) block_ = std::move(block);
}

void TransactionCompletion::track() {
    std::lock_guard lock(mutex_);
    ++pending_;
}

void TransactionCompletion::release() {
    std::unique_lock lock(mutex_);
    if (pending_ > 0) --pending_;
    fireIfDoneLocked(lock);
}

void TransactionCompletion::outermostCommitted() {
    std::unique_lock lock(mutex_);
    committed_ = true;
    fireIfDoneLocked(lock);
}

void TransactionCompletion::fireIfDoneLocked(std::unique_lock<std::mutex>& lock) {
    if (fired_ || !committed_ || pending_ > 0) return;
    fired_ = true;
    auto block = std::move(block_);
    block_ = nullptr;
    lock.unlock();
    if (block) dispatch::Queue::main().async(std::move(block));
}

} // namespace pellavo::ca
