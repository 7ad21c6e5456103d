#include "platform/ui/gesture/PinchGestureRecognizer.hpp"

#include <cmath>

#include "platform/ns/Clock.hpp"
#include "platform/ui/event/Event.hpp"
#include "platform/ui/event/Touch.hpp"

namespace pellavo::ui {

double PinchGestureRecognizer::spread() const {
    auto touches = activeTouches();
    if (touches.size() < 2) return 0;
    const cg::Point a = touches[0]->screenLocation();
    const cg::Point b = touches[1]->screenLocation();
    return std::hypot(a.x - b.x, a.y - b.y);
}

void PinchGestureRecognizer::setScale(double scale) {
    if (!std::isfinite(scale)) return;
    scale_ = scale;
    const double now = spread();
    if (startSpread_ > 0 && now > 0) factor_ = scale * startSpread_ / now;
    else factor_ = scale;
}

void PinchGestureRecognizer::touchesBegan(const TouchSet& touches, const Event&) {
    holdAtMost(2, touches);
    if (startSpread_ == 0 && activeTouches().size() == 2) {
        startSpread_ = spread();
        lastSpread_ = startSpread_;
        factor_ = 1;
        scale_ = 1;
        samples_.clear();
        samples_.add(ns::Clock::shared()->now(), scale_);
    }
}

void PinchGestureRecognizer::touchesMoved(const TouchSet&, const Event&) {
    if (activeTouches().size() < 2) return;
    const double now = spread();
    if (startSpread_ == 0) {
        // Both fingers came down on one spot: measure from the first real distance.
        if (now > 0) startSpread_ = lastSpread_ = now;
        return;
    }
    lastSpread_ = now;
    const double scale = factor_ * now / startSpread_;
    if (!std::isfinite(scale)) return;
    if (auto measured = samples_.add(ns::Clock::shared()->now(), scale)) velocity_ = *measured;
    const bool changedScale = scale != scale_;
    scale_ = scale;
    if (state() == State::possible) {
        if (std::fabs(now - startSpread_) >= hysteresis) setState(State::began);
    } else if (changedScale) {
        setState(State::changed);
    }
}

void PinchGestureRecognizer::touchesEnded(const TouchSet&, const Event&) { finishOnLift(false); }

void PinchGestureRecognizer::touchesCancelled(const TouchSet&, const Event&) { finishOnLift(true); }

void PinchGestureRecognizer::reset() {
    GestureRecognizer::reset();
    startSpread_ = 0;
    lastSpread_ = 0;
    factor_ = 1;
    scale_ = 1;
    velocity_ = 0;
    samples_.clear();
}

void PinchGestureRecognizer::applyDriven(const DrivenValues& values) {
    GestureRecognizer::applyDriven(values);
    if (std::isfinite(values.scale)) scale_ = values.scale;
    if (std::isfinite(values.velocity.x)) velocity_ = values.velocity.x;
}

} // namespace pellavo::ui
