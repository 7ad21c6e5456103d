#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/ui/control/Button.hpp"
#include "platform/ui/graphics/Color.hpp"

namespace pellavo::ns {
class Timer;
}

namespace pellavo {

// A button for verification-code forms. countdown() disables it, greys it and shows
// the seconds left, one a second; when they run out it comes back enabled, with its
// former background and the resting title "获取验证码". The host wires the tap.
class PELLAVO_EXPORT VXSMSSendCodeButton : public ui::Button {
public:
    explicit VXSMSSendCodeButton(const cg::Rect& frame = {});
    // From an interface file: the decoded frame and subviews, with the same defaults.
    explicit VXSMSSendCodeButton(const ns::Coder& coder);
    ~VXSMSSendCodeButton() override;
    std::string_view className() const override { return "VXSMSSendCodeButton"; }

    // Whole seconds a countdown shows; setting it also sets the seconds left.
    std::int64_t duration() const { return duration_; }
    void setDuration(std::int64_t duration);
    // The background while counting.
    ui::Color disableColor() const { return disableColor_; }
    void setDisableColor(ui::Color color) { disableColor_ = color; }

    // Starts counting from the seconds left, showing the first at once. The background
    // shown now is the one a later reset restores. A duration ≤ 0 resets at once.
    void countdown();
    // Ends a countdown: the full duration again, the resting title, enabled, and the
    // background taken by the last countdown() (none if there was none).
    void reset();

private:
    // One tick of the timer.
    void countDown();
    void stopTimer();

    static bool registerWithRuntime();
    static const bool registered_;

    std::int64_t duration_ = 60;
    std::int64_t currentCount_ = 60;
    ui::Color disableColor_;
    // The run loop holds a valid timer.
    std::weak_ptr<ns::Timer> timer_;
    std::optional<ui::Color> enableColor_;
};

} // namespace pellavo
