#pragma once

#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/cg/Path.hpp"

namespace pellavo::cg {

// Builds a cg::Path. Any element with a NaN or infinite argument is dropped.
class PELLAVO_EXPORT MutablePath {
public:
    MutablePath() = default;
    explicit MutablePath(const Path& path);

    void moveTo(Point p);
    // Without a current point a line or curve starts a new subpath where it begins.
    void addLineTo(Point p);
    void addCurveTo(Point control1, Point control2, Point end);
    void addQuadCurveTo(Point control, Point end);
    // Ignored without a current point or right after another close.
    void closeSubpath();

    // Circular arc: a line to the start when a current point exists, else a move; then
    // cubics of at most 90 degrees. `clockwise` means increasing angle on a y-down screen;
    // the sweep in that direction lies in (0, 2*pi] (equal angles: no sweep). A negative
    // radius counts as 0, which leaves only the centre point.
    void addArc(Point center, Float radius, Float startAngle, Float endAngle, bool clockwise);
    void addRect(const Rect& rect);
    void addEllipse(const Rect& rect);
    // Appends the other path's subpaths unchanged.
    void addPath(const Path& path);

    bool isEmpty() const { return elements_.empty(); }
    Point currentPoint() const;
    const std::vector<PathElement>& elements() const { return elements_; }
    void removeAll() { elements_.clear(); }

    Path path() const;

private:
    bool hasCurrentPoint() const { return !elements_.empty(); }
    void append(const PathElement& e);

    std::vector<PathElement> elements_;
};

} // namespace pellavo::cg
