#include "platform/ca/PathCache.hpp"

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

cg::Rect PathCache::inkBox(const cg::Path& path, cg::Float width, cg::LineJoin join, cg::Float miterLimit,
                           cg::LineCap cap) {
    auto holds = [&](const Ink& e) {
        return e.valid && e.width == width && e.join == join && e.miterLimit == miterLimit && e.cap == cap &&
               e.path == path;
    };
    for (const Ink& e : ink_)
        if (holds(e)) return e.box;
    Ink& e = ink_[nextInk_];
    nextInk_ = 1 - nextInk_;
    {
        e.box = path.boundingBox();
        if (width > 0) {
            const cg::Float reach = width / 2 * path.strokeReach(join, miterLimit, cap);
            e.box = e.box.insetBy(-reach, -reach);
        }
        e.path = path;
        e.width = width;
        e.join = join;
        e.miterLimit = miterLimit;
        e.cap = cap;
        e.valid = true;
    }
    return e.box;
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
