#include "tests/support/PlatformTest.hpp"

#include <chrono>

#include "platform/dispatch/Queue.hpp"
#include "platform/ns/RunLoop.hpp"

namespace pellavo::testing {

void PlatformTest::SetUp() {
    console_.emplace();
    previousClock_ = ns::Clock::shared();
    clock_ = std::make_shared<ns::ManualClock>();
    ns::Clock::setShared(clock_);
    ns::RunLoop::main().resetForTesting();
}

void PlatformTest::TearDown() {
    settle();
    ns::RunLoop::main().resetForTesting();
    ns::Clock::setShared(previousClock_);
    console_.reset();
}

void PlatformTest::advance(double seconds) { ns::RunLoop::main().advance(seconds); }

bool PlatformTest::runUntilIdle() { return ns::RunLoop::main().runUntilIdle(); }

void PlatformTest::settle() { dispatch::settleMainAndGlobal(10); }

std::vector<std::string> PlatformTest::printedLines() const { return console_->printedLines(); }

std::vector<std::string> PlatformTest::loggedLines() const { return console_->loggedLines(); }

} // namespace pellavo::testing
