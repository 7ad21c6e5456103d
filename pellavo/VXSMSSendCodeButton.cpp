#include "pellavo/VXSMSSendCodeButton.hpp"

#include <string>

#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/Timer.hpp"

namespace pellavo {

namespace {

constexpr double tickInterval = 1.0;
const char* const restingTitle = "获取验证码";

} // namespace

// Both initialisers store the same defaults: the frame one goes through a coder.
VXSMSSendCodeButton::VXSMSSendCodeButton(const cg::Rect& frame)
    : VXSMSSendCodeButton(ns::Coder::with(ns::Coder::frameKey, frame)) {}

VXSMSSendCodeButton::VXSMSSendCodeButton(const ns::Coder& coder)
    : ui::Button(coder), disableColor_(ui::Color::lightGray()) {}

VXSMSSendCodeButton::~VXSMSSendCodeButton() { stopTimer(); }

void VXSMSSendCodeButton::setDuration(std::int64_t duration) {
    duration_ = duration;
    currentCount_ = duration;
}

void VXSMSSendCodeButton::stopTimer() {
    if (auto timer = timer_.lock()) timer->invalidate();
    timer_.reset();
}

void VXSMSSendCodeButton::countdown() {
    enableColor_ = backgroundColor();
    stopTimer();
    auto timer = ns::Timer::scheduledTimer(tickInterval, sharedFromThis(), ns::Selector("countDown"), {}, true);
    timer_ = timer;
    // Greyed before the first tick, so that a count with nothing to show resets to
    // an enabled button rather than staying disabled.
    setIsEnabled(false);
    setBackgroundColor(disableColor_);
    timer->fire();
}

void VXSMSSendCodeButton::countDown() {
    if (currentCount_ < 1) {
        reset();
        return;
    }
    setTitle(ns::String(std::to_string(currentCount_) + "s"), State::normal);
    --currentCount_;
}

void VXSMSSendCodeButton::reset() {
    currentCount_ = duration_;
    stopTimer();
    setTitle(ns::String(restingTitle), State::normal);
    setIsEnabled(true);
    setBackgroundColor(enableColor_);
}

bool VXSMSSendCodeButton::registerWithRuntime() {
    using Self = VXSMSSendCodeButton;
    ns::ClassRegistration<Self>("VXSMSSendCodeButton", "UIButton")
        .property<std::int64_t>("duration", &Self::duration, &Self::setDuration)
        .property<ui::Color>("disableColor", &Self::disableColor, &Self::setDisableColor)
        // The timer's sender is ignored.
        .action(ns::Selector("countDown"), &Self::countDown);
    return true;
}

const bool VXSMSSendCodeButton::registered_ = VXSMSSendCodeButton::registerWithRuntime();

} // namespace pellavo
