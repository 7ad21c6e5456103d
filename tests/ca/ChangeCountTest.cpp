#include "platform/ca/ChangeCount.hpp"

#include <gtest/gtest.h>

#include "platform/ca/Layer.hpp"
#include "platform/ca/ShapeLayer.hpp"
#include "tests/support/PlatformTest.hpp"

namespace pellavo::ca {
namespace {

using ChangeCountTest = pellavo::testing::PlatformTest;

// Whether running `change` moved the count.
template <class F>
bool counts(F&& change) {
    const auto before = ChangeCount::current();
    change();
    return ChangeCount::current() != before;
}

TEST_F(ChangeCountTest, MovesForEveryVisibleChangeAndNotForARepeatedValue) {
    auto root = ns::make<Layer>();
    auto child = ns::make<ShapeLayer>();
    EXPECT_TRUE(counts([&] { root->addSublayer(child); }));
    EXPECT_TRUE(counts([&] { child->setOpacity(0.5f); }));
    EXPECT_FALSE(counts([&] { child->setOpacity(0.5f); }));
    EXPECT_TRUE(counts([&] { child->setStrokeEnd(0.3); }));
    EXPECT_TRUE(counts([&] { child->setBackgroundColor(cg::Color(1, 0, 0, 1)); }));
    EXPECT_TRUE(counts([&] { root->addSublayer(child); })); // moving it to the top
    EXPECT_TRUE(counts([&] { child->removeFromSuperlayer(); }));
    EXPECT_FALSE(counts([&] { child->removeFromSuperlayer(); }));
    EXPECT_FALSE(counts([&] { root->setNeedsLayout(); }));
}

} // namespace
} // namespace pellavo::ca
