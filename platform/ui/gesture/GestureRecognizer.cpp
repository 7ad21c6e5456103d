#include "platform/ui/gesture/GestureRecognizer.hpp"

#include <algorithm>

#include "platform/dispatch/Queue.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/event/Event.hpp"
#include "platform/ui/gesture/GestureArena.hpp"
#include "platform/ui/event/Touch.hpp"
#include "platform/ui/view/View.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo::ui {

GestureRecognizer::~GestureRecognizer() {
    // Recognisers waiting for this one to fail, and views waiting for it to decide,
    // are settled on the next turn rather than from inside a destructor.
    if (engaged_ || pending_) dispatch::Queue::main().async([] { GestureArena::shared().recheck(); });
}

void GestureRecognizer::joinApplication() { GestureArena::install(); }

void GestureRecognizer::setIsEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled) return;
    auto self = sharedFromThis<GestureRecognizer>();
    if (state_ == State::began || state_ == State::changed) {
        state_ = State::cancelled;
        sendActions();
    } else if (state_ == State::possible && (engaged_ || pending_)) {
        state_ = State::failed;
    }
    // The touches it held are no longer its own, even when it is switched on again
    // before they lift; what waited on it is settled as for a failure.
    abandon();
}

// ---------------------------------------------------------------- targets

void GestureRecognizer::addTarget(const std::shared_ptr<ns::Object>& target, ns::Selector action) {
    if (!target || action.isEmpty()) return;
    ActionKey key;
    key.selector = action;
    std::weak_ptr<ns::Object> weak = target;
    addTargetEntry(Target{target, key, [weak, action](GestureRecognizer& sender) {
                              auto strong = weak.lock();
                              if (!strong) return false;
                              ns::Runtime::shared().perform(strong.get(), action, &sender);
                              return true;
                          }});
}

void GestureRecognizer::removeTarget(const std::shared_ptr<ns::Object>& target, ns::Selector action) {
    ActionKey key;
    key.selector = action;
    removeTargets(target ? std::weak_ptr<const void>(target) : std::weak_ptr<const void>(), !target,
                  action.isEmpty() ? nullptr : &key);
}

namespace {
bool sameOwner(const std::weak_ptr<const void>& a, const std::weak_ptr<const void>& b) {
    return !a.owner_before(b) && !b.owner_before(a);
}
} // namespace

void GestureRecognizer::addTargetEntry(Target target) {
    for (const auto& existing : targets_)
        if (existing.key == target.key && sameOwner(existing.identity, target.identity)) return;
    targets_.push_back(std::move(target));
}

void GestureRecognizer::removeTargets(const std::weak_ptr<const void>& target, bool anyTarget,
                                      const ActionKey* key) {
    std::erase_if(targets_, [&](const Target& entry) {
        if (!anyTarget && !sameOwner(entry.identity, target)) return false;
        return key == nullptr || entry.key == *key;
    });
}

void GestureRecognizer::sendActions() {
    // Over a snapshot: an action may add or remove targets, or drop the recogniser.
    auto self = sharedFromThis<GestureRecognizer>();
    auto snapshot = targets_;
    bool pruned = false;
    for (auto& target : snapshot) {
        if (target.identity.expired()) {
            pruned = true;
            continue;
        }
        if (!target.invoke(*this)) pruned = true;
    }
    if (pruned)
        std::erase_if(targets_, [](const Target& entry) { return entry.identity.expired(); });
}

// ---------------------------------------------------------------- requirements

bool GestureRecognizer::dependsOn(const GestureRecognizer* other) const {
    // Depth-first over the requirement graph; the graph has no cycles (they are
    // refused), but a visited list keeps the walk linear in any case.
    std::vector<const GestureRecognizer*> stack{this};
    std::vector<const GestureRecognizer*> seen;
    while (!stack.empty()) {
        const GestureRecognizer* current = stack.back();
        stack.pop_back();
        if (std::find(seen.begin(), seen.end(), current) != seen.end()) continue;
        seen.push_back(current);
        for (const auto& weak : current->failureRequirements_) {
            auto next = weak.lock();
            if (!next) continue;
            if (next.get() == other) return true;
            stack.push_back(next.get());
        }
    }
    return false;
}

void GestureRecognizer::requireToFail(const std::shared_ptr<GestureRecognizer>& other) {
    if (!other || other.get() == this) return;
    if (other->dependsOn(this)) return; // would close a cycle
    for (const auto& weak : failureRequirements_)
        if (weak.lock() == other) return;
    std::erase_if(failureRequirements_, [](const auto& weak) { return weak.expired(); });
    failureRequirements_.push_back(other);
}

// ---------------------------------------------------------------- touches

void GestureRecognizer::touchesBegan(const TouchSet&, const Event&) {}
void GestureRecognizer::touchesMoved(const TouchSet&, const Event&) {}
void GestureRecognizer::touchesEnded(const TouchSet&, const Event&) {}
void GestureRecognizer::touchesCancelled(const TouchSet&, const Event&) {}

void GestureRecognizer::reset() {}

void GestureRecognizer::setState(State state) { GestureArena::shared().request(*this, state); }

void GestureRecognizer::trackTouch(const std::shared_ptr<Touch>& touch) {
    if (!touch || holdsTouch(touch.get())) return;
    std::erase_if(touches_, [](const auto& weak) { return weak.expired(); });
    touches_.push_back(touch);
    engaged_ = true;
    if (auto window = touch->window()) lastWindow_ = window;
}

