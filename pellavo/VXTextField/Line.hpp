#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/ca/ShapeLayer.hpp"
#include "platform/ns/Object.hpp"
#include "platform/ui/graphics/BezierPath.hpp"
#include "platform/ui/graphics/Color.hpp"

namespace pellavo {

// One underline of a text field: its path and the shape layer that strokes it. The
// layer's frame is never set, so it sits at the field's origin with zero size and the
// path is in the field's own coordinates. Internal to the library.
class PELLAVO_EXPORT Line : public ns::Object {
public:
    Line();
    std::string_view className() const override { return "Line"; }

    // The stroke colour as the fields expose it: clear while the layer has none.
    ui::Color color() const;
    void setColor(const ui::Color& color);
    // A non-finite width never reaches the layer, where it would make the path NaN.
    double width() const { return layer->lineWidth(); }
    void setWidth(double width);

    // Empty until the field first fits the line.
    ui::BezierPath path;
    // The platform's defaults: no stroke colour (nothing drawn), width 1, strokeEnd 1.
    std::shared_ptr<ca::ShapeLayer> layer;
};

} // namespace pellavo
