#include "pellavo/Button/CAShapeLayer.hpp"

#include <cmath>
#include <initializer_list>

#include "pellavo/Button/UIBezierPath.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ui/graphics/BezierPath.hpp"

namespace pellavo::cashapelayer {

namespace {

bool allFinite(std::initializer_list<double> values) {
    for (double v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

// A layer whose geometry could not be computed: nothing to draw, nothing non-finite stored.
std::shared_ptr<ca::ShapeLayer> emptyShape(ui::Color color) {
    auto layer = ns::make<ca::ShapeLayer>();
    layer->setFrame(cg::Rect::zero());
    layer->setPath(cg::Path());
    layer->setFillColor(color.cgColor());
    return layer;
}

std::shared_ptr<ca::ShapeLayer> filledShape(ui::Color color, const cg::Rect& frame, const ui::BezierPath& path) {
    if (!frame.isFinite()) return emptyShape(color);
    auto layer = ns::make<ca::ShapeLayer>();
    layer->setFrame(frame);
    layer->setPath(path.cgPath());
    layer->setFillColor(color.cgColor());
    return layer;
}

std::shared_ptr<ca::ShapeLayer> triangleShape(ui::Color color, double edge) {
    const double width = edge * uibezierpath::kTriangleHeightFactor;
    if (!allFinite({edge, width})) return emptyShape(color);
    return filledShape(color, {0, 0, width, edge}, uibezierpath::equilateralTriangle(edge, {0, 0}));
}

// The two strokes of a glyph, each a separate move-and-line, so the path encloses no area.
struct Stroke {
    cg::Point from;
    cg::Point to;
};

std::shared_ptr<ca::ShapeLayer> strokeLayer(const cg::Rect& bounds, cg::Point position, const cg::Path& path,
                                            ui::Color color, double width) {
    auto layer = ns::make<ca::ShapeLayer>();
    layer->setBounds(bounds);
    layer->setPosition(position);
    layer->setPath(path);
    layer->setStrokeColor(color.cgColor());
    layer->setLineWidth(width);
    layer->setLineCap(cg::LineCap::round);
    return layer;
}

std::shared_ptr<ca::ShapeLayer> glyphShape(double edge, Stroke first, Stroke second, ui::Color underColor,
                                           ui::Color color) {
    auto container = ns::make<ca::ShapeLayer>();
    ui::BezierPath path;
    cg::Rect bounds;
    cg::Point centre;
    const bool finite = allFinite({edge + 4, first.from.x, first.from.y, first.to.x, first.to.y, second.from.x,
                                   second.from.y, second.to.x, second.to.y});
    if (finite) {
        container->setFrame({0, 0, edge + 4, edge + 4});
        bounds = {0, 0, edge, edge};
        centre = {(edge + 4) / 2, (edge + 4) / 2};
        path.move(first.from);
        path.addLine(first.to);
        path.move(second.from);
        path.addLine(second.to);
    } else {
        // Keep the two-layer structure, collapsed to nothing at the origin.
        container->setFrame(cg::Rect::zero());
    }
    // Lower first, so the coloured stroke lies on top of its rim.
    container->addSublayer(strokeLayer(bounds, centre, path.cgPath(), underColor, 2.5));
    container->addSublayer(strokeLayer(bounds, centre, path.cgPath(), color, 2.0));
    return container;
}

} // namespace

std::shared_ptr<ca::ShapeLayer> circlePlayShape(ui::Color color, double diameter) {
    const double d = diameter;
    if (!allFinite({d})) return emptyShape(color);
    auto path = ui::BezierPath::ovalIn({0, 0, d, d});
    // Clockwise oval, counter-clockwise triangle: the non-zero rule leaves a triangular hole.
    path.append(uibezierpath::equilateralTriangle(d * 0.5, {d / 3, d * 0.25}));
    return filledShape(color, {0, 0, d, d}, path);
}

std::shared_ptr<ca::ShapeLayer> playShape(ui::Color color, double triangleEdgeLength) {
    return triangleShape(color, triangleEdgeLength);
}

std::shared_ptr<ca::ShapeLayer> replayShape(ui::Color color, double triangleEdgeLength) {
    return triangleShape(color, triangleEdgeLength);
}

std::shared_ptr<ca::ShapeLayer> pauseShape(ui::Color color, cg::Size elementSize, double elementDistance) {
    const double w = elementSize.width;
    const double h = elementSize.height;
    const double s = elementDistance;
    const bool finite = allFinite({w, h, s, 2 * w + s, w + s});
    auto container = ns::make<ca::ShapeLayer>();
    container->setFrame(finite ? cg::Rect{0, 0, 2 * w + s, h} : cg::Rect::zero());
    for (double x : {0.0, w + s}) {
        auto bar = ns::make<ca::Layer>();
        bar->setFrame(finite ? cg::Rect{x, 0, w, h} : cg::Rect::zero());
        bar->setBackgroundColor(color.cgColor());
        container->addSublayer(bar);
    }
    return container;
}

std::shared_ptr<ca::ShapeLayer> closeShape(double edgeLength, ui::Color fillColor) {
    const double e = edgeLength;
    return glyphShape(e, {{0, 0}, {e, e}}, {{0, e}, {e, 0}}, ui::Color::darkGray(), fillColor);
}

std::shared_ptr<ca::ShapeLayer> backShape(double edgeLength, ui::Color fillColor) {
    const double e = edgeLength;
    const double x = e / 3 * 1.62;
    return glyphShape(e, {{x, 0}, {0, e * 0.5}}, {{0, e * 0.5}, {x, e}}, ui::Color::clear(), fillColor);
}

std::shared_ptr<ca::ShapeLayer> plusShape(double edgeLength, ui::Color fillColor) {
    const double e = edgeLength;
    return glyphShape(e, {{e * 0.5, 0}, {e * 0.5, e}}, {{0, e * 0.5}, {e, e * 0.5}}, ui::Color::clear(),
                      fillColor);
}

std::shared_ptr<ca::ShapeLayer> confirmShape(double edgeLength, ui::Color fillColor) {
    const double e = edgeLength;
    return glyphShape(e, {{0, e * 0.47}, {e * 0.32, e * 0.88}}, {{e * 0.32, e * 0.88}, {e * 0.96, e * 0.18}},
                      ui::Color::darkGray(), fillColor);
}

std::shared_ptr<ca::ShapeLayer> circle(ui::Color color, double diameter) {
    const double side = 2 * diameter;
    if (!allFinite({side})) return emptyShape(color);
    return filledShape(color, {0, 0, side, side}, ui::BezierPath::ovalIn({0, 0, side, side}));
}

} // namespace pellavo::cashapelayer
