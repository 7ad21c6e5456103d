#include "platform/ca/PathCache.hpp"

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
