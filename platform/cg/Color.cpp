#include "platform/cg/Color.hpp"

#include <algorithm>
#include <cmath>

namespace pellavo::cg {

namespace {
double unit(double v) { return std::isnan(v) ? 0.0 : std::clamp(v, 0.0, 1.0); }
} // namespace

Color Color::clamped() const { return {unit(red), unit(green), unit(blue), unit(alpha)}; }

} // namespace pellavo::cg
