#include "platform/ca/ShapeLayer.hpp"

#include <cmath>

namespace pellavo::ca {

void ShapeLayer::setPath(std::optional<cg::Path> path) { change(shape_.path, path, "path"); }

void ShapeLayer::setFillColor(std::optional<cg::Color> color) { change(shape_.fillColor, color, "fillColor"); }

void ShapeLayer::setStrokeColor(std::optional<cg::Color> color) { change(shape_.strokeColor, color, "strokeColor"); }

void ShapeLayer::setLineWidth(cg::Float width) { changeFinite(shape_.lineWidth, width, "lineWidth"); }

void ShapeLayer::setLineCap(cg::LineCap cap) { change(shape_.lineCap, cap, "lineCap"); }

void ShapeLayer::setLineJoin(cg::LineJoin join) { change(shape_.lineJoin, join, "lineJoin"); }

void ShapeLayer::setMiterLimit(cg::Float limit) { changeFinite(shape_.miterLimit, limit, "miterLimit"); }

void ShapeLayer::setFillRule(cg::FillRule rule) { change(shape_.fillRule, rule, "fillRule"); }

void ShapeLayer::setStrokeStart(cg::Float fraction) { changeFinite(shape_.strokeStart, fraction, "strokeStart"); }

void ShapeLayer::setStrokeEnd(cg::Float fraction) { changeFinite(shape_.strokeEnd, fraction, "strokeEnd"); }

void ShapeLayer::snapshot(LayerSnapshot& s) const {
    Layer::snapshot(s);
    s.kind = LayerSnapshot::Kind::shape;
    s.shape = shape_;
}

void ShapeLayer::adoptSnapshot(const LayerSnapshot& s) {
    Layer::adoptSnapshot(s);
    shape_ = s.shape;
}

std::shared_ptr<Layer> ShapeLayer::cloneLayer() const {
    auto clone = ns::make<ShapeLayer>();
    copyPropertiesTo(*clone);
    return clone;
}

} // namespace pellavo::ca
