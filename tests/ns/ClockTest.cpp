#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>

#include "platform/ns/Clock.hpp"
#include "tests/support/PlatformTest.hpp"

namespace {

using namespace pellavo;
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

TEST(Clock, SecondsToNanosecondsRoundsAndSaturates) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double seconds;
        std::int64_t expected;
    } cases[] = {
        {0.05, 50'000'000},
        {0.013, 13'000'000},
        {0.1 + 0.2, 300'000'000},
        {-0.25, -250'000'000},
        {1.5e-9, 2},  // llround: halves away from zero
        {0.0, 0},
        {std::nan(""), 0},
        {9.3e9, kMax},
        {-9.3e9, kMin},
        {inf, kMax},
        {-inf, kMin},
        {9.2e9, 9'200'000'000'000'000'000},  // near the top, still in range
    };
    for (const auto& c : cases) EXPECT_EQ(ns::secondsToNanoseconds(c.seconds), c.expected) << c.seconds;
}

TEST(Clock, SaturatingAddClampsBothWays) {
    EXPECT_EQ(ns::saturatingAdd(kMax - 1, 5), kMax);
    EXPECT_EQ(ns::saturatingAdd(kMin + 1, -5), kMin);
    EXPECT_EQ(ns::saturatingAdd(-3, 5), 2);
}

TEST(Clock, ManualClockStartsAwayFromZeroAndMovesForwardOnly) {
    ns::ManualClock clock;
    EXPECT_EQ(clock.now(), 1'000'000'000'000);
    clock.advance(-5);
    clock.set(10);
    EXPECT_EQ(clock.now(), 1'000'000'000'000);
    clock.advance(250'000'000);
    EXPECT_EQ(clock.now(), 1'000'250'000'000);
    EXPECT_DOUBLE_EQ(clock.seconds(), 1000.25);
    EXPECT_DOUBLE_EQ(clock.absoluteTime(), 1000.25);
    clock.advance(kMax);
    EXPECT_EQ(clock.now(), kMax);
}

TEST(Clock, SystemClockAbsoluteTimeFollowsTheWallClock) {
    ns::SystemClock clock;
    const double wall = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    // Seconds since 2001-01-01 00:00:00 UTC; a generous window, this is not a timing test.
    EXPECT_NEAR(clock.absoluteTime(), wall - 978307200.0, 60.0);
    const std::int64_t a = clock.now();
    EXPECT_GE(clock.now(), a);
}

class SharedClockTest : public pellavo::testing::PlatformTest {};

TEST_F(SharedClockTest, AbsoluteTimeReadsTheInstalledClock) {
    EXPECT_EQ(ns::Clock::shared().get(), &clock());
    EXPECT_DOUBLE_EQ(ns::absoluteTimeGetCurrent(), 1000.0);
    advance(2.5);
    EXPECT_DOUBLE_EQ(ns::absoluteTimeGetCurrent(), 1002.5);
    ns::Clock::setShared(nullptr);
    EXPECT_NE(dynamic_cast<ns::SystemClock*>(ns::Clock::shared().get()), nullptr);
}

} // namespace