bool GestureRecognizer::holdsTouch(const Touch* touch) const {
    return std::any_of(touches_.begin(), touches_.end(),
                       [touch](const auto& weak) { return weak.lock().get() == touch; });
}

void GestureRecognizer::ignore(const Touch& touch) {
    std::erase_if(touches_, [&touch](const auto& weak) {
        auto strong = weak.lock();
        return !strong || strong.get() == &touch;
    });
}

void GestureRecognizer::holdAtMost(std::size_t count, const TouchSet& arriving) {
    std::size_t held = 0;
    for (const auto& touch : activeTouches())
        if (!arriving.contains(touch)) ++held;
    for (const auto& touch : arriving) {
        if (held < count) ++held;
        else ignore(*touch);
    }
}

void GestureRecognizer::finishOnLift(bool cancelled) {
    const bool underWay = state_ == State::began || state_ == State::changed;
    if (!underWay) setState(State::failed);
    else setState(cancelled ? State::cancelled : State::ended);
}

std::vector<std::shared_ptr<Touch>> GestureRecognizer::activeTouches() const {
    std::vector<std::shared_ptr<Touch>> result;
    for (const auto& weak : touches_)
        if (auto touch = weak.lock(); touch && !touch->isFinished()) result.push_back(std::move(touch));
    return result;
}

bool GestureRecognizer::hasActiveTouches() const {
    return std::any_of(touches_.begin(), touches_.end(), [](const auto& weak) {
        auto touch = weak.lock();
        return touch && !touch->isFinished();
    });
}

std::size_t GestureRecognizer::numberOfTouches() const { return activeTouches().size(); }

cg::Point GestureRecognizer::centroidInScreen() const {
    cg::Point sum;
    std::size_t count = 0;
    for (const auto& touch : activeTouches()) {
        sum = sum + touch->screenLocation();
        ++count;
    }
    if (count == 0) {
        // The touches have just lifted: where they lifted.
        for (const auto& weak : touches_) {
            if (auto touch = weak.lock()) {
                sum = sum + touch->screenLocation();
                ++count;
            }
        }
    }
    if (count == 0) return lastScreenLocation_;
    return sum * (1.0 / static_cast<double>(count));
}

void GestureRecognizer::noteLocation() { lastScreenLocation_ = centroidInScreen(); }

// ---------------------------------------------------------------- coordinates

std::shared_ptr<View> GestureRecognizer::defaultWindow() const {
    if (auto window = lastWindow_.lock()) return window;
    if (auto own = view_.lock()) return own->window();
    return nullptr;
}

cg::Point GestureRecognizer::pointFromScreen(cg::Point screenPoint, const View* view) const {
    if (view) return view->convertFromScreen(screenPoint);
    if (auto window = defaultWindow()) return window->convertFromScreen(screenPoint);
    return screenPoint;
}

cg::Point GestureRecognizer::pointToScreen(cg::Point point, const View* view) const {
    if (view) return view->convertToScreen(point);
    if (auto window = defaultWindow()) return window->convertToScreen(point);
    return point;
}

cg::Point GestureRecognizer::vectorFromScreen(cg::Point vector, cg::Point screenPoint, const View* view) const {
    return pointFromScreen(screenPoint + vector, view) - pointFromScreen(screenPoint, view);
}

cg::Point GestureRecognizer::vectorToScreen(cg::Point vector, cg::Point point, const View* view) const {
    return pointToScreen(point + vector, view) - pointToScreen(point, view);
}

cg::Point GestureRecognizer::location(const View* view) const {
    return pointFromScreen(centroidInScreen(), view);
}

// ---------------------------------------------------------------- view and lifetime

void GestureRecognizer::moveToView(View* view) {
    if (view_.lock().get() == view) return;
    if (state_ == State::began || state_ == State::changed || engaged_) abandon();
    if (view) {
        view_ = std::static_pointer_cast<View>(view->weak_from_this().lock());
        if (auto window = view->window()) lastWindow_ = window;
    } else {
        view_.reset();
    }
}

void GestureRecognizer::abandon() {
    bool wasUnderWay = engaged_ || pending_ || state_ != State::possible;
    ++generation_;
    touches_.clear();
    pending_ = false;
    pendingState_ = State::possible;
    engaged_ = false;
    state_ = State::possible;
    if (wasUnderWay) {
        reset();
        GestureArena::shared().recognizerAbandoned(*this);
    }
}

void GestureRecognizer::applyDriven(const DrivenValues& values) {
    if (!values.location.isFinite()) return;
    auto own = view_.lock();
    const cg::Point screen = pointToScreen(values.location, own.get());
    if (screen.isFinite()) lastScreenLocation_ = screen;
}

void GestureRecognizer::drive(State state, const DrivenValues& values) {
    auto self = sharedFromThis<GestureRecognizer>();
    applyDriven(values);
    state_ = state;
    if (state != State::possible && state != State::failed) sendActions();
    if (state != State::possible && state != State::began && state != State::changed && !hasActiveTouches()) {
        state_ = State::possible;
        engaged_ = false;
        pending_ = false;
        ++generation_;
        touches_.clear();
        reset();
    }
}

} // namespace pellavo::ui
