#include "pellavo/GMStepper/GMStepper.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "platform/ca/Layer.hpp"
#include "platform/ns/NotificationCenter.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/Timer.hpp"
#include "platform/ui/control/Button.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/gesture/PanGestureRecognizer.hpp"

namespace pellavo {

namespace {

// Finite and without a fractional part: only such values may become an index or an
// integer.
bool isIntegral(double v) { return std::isfinite(v) && std::trunc(v) == v; }

std::string toChars(double v, std::chars_format format) {
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, v, format);
    return std::string(buffer, result.ptr);
}

// An integral value as a whole number, without a point.
std::string wholeNumberText(double v) {
    constexpr double limit = 9223372036854775808.0; // 2^63
    if (std::fabs(v) < limit) return std::to_string(static_cast<std::int64_t>(v));
    return toChars(v, std::chars_format::fixed);
}

// The shortest digits that read back as the same double.
std::string roundTripText(double v) {
    if (std::isnan(v)) return "nan";
    if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
    const double magnitude = std::fabs(v);
    if (v == 0 || (magnitude >= 1e-4 && magnitude < 9007199254740992.0)) {
        std::string text = toChars(v, std::chars_format::fixed);
        if (isIntegral(v)) text += ".0";
        return text;
    }
    return toChars(v, std::chars_format::scientific);
}

} // namespace

// Both initialisers store the same defaults: the frame one goes through a coder.
GMStepper::GMStepper(const cg::Rect& frame) : GMStepper(ns::Coder::with(ns::Coder::frameKey, frame)) {}

GMStepper::GMStepper(const ns::Coder& coder)
    : ui::Control(coder),
      leftButtonText_(u"\u2212"),
      rightButtonText_("+"),
      buttonsTextColor_(ui::Color::white()),
      buttonsBackgroundColor_(0.21, 0.5, 0.74, 1),
      buttonsFont_("AvenirNext-Bold", 20),
      labelTextColor_(ui::Color::white()),
      labelBackgroundColor_(0.26, 0.6, 0.87, 1),
      labelFont_("AvenirNext-Bold", 25),
      stepBorderColor_(ui::Color::clear()),
      limitHitAnimationColor_(0.26, 0.6, 0.87, 1) {}

GMStepper::~GMStepper() {
    if (timer_) timer_->invalidate();
    timer_.reset();
    timerFireCount_ = 0;
    ns::NotificationCenter::defaultCenter().removeObserver(static_cast<const ns::Object*>(this));
}

void GMStepper::init() {
    ui::Control::init();
    setup();
}

std::shared_ptr<ui::Button> GMStepper::makeButton(const ns::String& title, const char* touchDownAction) {
    auto button = ns::make<ui::Button>();
    button->setTitle(title, State::normal);
    button->setTitleColor(buttonsTextColor_, State::normal);
    button->setBackgroundColor(buttonsBackgroundColor_);
    button->titleLabel()->setFont(buttonsFont_);
    const std::weak_ptr<ns::Object> self = weakFromThis();
    button->addTarget(self, ns::Selector(touchDownAction), Event::touchDown);
    // A cancelled touch ends the press too, or the repeat would never stop.
    button->addTarget(self, ns::Selector("buttonTouchUp:"),
                      Event::touchUpInside | Event::touchUpOutside | Event::touchCancel);
    return button;
}

void GMStepper::setup() {
    leftButton_ = makeButton(leftButtonText_, "leftButtonTouchDown:");
    rightButton_ = makeButton(rightButtonText_, "rightButtonTouchDown:");

    label_ = ns::make<ui::Label>();
    label_->setTextAlignment(ns::TextAlignment::center);
    label_->setText(labelText(false));
    label_->setTextColor(labelTextColor_);
    label_->setBackgroundColor(labelBackgroundColor_);
    label_->setFont(labelFont_);
    label_->setIsUserInteractionEnabled(true);
    auto pan = ns::make<ui::PanGestureRecognizer>();
    pan->addTarget(sharedFromThis(), ns::Selector("handlePan:"));
    pan->setMaximumNumberOfTouches(1);
    label_->addGestureRecognizer(pan);

    addSubview(leftButton_);
    addSubview(rightButton_);
    addSubview(label_);

    setBackgroundColor(buttonsBackgroundColor_);
    layer()->setCornerRadius(stepCornerRadius_);
    setClipsToBounds(true);

    ns::NotificationCenter::defaultCenter().addObserver(sharedFromThis(), ns::Selector("reset"),
                                                        ns::UIApplicationWillResignActiveNotification);
}

// ------------------------------------------------------------------ value model

