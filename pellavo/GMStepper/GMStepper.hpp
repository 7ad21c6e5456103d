#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/control/Control.hpp"
#include "platform/ui/text/Font.hpp"

namespace pellavo::ns {
class Timer;
}

namespace pellavo::ui {
class Button;
class Label;
class PanGestureRecognizer;
} // namespace pellavo::ui

namespace pellavo {

// A numeric stepper: a decrement button, the value label and an increment button in
// one rounded control. Holding a button, or pushing the label against either side,
// steps repeatedly on an accelerating schedule. Sends valueChanged on every real change.
class PELLAVO_EXPORT GMStepper : public ui::Control {
public:
    explicit GMStepper(const cg::Rect& frame = {});
    // From an interface file: the decoded frame, the same defaults and setup().
    explicit GMStepper(const ns::Coder& coder);
    ~GMStepper() override;
    std::string_view className() const override { return "GMStepper"; }

    // Clamped to [minimumValue, maximumValue]; NaN becomes minimumValue.
    double value() const { return value_; }
    void setValue(double value);
    // NaN is ignored; ±∞ means unbounded. The current value is clamped again.
    double minimumValue() const { return minimumValue_; }
    void setMinimumValue(double minimumValue);
    double maximumValue() const { return maximumValue_; }
    void setMaximumValue(double maximumValue);
    // NaN is ignored.
    double stepValue() const { return stepValue_; }
    void setStepValue(double stepValue);
    bool autorepeat() const { return autorepeat_; }
    void setAutorepeat(bool autorepeat) { autorepeat_ = autorepeat; }
    bool showIntegerIfDoubleIsInteger() const { return showIntegerIfDoubleIsInteger_; }
    void setShowIntegerIfDoubleIsInteger(bool show) { showIntegerIfDoubleIsInteger_ = show; }

    ns::String leftButtonText() const { return leftButtonText_; }
    void setLeftButtonText(ns::String text);
    ns::String rightButtonText() const { return rightButtonText_; }
    void setRightButtonText(ns::String text);
    ui::Color buttonsTextColor() const { return buttonsTextColor_; }
    void setButtonsTextColor(ui::Color color);
    ui::Color buttonsBackgroundColor() const { return buttonsBackgroundColor_; }
    void setButtonsBackgroundColor(ui::Color color);
    ui::Font buttonsFont() const { return buttonsFont_; }
    void setButtonsFont(ui::Font font);
    ui::Color labelTextColor() const { return labelTextColor_; }
    void setLabelTextColor(ui::Color color);
    ui::Color labelBackgroundColor() const { return labelBackgroundColor_; }
    void setLabelBackgroundColor(ui::Color color);
    ui::Font labelFont() const { return labelFont_; }
    void setLabelFont(ui::Font font);
    double stepCornerRadius() const { return stepCornerRadius_; }
    void setStepCornerRadius(double radius);
    // The border of the control and of the label.
    double stepBorderWidth() const { return stepBorderWidth_; }
    void setStepBorderWidth(double width);
    ui::Color stepBorderColor() const { return stepBorderColor_; }
    void setStepBorderColor(ui::Color color);
    // The label's share of the width, clamped to [0, 1] (NaN: 0).
    double labelWidthWeight() const { return labelWidthWeight_; }
    void setLabelWidthWeight(double weight);
    ui::Color limitHitAnimationColor() const { return limitHitAnimationColor_; }
    void setLimitHitAnimationColor(ui::Color color) { limitHitAnimationColor_ = color; }
    // Shown instead of the number while the value is a valid index and the step is 1.
    std::vector<ns::String> items() const { return items_; }
    void setItems(std::vector<ns::String> items);

    // Builds the subviews and registers for the resign-active notification. Runs once,
    // from the initialiser hook.
    virtual void setup();
    // One step in the direction the stepper is moving.
    virtual void updateValue();
    void layoutSubviews() override;

protected:
    void init() override;

private:
    enum class StepperState { Stable = 0, ShouldIncrease = 1, ShouldDecrease = 2 };
    enum class LabelPanState { Stable = 0, HitRightEdge = 1, HitLeftEdge = 2 };

    static constexpr double labelSlideLength = 5;
    static constexpr double labelSlideDuration = 0.1;
    static constexpr double limitHitAnimationDuration = 0.1;
    static constexpr double timerInterval = 0.05;

    // Actions, reached through the object runtime.
    void leftButtonTouchDown(ui::Button* button);
    void rightButtonTouchDown(ui::Button* button);
    void buttonTouchUp(ui::Button* button);
    void handleTimerFire(ns::Timer* timer);
    void handlePan(ui::PanGestureRecognizer* gesture);
    void reset();

    void buttonTouchDown(bool increase);
    void animateLimitHitIfNeeded();
    void animateLimitHitForButton(ui::Button& button);
    void animateSlideLeft();
    void animateSlideRight();
    void startTimer();
    void stopTimer();
    // The label text for the current value; items only when `useItems`.
    ns::String labelText(bool useItems) const;
    void refreshLabel();
    std::shared_ptr<ui::Button> makeButton(const ns::String& title, const char* touchDownAction);

    static bool registerWithRuntime();
    static const bool registered_;

    double value_ = 0;
    double minimumValue_ = 0;
    double maximumValue_ = 10000;
    double stepValue_ = 1;
    bool autorepeat_ = true;
    bool showIntegerIfDoubleIsInteger_ = true;
    ns::String leftButtonText_;
    ns::String rightButtonText_;
    ui::Color buttonsTextColor_;
    ui::Color buttonsBackgroundColor_;
    ui::Font buttonsFont_;
    ui::Color labelTextColor_;
    ui::Color labelBackgroundColor_;
    ui::Font labelFont_;
    double stepCornerRadius_ = 4;
    double stepBorderWidth_ = 0;
    ui::Color stepBorderColor_;
    double labelWidthWeight_ = 0.5;
    ui::Color limitHitAnimationColor_;
    std::vector<ns::String> items_;

    std::shared_ptr<ui::Button> leftButton_;
    std::shared_ptr<ui::Button> rightButton_;
    std::shared_ptr<ui::Label> label_;
    std::optional<cg::Point> labelOriginalCenter_;
    std::optional<double> labelMaximumCenterX_;
    std::optional<double> labelMinimumCenterX_;
    LabelPanState panState_ = LabelPanState::Stable;
    StepperState stepperState_ = StepperState::Stable;
    std::shared_ptr<ns::Timer> timer_;
    std::int64_t timerFireCount_ = 0;
};

} // namespace pellavo
