#include "pellavo/PaddingLabel.hpp"

#include <cmath>

#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/Coder.hpp"

namespace pellavo {
namespace {

double usable(double inset) { return std::isfinite(inset) ? inset : 0; }

} // namespace

PaddingLabel::PaddingLabel(const cg::Rect& frame) : ui::Label(frame) {}

PaddingLabel::PaddingLabel(const ns::Coder& coder) : ui::Label(coder) {}

void PaddingLabel::drawText(const cg::Rect& rect) {
    const double left = usable(leftInset_);
    const double top = usable(topInset_);
    const cg::Rect inner{rect.origin.x + left, rect.origin.y + top, rect.size.width - (left + usable(rightInset_)),
                         rect.size.height - (top + usable(bottomInset_))};
    if (!(inner.size.width > 0) || !(inner.size.height > 0)) return;
    ui::Label::drawText(inner);
}

cg::Size PaddingLabel::grown(cg::Size size) const {
    return {size.width + usable(leftInset_) + usable(rightInset_),
            size.height + usable(topInset_) + usable(bottomInset_)};
}

cg::Size PaddingLabel::sizeThatFits(cg::Size size) const { return grown(ui::Label::sizeThatFits(size)); }

cg::Size PaddingLabel::intrinsicContentSize() const { return grown(ui::Label::intrinsicContentSize()); }

namespace {

// Internal to the library, but interface files and key-value setting name it.
[[maybe_unused]] const auto registration =
    ns::ClassRegistration<PaddingLabel>("PaddingLabel", "UILabel")
        .property<double>("topInset", &PaddingLabel::topInset, &PaddingLabel::setTopInset)
        .property<double>("leftInset", &PaddingLabel::leftInset, &PaddingLabel::setLeftInset)
        .property<double>("bottomInset", &PaddingLabel::bottomInset, &PaddingLabel::setBottomInset)
        .property<double>("rightInset", &PaddingLabel::rightInset, &PaddingLabel::setRightInset);

} // namespace

} // namespace pellavo
