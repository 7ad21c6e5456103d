#include "platform/ui/text/Keyboard.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/ui/control/Button.hpp"
#include "platform/ui/text/TextField.hpp"
#include "tests/support/AppTest.hpp"

namespace pellavo::ui {
namespace {

// A field that shows its own input view in place of the system panel.
class PadField : public TextField {
public:
    using TextField::TextField;
    std::shared_ptr<View> inputView() const override { return pad; }
    std::shared_ptr<View> pad;
};

class KeyboardTest : public testing::AppTest {};

TEST_F(KeyboardTest, SystemPanelShowsForAFieldAndHidesOnResign) {
    auto& keyboard = app().keyboard();
    auto field = ns::make<TextField>(cg::Rect{0, 100, 300, 40});
    window()->addSubview(field);
    keyboard.insertText(ns::String("ignored"));  // no active input: nothing happens
    EXPECT_FALSE(keyboard.isVisible());

    ASSERT_TRUE(field->becomeFirstResponder());
    EXPECT_TRUE(keyboard.isVisible());
    EXPECT_EQ(keyboard.frame(), (cg::Rect{0, 667 - 216, 375, 216}));
    EXPECT_EQ(keyboard.activeInput(), field);
    // The keyboard's window is never listed nor key.
    ASSERT_NE(keyboard.window(), nullptr);
    EXPECT_EQ(std::count(app().windows().begin(), app().windows().end(), keyboard.window()), 0);
    EXPECT_FALSE(keyboard.window()->isKeyWindow());

    keyboard.insertText(ns::String("hi"));
    EXPECT_EQ(field->text(), ns::String("hi"));

    driver().rotate(InterfaceOrientation::landscapeLeft);
    EXPECT_EQ(keyboard.frame(), (cg::Rect{0, 375 - 162, 667, 162}));

    ASSERT_TRUE(field->resignFirstResponder());
    EXPECT_FALSE(keyboard.isVisible());
    EXPECT_EQ(keyboard.activeInput(), nullptr);
    keyboard.deleteBackward();
    EXPECT_EQ(field->text(), ns::String("hi"));
}

TEST_F(KeyboardTest, InputViewShowsAboveWindowsAndTakesTouches) {
    auto field = ns::make<PadField>(cg::Rect{0, 100, 300, 40});
    window()->addSubview(field);
    auto holder = ns::make<View>(cg::Rect{0, 0, 10, 10});
    window()->addSubview(holder);
    field->pad = ns::make<View>(cg::Rect{0, 0, 100, 120});
    holder->addSubview(field->pad);
    auto key = Button::make(ButtonType::custom);
    key->setFrame({10, 10, 80, 40});
    field->pad->addSubview(key);
    struct Typist : ns::Object {
        std::weak_ptr<TextField> field;
        void press() {
            if (auto f = field.lock()) f->insertText(ns::String("k"));
        }
    };
    auto typist = ns::make<Typist>();
    typist->field = field;
    key->addTarget(typist, &Typist::press, Control::Event::touchUpInside);

    driver().tap({100, 120});
    auto& keyboard = app().keyboard();
    ASSERT_TRUE(keyboard.isVisible());
    EXPECT_EQ(keyboard.shownView(), field->pad);
    // The input view moved in from its old superview and keeps its own height.
    EXPECT_NE(field->pad->superview(), holder);
    EXPECT_EQ(keyboard.frame(), (cg::Rect{0, 667 - 120, 375, 120}));

    // A key in the input view is above the window's views.
    driver().tap({50, 667 - 120 + 30});
    EXPECT_EQ(field->text(), ns::String("k"));
    // Outside the keyboard's view, touches reach the window.
    driver().tap({100, 120});
    EXPECT_TRUE(field->isEditing());
}

} // namespace
} // namespace pellavo::ui
