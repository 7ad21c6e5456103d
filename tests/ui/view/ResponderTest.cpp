#include "platform/ui/view/Responder.hpp"

#include <gtest/gtest.h>

#include "platform/ns/Runtime.hpp"
#include "platform/ui/text/Keyboard.hpp"
#include "platform/ui/text/TextField.hpp"
#include "tests/support/AppTest.hpp"

namespace pellavo::ui {
namespace {

class Focusable : public View {
public:
    std::string_view className() const override { return "ResponderTestFocusable"; }
    bool canBecomeFirstResponder() const override { return true; }
    bool canResignFirstResponder() const override { return resignable; }
    bool canPerformAction(ns::Selector action, ns::Object* sender) const override {
        return allow && View::canPerformAction(action, sender);
    }
    void act(ns::Object*) { ++acted; }
    bool resignable = true;
    bool allow = true;
    int acted = 0;
};

class ResponderTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        auto& runtime = ns::Runtime::shared();
        runtime.registerClass<Focusable>("ResponderTestFocusable", "UIView");
        runtime.addAction<Focusable, ns::Object>("ResponderTestFocusable", ns::Selector("act:"), &Focusable::act);
        ns::make<TextField>();  // registers UIView
    }
};

TEST_F(ResponderTest, FirstResponderIsPerWindowAndNeedsTheCurrentToResign) {
    auto a = ns::make<Focusable>();
    auto b = ns::make<Focusable>();
    EXPECT_FALSE(a->becomeFirstResponder());  // not in a window
    EXPECT_FALSE(ns::make<View>()->becomeFirstResponder());
    window()->addSubview(a);
    window()->addSubview(b);
    ASSERT_TRUE(a->becomeFirstResponder());
    EXPECT_EQ(window()->firstResponder(), a);
    // A plain responder is no text input: the keyboard stays hidden.
    EXPECT_FALSE(app().keyboard().isVisible());

    a->resignable = false;
    EXPECT_FALSE(b->becomeFirstResponder());
    EXPECT_TRUE(a->isFirstResponder());
    a->resignable = true;
    ASSERT_TRUE(b->becomeFirstResponder());
    EXPECT_FALSE(a->isFirstResponder());

    // Another window keeps its own.
    auto other = ns::make<Window>();
    auto c = ns::make<Focusable>();
    other->addSubview(c);
    ASSERT_TRUE(c->becomeFirstResponder());
    EXPECT_EQ(other->firstResponder(), c);
    EXPECT_EQ(window()->firstResponder(), b);
}

TEST_F(ResponderTest, TargetForActionWalksTheChain) {
    auto outer = ns::make<Focusable>();
    auto inner = ns::make<View>();
    window()->addSubview(outer);
    outer->addSubview(inner);
    const ns::Selector act("act:");
    EXPECT_EQ(inner->targetForAction(act, nullptr), outer);
    outer->allow = false;
    EXPECT_EQ(inner->targetForAction(act, nullptr), nullptr);
    EXPECT_EQ(inner->targetForAction(ns::Selector("nothing:"), nullptr), nullptr);

    outer->allow = true;
    ASSERT_TRUE(outer->becomeFirstResponder());
    EXPECT_TRUE(app().keyboard().sendAction(act));
    EXPECT_EQ(outer->acted, 1);
}

} // namespace
} // namespace pellavo::ui
