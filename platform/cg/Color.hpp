#pragma once

#include "platform/ns/Export.hpp"

namespace pellavo::cg {

// An sRGB colour as layers hold it. Components are stored as given; whoever
// draws with one clamps them to [0, 1] (NaN as 0).
struct PELLAVO_EXPORT Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 0;

    constexpr Color() = default;
    constexpr Color(double r, double g, double b, double a) : red(r), green(g), blue(b), alpha(a) {}

    // The components as drawn: each clamped to [0, 1], NaN taken as 0.
    Color clamped() const;

    friend constexpr bool operator==(const Color&, const Color&) = default;
};

} // namespace pellavo::cg
