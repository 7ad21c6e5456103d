#include "platform/cg/MutablePath.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pellavo::cg {

namespace {
constexpr Float kKappa = 0.5522847498307936;
bool finite(Point p) { return p.isFinite(); }
} // namespace

MutablePath::MutablePath(const Path& path) : elements_(path.elements()) {}

void MutablePath::append(const PathElement& e) { elements_.push_back(e); }

Point MutablePath::currentPoint() const {
    // The immutable path knows the rules; building one here is cheap enough for the
    // rare caller, and keeps a single definition.
    if (elements_.empty()) return {};
    if (elements_.back().type != PathElementType::closeSubpath) return elements_.back().endPoint();
    return path().currentPoint();
}

void MutablePath::moveTo(Point p) {
    if (!finite(p)) return;
    append(PathElement::moveTo(p));
}

void MutablePath::addLineTo(Point p) {
    if (!finite(p)) return;
    append(hasCurrentPoint() ? PathElement::lineTo(p) : PathElement::moveTo(p));
}

void MutablePath::addCurveTo(Point control1, Point control2, Point end) {
    if (!finite(control1) || !finite(control2) || !finite(end)) return;
    if (!hasCurrentPoint()) append(PathElement::moveTo(control1));
    append(PathElement::curveTo(control1, control2, end));
}

void MutablePath::addQuadCurveTo(Point control, Point end) {
    if (!finite(control) || !finite(end)) return;
    const Point start = hasCurrentPoint() ? currentPoint() : control;
    if (!hasCurrentPoint()) append(PathElement::moveTo(start));
    append(PathElement::curveTo(start + (control - start) * (2.0 / 3.0), end + (control - end) * (2.0 / 3.0), end));
}

void MutablePath::closeSubpath() {
    if (!hasCurrentPoint() || elements_.back().type == PathElementType::closeSubpath) return;
    append(PathElement::closeSubpath());
}

void MutablePath::addArc(Point center, Float radius, Float startAngle, Float endAngle, bool clockwise) {
    if (!finite(center) || std::isnan(radius) || std::isinf(radius) || !std::isfinite(startAngle) ||
        !std::isfinite(endAngle)) {
        return;
    }
    const Float r = std::max(Float(0), radius);
    constexpr Float twoPi = 2 * std::numbers::pi;
    Float sweep = clockwise ? endAngle - startAngle : startAngle - endAngle;
    if (sweep >= twoPi) {
        sweep = twoPi;
    } else if (sweep < 0) {
        sweep = std::fmod(sweep, twoPi) + twoPi;  // into (0, 2*pi]
    }
    auto at = [&](Float angle) { return Point{center.x + r * std::cos(angle), center.y + r * std::sin(angle)}; };
    const Point start = at(startAngle);
    if (!finite(start)) return;
    if (hasCurrentPoint()) {
        addLineTo(start);
    } else {
        moveTo(start);
    }
    if (r <= 0 || !(sweep > 0)) return;
    const Float direction = clockwise ? 1 : -1;
    const int count = std::max(1, static_cast<int>(std::ceil(sweep / (std::numbers::pi / 2) - 1e-9)));
    const Float step = sweep / count;
    const Float handle = 4.0 / 3.0 * std::tan(step / 4) * r;
    Float angle = startAngle;
    Point from = start;
    for (int i = 0; i < count; ++i) {
        const Float next = i + 1 == count ? startAngle + direction * sweep : angle + direction * step;
        const Point to = at(next);
        const Point c1 = {from.x - direction * handle * std::sin(angle), from.y + direction * handle * std::cos(angle)};
        const Point c2 = {to.x + direction * handle * std::sin(next), to.y - direction * handle * std::cos(next)};
        addCurveTo(c1, c2, to);
        angle = next;
        from = to;
    }
}

void MutablePath::addRect(const Rect& rect) {
    if (!rect.isFinite()) return;
    const Rect r = rect.standardized();
    moveTo({r.minX(), r.minY()});
    addLineTo({r.maxX(), r.minY()});
    addLineTo({r.maxX(), r.maxY()});
    addLineTo({r.minX(), r.maxY()});
    closeSubpath();
}

void MutablePath::addEllipse(const Rect& rect) {
    if (!rect.isFinite()) return;
    const Rect r = rect.standardized();
    const Float minX = r.minX(), midX = r.midX(), maxX = r.maxX();
    const Float minY = r.minY(), midY = r.midY(), maxY = r.maxY();
    const Float kx = r.width() / 2 * kKappa, ky = r.height() / 2 * kKappa;
    moveTo({maxX, midY});
    addCurveTo({maxX, midY + ky}, {midX + kx, maxY}, {midX, maxY});
    addCurveTo({midX - kx, maxY}, {minX, midY + ky}, {minX, midY});
    addCurveTo({minX, midY - ky}, {midX - kx, minY}, {midX, minY});
    addCurveTo({midX + kx, minY}, {maxX, midY - ky}, {maxX, midY});
    closeSubpath();
}

void MutablePath::addPath(const Path& path) {
    const auto& els = path.elements();
    elements_.insert(elements_.end(), els.begin(), els.end());
}

Path MutablePath::path() const {
    if (elements_.empty()) return {};
    return Path(std::make_shared<const std::vector<PathElement>>(elements_));
}

} // namespace pellavo::cg