void GMStepper::setValue(double value) {
    auto self = sharedFromThis();
    const double old = value_;
    // NaN fails the first comparison and becomes the minimum; a minimum above the
    // maximum gives the maximum.
    double clamped = value >= minimumValue_ ? value : minimumValue_;
    clamped = clamped < maximumValue_ ? clamped : maximumValue_;
    value_ = clamped;
    refreshLabel();
    if (value_ != old) sendActions(Event::valueChanged);
}

void GMStepper::setMinimumValue(double minimumValue) {
    if (std::isnan(minimumValue)) return;
    minimumValue_ = minimumValue;
    setValue(value_);
}

void GMStepper::setMaximumValue(double maximumValue) {
    if (std::isnan(maximumValue)) return;
    maximumValue_ = maximumValue;
    setValue(value_);
}

void GMStepper::setStepValue(double stepValue) {
    if (std::isnan(stepValue)) return;
    stepValue_ = stepValue;
}

void GMStepper::setItems(std::vector<ns::String> items) {
    items_ = std::move(items);
    if (!isIntegral(value_) || stepValue_ != 1 || items_.empty()) return;
    const double count = static_cast<double>(items_.size());
    if (value_ >= count) {
        setValue(count - 1);
    } else {
        // A negative value has no item: the label rule shows the number.
        refreshLabel();
    }
}

ns::String GMStepper::labelText(bool useItems) const {
    const bool integral = isIntegral(value_);
    if (useItems && integral && stepValue_ == 1 && !items_.empty() && value_ >= 0 &&
        value_ < static_cast<double>(items_.size())) {
        return items_[static_cast<std::size_t>(value_)];
    }
    if (integral && showIntegerIfDoubleIsInteger_) return ns::String(wholeNumberText(value_));
    return ns::String(roundTripText(value_));
}

void GMStepper::refreshLabel() {
    if (label_) label_->setText(labelText(true));
}

void GMStepper::updateValue() {
    switch (stepperState_) {
    case StepperState::ShouldIncrease:
        setValue(value_ + stepValue_);
        break;
    case StepperState::ShouldDecrease:
        setValue(value_ - stepValue_);
        break;
    case StepperState::Stable:
        break;
    }
}

// ------------------------------------------------------------------ look

// The look passes on to the buttons and the label, which only these setters change.
void GMStepper::setLeftButtonText(ns::String text) {
    change(leftButtonText_, std::move(text), Invalidate::nothing, [&] {
        if (leftButton_) leftButton_->setTitle(leftButtonText_, State::normal);
    });
}

void GMStepper::setRightButtonText(ns::String text) {
    change(rightButtonText_, std::move(text), Invalidate::nothing, [&] {
        if (rightButton_) rightButton_->setTitle(rightButtonText_, State::normal);
    });
}

void GMStepper::setButtonsTextColor(ui::Color color) {
    change(buttonsTextColor_, color, Invalidate::nothing, [&] {
        if (leftButton_) leftButton_->setTitleColor(color, State::normal);
        if (rightButton_) rightButton_->setTitleColor(color, State::normal);
    });
}

// Hand-written: an equal colour still puts it back on buttons that show the limit-hit colour.
void GMStepper::setButtonsBackgroundColor(ui::Color color) {
    buttonsBackgroundColor_ = color;
    if (leftButton_) leftButton_->setBackgroundColor(color);
    if (rightButton_) rightButton_->setBackgroundColor(color);
    setBackgroundColor(color);
}

void GMStepper::setButtonsFont(ui::Font font) {
    change(buttonsFont_, std::move(font), Invalidate::nothing, [&] {
        if (leftButton_) leftButton_->titleLabel()->setFont(buttonsFont_);
        if (rightButton_) rightButton_->titleLabel()->setFont(buttonsFont_);
    });
}

void GMStepper::setLabelTextColor(ui::Color color) {
    change(labelTextColor_, color, Invalidate::nothing, [&] {
        if (label_) label_->setTextColor(color);
    });
}

void GMStepper::setLabelBackgroundColor(ui::Color color) {
    change(labelBackgroundColor_, color, Invalidate::nothing, [&] {
        if (label_) label_->setBackgroundColor(color);
    });
}

void GMStepper::setLabelFont(ui::Font font) {
    change(labelFont_, std::move(font), Invalidate::nothing, [&] {
        if (label_) label_->setFont(labelFont_);
    });
}

void GMStepper::setStepCornerRadius(double radius) {
    stepCornerRadius_ = radius;
    layer()->setCornerRadius(radius);
    setClipsToBounds(true);
}

void GMStepper::setStepBorderWidth(double width) {
    stepBorderWidth_ = width;
    layer()->setBorderWidth(width);
    if (label_) label_->layer()->setBorderWidth(width);
}

void GMStepper::setStepBorderColor(ui::Color color) {
    stepBorderColor_ = color;
    layer()->setBorderColor(color.cgColor());
    if (label_) label_->layer()->setBorderColor(color.cgColor());
}

