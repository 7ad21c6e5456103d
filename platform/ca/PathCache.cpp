#include "platform/ca/PathCache.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

namespace pellavo::ca {

const cg::Path& PathCache::roundedRect(Outline outline, const cg::Rect& rect, cg::Float radius) {
    Rounded& entry = rounded_[outline == Outline::bounds ? 0 : 1];
    if (!entry.valid || entry.rect != rect || entry.radius != radius) {
        entry.path = cg::Path::roundedRect(rect, radius);
        entry.rect = rect;
        entry.radius = radius;
        entry.valid = true;
    }
    return entry.path;
}

const cg::Path& PathCache::band(const cg::Path& outer, const cg::Path& inner) {
    if (!band_.valid || !(band_.outer == outer) || !(band_.inner == inner)) {
        std::vector<cg::PathElement> elements = outer.elements();
        const auto& more = inner.elements();
        elements.insert(elements.end(), more.begin(), more.end());
        band_.path = cg::Path(elements);
        band_.outer = outer;
        band_.inner = inner;
        band_.valid = true;
    }
    return band_.path;
}

const PathCache::Ink& PathCache::ink(const cg::Path& path, cg::Float width, cg::LineJoin join,
                                     cg::Float miterLimit, cg::LineCap cap) {
    auto holds = [&](const Ink& e) {
        return e.valid && e.width == width && e.join == join && e.miterLimit == miterLimit && e.cap == cap &&
               e.path == path;
    };
    for (const Ink& e : ink_)
        if (holds(e)) return e;
    Ink& e = ink_[nextInk_];
    nextInk_ = 1 - nextInk_;
    e.box = path.boundingBox();
    e.reach = width > 0 ? width / 2 * path.strokeReach(join, miterLimit, cap) : 0;
    if (e.reach > 0) e.box = e.box.insetBy(-e.reach, -e.reach);
    e.path = path;
    e.width = width;
    e.join = join;
    e.miterLimit = miterLimit;
    e.cap = cap;
    e.valid = true;
    return e;
}

cg::Rect PathCache::inkBox(const cg::Path& path, cg::Float width, cg::LineJoin join, cg::Float miterLimit,
                           cg::LineCap cap) {
    return ink(path, width, join, miterLimit, cap).box;
}

cg::Rect PathCache::deviceInkBox(const cg::Path& path, cg::Float width, cg::LineJoin join, cg::Float miterLimit,
                                 cg::LineCap cap, const cg::AffineTransform& ctm) {
    const Ink& e = ink(path, width, join, miterLimit, cap);
    if ((ctm.b == 0 && ctm.c == 0) || e.box.isNull()) return e.box.applying(ctm);
    // The largest singular value of the linear part: how far a unit reach can stretch.
    const cg::Float t = ctm.a * ctm.a + ctm.b * ctm.b + ctm.c * ctm.c + ctm.d * ctm.d;
    const cg::Float det = ctm.a * ctm.d - ctm.b * ctm.c;
    const cg::Float stretch = std::sqrt((t + std::sqrt(std::max<cg::Float>(0, t * t - 4 * det * det))) / 2);
    const cg::Float reach = e.reach * stretch;
    const cg::Rect points = path.transformed(ctm).boundingBox();
    return points.isNull() ? points : points.insetBy(-reach, -reach);
}

const cg::Path& PathCache::trimmed(const cg::Path& path, cg::Float from, cg::Float to) {
    if (!trim_.valid || trim_.from != from || trim_.to != to || !(trim_.source == path)) {
        trim_.path = path.trimmed(from, to);
        trim_.source = path;
        trim_.from = from;
        trim_.to = to;
        trim_.valid = true;
    }
    return trim_.path;
}

} // namespace pellavo::ca
