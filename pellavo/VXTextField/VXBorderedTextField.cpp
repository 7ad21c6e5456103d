#include "pellavo/VXTextField/VXBorderedTextField.hpp"

#include "pellavo/VXTextField/Line.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/Coder.hpp"

namespace pellavo {

// Both initialisers only make the line: it is attached by awakeFromNib.
VXBorderedTextField::VXBorderedTextField(cg::Rect frame) : VXPlaceholderTextField(frame), line_(ns::make<Line>()) {}

VXBorderedTextField::VXBorderedTextField(const ns::Coder& coder)
    : VXPlaceholderTextField(coder), line_(ns::make<Line>()) {}

ui::Color VXBorderedTextField::lineColor() const { return line_->color(); }

void VXBorderedTextField::setLineColor(ui::Color color) { line_->setColor(color); }

double VXBorderedTextField::lineWidth() const { return line_->width(); }

void VXBorderedTextField::setLineWidth(double width) { line_->setWidth(width); }

void VXBorderedTextField::awakeFromNib() {
    VXPlaceholderTextField::awakeFromNib();
    // A second wake would move the line above whatever was added since.
    if (wired_) return;
    wired_ = true;
    configureBottomLine();
}

void VXBorderedTextField::configureBottomLine() {
    line_->layer->setFillColor(ui::Color::clear().cgColor());
    layer()->addSublayer(line_->layer);
}

void VXBorderedTextField::layoutSubviews() {
    VXPlaceholderTextField::layoutSubviews();
    calculateLine(*line_);
}

void VXBorderedTextField::calculateLine(Line& line) {
    // The bounds, not the frame: under a transform the frame is the transformed bounding
    // box, while the path lives in the field's own coordinates.
    const cg::Size size = bounds().size;
    const double y = size.height - 0.5 * line.layer->lineWidth();
    line.path = ui::BezierPath();
    line.path.move({0, y});
    line.path.addLine({size.width, y});
    // The implicit path animation stays on: a resize glides the line to its new place.
    line.layer->setPath(line.path.cgPath());
}

bool VXBorderedTextField::registerWithRuntime() {
    using Self = VXBorderedTextField;
    ns::ClassRegistration<Self>("VXBorderedTextField", "VXPlaceholderTextField")
        .property<ui::Color>("lineColor", &Self::lineColor, &Self::setLineColor)
        .property<double>("lineWidth", &Self::lineWidth, &Self::setLineWidth);
    return true;
}

const bool VXBorderedTextField::registered_ = VXBorderedTextField::registerWithRuntime();

} // namespace pellavo
