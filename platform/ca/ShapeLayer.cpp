#include "platform/ca/ShapeLayer.hpp"

#include <cmath>

namespace pellavo::ca {

void ShapeLayer::setPath(std::optional<cg::Path> path) { change(path_, path, "path"); }

void ShapeLayer::setFillColor(std::optional<cg::Color> color) { change(fillColor_, color, "fillColor"); }

void ShapeLayer::setStrokeColor(std::optional<cg::Color> color) { change(strokeColor_, color, "strokeColor"); }

void ShapeLayer::setLineWidth(cg::Float width) {
    if (!acceptFinite(std::isfinite(width), "lineWidth")) return;
    change(lineWidth_, width, "lineWidth");
}

void ShapeLayer::setLineCap(cg::LineCap cap) { change(lineCap_, cap, "lineCap"); }

void ShapeLayer::setLineJoin(cg::LineJoin join) { change(lineJoin_, join, "lineJoin"); }

void ShapeLayer::setMiterLimit(cg::Float limit) {
    if (!acceptFinite(std::isfinite(limit), "miterLimit")) return;
    change(miterLimit_, limit, "miterLimit");
}

void ShapeLayer::setFillRule(cg::FillRule rule) { change(fillRule_, rule, "fillRule"); }

void ShapeLayer::setStrokeStart(cg::Float fraction) {
    if (!acceptFinite(std::isfinite(fraction), "strokeStart")) return;
    change(strokeStart_, fraction, "strokeStart");
}

void ShapeLayer::setStrokeEnd(cg::Float fraction) {
    if (!acceptFinite(std::isfinite(fraction), "strokeEnd")) return;
    change(strokeEnd_, fraction, "strokeEnd");
}

void ShapeLayer::snapshot(LayerSnapshot& s) const {
    Layer::snapshot(s);
    s.kind = LayerSnapshot::Kind::shape;
    s.path = path_;
    s.fillColor = fillColor_;
    s.strokeColor = strokeColor_;
    s.lineWidth = lineWidth_;
    s.lineCap = lineCap_;
    s.lineJoin = lineJoin_;
    s.miterLimit = miterLimit_;
    s.fillRule = fillRule_;
    s.strokeStart = strokeStart_;
    s.strokeEnd = strokeEnd_;
}

void ShapeLayer::adoptSnapshot(const LayerSnapshot& s) {
    Layer::adoptSnapshot(s);
    path_ = s.path;
    fillColor_ = s.fillColor;
    strokeColor_ = s.strokeColor;
    lineWidth_ = s.lineWidth;
    lineCap_ = s.lineCap;
    lineJoin_ = s.lineJoin;
    miterLimit_ = s.miterLimit;
    fillRule_ = s.fillRule;
    strokeStart_ = s.strokeStart;
    strokeEnd_ = s.strokeEnd;
}

std::shared_ptr<Layer> ShapeLayer::cloneLayer() const {
    auto clone = ns::make<ShapeLayer>();
    copyPropertiesTo(*clone);
    return clone;
}

} // namespace pellavo::ca
