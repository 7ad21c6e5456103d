#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "pellavo/Button/UIColor.hpp"

namespace {

using pellavo::ui::Color;
using pellavo::uicolor::shadeDarker;

struct ShadeCase {
    const char* name;
    Color input;
    Color expected;
};

TEST(UIColorShadeDarker, ScalesByPointFourClampsAtZeroAndIsOpaque) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<ShadeCase> cases = {
        {"white", Color::white(), Color(0.4, 0.4, 0.4, 1)},
        {"half-transparent white", Color(1, 0.5), Color(0.4, 0.4, 0.4, 1)},
        {"black", Color::black(), Color(0, 0, 0, 1)},
        {"clear", Color::clear(), Color(0, 0, 0, 1)},
        {"dark grey", Color::darkGray(), Color(1.0 / 3.0 * 0.4, 1.0 / 3.0 * 0.4, 1.0 / 3.0 * 0.4, 1)},
        {"red", Color::red(), Color(0.4, 0, 0, 1)},
        {"NaN and negative", Color(nan, -0.5, 0.5, nan), Color(0, 0, 0.2, 1)},
        {"above one is not clamped", Color(1.5, 0, 0, 1), Color(1.5 * 0.4, 0, 0, 1)},
    };
    for (const ShadeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Color got = shadeDarker(c.input);
        EXPECT_EQ(got, c.expected);
        double r = 0, g = 0, b = 0, a = 0;
        got.getRed(&r, &g, &b, &a);
        EXPECT_FALSE(std::isnan(r) || std::isnan(g) || std::isnan(b));
        EXPECT_EQ(a, 1.0);
    }
}

} // namespace
