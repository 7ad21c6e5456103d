#include "platform/ui/gesture/PanGestureRecognizer.hpp"

#include <cmath>

#include "platform/ns/Clock.hpp"
#include "platform/ui/event/Event.hpp"
#include "platform/ui/event/Touch.hpp"

namespace pellavo::ui {

cg::Point PanGestureRecognizer::centroidOf(const std::vector<std::shared_ptr<Touch>>& touches) const {
    if (touches.empty()) return current_ - offset_;
    cg::Point sum;
    for (const auto& touch : touches) sum = sum + touch->screenLocation();
    return sum * (1.0 / static_cast<double>(touches.size()));
}

cg::Point PanGestureRecognizer::translation(const View* view) const {
    return pointFromScreen(current_, view) - pointFromScreen(base_, view);
}

void PanGestureRecognizer::setTranslation(cg::Point value, const View* view) {
    if (!value.isFinite()) return;
    cg::Point base = pointToScreen(pointFromScreen(current_, view) - value, view);
    if (base.isFinite()) base_ = base;
}

cg::Point PanGestureRecognizer::velocity(const View* view) const {
    return vectorFromScreen(velocity_, current_, view);
}

void PanGestureRecognizer::sample() {
    if (auto measured = samples_.add(ns::Clock::shared()->now(), current_)) velocity_ = *measured;
}

void PanGestureRecognizer::touchesBegan(const TouchSet& touches, const Event&) {
    const bool first = samples_.empty();
    // Fingers past the maximum are not this gesture's.
    holdAtMost(maximumTouches_, touches);
    auto active = activeTouches();
    if (active.empty()) return;
    if (first) {
        offset_ = {};
        current_ = base_ = reported_ = centroidOf(active);
        velocity_ = {};
        samples_.add(ns::Clock::shared()->now(), current_);
    } else {
        // A finger joined: the location carries on from where it was.
        offset_ = current_ - centroidOf(active);
    }
}

void PanGestureRecognizer::touchesMoved(const TouchSet&, const Event&) {
    auto active = activeTouches();
    if (active.empty()) return;
    current_ = centroidOf(active) + offset_;
    sample();
    if (state() == State::possible) {
        const cg::Point moved = current_ - base_;
        if (std::hypot(moved.x, moved.y) > hysteresis) {
            reported_ = current_;
            setState(State::began);
        }
    } else if (current_ != reported_) {
        reported_ = current_;
        setState(State::changed);
    }
}

void PanGestureRecognizer::touchesLifted(const TouchSet& touches, bool cancelled) {
    auto remaining = activeTouches();
    // Where the fingers were when this one lifted, including the lifting ones.
    std::vector<std::shared_ptr<Touch>> before = remaining;
    for (const auto& touch : touches) before.push_back(touch);
    current_ = centroidOf(before) + offset_;
    if (!cancelled) sample();
    if (!remaining.empty()) {
        offset_ = current_ - centroidOf(remaining);
        return;
    }
    finishOnLift(cancelled);
}

void PanGestureRecognizer::touchesEnded(const TouchSet& touches, const Event&) { touchesLifted(touches, false); }

void PanGestureRecognizer::touchesCancelled(const TouchSet& touches, const Event&) { touchesLifted(touches, true); }

void PanGestureRecognizer::reset() {
    GestureRecognizer::reset();
    samples_.clear();
    offset_ = {};
    base_ = current_;
    reported_ = current_;
    velocity_ = {};
}

void PanGestureRecognizer::applyDriven(const DrivenValues& values) {
    GestureRecognizer::applyDriven(values);
    auto own = view();
    current_ = lastScreenLocation();
    setTranslation(values.translation, own.get());
    if (values.velocity.isFinite()) velocity_ = vectorToScreen(values.velocity, values.location, own.get());
}

} // namespace pellavo::ui
