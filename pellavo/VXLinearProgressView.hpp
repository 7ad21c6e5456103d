#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo {

class VXGradientView;

// A horizontal progress bar: the view is the bar, and a gradient track, held to the
// bar's layout margins by constraints, fills the share of the width that the progress
// takes of [minimumValue, maximumValue]. Changes lay the bar out at once; the track's
// frame follows on the next layout pass, or over animationDuration when animated.
class PELLAVO_EXPORT VXLinearProgressView : public ui::View {
public:
    explicit VXLinearProgressView(const cg::Rect& frame = {});
    // From an interface file: the decoded frame, the same defaults and prepare().
    explicit VXLinearProgressView(const ns::Coder& coder);
    std::string_view className() const override { return "VXLinearProgressView"; }

    // The bar's background; the default gray is stored but reaches the layer only
    // when a colour is assigned.
    ui::Color barColor() const { return barColor_; }
    void setBarColor(ui::Color color);
    // The track's gradient, left to right.
    ui::Color firstColor() const { return firstColor_; }
    void setFirstColor(ui::Color color);
    ui::Color secondColor() const { return secondColor_; }
    void setSecondColor(ui::Color color);
    // Capsule ends on bar and track; false squares both at once.
    bool isCornersRounded() const { return isCornersRounded_; }
    void setIsCornersRounded(bool rounded);
    // Non-finite limits are ignored. Each change clamps the progress again, the
    // maximum first: with the minimum above the maximum a progress above the
    // maximum ends at the maximum.
    float maximumValue() const { return maximumValue_; }
    void setMaximumValue(float value);
    float minimumValue() const { return minimumValue_; }
    void setMinimumValue(float value);
    float progress() const { return progress_; }
    // A non-finite value is ignored. Animated, the track moves to its new width over
    // animationDuration.
    void setProgress(float value, bool animated);
    // The margin on every side between bar and track; non-finite values are ignored.
    double barInset() const { return barInset_; }
    void setBarInset(double inset);
    double animationDuration() const { return animationDuration_; }
    void setAnimationDuration(double duration) { animationDuration_ = duration; }

    // Sets the track up and constrains it; runs once, from the initialiser hook.
    virtual void prepare();
    // Sizes the track through its width constraint and rounds the corners. The base
    // layout runs first, so a direct call places the track at the previous width.
    void layoutSubviews() override;

protected:
    void init() override;

private:
    void clampProgress();
    void applyLayoutMargins();
    // The track's width constraint, made on first use.
    const std::shared_ptr<ui::LayoutConstraint>& trackViewWidthConstraint();

    static bool registerWithRuntime();
    static const bool registered_;

    ui::Color barColor_ = ui::Color::gray();
    ui::Color firstColor_ = ui::Color::white();
    ui::Color secondColor_ = ui::Color::white();
    bool isCornersRounded_ = true;
    float maximumValue_ = 100;
    float minimumValue_ = 0;
    float progress_ = 0;
    double barInset_ = 0;
    double animationDuration_ = 0.25;
    std::shared_ptr<VXGradientView> trackView_;
    std::shared_ptr<ui::LayoutConstraint> trackViewWidthConstraint_;
};

} // namespace pellavo
