#pragma once

#include <memory>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::ca {
class Layer;
}

namespace pellavo {

// A page indicator: one round inactive dot per page in a row from the view's origin,
// and an active dot on top that follows a fractional progress, stretching across the
// gap between two pages and closing to a circle on each whole page. The host drives
// it through progress; it takes no touches and sends no events.
//
// Every setter runs its update even for an unchanged value. Both initialisers only
// store the defaults: nothing shows until pageCount is first set to a different value.
class PELLAVO_EXPORT SnakePageControl : public ui::View {
public:
    explicit SnakePageControl(const cg::Rect& frame = {});
    // From an interface file: the decoded frame and the same defaults.
    explicit SnakePageControl(const ns::Coder& coder);
    std::string_view className() const override { return "SnakePageControl"; }

    // Rebuilds the dots when the count (clamped to [0, 10 000]) differs from the dots
    // present; the stored value is kept as given.
    int pageCount() const { return pageCount_; }
    void setPageCount(int pageCount);
    // Stored as given; the active dot moves only for values in [0, pageCount - 1].
    double progress() const { return progress_; }
    void setProgress(double progress);
    // progress rounded half away from zero, saturated to the int range (NaN: 0).
    int currentPage() const;
    // Applied at once, to the active dot even before it is shown.
    ui::Color activeTint() const { return activeTint_; }
    void setActiveTint(ui::Color tint);
    // Applied to the dots present and to those made later.
    ui::Color inactiveTint() const { return inactiveTint_; }
    void setInactiveTint(ui::Color tint);
    // A non-finite value is ignored. A negative radius is kept but laid out as 0.
    double indicatorPadding() const { return indicatorPadding_; }
    void setIndicatorPadding(double padding);
    double indicatorRadius() const { return indicatorRadius_; }
    void setIndicatorRadius(double radius);

    // The row's size, whatever the argument: (n·2r + (n − 1)·padding, 2r), never
    // narrower than 0.
    cg::Size sizeThatFits(cg::Size size) const override;
    // sizeThatFits of a zero size, through the virtual call.
    cg::Size intrinsicContentSize() const override;

private:
    void updateNumberOfPages(int count);
    void layoutInactivePageIndicators();
    void layoutActivePageIndicator(double progress);
    void layoutAll();
    // Made on first use, not added to the view.
    const std::shared_ptr<ca::Layer>& activeLayer();
    // The radius as laid out.
    double radius() const;

    int pageCount_ = 0;
    double progress_ = 0;
    ui::Color activeTint_ = ui::Color::white();
    ui::Color inactiveTint_ = ui::Color(1, 0.3);
    double indicatorPadding_ = 10;
    double indicatorRadius_ = 5;
    std::vector<std::shared_ptr<ca::Layer>> inactiveLayers_;
    std::shared_ptr<ca::Layer> activeLayer_;
};

} // namespace pellavo
