#pragma once

#include <cstdint>
#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/ui/gesture/GestureRecognizer.hpp"

namespace pellavo::ns {
class Timer;
}

namespace pellavo::ui {

// One finger tapping numberOfTapsRequired times. It fails when the finger moves more
// than the allowance from where it went down, when a second finger comes, or when
// the next tap starts too late or too far from the first; it recognises when the
// last tap lifts.
class PELLAVO_EXPORT TapGestureRecognizer : public GestureRecognizer {
public:
    // Points a finger may wander during one tap.
    static constexpr double movementAllowance = 10;
    // Seconds from a lift to the next touch-down, and points from the first tap.
    static constexpr double maximumTapInterval = 0.3;
    static constexpr double maximumTapDistance = 45;

    using GestureRecognizer::GestureRecognizer;
    ~TapGestureRecognizer() override;
    std::string_view className() const override { return "UITapGestureRecognizer"; }

    int numberOfTapsRequired() const { return tapsRequired_; }
    // Below 1 becomes 1.
    void setNumberOfTapsRequired(int taps) { tapsRequired_ = taps < 1 ? 1 : taps; }

    // Where the first tap went down.
    cg::Point location(const View* view) const override;
    using GestureRecognizer::location;

    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;

protected:
    void reset() override;
    void applyDriven(const DrivenValues& values) override;

private:
    void stopTimer();

    int tapsRequired_ = 1;
    int taps_ = 0;
    bool fingerDown_ = false;
    bool hasLocation_ = false;
    cg::Point firstDown_;
    cg::Point tapDown_;
    std::int64_t liftedAt_ = 0;
    std::shared_ptr<ns::Timer> timer_;
};

} // namespace pellavo::ui
