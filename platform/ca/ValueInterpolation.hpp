#pragma once

#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/ca/Value.hpp"

namespace pellavo::ca {

// The arithmetic animations do on values. Every function answers nullopt when the
// two values are of different kinds.

// From `from` at p = 0 to `to` at p = 1, exact at both ends. Numbers, points,
// sizes, rects and colours (straight RGBA; a missing colour counts as clear) are
// linear per component; transforms go through their 2-D decomposition; colour and
// location arrays are element-wise when their lengths match, otherwise the target
// for the whole span; paths point by point when built of the same elements,
// otherwise the target for the whole span.
PELLAVO_EXPORT std::optional<Value> interpolate(const Value& from, const Value& to, double p);

// An additive animation's value on top of the accumulated one: component-wise
// sums, transforms concatenated (the animation's first), arrays element-wise when
// their lengths match (otherwise the animation's value).
PELLAVO_EXPORT std::optional<Value> addValues(const Value& base, const Value& delta);

// What `base` becomes after `cycles` whole cycles of a cumulative animation
// running from `start` to `end`: base + cycles × (end − start).
PELLAVO_EXPORT std::optional<Value> accumulate(const Value& base, const Value& start, const Value& end, double cycles);

// The distance paced keyframes space their segments by: |Δ| for numbers, Euclidean
// for points, sizes, rects (4-D) and colours (RGBA). nullopt for kinds without one.
PELLAVO_EXPORT std::optional<double> pacedDistance(const Value& a, const Value& b);

// The value that adding changes nothing: zero, no colour, the identity transform.
PELLAVO_EXPORT Value additiveIdentity(ValueKind kind);

} // namespace pellavo::ca
