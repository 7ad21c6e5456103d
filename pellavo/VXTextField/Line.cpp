#include "pellavo/VXTextField/Line.hpp"

#include <cmath>

namespace pellavo {

Line::Line() : layer(ns::make<ca::ShapeLayer>()) {}

ui::Color Line::color() const {
    const auto stroke = layer->strokeColor();
    return stroke ? ui::Color(*stroke) : ui::Color::clear();
}

void Line::setColor(const ui::Color& color) { layer->setStrokeColor(color.cgColor()); }

void Line::setWidth(double width) {
    if (std::isfinite(width)) layer->setLineWidth(width);
}

} // namespace pellavo
