#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/ca/BasicAnimation.hpp"
#include "platform/ca/Transaction.hpp"
#include "platform/ca/Value.hpp"
#include "platform/ns/Object.hpp"
#include "tests/support/PlatformTest.hpp"

namespace pellavo::testing {

// A basic animation of a key path from one value to another (either may be left
// out) over `duration` seconds.
inline std::shared_ptr<ca::BasicAnimation> basicAnimation(std::string path, std::optional<ca::Value> from,
                                                          std::optional<ca::Value> to, double duration) {
    auto a = ns::make<ca::BasicAnimation>();
    a->setKeyPath(std::move(path));
    a->setFromValue(std::move(from));
    a->setToValue(std::move(to));
    a->setDuration(duration);
    return a;
}

// The platform fixture for layer and animation tests: the thread's open transaction
// is committed before the run loop and clock are reset.
class AnimationFixture : public PlatformTest {
protected:
    void TearDown() override {
        ca::Transaction::flush();
        PlatformTest::TearDown();
    }
};

} // namespace pellavo::testing
