#pragma once

#include <cstdint>

#include "platform/ns/Export.hpp"
#include "platform/ca/MediaTimingFunction.hpp"
#include "platform/cg/Geometry.hpp"

namespace pellavo::ui {

// The arithmetic of a scroll view's movement, on its own: what a drag past a limit
// shows (the rubber band), how far and how a flick travels (deceleration), which page
// a swipe settles on (paging), and where a running motion is at a given time. A value:
// it holds no view and reads no clock; the scroll view gives it the limits, the page
// size and the seconds since the motion started. Velocities are points per millisecond.
class PELLAVO_EXPORT ScrollMotion {
public:
    enum class Kind : std::uint8_t { none, scroll, decelerate, snap, zoom, zoomBounce };

    // Every timed motion lasts this long; a deceleration ends on its own.
    static constexpr double duration = 0.3;
    // The rubber band's stiffness: an excess e past a limit shows as (1 − 1/(e·k/d + 1))·d.
    static constexpr double rubberBandFactor = 0.55;
    // The speed at which a lift turns the page whatever the position.
    static constexpr double flickVelocity = 0.3;

    // ---- the rubber band, on one axis of length `dimension` with limits [min, max]
    // Inside the limits the offset is the raw one; past a limit it gives way less and
    // less and never by `dimension`. Without bouncing (or with no dimension) the raw
    // offset is clamped.
    static double rubberBand(double raw, double min, double max, double dimension, bool bounces);
    // The inverse, so that a drag caught past a limit does not jump.
    static double unRubberBand(double shown, double min, double max, double dimension, bool bounces);

    // ---- deceleration: `rate` is the share of velocity kept per millisecond
    // The distance a flick travels in all is velocity × reach: r / (1 − r).
    static double reach(double rate);
    // The distance, per unit of velocity, travelled t seconds after the lift:
    // (1 − r^(1000t)) · r / (1 − r).
    static double travelled(double rate, double t);

    // ---- paging, on one axis
    // The offset of the page a lift at `offset` with `velocity` settles on: the nearest
    // page, or the next one in the direction of a flick; at most one page from
    // `startPage` (where the drag began) and only pages within [lo, hi]. 0 when the page
    // size is not positive.
    static double pageOffset(double offset, double velocity, double pageSize, double startPage, double lo, double hi);
    // The page an offset shows, for `startPage` above.
    static double page(double offset, double pageSize);

    // ---- a running motion
    ScrollMotion() = default;
    // To an offset set by the program: ease-in-out.
    static ScrollMotion scroll(cg::Point from, cg::Point to);
    // A flick's free run from `from` towards `to` = from + velocity × reach(rate).
    static ScrollMotion deceleration(cg::Point from, cg::Point to, cg::Point velocity);
    // Back within the limits, to a page or a target the delegate chose: ease-out.
    static ScrollMotion snap(cg::Point from, cg::Point to);
    // A zoom set by the program (ease-in-out), or a pinch easing back within the
    // scale limits (ease-out).
    static ScrollMotion zoom(cg::Point from, cg::Point to, double fromScale, double toScale);
    static ScrollMotion zoomBounce(cg::Point from, cg::Point to, double fromScale, double toScale);

    Kind kind() const { return kind_; }
    bool isRunning() const { return kind_ != Kind::none; }
    bool isZoom() const { return kind_ == Kind::zoom || kind_ == Kind::zoomBounce; }
    // Decelerating, in the scroll view's sense: a free run or a snap.
    bool isDecelerating() const { return kind_ == Kind::decelerate || kind_ == Kind::snap; }
    cg::Point to() const { return to_; }

    // Where the motion is `t` seconds after it started. A timed motion lands exactly on
    // its targets at its duration (from + (to − from) × 1 need not); a deceleration, at
    // the rate in force now, is done, on its target, once within half a point of it on
    // both axes. The scale is meaningful for zooms only.
    struct Frame {
        cg::Point offset;
        double scale = 1;
        bool done = false;
    };
    Frame at(double t, double rate) const;

private:
    ScrollMotion(Kind kind, const ca::MediaTimingFunction& curve, cg::Point from, cg::Point to);

    Kind kind_ = Kind::none;
    ca::MediaTimingFunction curve_ = ca::MediaTimingFunction::easeInEaseOut();
    cg::Point from_;
    cg::Point to_;
    cg::Point velocity_;
    double fromScale_ = 1;
    double toScale_ = 1;
};

} // namespace pellavo::ui
