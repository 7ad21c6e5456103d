#include "platform/ui/graphics/Color.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace pellavo;

namespace {

struct Named {
    const char* name;
    ui::Color color;
    cg::Color expected;
};

TEST(ColorTest, NamedColoursHaveTheirComponents) {
    const Named table[] = {
        {"clear", ui::Color::clear(), {0, 0, 0, 0}},
        {"black", ui::Color::black(), {0, 0, 0, 1}},
        {"white", ui::Color::white(), {1, 1, 1, 1}},
        {"darkGray", ui::Color::darkGray(), {1.0 / 3.0, 1.0 / 3.0, 1.0 / 3.0, 1}},
        {"lightGray", ui::Color::lightGray(), {2.0 / 3.0, 2.0 / 3.0, 2.0 / 3.0, 1}},
        {"gray", ui::Color::gray(), {0.5, 0.5, 0.5, 1}},
        {"red", ui::Color::red(), {1, 0, 0, 1}},
        {"blue", ui::Color::blue(), {0, 0, 1, 1}},
    };
    for (const auto& row : table) {
        EXPECT_EQ(row.color.cgColor(), row.expected) << row.name;
    }
    EXPECT_EQ(ui::Color(), ui::Color::clear());
}

TEST(ColorTest, WhiteInitialiserFillsAllThreeChannels) {
    EXPECT_EQ(ui::Color(0.25, 0.5).cgColor(), cg::Color(0.25, 0.25, 0.25, 0.5));
}

TEST(ColorTest, WithAlphaKeepsTheColour) {
    const ui::Color c = ui::Color(0.1, 0.2, 0.3, 1).withAlphaComponent(0.4);
    EXPECT_EQ(c.cgColor(), cg::Color(0.1, 0.2, 0.3, 0.4));
}

TEST(ColorTest, GetRedWritesThroughNonNullPointers) {
    double r = -1, g = -1, b = -1, a = -1;
    EXPECT_TRUE(ui::Color(0.1, 0.2, 0.3, 0.4).getRed(&r, &g, &b, &a));
    EXPECT_EQ(r, 0.1);
    EXPECT_EQ(g, 0.2);
    EXPECT_EQ(b, 0.3);
    EXPECT_EQ(a, 0.4);
    double only = -1;
    EXPECT_TRUE(ui::Color(0.7, 0.2, 0.3, 0.4).getRed(&only, nullptr, nullptr, nullptr));
    EXPECT_EQ(only, 0.7);
}

TEST(ColorTest, CgColorRoundTripIsExactEvenOutOfRange) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const ui::Color colours[] = {ui::Color(0.1, 0.2, 0.3, 0.4), ui::Color(1.5, -0.2, nan, 1),
                                 ui::Color(1.0 / 3.0, 0.7)};
    for (const auto& c : colours) {
        EXPECT_EQ(ui::Color(c.cgColor()), c);
    }
    EXPECT_EQ(ui::Color(1.5, -0.2, nan, 1).cgColor().red, 1.5);
    EXPECT_NE(ui::Color(0.1, 0.2, 0.3, 0.4), ui::Color(0.1, 0.2, 0.3, 0.5));
    EXPECT_NE(ui::Color(nan, 0, 0, 1), ui::Color(0, 0, 0, 1));
}

TEST(ColorTest, ClampedForDrawing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(cg::Color(1.5, -0.2, nan, 1).clamped(), cg::Color(1, 0, 0, 1));
    EXPECT_EQ(cg::Color(0.5, 0.25, 0.75, 2).clamped(), cg::Color(0.5, 0.25, 0.75, 1));
}

} // namespace

#include "platform/ui/graphics/GraphicsContext.hpp"

namespace {

TEST(ColorTest, SetFillClampsWhenDrawn) {
    pellavo::ui::graphicsBeginImageContextWithOptions({1, 1}, false, 1);
    pellavo::ui::Color(1.5, -0.2, std::numeric_limits<double>::quiet_NaN(), 1).setFill();
    pellavo::ui::Color::blue().setStroke();
    auto* context = pellavo::ui::graphicsGetCurrentContext();
    ASSERT_NE(context, nullptr);
    context->fill({0, 0, 1, 1});
    EXPECT_EQ(context->makeImage()->pixel(0, 0), (pellavo::cg::RGBA8{255, 0, 0, 255}));
    EXPECT_EQ(context->strokeColor(), pellavo::cg::Color(0, 0, 1, 1));
    pellavo::ui::graphicsEndImageContext();
    // Without a context nothing happens.
    pellavo::ui::Color::red().setFill();
    EXPECT_EQ(pellavo::ui::graphicsGetCurrentContext(), nullptr);
}

} // namespace
