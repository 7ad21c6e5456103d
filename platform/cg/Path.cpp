#include "platform/cg/Path.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <limits>

#include "platform/cg/MutablePath.hpp"

namespace pellavo::cg {

namespace {

constexpr Float kFlatness = 0.01;
constexpr int kMaxDepth = 16;
constexpr Float kKappa = 0.5522847498307936;

const std::vector<PathElement>& emptyElements() {
    static const std::vector<PathElement> none;
    return none;
}

Float distance(Point a, Point b) { return std::hypot(b.x - a.x, b.y - a.y); }
Point lerp(Point a, Point b, Float t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

struct Segment {
    bool cubic = false;
    std::array<Point, 4> p{};  // start, (control1, control2,) end; a line uses p[0] and p[3]

    Point start() const { return p[0]; }
    Point end() const { return p[3]; }
};

struct Subpath {
    Point start;
    std::vector<Segment> segments;
    bool closed = false;
    std::size_t firstElement = 0;  // the elements that drew it, to copy it unchanged
    std::size_t endElement = 0;    // one past its last element
};

std::vector<Subpath> subpathsOf(const std::vector<PathElement>& elements) {
    std::vector<Subpath> out;
    Point current;
    bool open = false;  // a subpath is collecting segments
    auto begin = [&](Point at, std::size_t index) {
        out.push_back({});
        out.back().start = at;
        out.back().firstElement = index;
        open = true;
    };
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const PathElement& e = elements[i];
        switch (e.type) {
        case PathElementType::moveTo:
            begin(e.points[0], i);
            current = e.points[0];
            break;
        case PathElementType::lineTo:
        case PathElementType::curveTo: {
            if (!open) begin(current, i);
            Segment s;
            s.p[0] = current;
            if (e.type == PathElementType::lineTo) {
                s.p[3] = e.points[0];
            } else {
                s.cubic = true;
                s.p[1] = e.points[0];
                s.p[2] = e.points[1];
                s.p[3] = e.points[2];
            }
            out.back().segments.push_back(s);
            current = s.end();
            break;
        }
        case PathElementType::closeSubpath:
            if (!open) break;
            if (current != out.back().start) {
                Segment s;
                s.p[0] = current;
                s.p[3] = out.back().start;
                out.back().segments.push_back(s);
            }
            out.back().closed = true;
            current = out.back().start;
            open = false;
            break;
        }
        if (!out.empty()) out.back().endElement = i + 1;
    }
    return out;
}

struct Sample {
    Float t;
    Point point;
};

void flattenCubic(const std::array<Point, 4>& c, Float t0, Float t1, int depth, std::vector<Sample>& out) {
    const Point d = c[3] - c[0];
    const Float chord = std::hypot(d.x, d.y);
    Float deviation;
    if (chord > 0) {
        auto off = [&](Point p) { return std::fabs((p.x - c[0].x) * d.y - (p.y - c[0].y) * d.x) / chord; };
        deviation = std::max(off(c[1]), off(c[2]));
    } else {
        deviation = std::max(distance(c[0], c[1]), distance(c[0], c[2]));
    }
    if (depth >= kMaxDepth || !(deviation > kFlatness)) {
        out.push_back({t1, c[3]});
        return;
    }
    const Point ab = lerp(c[0], c[1], 0.5), bc = lerp(c[1], c[2], 0.5), cd = lerp(c[2], c[3], 0.5);
    const Point abc = lerp(ab, bc, 0.5), bcd = lerp(bc, cd, 0.5), mid = lerp(abc, bcd, 0.5);
    const Float tm = (t0 + t1) / 2;
    flattenCubic({c[0], ab, abc, mid}, t0, tm, depth + 1, out);
    flattenCubic({mid, bcd, cd, c[3]}, tm, t1, depth + 1, out);
}

// The polyline of a segment from its start (t = 0) to its end (t = 1).
std::vector<Sample> flatten(const Segment& s) {
    std::vector<Sample> out{{0, s.start()}};
    if (s.cubic) {
        flattenCubic(s.p, 0, 1, 0, out);
    } else {
        out.push_back({1, s.end()});
    }
    return out;
}

Float lengthOf(const std::vector<Sample>& samples) {
    Float sum = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) sum += distance(samples[i - 1].point, samples[i].point);
    return sum;
}

Float lengthOf(const Segment& s) { return s.cubic ? lengthOf(flatten(s)) : distance(s.start(), s.end()); }

// The curve parameter at arc length `at` along a flattened segment.
Float parameterAt(const std::vector<Sample>& samples, Float at) {
    if (at <= 0) return 0;
    Float walked = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        const Float piece = distance(samples[i - 1].point, samples[i].point);
        if (walked + piece >= at) {
            const Float f = piece > 0 ? (at - walked) / piece : 0;
            return samples[i - 1].t + (samples[i].t - samples[i - 1].t) * f;
        }
        walked += piece;
    }
    return 1;
}

