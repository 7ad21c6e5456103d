#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ns/Clock.hpp"
#include "platform/ns/Console.hpp"

namespace pellavo::testing {

// Base fixture for anything that runs on the platform: a fresh manual clock as the
// shared clock, an empty run loop and a captured console. Time moves only through
// advance(), which walks the run loop event by event.
class PlatformTest : public ::testing::Test {
protected:
    void SetUp() override;
    // Settles outstanding work, then resets the run loop and restores clock and console.
    void TearDown() override;

    // Advances the manual clock through the main run loop.
    void advance(double seconds);
    // Turns at the current instant until idle; false when the turn bound was hit.
    bool runUntilIdle();
    // Waits for global work and runs the main loop until both are quiet (at most 10 s
    // of real time), without moving the clock.
    void settle();

    std::vector<std::string> printedLines() const;
    std::vector<std::string> loggedLines() const;

    ns::ManualClock& clock() { return *clock_; }
    // The current instant in nanoseconds.
    std::int64_t now() const { return clock_->now(); }

private:
    std::shared_ptr<ns::ManualClock> clock_;
    std::shared_ptr<ns::Clock> previousClock_;
    std::optional<ns::ConsoleCapture> console_;
};

} // namespace pellavo::testing
