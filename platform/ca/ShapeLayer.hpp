#pragma once

#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/cg/Path.hpp"

namespace pellavo::ca {

// A path in layer space, filled and then stroked between strokeStart and strokeEnd
// (fractions of its length). Not clipped to the bounds unless masksToBounds.
class PELLAVO_EXPORT ShapeLayer : public Layer {
public:
    ShapeLayer() = default;
    std::string_view className() const override { return "CAShapeLayer"; }

    const std::optional<cg::Path>& path() const { return shape_.path; }
    void setPath(std::optional<cg::Path> path);
    std::optional<cg::Color> fillColor() const { return shape_.fillColor; }
    void setFillColor(std::optional<cg::Color> color);
    std::optional<cg::Color> strokeColor() const { return shape_.strokeColor; }
    void setStrokeColor(std::optional<cg::Color> color);
    cg::Float lineWidth() const { return shape_.lineWidth; }
    void setLineWidth(cg::Float width);
    cg::LineCap lineCap() const { return shape_.lineCap; }
    void setLineCap(cg::LineCap cap);
    cg::LineJoin lineJoin() const { return shape_.lineJoin; }
    void setLineJoin(cg::LineJoin join);
    cg::Float miterLimit() const { return shape_.miterLimit; }
    void setMiterLimit(cg::Float limit);
    cg::FillRule fillRule() const { return shape_.fillRule; }
    void setFillRule(cg::FillRule rule);
    // Stored as given; clamped to [0, 1] when drawn.
    cg::Float strokeStart() const { return shape_.strokeStart; }
    void setStrokeStart(cg::Float fraction);
    cg::Float strokeEnd() const { return shape_.strokeEnd; }
    void setStrokeEnd(cg::Float fraction);

    void snapshot(LayerSnapshot& snapshot) const override;
    std::shared_ptr<Layer> cloneLayer() const override;

protected:
    void adoptSnapshot(const LayerSnapshot& snapshot) override;

private:
    ShapeProperties shape_;
};

} // namespace pellavo::ca