// de Casteljau: the part of a cubic between t0 and t1.
std::array<Point, 4> subCubic(const std::array<Point, 4>& c, Float t0, Float t1) {
    auto splitLeft = [](const std::array<Point, 4>& q, Float t) {
        const Point ab = lerp(q[0], q[1], t), bc = lerp(q[1], q[2], t), cd = lerp(q[2], q[3], t);
        const Point abc = lerp(ab, bc, t), bcd = lerp(bc, cd, t);
        return std::array<Point, 4>{q[0], ab, abc, lerp(abc, bcd, t)};
    };
    auto splitRight = [](const std::array<Point, 4>& q, Float t) {
        const Point ab = lerp(q[0], q[1], t), bc = lerp(q[1], q[2], t), cd = lerp(q[2], q[3], t);
        const Point abc = lerp(ab, bc, t), bcd = lerp(bc, cd, t);
        return std::array<Point, 4>{lerp(abc, bcd, t), bcd, cd, q[3]};
    };
    std::array<Point, 4> left = t1 < 1 ? splitLeft(c, t1) : c;
    if (t0 <= 0) return left;
    return splitRight(left, t1 > 0 ? t0 / t1 : 0);
}

void includePoint(Float& minX, Float& minY, Float& maxX, Float& maxY, Point p) {
    minX = std::min(minX, p.x);
    minY = std::min(minY, p.y);
    maxX = std::max(maxX, p.x);
    maxY = std::max(maxY, p.y);
}

Rect boxOf(Float minX, Float minY, Float maxX, Float maxY) {
    if (minX > maxX) return Rect::null();
    return {minX, minY, maxX - minX, maxY - minY};
}

// Parameters in (0, 1) where one coordinate of a cubic has a turning point.
void cubicExtrema(Float p0, Float p1, Float p2, Float p3, std::vector<Float>& ts) {
    const Float a = -p0 + 3 * p1 - 3 * p2 + p3;
    const Float b = 2 * (p0 - 2 * p1 + p2);
    const Float c = p1 - p0;
    auto add = [&ts](Float t) {
        if (t > 0 && t < 1) ts.push_back(t);
    };
    if (std::fabs(a) < 1e-12) {
        if (std::fabs(b) > 1e-12) add(-c / b);
        return;
    }
    const Float disc = b * b - 4 * a * c;
    if (disc < 0) return;
    const Float root = std::sqrt(disc);
    add((-b + root) / (2 * a));
    add((-b - root) / (2 * a));
}

Point cubicAt(const std::array<Point, 4>& c, Float t) {
    const Float u = 1 - t;
    const Float w0 = u * u * u, w1 = 3 * u * u * t, w2 = 3 * u * t * t, w3 = t * t * t;
    return {w0 * c[0].x + w1 * c[1].x + w2 * c[2].x + w3 * c[3].x,
            w0 * c[0].y + w1 * c[1].y + w2 * c[2].y + w3 * c[3].y};
}

} // namespace

