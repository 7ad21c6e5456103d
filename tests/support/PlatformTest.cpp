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

void PlatformTest::settle() {
    using Steady = std::chrono::steady_clock;
    const auto deadline = Steady::now() + std::chrono::seconds(10);
    auto& loop = ns::RunLoop::main();
    for (;;) {
        const double left = std::chrono::duration<double>(deadline - Steady::now()).count();
        const bool globalIdle = dispatch::waitForGlobalIdle(left);
        const bool mainIdle = loop.runUntilIdle();
        // Quiet only when neither side produced work for the other meanwhile.
        if (globalIdle && mainIdle && dispatch::waitForGlobalIdle(0) && loop.isIdle()) return;
        if (Steady::now() >= deadline) return;
    }
}

std::vector<std::string> PlatformTest::printedLines() const { return console_->printedLines(); }

std::vector<std::string> PlatformTest::loggedLines() const { return console_->loggedLines(); }

} // namespace pellavo::testing
