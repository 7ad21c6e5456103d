#pragma once

#include <optional>
#include <variant>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ca/Transform3D.hpp"
#include "platform/cg/Color.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/cg/Path.hpp"

namespace pellavo::ca {

// A value an animation runs over: one alternative per kind of animatable property.
using Value = std::variant<double, cg::Point, cg::Size, cg::Rect, std::optional<cg::Color>, Transform3D,
                           std::vector<cg::Color>, std::optional<std::vector<double>>, std::optional<cg::Path>>;

// The alternatives of Value, in order.
enum class ValueKind { number, point, size, rect, color, transform, colors, locations, path };

inline ValueKind kindOf(const Value& v) { return static_cast<ValueKind>(v.index()); }

// True when no component is NaN or infinite (a missing colour or array is finite).
PELLAVO_EXPORT bool isFinite(const Value& v);

} // namespace pellavo::ca