void GMStepper::setLabelWidthWeight(double weight) {
    change(labelWidthWeight_, std::isnan(weight) ? 0 : std::clamp(weight, 0.0, 1.0), Invalidate::layout);
}

// ------------------------------------------------------------------ layout

void GMStepper::layoutSubviews() {
    ui::Control::layoutSubviews();
    if (!leftButton_ || !rightButton_ || !label_) return;
    const cg::Size size = bounds().size;
    const double buttonWidth = size.width * (1 - labelWidthWeight_) * 0.5;
    const double labelWidth = size.width * labelWidthWeight_;
    leftButton_->setFrame({0, 0, buttonWidth, size.height});
    label_->setFrame({buttonWidth, 0, labelWidth, size.height});
    rightButton_->setFrame({buttonWidth + labelWidth, 0, buttonWidth, size.height});
    const cg::Point center = label_->center();
    labelMaximumCenterX_ = center.x + labelSlideLength;
    labelMinimumCenterX_ = center.x - labelSlideLength;
    labelOriginalCenter_ = center;
}

// ------------------------------------------------------------------ interaction

void GMStepper::leftButtonTouchDown(ui::Button*) { buttonTouchDown(false); }

void GMStepper::rightButtonTouchDown(ui::Button*) { buttonTouchDown(true); }

void GMStepper::buttonTouchDown(bool increase) {
    auto self = sharedFromThis();
    (increase ? leftButton_ : rightButton_)->setIsEnabled(false);
    label_->setIsUserInteractionEnabled(false);
    stopTimer();
    if (value_ == (increase ? maximumValue_ : minimumValue_)) {
        animateLimitHitIfNeeded();
        return;
    }
    stepperState_ = increase ? StepperState::ShouldIncrease : StepperState::ShouldDecrease;
    updateValue();
    if (autorepeat_) startTimer();
    std::weak_ptr<GMStepper> weak = std::static_pointer_cast<GMStepper>(self);
    ui::View::animate(labelSlideDuration, [weak, increase] {
        if (auto stepper = weak.lock()) increase ? stepper->animateSlideRight() : stepper->animateSlideLeft();
    });
}

void GMStepper::buttonTouchUp(ui::Button*) { reset(); }

void GMStepper::handleTimerFire(ns::Timer*) {
    auto self = sharedFromThis();
    const std::int64_t n = ++timerFireCount_;
    const std::int64_t divisor = n <= 50 ? 10 : n <= 80 ? 2 : 1;
    if (n % divisor == 0) updateValue();
}

void GMStepper::handlePan(ui::PanGestureRecognizer* gesture) {
    if (gesture == nullptr) return;
    auto self = sharedFromThis();
    using GState = ui::GestureRecognizer::State;
    switch (gesture->state()) {
    case GState::began:
        leftButton_->setIsEnabled(false);
        rightButton_->setIsEnabled(false);
        break;
    case GState::changed: {
        // Limits come from layout; before it there is nowhere to pan to.
        if (!labelMaximumCenterX_ || !labelMinimumCenterX_) return;
        double translation = gesture->translation(label_).x;
        gesture->setTranslation({0, 0}, label_);
        double velocity = gesture->velocity(label_).x;
        if (!std::isfinite(translation)) translation = 0;
        if (!std::isfinite(velocity)) velocity = 0;

        cg::Point center = label_->center();
        if (velocity > 0) {
            center.x = std::min(center.x + translation, *labelMaximumCenterX_);
            label_->setCenter(center);
        } else if (velocity < 0) {
            center.x = std::max(center.x + translation, *labelMinimumCenterX_);
            label_->setCenter(center);
        }

        const double x = label_->center().x;
        if (x == *labelMaximumCenterX_ || x == *labelMinimumCenterX_) {
            const bool right = x == *labelMaximumCenterX_;
            const LabelPanState edge = right ? LabelPanState::HitRightEdge : LabelPanState::HitLeftEdge;
            if (panState_ != edge) {
                stepperState_ = right ? StepperState::ShouldIncrease : StepperState::ShouldDecrease;
                updateValue();
                stopTimer();
                if (autorepeat_) startTimer();
                panState_ = edge;
            }
            animateLimitHitIfNeeded();
        } else {
            panState_ = LabelPanState::Stable;
            stepperState_ = StepperState::Stable;
            stopTimer();
            rightButton_->setBackgroundColor(buttonsBackgroundColor_);
            leftButton_->setBackgroundColor(buttonsBackgroundColor_);
        }
        break;
    }
    case GState::ended:
    case GState::cancelled:
    case GState::failed:
        reset();
        break;
    case GState::possible:
        break;
    }
}

