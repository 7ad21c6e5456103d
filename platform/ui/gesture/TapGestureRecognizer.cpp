#include "platform/ui/gesture/TapGestureRecognizer.hpp"

#include <cmath>

#include "platform/ns/Clock.hpp"
#include "platform/ns/Timer.hpp"
#include "platform/ui/event/Event.hpp"
#include "platform/ui/event/Touch.hpp"

namespace pellavo::ui {

namespace {
double distance(cg::Point a, cg::Point b) { return std::hypot(a.x - b.x, a.y - b.y); }
} // namespace

TapGestureRecognizer::~TapGestureRecognizer() { stopTimer(); }

cg::Point TapGestureRecognizer::location(const View* view) const {
    if (!hasLocation_) return GestureRecognizer::location(view);
    return pointFromScreen(firstDown_, view);
}

void TapGestureRecognizer::touchesBegan(const TouchSet& touches, const Event&) {
    // One finger only: a second one, at once or later, ends the gesture.
    if (fingerDown_ || touches.size() != 1 || activeTouches().size() > 1) {
        setState(State::failed);
        return;
    }
    const cg::Point down = touches.first()->screenLocation();
    if (taps_ > 0) {
        stopTimer();
        const std::int64_t gap = ns::Clock::shared()->now() - liftedAt_;
        if (gap > ns::secondsToNanoseconds(maximumTapInterval) || distance(down, firstDown_) > maximumTapDistance) {
            setState(State::failed);
            return;
        }
    } else {
        firstDown_ = down;
        hasLocation_ = true;
    }
    tapDown_ = down;
    fingerDown_ = true;
}

void TapGestureRecognizer::touchesMoved(const TouchSet& touches, const Event&) {
    for (const auto& touch : touches) {
        if (distance(touch->screenLocation(), tapDown_) > movementAllowance) {
            setState(State::failed);
            return;
        }
    }
}

void TapGestureRecognizer::touchesEnded(const TouchSet& touches, const Event&) {
    if (!fingerDown_) return;
    // A lift beyond the allowance (a jump the moves never showed) is no tap either.
    for (const auto& touch : touches) {
        if (distance(touch->screenLocation(), tapDown_) > movementAllowance) {
            setState(State::failed);
            return;
        }
    }
    fingerDown_ = false;
    ++taps_;
    if (taps_ >= tapsRequired_) {
        setState(State::ended);
        return;
    }
    liftedAt_ = ns::Clock::shared()->now();
    std::weak_ptr<TapGestureRecognizer> weak = sharedFromThis<TapGestureRecognizer>();
    timer_ = ns::Timer::scheduledTimer(maximumTapInterval, false, [weak](ns::Timer&) {
        if (auto self = weak.lock()) {
            self->timer_.reset();
            if (self->state() == State::possible) self->setState(State::failed);
        }
    });
}

void TapGestureRecognizer::touchesCancelled(const TouchSet&, const Event&) { setState(State::failed); }

void TapGestureRecognizer::reset() {
    GestureRecognizer::reset();
    stopTimer();
    taps_ = 0;
    fingerDown_ = false;
}

void TapGestureRecognizer::applyDriven(const DrivenValues& values) {
    GestureRecognizer::applyDriven(values);
    firstDown_ = lastScreenLocation();
    hasLocation_ = true;
}

void TapGestureRecognizer::stopTimer() {
    if (timer_) timer_->invalidate();
    timer_.reset();
}

} // namespace pellavo::ui
