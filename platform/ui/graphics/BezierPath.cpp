#include "platform/ui/graphics/BezierPath.hpp"

#include <cmath>

#include "platform/ui/graphics/GraphicsContext.hpp"

namespace pellavo::ui {

BezierPath BezierPath::ovalIn(const cg::Rect& rect) {
    BezierPath p;
    p.path_.addEllipse(rect);
    return p;
}

BezierPath BezierPath::rect(const cg::Rect& rect) {
    BezierPath p;
    p.path_.addRect(rect);
    return p;
}

BezierPath BezierPath::arc(cg::Point center, cg::Float radius, cg::Float startAngle, cg::Float endAngle,
                           bool clockwise) {
    BezierPath p;
    p.addArc(center, radius, startAngle, endAngle, clockwise);
    return p;
}

void BezierPath::move(cg::Point to) { path_.moveTo(to); }
void BezierPath::addLine(cg::Point to) { path_.addLineTo(to); }
void BezierPath::addCurve(cg::Point to, cg::Point controlPoint1, cg::Point controlPoint2) {
    path_.addCurveTo(controlPoint1, controlPoint2, to);
}
void BezierPath::addQuadCurve(cg::Point to, cg::Point controlPoint) { path_.addQuadCurveTo(controlPoint, to); }
void BezierPath::addArc(cg::Point center, cg::Float radius, cg::Float startAngle, cg::Float endAngle,
                        bool clockwise) {
    path_.addArc(center, radius, startAngle, endAngle, clockwise);
}
void BezierPath::close() { path_.closeSubpath(); }
void BezierPath::append(const BezierPath& other) { path_.addPath(other.path_.path()); }
void BezierPath::apply(const cg::AffineTransform& transform) {
    path_ = cg::MutablePath(path_.path().transformed(transform));
}
void BezierPath::removeAllPoints() { path_.removeAll(); }

cg::Rect BezierPath::bounds() const { return path_.path().boundingBox(); }

bool BezierPath::contains(cg::Point point) const {
    return path_.path().contains(point, usesEvenOddFillRule_ ? cg::FillRule::evenOdd : cg::FillRule::nonZero);
}

void BezierPath::setLineWidth(cg::Float width) {
    if (std::isfinite(width)) lineWidth_ = width;
}

void BezierPath::setMiterLimit(cg::Float limit) {
    if (std::isfinite(limit)) miterLimit_ = limit;
}

void BezierPath::fill() const {
    cg::Context* context = graphicsGetCurrentContext();
    if (!context || path_.isEmpty()) return;
    cg::Context::SavedState saved(*context);
    context->beginPath();
    context->addPath(path_.path());
    context->fillPath(usesEvenOddFillRule_ ? cg::FillRule::evenOdd : cg::FillRule::nonZero);
}

void BezierPath::stroke() const {
    cg::Context* context = graphicsGetCurrentContext();
    if (!context || path_.isEmpty()) return;
    cg::Context::SavedState saved(*context);
    context->setLineWidth(lineWidth_);
    context->setLineCap(lineCapStyle_);
    context->setLineJoin(lineJoinStyle_);
    context->setMiterLimit(miterLimit_);
    context->beginPath();
    context->addPath(path_.path());
    context->strokePath();
}

} // namespace pellavo::ui
