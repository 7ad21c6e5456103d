#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ui/control/Control.hpp"
#include "platform/ui/graphics/Color.hpp"

namespace pellavo::ca {
class ShapeLayer;
}

namespace pellavo {

// An on/off switch drawn with three shape layers: off, a circle; on, a trail circle
// with a check mark. A tap toggles it and sends valueChanged; the circle's stroke
// unwinds into the check mark (and back) while the trail circle fades.
class PELLAVO_EXPORT VXFlatSwitch : public ui::Control {
public:
    explicit VXFlatSwitch(const cg::Rect& frame = {});
    // From an interface file: the decoded frame, the same defaults and set-up.
    explicit VXFlatSwitch(const ns::Coder& coder);
    std::string_view className() const override { return "VXFlatSwitch"; }

    // The stroke width of all three layers. A non-finite width is ignored; the
    // circle's radius follows at the next layout pass.
    double lineWidth() const { return lineWidth_; }
    void setLineWidth(double width);
    // Whether a tap animates the change.
    bool animatesOnTouch() const { return animatesOnTouch_; }
    void setAnimatesOnTouch(bool animates) { animatesOnTouch_ = animates; }
    // The circle and the check mark.
    ui::Color strokeColor() const { return strokeColor_; }
    void setStrokeColor(ui::Color color);
    ui::Color trailStrokeColor() const { return trailStrokeColor_; }
    void setTrailStrokeColor(ui::Color color);

    // The switch's own state, which the runtime's "selected" reads too.
    bool isSelected() const override { return isSelectedInternal_; }
    // Sets the base flag as well; never animates and sends nothing.
    void setIsSelected(bool selected) override;
    // Changes the state, restarting from rest; sends no event.
    void setSelected(bool selected, bool animated);

    void layoutSublayers(ca::Layer& layer) override;

protected:
    void init() override;

private:
    static constexpr double animationDuration = 0.3;
    static constexpr double finalStrokeEndForCheckmark = 0.85;
    static constexpr double finalStrokeStartForCheckmark = 0.3;
    static constexpr double checkmarkBounceAmount = 0.1;

    void configure();
    // Reached through the object runtime.
    void handleTouchUpInside();
    // The resting values of `desiredSelectedState`, or of the opposite state when
    // the animations will carry the layers there.
    void resetLayerValues(bool desiredSelectedState, bool stateWillBeAnimated);
    void addAnimations(bool desiredSelectedState);

    static bool registerWithRuntime();
    static const bool registered_;

    double lineWidth_ = 2;
    bool animatesOnTouch_ = true;
    ui::Color strokeColor_;
    ui::Color trailStrokeColor_;
    bool isSelectedInternal_ = false;
    std::shared_ptr<ca::ShapeLayer> trailCircle_;
    std::shared_ptr<ca::ShapeLayer> circle_;
    std::shared_ptr<ca::ShapeLayer> checkmark_;
    // The check mark's bend, recorded by layout.
    cg::Point checkmarkSplitPoint_;
};

} // namespace pellavo
