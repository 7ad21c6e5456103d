#include "platform/cg/Geometry.hpp"

#include <algorithm>
#include <cmath>

#include "platform/cg/AffineTransform.hpp"

namespace pellavo::cg {

Point Point::applying(const AffineTransform& t) const {
    return {t.a * x + t.c * y + t.tx, t.b * x + t.d * y + t.ty};
}

Size Size::applying(const AffineTransform& t) const {
    return {t.a * width + t.c * height, t.b * width + t.d * height};
}



Rect Rect::insetBy(Float dx, Float dy) const {
    if (isNull()) return *this;
    const Rect r = standardized();
    const Rect out{r.origin.x + dx, r.origin.y + dy, r.size.width - 2 * dx, r.size.height - 2 * dy};
    if (out.size.width < 0 || out.size.height < 0) return null();
    return out;
}

Rect Rect::offsetBy(Float dx, Float dy) const {
    if (isNull()) return *this;
    return {origin.x + dx, origin.y + dy, size.width, size.height};
}

Rect Rect::unionWith(const Rect& other) const {
    if (isNull()) return other.standardized();
    if (other.isNull()) return standardized();
    const Float x0 = std::min(minX(), other.minX());
    const Float y0 = std::min(minY(), other.minY());
    const Float x1 = std::max(maxX(), other.maxX());
    const Float y1 = std::max(maxY(), other.maxY());
    return {x0, y0, x1 - x0, y1 - y0};
}

Rect Rect::intersection(const Rect& other) const {
    if (isNull() || other.isNull()) return null();
    const Float x0 = std::max(minX(), other.minX());
    const Float y0 = std::max(minY(), other.minY());
    const Float x1 = std::min(maxX(), other.maxX());
    const Float y1 = std::min(maxY(), other.maxY());
    // Touching rectangles meet in a zero-width rectangle; strictly disjoint ones not at all.
    if (x1 < x0 || y1 < y0) return null();
    return {x0, y0, x1 - x0, y1 - y0};
}

bool Rect::intersects(const Rect& other) const {
    const Rect i = intersection(other);
    return !i.isNull() && !i.isEmpty();
}

bool Rect::contains(Point p) const {
    if (isNull() || isEmpty()) return false;
    return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
}

bool Rect::contains(const Rect& other) const {
    if (isNull() || other.isNull()) return false;
    return other.minX() >= minX() && other.maxX() <= maxX() && other.minY() >= minY() &&
           other.maxY() <= maxY();
}

Rect Rect::integral() const {
    if (isNull()) return *this;
    const Float x0 = std::floor(minX());
    const Float y0 = std::floor(minY());
    const Float x1 = std::ceil(maxX());
    const Float y1 = std::ceil(maxY());
    return {x0, y0, x1 - x0, y1 - y0};
}

Rect Rect::applying(const AffineTransform& t) const {
    if (isNull()) return *this;
    if (t.b == 0 && t.c == 0) {
        // Upright: two corners say it all; the renderer maps every layer's box this way.
        const Rect r = standardized();
        const Float x0 = t.a * r.origin.x + t.tx, x1 = t.a * (r.origin.x + r.size.width) + t.tx;
        const Float y0 = t.d * r.origin.y + t.ty, y1 = t.d * (r.origin.y + r.size.height) + t.ty;
        return {std::min(x0, x1), std::min(y0, y1), std::fabs(x1 - x0), std::fabs(y1 - y0)};
    }
    return mappedBounds([&t](Point p) { return p.applying(t); });
}

Rect Rect::boundingBox(const Point (&points)[4]) {
    Float x0 = points[0].x, x1 = points[0].x, y0 = points[0].y, y1 = points[0].y;
    for (const Point& c : points) {
        x0 = std::min(x0, c.x);
        x1 = std::max(x1, c.x);
        y0 = std::min(y0, c.y);
        y1 = std::max(y1, c.y);
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

} // namespace pellavo::cg
