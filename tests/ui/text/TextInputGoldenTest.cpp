// One picture of the text inputs: fields with a placeholder, with text, editing
// with the caret, padded by a left view and right-aligned, and a wrapped text view.
#include <gtest/gtest.h>

#include "platform/ca/Layer.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/text/TextField.hpp"
#include "platform/ui/text/TextView.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo::ui {
namespace {

void caption(View& parent, cg::Rect frame, const char* text) {
    auto label = ns::make<Label>(frame);
    label->setText(ns::String(text));
    label->setFont(Font::systemFont(11));
    label->setTextColor(Color(0.3, 1));
    parent.addSubview(label);
}

void outline(View& view) {
    view.setBackgroundColor(Color::white());
    view.layer()->setBorderWidth(1);
    view.layer()->setBorderColor(cg::Color(0.7, 0.7, 0.75, 1));
}

class TextInputGoldenTest : public testing::AppTest {};

TEST_F(TextInputGoldenTest, TextInputMatrix) {
    auto root = ns::make<View>(cg::Rect{0, 0, 375, 420});
    root->setBackgroundColor(Color(0.94, 1));
    window()->addSubview(root);

    auto field = [&](double y, const char* title) {
        caption(*root, {8, y, 360, 14}, title);
        auto f = ns::make<TextField>(cg::Rect{8, y + 16, 359, 36});
        outline(*f);
        root->addSubview(f);
        return f;
    };

    auto placeholder = field(4, "Placeholder");
    placeholder->setPlaceholder(ns::String("Email address"));

    auto text = field(60, "Text");
    text->setText(ns::String("Hello, world"));

    auto editing = field(116, "Editing, caret at the end");
    editing->setText(ns::String("Typing"));

    auto padded = field(172, "Left view as padding");
    auto pad = ns::make<View>(cg::Rect{0, 0, 16, 36});
    padded->setLeftView(pad);
    padded->setLeftViewMode(TextField::ViewMode::always);
    padded->setText(ns::String("Padded text"));

    auto right = field(228, "Right alignment");
    right->setTextAlignment(ns::TextAlignment::right);
    right->setText(ns::String("42.00"));

    caption(*root, {8, 284, 360, 14}, "Text view, wrapped");
    auto view = ns::make<TextView>(cg::Rect{8, 300, 359, 112});
    outline(*view);
    view->setFont(Font::systemFont(14));
    view->setText(ns::String("A text view wraps its words at the container width less the padding on both "
                             "sides, and its content grows with the text.\nA line break starts a new line."));
    root->addSubview(view);

    ASSERT_TRUE(editing->becomeFirstResponder());
    const auto image = testing::renderView(*root);
    testing::expectMatchesGolden(image, "ui_text_input");
}

} // namespace
} // namespace pellavo::ui
