#include "platform/ui/control/Control.hpp"

#include <algorithm>

#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/event/Event.hpp"
#include "platform/ui/event/Touch.hpp"

namespace pellavo::ui {

Control::Control(const cg::Rect& frame) : View(frame) {}

Control::Control(const ns::Coder& coder) : View(coder) {}

Control::State Control::state() const {
    unsigned s = 0;
    if (highlighted_) s |= static_cast<unsigned>(State::highlighted);
    if (!enabled_) s |= static_cast<unsigned>(State::disabled);
    if (selected_) s |= static_cast<unsigned>(State::selected);
    return static_cast<State>(s);
}

void Control::setIsEnabled(bool enabled) {
    change(enabled_, enabled, Invalidate::display);
    // A control that stops being enabled mid-touch shows no highlight (also when it
    // was disabled already and highlighted since).
    if (!enabled && highlighted_) setIsHighlighted(false);
}

void Control::setIsSelected(bool selected) { change(selected_, selected, Invalidate::display); }

void Control::setIsHighlighted(bool highlighted) { change(highlighted_, highlighted, Invalidate::display); }

void Control::setContentHorizontalAlignment(ContentHorizontalAlignment alignment) {
    change(contentHorizontalAlignment_, alignment, Invalidate::layout);
}

// ---------------------------------------------------------------- targets

Control::ActionKey Control::selectorKey(ns::Selector selector) {
    ActionKey key;
    key.selector = selector;
    key.isSelector = true;
    return key;
}

void Control::addTarget(const std::weak_ptr<ns::Object>& target, ns::Selector action, Event events) {
    auto locked = target.lock();
    if (!locked || action.isEmpty()) return;
    addRegistration(std::weak_ptr<const void>(locked), identity(locked.get()), selectorKey(action),
                    static_cast<unsigned>(events), [action](const std::shared_ptr<const void>& object, Control& sender) {
                        // Registered from an ns::Object, so the stored pointer is one.
                        auto* typed = const_cast<ns::Object*>(static_cast<const ns::Object*>(object.get()));
                        ns::Runtime::shared().perform(typed, action, &sender);
                    });
}

void Control::addRegistration(std::weak_ptr<const void> target, const void* address, ActionKey action,
                              unsigned events, std::function<void(const std::shared_ptr<const void>&, Control&)> invoke) {
    if (events == 0) return;
    for (const auto& r : registrations_) {
        if (r->targetAddress == address && r->action == action && !r->target.expired()) {
            r->events |= events;
            return;
        }
    }
    auto registration = std::make_shared<Registration>();
    registration->target = std::move(target);
    registration->targetAddress = address;
    registration->action = action;
    registration->events = events;
    registration->invoke = std::move(invoke);
    registrations_.push_back(std::move(registration));
}

void Control::removeRegistrations(const void* address, const ActionKey* action, unsigned events) {
    for (auto& r : registrations_) {
        if (address != nullptr && r->targetAddress != address) continue;
        if (action != nullptr && !(r->action == *action)) continue;
        r->events &= ~events;
    }
    std::erase_if(registrations_, [](const auto& r) { return r->events == 0; });
}

void Control::removeTarget(std::nullptr_t, ns::Selector action, Event events) {
    const ActionKey key = selectorKey(action);
    removeRegistrations(nullptr, &key, static_cast<unsigned>(events));
}

void Control::removeTarget(std::nullptr_t, std::nullptr_t, Event events) {
    removeRegistrations(nullptr, nullptr, static_cast<unsigned>(events));
}

void Control::sendActions(Event events) {
    const unsigned mask = static_cast<unsigned>(events);
    if (mask == 0) return;
    // Keeps this control alive while targets run, whatever they do with it.
    auto self = sharedFromThis<Control>();
    const auto snapshot = registrations_;
    bool pruned = false;
    for (const auto& r : snapshot) {
        // Removed (or narrowed) by an earlier action of this send.
        if ((r->events & mask) == 0) continue;
        auto target = r->target.lock();
        if (!target) {
            r->events = 0;
            pruned = true;
            continue;
        }
        r->invoke(target, *this);
    }
    if (pruned) std::erase_if(registrations_, [](const auto& r) { return r->events == 0; });
}

bool Control::hasTargets(Event events) const {
    const unsigned mask = static_cast<unsigned>(events);
    return std::any_of(registrations_.begin(), registrations_.end(),
                       [mask](const auto& r) { return (r->events & mask) != 0 && !r->target.expired(); });
}

std::size_t Control::targetCount() {
    std::erase_if(registrations_, [](const auto& r) { return r->target.expired(); });
    return registrations_.size();
}

// ---------------------------------------------------------------- tracking

bool Control::beginTracking(const Touch&, const ui::Event*) { return true; }
bool Control::continueTracking(const Touch&, const ui::Event*) { return true; }
void Control::endTracking(const Touch*, const ui::Event*) {}
void Control::cancelTracking(const ui::Event*) {}

bool Control::isWithinTouchTolerance(cg::Point point) const {
    return bounds().insetBy(-kTouchTolerance, -kTouchTolerance).contains(point);
}

void Control::clearTrackingState() {
    trackingTouch_.reset();
    tracking_ = false;
    touchInside_ = false;
    if (highlighted_) setIsHighlighted(false);
}

void Control::didMoveToWindow() {
    View::didMoveToWindow();
    // Off screen no end or cancel can arrive for the touch being tracked.
    if (!window() && !trackingTouch_.expired()) clearTrackingState();
}

void Control::touchesBegan(const TouchSet& touches, const ui::Event* event) {
    // A disabled control keeps the touch from everything behind it and does nothing.
    if (!enabled_) return;
    // One touch at a time; a tracked touch that finished unheard (the control left
    // its window meanwhile) no longer counts.
    if (auto tracked = trackingTouch_.lock(); tracked && !tracked->isFinished()) return;
    std::shared_ptr<Touch> touch;
    for (const auto& t : touches) {
        touch = t;
        break;
    }
    if (!touch) return;
    auto self = sharedFromThis<Control>();
    trackingTouch_ = touch;
    touchInside_ = true;
    setIsHighlighted(true);
    tracking_ = beginTracking(*touch, event);
    sendActions(Event::touchDown);
}

namespace {
std::shared_ptr<Touch> findTouch(const TouchSet& touches, const std::weak_ptr<Touch>& tracked) {
    auto wanted = tracked.lock();
    if (!wanted) return nullptr;
    for (const auto& t : touches)
        if (t == wanted) return t;
    return nullptr;
}
} // namespace

void Control::touchesMoved(const TouchSet& touches, const ui::Event* event) {
    auto touch = findTouch(touches, trackingTouch_);
    if (!touch) return;
    auto self = sharedFromThis<Control>();
    touchInside_ = isWithinTouchTolerance(touch->location(this));
    if (highlighted_ != touchInside_) setIsHighlighted(touchInside_);
    if (tracking_ && !continueTracking(*touch, event)) tracking_ = false;
}

void Control::touchesEnded(const TouchSet& touches, const ui::Event* event) {
    auto touch = findTouch(touches, trackingTouch_);
    if (!touch) return;
    auto self = sharedFromThis<Control>();
    const bool inside = isWithinTouchTolerance(touch->location(this));
    touchInside_ = inside;
    if (tracking_) endTracking(touch.get(), event);
    clearTrackingState();
    sendActions(inside ? Event::touchUpInside : Event::touchUpOutside);
}

void Control::touchesCancelled(const TouchSet& touches, const ui::Event* event) {
    auto touch = findTouch(touches, trackingTouch_);
    if (!touch) return;
    auto self = sharedFromThis<Control>();
    cancelTracking(event);
    clearTrackingState();
    sendActions(Event::touchCancel);
}

// ---------------------------------------------------------------- runtime

namespace {

// Known by name to interface files and to key-value setting as soon as the library loads.
[[maybe_unused]] const auto registration =
    ns::ClassRegistration<Control>("UIControl", "UIView")
        .property<bool>("enabled", &Control::isEnabled, &Control::setIsEnabled)
        .property<bool>("selected", &Control::isSelected, &Control::setIsSelected);

} // namespace

} // namespace pellavo::ui
