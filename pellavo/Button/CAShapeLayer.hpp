#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/ca/ShapeLayer.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ui/graphics/Color.hpp"

namespace pellavo::cashapelayer {

// Ready-made icon layers; each call returns a new layer with its frame at the origin.
// Non-finite sizes give a zero frame and an empty path; finite negative or zero sizes
// give the inverted or empty geometry they spell.

// A disc d across with a triangular hole pointing right.
PELLAVO_EXPORT std::shared_ptr<ca::ShapeLayer> circlePlayShape(ui::Color color, double diameter);
// A filled triangle pointing right, e × √3/2 wide and e high.
PELLAVO_EXPORT std::shared_ptr<ca::ShapeLayer> playShape(ui::Color color, double triangleEdgeLength);
// The same layer as playShape.
PELLAVO_EXPORT std::shared_ptr<ca::ShapeLayer> replayShape(ui::Color color, double triangleEdgeLength);
// A container 2w + s wide holding two plain bars w × h, s apart.
PELLAVO_EXPORT std::shared_ptr<ca::ShapeLayer> pauseShape(ui::Color color, cg::Size elementSize, double elementDistance);

// Stroked glyphs in a container (e + 4) square: two stroke layers covering (2, 2, e, e),
// a 2.5-point under-stroke and a 2-point stroke in the colour on top of it.
PELLAVO_EXPORT std::shared_ptr<ca::ShapeLayer> closeShape(double edgeLength, ui::Color fillColor);
PELLAVO_EXPORT std::shared_ptr<ca::ShapeLayer> backShape(double edgeLength, ui::Color fillColor);
PELLAVO_EXPORT std::shared_ptr<ca::ShapeLayer> plusShape(double edgeLength, ui::Color fillColor);
PELLAVO_EXPORT std::shared_ptr<ca::ShapeLayer> confirmShape(double edgeLength, ui::Color fillColor);

// A filled circle 2 × diameter across: the value is used as a radius.
PELLAVO_EXPORT std::shared_ptr<ca::ShapeLayer> circle(ui::Color color, double diameter);

} // namespace pellavo::cashapelayer
