#pragma once

#include <string_view>

#include "platform/ns/Export.hpp"
#include "platform/ui/control/Label.hpp"

namespace pellavo {

// A label that draws its text inside four insets and grows its sizes by them. The
// setters only store: set the insets before the label shows, or invalidate by hand.
// A non-finite inset counts as 0 wherever it is used.
class PELLAVO_EXPORT PaddingLabel : public ui::Label {
public:
    explicit PaddingLabel(const cg::Rect& frame = {});
    explicit PaddingLabel(const ns::Coder& coder);
    std::string_view className() const override { return "PaddingLabel"; }

    double topInset() const { return topInset_; }
    void setTopInset(double inset) { topInset_ = inset; }
    double leftInset() const { return leftInset_; }
    void setLeftInset(double inset) { leftInset_ = inset; }
    double bottomInset() const { return bottomInset_; }
    void setBottomInset(double inset) { bottomInset_ = inset; }
    double rightInset() const { return rightInset_; }
    void setRightInset(double inset) { rightInset_ = inset; }

    // Draws nothing when the insets leave no room.
    void drawText(const cg::Rect& rect) override;
    // The label's answer for the same size, grown by the insets (the width is not
    // narrowed first, so wrapped text may measure wider than it draws).
    cg::Size sizeThatFits(cg::Size size) const override;
    cg::Size intrinsicContentSize() const override;

private:
    cg::Size grown(cg::Size size) const;

    double topInset_ = 0;
    double leftInset_ = 0;
    double bottomInset_ = 0;
    double rightInset_ = 0;
};

} // namespace pellavo
