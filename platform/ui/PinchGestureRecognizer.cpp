#include "platform/ui/PinchGestureRecognizer.hpp"

#include <cmath>

#include "platform/ns/Clock.hpp"
#include "platform/ui/Event.hpp"
#include "platform/ui/Touch.hpp"

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
    std::size_t held = 0;
    for (const auto& touch : activeTouches())
        if (!touches.contains(touch)) ++held;
    for (const auto& touch : touches) {
        if (held < 2) ++held;
        else ignore(*touch);
    }
    if (startSpread_ == 0 && activeTouches().size() == 2) {
        startSpread_ = spread();
        lastSpread_ = startSpread_;
        factor_ = 1;
        scale_ = 1;
        samples_.clear();
        samples_.push_back(Sample{ns::Clock::shared()->now(), scale_});
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
    const std::int64_t time = ns::Clock::shared()->now();
    samples_.push_back(Sample{time, scale});
    const std::int64_t oldestAllowed = time - ns::secondsToNanoseconds(velocityWindow);
    while (!samples_.empty() && samples_.front().time < oldestAllowed) samples_.pop_front();
    if (time > samples_.front().time)
        velocity_ = (scale - samples_.front().scale) / (static_cast<double>(time - samples_.front().time) / 1e9);
    const bool changedScale = scale != scale_;
    scale_ = scale;
    if (state() == State::possible) {
        if (std::fabs(now - startSpread_) >= hysteresis) setState(State::began);
    } else if (changedScale) {
        setState(State::changed);
    }
}

void PinchGestureRecognizer::lifted(bool cancelled) {
    const bool underWay = state() == State::began || state() == State::changed;
    if (!underWay) setState(State::failed);
    else setState(cancelled ? State::cancelled : State::ended);
}

void PinchGestureRecognizer::touchesEnded(const TouchSet&, const Event&) { lifted(false); }

void PinchGestureRecognizer::touchesCancelled(const TouchSet&, const Event&) { lifted(true); }

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