int PathElement::pointCount() const {
    switch (type) {
    case PathElementType::moveTo:
    case PathElementType::lineTo: return 1;
    case PathElementType::curveTo: return 3;
    case PathElementType::closeSubpath: return 0;
    }
    return 0;
}

Point PathElement::endPoint() const {
    switch (type) {
    case PathElementType::moveTo:
    case PathElementType::lineTo: return points[0];
    case PathElementType::curveTo: return points[2];
    case PathElementType::closeSubpath: break;
    }
    return {};
}

Path::Path(const std::vector<PathElement>& elements) {
    MutablePath builder;
    for (const PathElement& e : elements) {
        switch (e.type) {
        case PathElementType::moveTo: builder.moveTo(e.points[0]); break;
        case PathElementType::lineTo: builder.addLineTo(e.points[0]); break;
        case PathElementType::curveTo: builder.addCurveTo(e.points[0], e.points[1], e.points[2]); break;
        case PathElementType::closeSubpath: builder.closeSubpath(); break;
        }
    }
    *this = builder.path();
}

Path Path::rect(const Rect& rect) {
    MutablePath builder;
    builder.addRect(rect);
    return builder.path();
}

Path Path::ellipse(const Rect& rect) {
    MutablePath builder;
    builder.addEllipse(rect);
    return builder.path();
}

Path Path::roundedRect(const Rect& rect, Float radius) {
    if (!rect.isFinite() || !std::isfinite(radius)) return {};
    const Rect r = rect.standardized();
    const Float rad = std::clamp(radius, Float(0), std::min(r.width(), r.height()) / 2);
    if (rad <= 0) return Path::rect(r);
    const Float minX = r.minX(), minY = r.minY(), maxX = r.maxX(), maxY = r.maxY();
    const Float k = rad * kKappa;
    MutablePath b;
    auto lineTo = [&b](Point p) {
        if (b.currentPoint() != p) b.addLineTo(p);
    };
    b.moveTo({minX + rad, minY});
    lineTo({maxX - rad, minY});
    b.addCurveTo({maxX - rad + k, minY}, {maxX, minY + rad - k}, {maxX, minY + rad});
    lineTo({maxX, maxY - rad});
    b.addCurveTo({maxX, maxY - rad + k}, {maxX - rad + k, maxY}, {maxX - rad, maxY});
    lineTo({minX + rad, maxY});
    b.addCurveTo({minX + rad - k, maxY}, {minX, maxY - rad + k}, {minX, maxY - rad});
    lineTo({minX, minY + rad});
    b.addCurveTo({minX, minY + rad - k}, {minX + rad - k, minY}, {minX + rad, minY});
    b.closeSubpath();
    return b.path();
}

const std::vector<PathElement>& Path::elements() const& { return elements_ ? *elements_ : emptyElements(); }

std::vector<PathElement> Path::elements() && { return elements_ ? *elements_ : emptyElements(); }

Point Path::currentPoint() const {
    const auto& els = elements();
    if (els.empty()) return {};
    if (els.back().type != PathElementType::closeSubpath) return els.back().endPoint();
    // After a close the pen is back at the start of that subpath.
    Point start;
    bool open = false;
    Point current;
    for (const PathElement& e : els) {
        if (e.type == PathElementType::moveTo) {
            start = e.points[0];
            open = true;
        } else if (e.type == PathElementType::closeSubpath) {
            open = false;
            current = start;
            continue;
        } else if (!open) {
            start = current;
            open = true;
        }
        current = e.endPoint();
    }
    return start;
}

Rect Path::boundingBox() const {
    Float minX = std::numeric_limits<Float>::infinity(), minY = minX;
    Float maxX = -minX, maxY = -minX;
    for (const PathElement& e : elements()) {
        for (int i = 0; i < e.pointCount(); ++i) includePoint(minX, minY, maxX, maxY, e.points[i]);
    }
    return boxOf(minX, minY, maxX, maxY);
}

