#include "platform/ui/scroll/ScrollMotion.hpp"

#include <algorithm>
#include <cmath>

namespace pellavo::ui {

namespace {

cg::Point lerp(cg::Point a, cg::Point b, double e) { return {a.x + (b.x - a.x) * e, a.y + (b.y - a.y) * e}; }

} // namespace

// ---------------------------------------------------------------- rubber band

double ScrollMotion::rubberBand(double raw, double min, double max, double dimension, bool bounces) {
    if (!bounces || dimension <= 0) return std::clamp(raw, min, std::max(min, max));
    const auto shown = [&](double e) { return (1 - 1 / (e * rubberBandFactor / dimension + 1)) * dimension; };
    if (raw < min) return min - shown(min - raw);
    if (raw > max) return max + shown(raw - max);
    return raw;
}

double ScrollMotion::unRubberBand(double shown, double min, double max, double dimension, bool bounces) {
    if (!bounces || dimension <= 0) return shown;
    const auto raw = [&](double s) {
        const double y = std::min(s / dimension, 0.999);
        return (1 / (1 - y) - 1) * dimension / rubberBandFactor;
    };
    if (shown < min) return min - raw(min - shown);
    if (shown > max) return max + raw(shown - max);
    return shown;
}

// ---------------------------------------------------------------- deceleration

double ScrollMotion::reach(double rate) { return rate / (1 - rate); }

double ScrollMotion::travelled(double rate, double t) { return (1 - std::pow(rate, 1000 * t)) * rate / (1 - rate); }

// ---------------------------------------------------------------- paging

double ScrollMotion::pageOffset(double offset, double velocity, double pageSize, double startPage, double lo,
                                double hi) {
    if (!(pageSize > 0)) return 0.0;
    const double c = offset / pageSize;
    double page = std::round(c);
    if (velocity >= flickVelocity) page = std::floor(c) + 1;
    if (velocity <= -flickVelocity) page = std::ceil(c) - 1;
    // One page per swipe, and only pages that exist.
    page = std::clamp(page, startPage - 1, startPage + 1);
    const double firstPage = std::ceil(lo / pageSize - 1e-9);
    const double lastPage = std::max(firstPage, std::ceil(hi / pageSize - 1e-9));
    page = std::clamp(page, firstPage, lastPage);
    return page * pageSize;
}

double ScrollMotion::page(double offset, double pageSize) { return pageSize > 0 ? std::round(offset / pageSize) : 0; }

// ---------------------------------------------------------------- a running motion

ScrollMotion::ScrollMotion(Kind kind, const ca::MediaTimingFunction& curve, cg::Point from, cg::Point to)
    : kind_(kind), curve_(curve), from_(from), to_(to) {}

ScrollMotion ScrollMotion::scroll(cg::Point from, cg::Point to) {
    return {Kind::scroll, ca::MediaTimingFunction::easeInEaseOut(), from, to};
}

ScrollMotion ScrollMotion::deceleration(cg::Point from, cg::Point to, cg::Point velocity) {
    ScrollMotion motion{Kind::decelerate, ca::MediaTimingFunction::easeOut(), from, to};
    motion.velocity_ = velocity;
    return motion;
}

ScrollMotion ScrollMotion::snap(cg::Point from, cg::Point to) {
    return {Kind::snap, ca::MediaTimingFunction::easeOut(), from, to};
}

ScrollMotion ScrollMotion::zoom(cg::Point from, cg::Point to, double fromScale, double toScale) {
    ScrollMotion motion{Kind::zoom, ca::MediaTimingFunction::easeInEaseOut(), from, to};
    motion.fromScale_ = fromScale;
    motion.toScale_ = toScale;
    return motion;
}

ScrollMotion ScrollMotion::zoomBounce(cg::Point from, cg::Point to, double fromScale, double toScale) {
    ScrollMotion motion{Kind::zoomBounce, ca::MediaTimingFunction::easeOut(), from, to};
    motion.fromScale_ = fromScale;
    motion.toScale_ = toScale;
    return motion;
}

ScrollMotion::Frame ScrollMotion::at(double t, double rate) const {
    if (kind_ == Kind::decelerate) {
        const double decay = travelled(rate, t);
        const cg::Point x{from_.x + velocity_.x * decay, from_.y + velocity_.y * decay};
        if (std::fabs(x.x - to_.x) < 0.5 && std::fabs(x.y - to_.y) < 0.5) return {to_, toScale_, true};
        return {x, toScale_, false};
    }
    if (!(t < duration)) return {to_, toScale_, true};
    const double e = curve_.evaluate(t / duration);
    return {lerp(from_, to_, e), fromScale_ + (toScale_ - fromScale_) * e, false};
}

} // namespace pellavo::ui
