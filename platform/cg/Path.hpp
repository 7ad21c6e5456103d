#pragma once

#include <array>
#include <memory>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/cg/AffineTransform.hpp"
#include "platform/cg/Geometry.hpp"

namespace pellavo::cg {

enum class FillRule { nonZero, evenOdd };
enum class LineCap { butt, round, square };
enum class LineJoin { miter, round, bevel };

enum class PathElementType { moveTo, lineTo, curveTo, closeSubpath };

// One step of a path. moveTo and lineTo use points[0]; curveTo is a cubic with
// control points points[0], points[1] ending at points[2]; unused points are zero.
struct PELLAVO_EXPORT PathElement {
    PathElementType type = PathElementType::moveTo;
    std::array<Point, 3> points{};

    static PathElement moveTo(Point p) { return {PathElementType::moveTo, {p, {}, {}}}; }
    static PathElement lineTo(Point p) { return {PathElementType::lineTo, {p, {}, {}}}; }
    static PathElement curveTo(Point c1, Point c2, Point end) { return {PathElementType::curveTo, {c1, c2, end}}; }
    static PathElement closeSubpath() { return {PathElementType::closeSubpath, {}}; }

    int pointCount() const;
    // The point the pen is at after a moveTo, lineTo or curveTo.
    Point endPoint() const;

    friend bool operator==(const PathElement&, const PathElement&) = default;
};

// An immutable outline. Copies share the elements. Every stored point is finite:
// the builders drop any element with a NaN or infinite argument.
class PELLAVO_EXPORT Path {
public:
    Path() = default;
    // Goes through the same checks as MutablePath: non-finite elements are dropped,
    // a line or curve without a current point starts a subpath, a stray close is ignored.
    explicit Path(const std::vector<PathElement>& elements);

    // A closed rectangle from its origin, clockwise on a y-down screen.
    static Path rect(const Rect& rect);
    // A closed ellipse inscribed in the rect: four cubics (kappa 0.5522847498307936)
    // starting at (maxX, midY) and turning clockwise on a y-down screen.
    static Path ellipse(const Rect& rect);
    // The rect with corners of `radius`, clamped to [0, half the shorter side];
    // a radius of half the shorter side gives a capsule. Starts at (minX + r, minY)
    // and runs clockwise on a y-down screen. Non-finite input gives an empty path.
    static Path roundedRect(const Rect& rect, Float radius);

    const std::vector<PathElement>& elements() const&;
    // On a temporary (bezierPath.cgPath().elements()) a copy, so nothing dangles.
    std::vector<PathElement> elements() &&;
    bool isEmpty() const { return !elements_ || elements_->empty(); }
    // Where the next element starts: the last end point, or the start of a subpath
    // just closed. Zero for an empty path.
    Point currentPoint() const;

    // Every point, control points included; the null rect when empty.
    Rect boundingBox() const;
    // The tight box of what the path covers; the null rect when empty.
    Rect pathBoundingBox() const;

    // How far past half the line width a stroke of this path reaches beyond the points
    // (control points included), as a multiple of half the width: a miter join reaches
    // 1 / sin(θ/2) at an angle θ within the limit, a square cap √2, anything else 1.
    // Curves count as smooth inside.
    Float strokeReach(LineJoin join, Float miterLimit, LineCap cap) const;

    // Open subpaths count as closed, as a fill does.
    bool contains(Point point, FillRule rule = FillRule::nonZero) const;

    // Sum over all subpaths, closing segments included.
    Float length() const;
    // The part between two fractions of length(), clamped to [0, 1]. A subpath that is
    // cut becomes open; one wholly inside stays as it is; 0...1 gives the path itself.
    // from >= to (or NaN) gives an empty path.
    Path trimmed(Float from, Float to) const;

    Path transformed(const AffineTransform& t) const;

    friend PELLAVO_EXPORT bool operator==(const Path& a, const Path& b);

private:
    friend class MutablePath;
    explicit Path(std::shared_ptr<const std::vector<PathElement>> elements) : elements_(std::move(elements)) {}

    std::shared_ptr<const std::vector<PathElement>> elements_;
};

} // namespace pellavo::cg
