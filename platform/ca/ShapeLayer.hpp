#pragma once

#include <optional>

#include "platform/ca/Layer.hpp"
#include "platform/cg/Path.hpp"

namespace pellavo::ca {

// A path in layer space, filled and then stroked between strokeStart and strokeEnd
// (fractions of its length). Not clipped to the bounds unless masksToBounds.
class ShapeLayer : public Layer {
public:
    ShapeLayer() = default;
    std::string_view className() const override { return "CAShapeLayer"; }

    const std::optional<cg::Path>& path() const { return path_; }
    void setPath(std::optional<cg::Path> path);
    std::optional<cg::Color> fillColor() const { return fillColor_; }
    void setFillColor(std::optional<cg::Color> color);
    std::optional<cg::Color> strokeColor() const { return strokeColor_; }
    void setStrokeColor(std::optional<cg::Color> color);
    cg::Float lineWidth() const { return lineWidth_; }
    void setLineWidth(cg::Float width);
    cg::LineCap lineCap() const { return lineCap_; }
    void setLineCap(cg::LineCap cap);
    cg::LineJoin lineJoin() const { return lineJoin_; }
    void setLineJoin(cg::LineJoin join);
    cg::Float miterLimit() const { return miterLimit_; }
    void setMiterLimit(cg::Float limit);
    cg::FillRule fillRule() const { return fillRule_; }
    void setFillRule(cg::FillRule rule);
    // Stored as given; clamped to [0, 1] when drawn.
    cg::Float strokeStart() const { return strokeStart_; }
    void setStrokeStart(cg::Float fraction);
    cg::Float strokeEnd() const { return strokeEnd_; }
    void setStrokeEnd(cg::Float fraction);

    void snapshot(LayerSnapshot& snapshot) const override;
    std::shared_ptr<Layer> cloneLayer() const override;

protected:
    void adoptSnapshot(const LayerSnapshot& snapshot) override;

private:
    std::optional<cg::Path> path_;
    std::optional<cg::Color> fillColor_ = cg::Color(0, 0, 0, 1);
    std::optional<cg::Color> strokeColor_;
    cg::Float lineWidth_ = 1;
    cg::LineCap lineCap_ = cg::LineCap::butt;
    cg::LineJoin lineJoin_ = cg::LineJoin::miter;
    cg::Float miterLimit_ = 10;
    cg::FillRule fillRule_ = cg::FillRule::nonZero;
    cg::Float strokeStart_ = 0;
    cg::Float strokeEnd_ = 1;
};

} // namespace pellavo::ca
