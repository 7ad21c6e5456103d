#pragma once

#include <memory>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::ca {
class ShapeLayer;
}

namespace pellavo {

// A spinning arc: its head runs ahead and its tail catches up every 1.2 s while the
// whole view turns once every 2.2 s and the arc's colour drifts through `colors`.
// The circle is fixed from the bounds at creation (radius half the width); resizing
// the view later moves nothing. Built in code only.
class PELLAVO_EXPORT MaterialLoadingIndicator : public ui::View {
public:
    explicit MaterialLoadingIndicator(const cg::Rect& frame);
    std::string_view className() const override { return "MaterialLoadingIndicator"; }

    // Visited in order, evenly by colour distance; read at the next start. Empty keeps
    // the arc blue.
    const std::vector<ui::Color>& colors() const { return colors_; }
    void setColors(std::vector<ui::Color> colors) { colors_ = std::move(colors); }
    // Seconds for one pass through `colors`; read at the next start.
    double animationDurring() const { return animationDurring_; }
    void setAnimationDurring(double seconds) { animationDurring_ = seconds; }

    // Starts the colour, stroke and rotation animations unless they are running.
    void startAnimating();
    // Removes every animation and turns both layers back to identity.
    void stopAnimating();

protected:
    void init() override;

private:
    static constexpr double MinStrokeLength = 0.05;
    static constexpr double MaxStrokeLength = 0.7;

    void initShapeLayer();
    void startColorAnimation();
    void startRotatingAnimation();
    // One head-then-tail cycle; its transaction's completion turns the arc on and
    // starts the next cycle while that very cycle is still attached.
    void startStrokeAnimation();

    std::vector<ui::Color> colors_;
    double animationDurring_ = 10;
    std::shared_ptr<ca::ShapeLayer> circleShapeLayer_;
};

} // namespace pellavo
