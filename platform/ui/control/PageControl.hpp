#pragma once

#include "platform/ns/Export.hpp"
#include "platform/ui/control/Control.hpp"

namespace pellavo::ui {

// A row of dots, one per page, the current one bright. A tap left of the current
// dot goes back a page, right of it forward.
class PELLAVO_EXPORT PageControl : public Control {
public:
    explicit PageControl(const cg::Rect& frame = {});
    std::string_view className() const override { return "UIPageControl"; }

    int numberOfPages() const { return numberOfPages_; }
    // A negative count becomes 0; the current page is kept within the new range.
    void setNumberOfPages(int pages);
    int currentPage() const { return currentPage_; }
    // Clamped to [0, max(pages − 1, 0)].
    void setCurrentPage(int page);

    // The centre of a page's dot in the control's space.
    cg::Point dotCentre(int page) const;

    // Steps the page, sends valueChanged if it moved; touchUpInside follows.
    void endTracking(const Touch* touch, const ui::Event* event) override;
    using View::draw;
    void draw(cg::Rect rect) override;
    // The row of dots by the control's height (26).
    cg::Size sizeThatFits(cg::Size size) const override;
    cg::Size intrinsicContentSize() const override;

private:
    int numberOfPages_ = 0;
    int currentPage_ = 0;
};

} // namespace pellavo::ui