namespace {

// The direction a segment leaves its start or reaches its end; zero when it has none.
Point tangentAt(const Segment& s, bool atEnd) {
    const std::array<Point, 3> candidates =
        atEnd ? std::array<Point, 3>{s.p[3] - s.p[2], s.p[3] - s.p[1], s.p[3] - s.p[0]}
              : std::array<Point, 3>{s.p[1] - s.p[0], s.p[2] - s.p[0], s.p[3] - s.p[0]};
    for (std::size_t i = s.cubic ? 0 : 2; i < candidates.size(); ++i) {
        const Point d = candidates[i];
        const Float n = std::hypot(d.x, d.y);
        if (n > 0 && std::isfinite(n)) return {d.x / n, d.y / n};
    }
    return {};
}

} // namespace

Float Path::strokeReach(LineJoin join, Float miterLimit, LineCap cap) const {
    Float reach = cap == LineCap::square ? std::numbers::sqrt2 : 1;
    if (join != LineJoin::miter) return reach;
    const Float limit = std::isfinite(miterLimit) ? std::max<Float>(miterLimit, 1) : 1;
    for (const Subpath& sub : subpathsOf(elements())) {
        const std::size_t n = sub.segments.size();
        const std::size_t joins = sub.closed ? n : (n > 0 ? n - 1 : 0);
        for (std::size_t i = 0; i < joins; ++i) {
            const Point in = tangentAt(sub.segments[i], true), out = tangentAt(sub.segments[(i + 1) % n], false);
            // A join without a direction may be drawn any way: allow for the longest miter.
            if ((in.x == 0 && in.y == 0) || (out.x == 0 && out.y == 0)) return std::max(reach, limit);
            const Float half = std::sqrt(std::max<Float>(0, (1 + in.x * out.x + in.y * out.y) / 2));
            const Float miter = half > 0 ? 1 / half : std::numeric_limits<Float>::infinity();
            if (miter <= limit) reach = std::max(reach, miter);
        }
    }
    return reach;
}

Rect Path::pathBoundingBox() const {
    Float minX = std::numeric_limits<Float>::infinity(), minY = minX;
    Float maxX = -minX, maxY = -minX;
    for (const Subpath& sub : subpathsOf(elements())) {
        includePoint(minX, minY, maxX, maxY, sub.start);
        for (const Segment& s : sub.segments) {
            includePoint(minX, minY, maxX, maxY, s.end());
            if (!s.cubic) continue;
            std::vector<Float> ts;
            cubicExtrema(s.p[0].x, s.p[1].x, s.p[2].x, s.p[3].x, ts);
            cubicExtrema(s.p[0].y, s.p[1].y, s.p[2].y, s.p[3].y, ts);
            for (Float t : ts) includePoint(minX, minY, maxX, maxY, cubicAt(s.p, t));
        }
    }
    return boxOf(minX, minY, maxX, maxY);
}

bool Path::contains(Point point, FillRule rule) const {
    if (!point.isFinite()) return false;
    int winding = 0;
    auto edge = [&](Point a, Point b) {
        // Crossing of the ray to the right of the point, counted with direction.
        if (a.y <= point.y) {
            if (b.y > point.y && (b.x - a.x) * (point.y - a.y) - (point.x - a.x) * (b.y - a.y) > 0) ++winding;
        } else if (b.y <= point.y && (b.x - a.x) * (point.y - a.y) - (point.x - a.x) * (b.y - a.y) < 0) {
            --winding;
        }
    };
    for (const Subpath& sub : subpathsOf(elements())) {
        if (sub.segments.empty()) continue;
        for (const Segment& s : sub.segments) {
            const auto samples = flatten(s);
            for (std::size_t i = 1; i < samples.size(); ++i) edge(samples[i - 1].point, samples[i].point);
        }
        edge(sub.segments.back().end(), sub.start);
    }
    return rule == FillRule::evenOdd ? (winding % 2) != 0 : winding != 0;
}

