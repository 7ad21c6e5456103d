#include "platform/ca/DisplayLink.hpp"

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/ca/AnimationEngine.hpp"
#include "platform/ns/Clock.hpp"
#include "platform/ns/RunLoop.hpp"

namespace pellavo::ca {

namespace {

// The run loop's hold on added links, paused ones included.
struct Registry {
    std::mutex mutex;
    std::vector<std::shared_ptr<DisplayLink>> links;
};

Registry& registry() {
    static auto* r = [] {
        auto* created = new Registry;
        ns::RunLoop::main().addResetHandler([created] {
            std::vector<std::shared_ptr<DisplayLink>> dropped;
            {
                std::lock_guard lock(created->mutex);
                dropped.swap(created->links);
            }
            for (const auto& link : dropped) link->invalidate();
        });
        return created;
    }();
    return *r;
}

constexpr int kDivisorsOf60[] = {60, 30, 20, 15, 12, 10, 6, 5, 4, 3, 2, 1};

} // namespace

std::shared_ptr<DisplayLink> DisplayLink::make(Callback callback) {
    if (!callback) return makeWithTarget({});
    return makeWithTarget([callback = std::move(callback)](DisplayLink& link) {
        callback(link);
        return true;
    });
}

std::shared_ptr<DisplayLink> DisplayLink::makeWithTarget(TargetCall call) {
    auto link = ns::make<DisplayLink>(Key());
    link->call_ = std::make_shared<TargetCall>(std::move(call));
    return link;
}

DisplayLink::~DisplayLink() {
    if (entry_) AnimationEngine::shared().remove(entry_);
}

std::int64_t DisplayLink::frameTime(std::int64_t k) {
    return static_cast<std::int64_t>(static_cast<__int128>(k) * 1'000'000'000 / 60);
}

std::int64_t DisplayLink::nextFrame(std::int64_t ns, int step) {
    ns = std::max<std::int64_t>(ns, 0);
    step = std::max(step, 1);
    const auto k0 = static_cast<std::int64_t>(static_cast<__int128>(ns) * 60 / 1'000'000'000);
    std::int64_t k = k0 / step * step;
    while (frameTime(k) <= ns) k += step;
    return k;
}

int DisplayLink::framesPerSecond() const {
    if (preferredFramesPerSecond_ <= 0) return 60;
    for (int d : kDivisorsOf60)
        if (d <= preferredFramesPerSecond_) return d;
    return 1;
}

void DisplayLink::add(ns::RunLoop&, RunLoopMode) {
    if (!valid_ || added_) return;
    added_ = true;
    order_ = AnimationEngine::shared().nextOrder();
    {
        auto& r = registry();
        std::lock_guard lock(r.mutex);
        r.links.push_back(sharedFromThis<DisplayLink>());
    }
    if (!paused_) scheduleNext();
}

void DisplayLink::invalidate() {
    if (!valid_) return;
    valid_ = false;
    unschedule();
    call_.reset();
    std::shared_ptr<DisplayLink> dropped; // may be the last owner: released last
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    const auto it = std::find_if(r.links.begin(), r.links.end(), [this](const auto& l) { return l.get() == this; });
    if (it != r.links.end()) {
        dropped = std::move(*it);
        r.links.erase(it);
    }
}

void DisplayLink::setPaused(bool paused) {
    if (!valid_ || paused == paused_) return;
    paused_ = paused;
    if (paused)
        unschedule();
    else if (added_)
        scheduleNext();
}

void DisplayLink::setPreferredFramesPerSecond(int fps) {
    if (!valid_) return;
    const int before = framesPerSecond();
    preferredFramesPerSecond_ = fps;
    if (framesPerSecond() != before && entry_) {
        unschedule();
        scheduleNext();
    }
}

void DisplayLink::unschedule() {
    if (entry_) AnimationEngine::shared().remove(entry_);
    entry_ = 0;
}

void DisplayLink::scheduleNext() {
    unschedule();
    const std::int64_t k = nextFrame(ns::Clock::shared()->now(), 60 / framesPerSecond());
    std::weak_ptr<DisplayLink> weak = sharedFromThis<DisplayLink>();
    entry_ = AnimationEngine::shared().add(
        frameTime(k),
        [weak, k] {
            if (auto link = weak.lock()) link->frame(k);
        },
        order_);
}

void DisplayLink::frame(std::int64_t k) {
    entry_ = 0;
    if (!valid_ || paused_) return;
    const auto self = sharedFromThis<DisplayLink>(); // the callback may drop the last other owner
    timestampNs_ = frameTime(k);
    const auto call = call_;
    const bool targetAlive = !call || !*call || (*call)(*this);
    if (!targetAlive) {
        invalidate();
        return;
    }
    if (valid_ && !paused_ && !entry_) scheduleNext();
}

} // namespace pellavo::ca
