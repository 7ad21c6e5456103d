#include "platform/ui/control/BarButtonItem.hpp"

#include <gtest/gtest.h>

#include "platform/ui/control/Button.hpp"
#include "tests/support/AppTest.hpp"

namespace pellavo::ui {
namespace {

class BarButtonItemTest : public testing::AppTest {};

TEST_F(BarButtonItemTest, HoldsItsCustomViewStrongly) {
    auto button = ns::make<Button>(cg::Rect{0, 0, 44, 44});
    std::weak_ptr<Button> weak = button;
    auto item = ns::make<BarButtonItem>(button);
    button.reset();
    ASSERT_FALSE(weak.expired());
    EXPECT_EQ(item->customView(), weak.lock());
    item->setCustomView(nullptr);
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(item->className(), "UIBarButtonItem");
}

} // namespace
} // namespace pellavo::ui
