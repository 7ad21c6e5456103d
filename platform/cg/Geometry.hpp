#pragma once

#include "platform/ns/Export.hpp"

#include <cmath>
#include <limits>

namespace pellavo::cg {

using Float = double;

struct AffineTransform;

struct PELLAVO_EXPORT Point {
    Float x = 0;
    Float y = 0;

    constexpr Point() = default;
    constexpr Point(Float x_, Float y_) : x(x_), y(y_) {}
    static constexpr Point zero() { return {}; }

    Point applying(const AffineTransform& t) const;
    bool isFinite() const { return std::isfinite(x) && std::isfinite(y); }

    friend constexpr bool operator==(const Point&, const Point&) = default;
    friend constexpr Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
    friend constexpr Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }
    friend constexpr Point operator*(Point a, Float s) { return {a.x * s, a.y * s}; }
};

struct PELLAVO_EXPORT Size {
    Float width = 0;
    Float height = 0;

    constexpr Size() = default;
    constexpr Size(Float w, Float h) : width(w), height(h) {}
    static constexpr Size zero() { return {}; }

    // Sizes ignore translation.
    Size applying(const AffineTransform& t) const;
    bool isFinite() const { return std::isfinite(width) && std::isfinite(height); }

    friend constexpr bool operator==(const Size&, const Size&) = default;
};

// Insets from each edge; the toolkit's edge-insets type is this one.
struct PELLAVO_EXPORT EdgeInsets {
    Float top = 0, left = 0, bottom = 0, right = 0;

    constexpr EdgeInsets() = default;
    constexpr EdgeInsets(Float t, Float l, Float b, Float r) : top(t), left(l), bottom(b), right(r) {}
    static constexpr EdgeInsets zero() { return {}; }

    friend constexpr bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};

struct PELLAVO_EXPORT Rect {
    Point origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(Point o, Size s) : origin(o), size(s) {}
    constexpr Rect(Float x, Float y, Float w, Float h) : origin(x, y), size(w, h) {}

    static constexpr Rect zero() { return {}; }
    // The null rectangle: what an intersection of disjoint rectangles gives.
    static constexpr Rect null() {
        return {std::numeric_limits<Float>::infinity(), std::numeric_limits<Float>::infinity(), 0, 0};
    }

    // These read the standardised rectangle; size.width and size.height stay raw.
    // Inline: layout and rendering read them for every view and layer of every frame.
    Float minX() const { return standardized().origin.x; }
    Float midX() const {
        const Rect r = standardized();
        return r.origin.x + r.size.width / 2;
    }
    Float maxX() const {
        const Rect r = standardized();
        return r.origin.x + r.size.width;
    }
    Float minY() const { return standardized().origin.y; }
    Float midY() const {
        const Rect r = standardized();
        return r.origin.y + r.size.height / 2;
    }
    Float maxY() const {
        const Rect r = standardized();
        return r.origin.y + r.size.height;
    }
    Float width() const { return std::fabs(size.width); }
    Float height() const { return std::fabs(size.height); }

    Rect standardized() const {
        if (isNull()) return *this;
        Rect r = *this;
        if (r.size.width < 0) {
            r.origin.x += r.size.width;
            r.size.width = -r.size.width;
        }
        if (r.size.height < 0) {
            r.origin.y += r.size.height;
            r.size.height = -r.size.height;
        }
        return r;
    }
    bool isNull() const { return std::isinf(origin.x) && origin.x > 0 && std::isinf(origin.y) && origin.y > 0; }
    bool isEmpty() const { return isNull() || size.width == 0 || size.height == 0; }
    bool isFinite() const { return origin.isFinite() && size.isFinite(); }

    // A negative resulting size gives the null rectangle.
    Rect insetBy(Float dx, Float dy) const;
    // Raw arithmetic on the stored values; may leave a negative size.
    Rect inset(const EdgeInsets& by) const {
        return {origin.x + by.left, origin.y + by.top, size.width - by.left - by.right,
                size.height - by.top - by.bottom};
    }
    Rect offsetBy(Float dx, Float dy) const;
    Rect unionWith(const Rect& other) const;
    Rect intersection(const Rect& other) const;
    bool intersects(const Rect& other) const;
    // Half-open: min <= p < max on both axes.
    bool contains(Point p) const;
    bool contains(const Rect& other) const;
    Rect integral() const;
    // Bounding box of the transformed corners.
    Rect applying(const AffineTransform& t) const;
    // Bounding box of the standardised rectangle's four corners, each passed through
    // `map` (point to point).
    template <class Map>
    Rect mappedBounds(const Map& map) const {
        const Rect r = standardized();
        const Point corners[4] = {map(Point{r.minX(), r.minY()}), map(Point{r.maxX(), r.minY()}),
                                  map(Point{r.minX(), r.maxY()}), map(Point{r.maxX(), r.maxY()})};
        return boundingBox(corners);
    }
    // The smallest rectangle holding the points, grown from the first one.
    static Rect boundingBox(const Point (&points)[4]);

    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

} // namespace pellavo::cg
