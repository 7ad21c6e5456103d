#pragma once

#include "platform/ns/Export.hpp"
#include "platform/ui/gesture/GestureRecognizer.hpp"
#include "platform/ui/gesture/VelocitySampler.hpp"

namespace pellavo::ui {

// Two fingers moving apart or together. It begins once their distance has changed by
// the hysteresis since the second finger came down, reports changed whenever the scale
// changes, and ends when either finger lifts. Further fingers are ignored.
class PELLAVO_EXPORT PinchGestureRecognizer : public GestureRecognizer {
public:
    static constexpr double hysteresis = 10;
    // Velocity is measured against the oldest sample no older than this (seconds).
    static constexpr double velocityWindow = 0.1;

    using GestureRecognizer::GestureRecognizer;
    std::string_view className() const override { return "UIPinchGestureRecognizer"; }

    // The current distance over the distance when the second finger came down.
    double scale() const { return scale_; }
    // Re-bases the scale so that it reads `scale` now. Non-finite values are ignored.
    void setScale(double scale);
    // Scale units per second.
    double velocity() const { return velocity_; }

    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;

protected:
    void reset() override;
    void applyDriven(const DrivenValues& values) override;

private:
    double spread() const;

    // scale = factor × spread / startSpread; startSpread 0 until two fingers are down
    // apart from each other.
    double startSpread_ = 0;
    double factor_ = 1;
    double scale_ = 1;
    double velocity_ = 0;
    double lastSpread_ = 0;
    VelocitySampler<double> samples_{velocityWindow};
};

} // namespace pellavo::ui
