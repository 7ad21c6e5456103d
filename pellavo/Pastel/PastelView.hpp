#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ns/Export.hpp"
#include "pellavo/Pastel/PastelGradient.hpp"
#include "platform/ca/AnimationDelegate.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::ca {
class GradientLayer;
}

namespace pellavo {

// A background that endlessly moves a two-colour gradient through adjacent pairs of a
// colour list, one step per animationDuration: each step's animation, when it ends,
// starts the next. Nothing moves until startAnimation().
class PELLAVO_EXPORT PastelView : public ui::View, public ca::AnimationDelegate {
public:
    // Anchor points in the gradient's unit coordinates, by raw value 0 to 7.
    enum class PastelPoint : int { left = 0, top, right, bottom, topLeft, topRight, bottomLeft, bottomRight };
    // None outside 0…7.
    static std::optional<PastelPoint> pastelPointFromRawValue(int raw);
    static cg::Point point(PastelPoint pastelPoint);

    explicit PastelView(const cg::Rect& frame = {});
    // From an interface file: the decoded frame and the same defaults.
    explicit PastelView(const ns::Coder& coder);
    std::string_view className() const override { return "PastelView"; }

    // The gradient's ends, applied at the next startAnimation().
    cg::Point startPoint() const { return startPoint_; }
    void setStartPoint(cg::Point point) { startPoint_ = point; }
    cg::Point endPoint() const { return endPoint_; }
    void setEndPoint(cg::Point point) { endPoint_ = point; }
    // Assigning one sets the matching point.
    PastelPoint startPastelPoint() const { return startPastelPoint_; }
    void setStartPastelPoint(PastelPoint pastelPoint);
    PastelPoint endPastelPoint() const { return endPastelPoint_; }
    void setEndPastelPoint(PastelPoint pastelPoint);
    // Seconds per colour step; a value that is not positive runs the platform's default.
    double animationDuration() const { return animationDuration_; }
    void setAnimationDuration(double duration) { animationDuration_ = duration; }

    // (Re)starts the cycle from the current pair, which a restart does not reset.
    void startAnimation();
    // The list changes apply from the next step; the running one carries on.
    // An empty list is ignored.
    void setColors(std::vector<ui::Color> colors);
    void setPastelGradient(PastelGradient gradient);
    void addColor(ui::Color color);

    void awakeFromNib() override;
    void layoutSubviews() override;
    // Also ends the cycle: the gradient loses its animation and leaves the view's layer.
    void removeFromSuperview() override;
    // A step that ran to its end starts the next; a removed one ends the cycle.
    void animationDidStop(const std::shared_ptr<const ca::Animation>& animation, bool finished) override;

private:
    // Colours i and i + 1 (mod n) of the list, i the step count; empty without colours.
    std::vector<cg::Color> currentGradientSet() const;
    void setup();
    void animateGradient();

    cg::Point startPoint_{1, 0};
    cg::Point endPoint_{0, 1};
    PastelPoint startPastelPoint_ = PastelPoint::topRight;
    PastelPoint endPastelPoint_ = PastelPoint::bottomLeft;
    double animationDuration_ = 5.0;
    std::shared_ptr<ca::GradientLayer> gradient_;
    // Only grows: one per step, never reset.
    std::int64_t currentGradient_ = 0;
    std::vector<ui::Color> colors_;
};

} // namespace pellavo