void GMStepper::reset() {
    auto self = sharedFromThis();
    panState_ = LabelPanState::Stable;
    stepperState_ = StepperState::Stable;
    stopTimer();
    leftButton_->setIsEnabled(true);
    rightButton_->setIsEnabled(true);
    label_->setIsUserInteractionEnabled(true);
    std::weak_ptr<GMStepper> weak = std::static_pointer_cast<GMStepper>(self);
    ui::View::animate(labelSlideDuration, [weak] {
        auto stepper = weak.lock();
        if (!stepper) return;
        // Never laid out: the label has not moved, and there is no home to go back to.
        if (stepper->labelOriginalCenter_) stepper->label_->setCenter(*stepper->labelOriginalCenter_);
        stepper->rightButton_->setBackgroundColor(stepper->buttonsBackgroundColor_);
        stepper->leftButton_->setBackgroundColor(stepper->buttonsBackgroundColor_);
    });
}

void GMStepper::animateLimitHitIfNeeded() {
    std::shared_ptr<ui::Button> button;
    if (value_ == minimumValue_) {
        button = leftButton_;
    } else if (value_ == maximumValue_) {
        button = rightButton_;
    } else {
        return;
    }
    std::weak_ptr<GMStepper> weak = sharedFromThis<GMStepper>();
    ui::View::animate(limitHitAnimationDuration, [weak, button] {
        if (auto stepper = weak.lock()) stepper->animateLimitHitForButton(*button);
    });
}

void GMStepper::animateLimitHitForButton(ui::Button& button) { button.setBackgroundColor(limitHitAnimationColor_); }

void GMStepper::animateSlideLeft() {
    cg::Point center = label_->center();
    center.x -= labelSlideLength;
    label_->setCenter(center);
}

void GMStepper::animateSlideRight() {
    cg::Point center = label_->center();
    center.x += labelSlideLength;
    label_->setCenter(center);
}

void GMStepper::startTimer() {
    timer_ = ns::Timer::scheduledTimer(timerInterval, sharedFromThis(), ns::Selector("handleTimerFire:"), {}, true);
}

void GMStepper::stopTimer() {
    if (timer_) timer_->invalidate();
    timer_.reset();
    timerFireCount_ = 0;
}

// ------------------------------------------------------------------ runtime

bool GMStepper::registerWithRuntime() {
    using Self = GMStepper;
    ns::ClassRegistration<Self>("GMStepper", "UIControl")
        .property<double>("value", &Self::value, &Self::setValue)
        .property<double>("minimumValue", &Self::minimumValue, &Self::setMinimumValue)
        .property<double>("maximumValue", &Self::maximumValue, &Self::setMaximumValue)
        .property<double>("stepValue", &Self::stepValue, &Self::setStepValue)
        .property<bool>("autorepeat", &Self::autorepeat, &Self::setAutorepeat)
        .property<bool>("showIntegerIfDoubleIsInteger", &Self::showIntegerIfDoubleIsInteger,
                        &Self::setShowIntegerIfDoubleIsInteger)
        .property<ns::String>("leftButtonText", &Self::leftButtonText, &Self::setLeftButtonText)
        .property<ns::String>("rightButtonText", &Self::rightButtonText, &Self::setRightButtonText)
        .property<ui::Color>("buttonsTextColor", &Self::buttonsTextColor, &Self::setButtonsTextColor)
        .property<ui::Color>("buttonsBackgroundColor", &Self::buttonsBackgroundColor, &Self::setButtonsBackgroundColor)
        .property<ui::Color>("labelTextColor", &Self::labelTextColor, &Self::setLabelTextColor)
        .property<ui::Color>("labelBackgroundColor", &Self::labelBackgroundColor, &Self::setLabelBackgroundColor)
        .property<ui::Color>("stepBorderColor", &Self::stepBorderColor, &Self::setStepBorderColor)
        .property<ui::Color>("limitHitAnimationColor", &Self::limitHitAnimationColor, &Self::setLimitHitAnimationColor)
        .property<double>("stepCornerRadius", &Self::stepCornerRadius, &Self::setStepCornerRadius)
        .property<double>("stepBorderWidth", &Self::stepBorderWidth, &Self::setStepBorderWidth)
        .property<double>("labelWidthWeight", &Self::labelWidthWeight, &Self::setLabelWidthWeight)
        .action(ns::Selector("leftButtonTouchDown:"), &Self::leftButtonTouchDown)
        .action(ns::Selector("rightButtonTouchDown:"), &Self::rightButtonTouchDown)
        .action(ns::Selector("buttonTouchUp:"), &Self::buttonTouchUp)
        .action(ns::Selector("handleTimerFire:"), &Self::handleTimerFire)
        .action(ns::Selector("handlePan:"), &Self::handlePan)
        .action(ns::Selector("reset"), &Self::reset);
    return true;
}

const bool GMStepper::registered_ = GMStepper::registerWithRuntime();

} // namespace pellavo
