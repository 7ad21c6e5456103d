#include "platform/ui/view/Screen.hpp"

#include <gtest/gtest.h>

#include <limits>

using namespace pellavo;

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

TEST(ScreenTest, DefaultsAndSettersRejectBadValues) {
    ui::Screen& screen = ui::Screen::main();
    EXPECT_EQ(screen.bounds(), cg::Rect(0, 0, 375, 667));
    screen.setScale(3);
    EXPECT_EQ(screen.scale(), 3);
    screen.setScale(nan);
    screen.setScale(-1);
    EXPECT_EQ(screen.scale(), 3);
    screen.setScale(2);
    screen.setBounds({0, 0, nan, 1});
    EXPECT_EQ(screen.bounds(), cg::Rect(0, 0, 375, 667));
}

} // namespace