Float Path::length() const {
    Float total = 0;
    for (const Subpath& sub : subpathsOf(elements())) {
        for (const Segment& s : sub.segments) total += lengthOf(s);
    }
    return total;
}

Path Path::trimmed(Float from, Float to) const {
    if (std::isnan(from) || std::isnan(to)) return {};
    from = std::clamp(from, Float(0), Float(1));
    to = std::clamp(to, Float(0), Float(1));
    if (from >= to) return {};
    if (from <= 0 && to >= 1) return *this;
    const auto subpaths = subpathsOf(elements());
    std::vector<std::vector<Float>> lengths;
    Float total = 0;
    for (const Subpath& sub : subpaths) {
        lengths.emplace_back();
        for (const Segment& s : sub.segments) {
            lengths.back().push_back(lengthOf(s));
            total += lengths.back().back();
        }
    }
    if (!(total > 0) || !std::isfinite(total)) return {};
    const Float a = from * total, b = to * total;
    const auto& els = elements();
    MutablePath out;
    Float subStart = 0;
    for (std::size_t i = 0; i < subpaths.size(); ++i) {
        const Subpath& sub = subpaths[i];
        Float subLength = 0;
        for (Float l : lengths[i]) subLength += l;
        const Float subEnd = subStart + subLength;
        if (subLength > 0 && a <= subStart && subEnd <= b) {
            // Wholly inside: copied unchanged, closed if it was.
            out.moveTo(sub.start);
            for (std::size_t k = sub.firstElement; k < sub.endElement; ++k) {
                const PathElement& e = els[k];
                if (e.type == PathElementType::lineTo) out.addLineTo(e.points[0]);
                else if (e.type == PathElementType::curveTo) out.addCurveTo(e.points[0], e.points[1], e.points[2]);
                else if (e.type == PathElementType::closeSubpath) out.closeSubpath();
            }
        } else if (std::max(a, subStart) < std::min(b, subEnd)) {
            bool started = false;
            Float segStart = subStart;
            for (std::size_t k = 0; k < sub.segments.size(); ++k) {
                const Segment& s = sub.segments[k];
                const Float segLength = lengths[i][k];
                const Float segEnd = segStart + segLength;
                const Float lo = std::max(a, segStart), hi = std::min(b, segEnd);
                if (segLength > 0 && lo < hi) {
                    Float t0 = 0, t1 = 1;
                    if (s.cubic) {
                        const auto samples = flatten(s);
                        if (lo > segStart) t0 = parameterAt(samples, lo - segStart);
                        if (hi < segEnd) t1 = parameterAt(samples, hi - segStart);
                        const auto piece = subCubic(s.p, t0, t1);
                        if (!started) out.moveTo(piece[0]);
                        out.addCurveTo(piece[1], piece[2], piece[3]);
                    } else {
                        if (lo > segStart) t0 = (lo - segStart) / segLength;
                        if (hi < segEnd) t1 = (hi - segStart) / segLength;
                        const Point p0 = t0 > 0 ? lerp(s.start(), s.end(), t0) : s.start();
                        const Point p1 = t1 < 1 ? lerp(s.start(), s.end(), t1) : s.end();
                        if (!started) out.moveTo(p0);
                        out.addLineTo(p1);
                    }
                    started = true;
                }
                segStart = segEnd;
            }
        }
        subStart = subEnd;
    }
    return out.path();
}

Path Path::transformed(const AffineTransform& t) const {
    std::vector<PathElement> moved = elements();
    for (PathElement& e : moved) {
        for (int i = 0; i < e.pointCount(); ++i) e.points[i] = e.points[i].applying(t);
    }
    return Path(moved);
}

bool operator==(const Path& a, const Path& b) {
    return a.elements_ == b.elements_ || a.elements() == b.elements();
}

} // namespace pellavo::cg
