#include "pellavo/VXAlignLabel.hpp"

#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/Coder.hpp"

namespace pellavo {

std::optional<VXAlignLabel::VerticalAlignment> VXAlignLabel::verticalAlignmentFromRawValue(int raw) {
    if (raw < 0 || raw > 2) return std::nullopt;
    return static_cast<VerticalAlignment>(raw);
}

VXAlignLabel::VXAlignLabel(const ns::Coder& coder) : ui::Label(coder) {}

void VXAlignLabel::setVerticalAlignment(VerticalAlignment alignment) {
    verticalAlignment_ = alignment;
    setNeedsDisplay();
}

cg::Rect VXAlignLabel::textRect(const cg::Rect&, int numberOfLines) const {
    const cg::Rect b = bounds();
    const cg::Size size = ui::Label::textRect(b, numberOfLines).size;
    double y = b.origin.y;
    if (verticalAlignment_ == VerticalAlignment::middle) y += (b.size.height - size.height) * 0.5;
    if (verticalAlignment_ == VerticalAlignment::bottom) y += b.size.height - size.height;
    return {{b.origin.x, y}, size};
}

void VXAlignLabel::drawText(const cg::Rect& rect) {
    const cg::Rect t = textRect(rect, numberOfLines());
    ui::Label::drawText({rect.origin.x, t.origin.y, rect.size.width, t.size.height});
}

namespace {

// Coder-only: create("VXAlignLabel") answers null; the alignment is not visible by name.
[[maybe_unused]] const auto registration = ns::ClassRegistration<VXAlignLabel>("VXAlignLabel", "UILabel");

} // namespace

} // namespace pellavo
