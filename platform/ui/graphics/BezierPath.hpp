#pragma once

#include "platform/ns/Export.hpp"
#include "platform/cg/AffineTransform.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/cg/MutablePath.hpp"
#include "platform/cg/Path.hpp"

namespace pellavo::ui {

// A mutable outline with line properties, drawn into the current graphics context.
// Elements with a NaN or infinite argument are dropped.
class PELLAVO_EXPORT BezierPath {
public:
    BezierPath() = default;
    explicit BezierPath(const cg::Path& path) : path_(path) {}

    // Four cubics from (maxX, midY) turning clockwise on screen, closed; negative sizes standardised.
    static BezierPath ovalIn(const cg::Rect& rect);
    static BezierPath rect(const cg::Rect& rect);
    static BezierPath arc(cg::Point center, cg::Float radius, cg::Float startAngle, cg::Float endAngle,
                          bool clockwise);

    void move(cg::Point to);
    void addLine(cg::Point to);
    void addCurve(cg::Point to, cg::Point controlPoint1, cg::Point controlPoint2);
    void addQuadCurve(cg::Point to, cg::Point controlPoint);
    // A line to the arc's start when there is a current point, else a move; see cg::MutablePath::addArc.
    void addArc(cg::Point center, cg::Float radius, cg::Float startAngle, cg::Float endAngle, bool clockwise);
    void close();
    // Adds the other path's subpaths unchanged.
    void append(const BezierPath& other);
    void apply(const cg::AffineTransform& transform);
    void removeAllPoints();

    cg::Path cgPath() const { return path_.path(); }
    // Control points included; the null rect when empty.
    cg::Rect bounds() const;
    cg::Point currentPoint() const { return path_.currentPoint(); }
    bool isEmpty() const { return path_.isEmpty(); }
    // Under the path's own fill rule, open subpaths counting as closed.
    bool contains(cg::Point point) const;

    cg::Float lineWidth() const { return lineWidth_; }
    void setLineWidth(cg::Float width);
    cg::LineCap lineCapStyle() const { return lineCapStyle_; }
    void setLineCapStyle(cg::LineCap cap) { lineCapStyle_ = cap; }
    cg::LineJoin lineJoinStyle() const { return lineJoinStyle_; }
    void setLineJoinStyle(cg::LineJoin join) { lineJoinStyle_ = join; }
    cg::Float miterLimit() const { return miterLimit_; }
    void setMiterLimit(cg::Float limit);
    bool usesEvenOddFillRule() const { return usesEvenOddFillRule_; }
    void setUsesEvenOddFillRule(bool evenOdd) { usesEvenOddFillRule_ = evenOdd; }

    // With the current context's fill colour; open subpaths are closed implicitly.
    void fill() const;
    // With the current context's stroke colour and this path's line properties.
    void stroke() const;

private:
    cg::MutablePath path_;
    cg::Float lineWidth_ = 1;
    cg::LineCap lineCapStyle_ = cg::LineCap::butt;
    cg::LineJoin lineJoinStyle_ = cg::LineJoin::miter;
    cg::Float miterLimit_ = 10;
    bool usesEvenOddFillRule_ = false;
};

} // namespace pellavo::ui
