// What editing text looks like and shows: the selection highlight of fields and
// text views, and a text view's own input view on the keyboard.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "platform/ui/graphics/Image.hpp"
#include "platform/ui/text/Keyboard.hpp"
#include "platform/ui/text/TextField.hpp"
#include "platform/ui/text/TextView.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo::ui {
namespace {

// Pixels of the picture, in a band of points, that are the highlight (the tint at
// a quarter over white), the full tint (a caret), or text drawn unveiled (near black).
struct Census {
    int highlight = 0;
    int caret = 0;
    int black = 0;
};

Census census(const cg::Image& image, cg::Rect band, const Color& tint) {
    double r = 0, g = 0, b = 0, a = 0;
    tint.getRed(&r, &g, &b, &a);
    const auto over = [](double c) { return 255 * (0.75 + 0.25 * c); };
    const auto near = [](double value, double expected) { return std::abs(value - expected) <= 4; };
    Census c;
    for (double y = band.minY(); y < band.maxY(); y += 0.5)
        for (double x = band.minX(); x < band.maxX(); x += 0.5) {
            const auto p = testing::pixelAt(image, x, y);
            if (near(p.r, over(r)) && near(p.g, over(g)) && near(p.b, over(b))) ++c.highlight;
            if (near(p.r, 255 * r) && near(p.g, 255 * g) && near(p.b, 255 * b)) ++c.caret;
            if (p.r < 40 && p.g < 40 && p.b < 40) ++c.black;
        }
    return c;
}

// Set PELLAVO_SELECTION_PNG to a directory to look at the pictures.
void keep(const cg::Image& image, const char* name) {
    const char* directory = std::getenv("PELLAVO_SELECTION_PNG");
    if (directory == nullptr) return;
    const auto png = Image(std::make_shared<const cg::Image>(image), 2).pngData();
    std::ofstream(std::string(directory) + "/" + name + ".png", std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
}

class TextSelectionTest : public testing::AppTest {};

TEST_F(TextSelectionTest, FieldHighlightsItsSelectionBehindTheTextInsteadOfTheCaret) {
    auto field = ns::make<TextField>(cg::Rect{0, 0, 200, 40}); // rendered at the origin
    field->setBackgroundColor(Color::white());
    field->setText(ns::String("Hello"));
    window()->addSubview(field);
    const auto count = [&](const cg::Image& image, cg::Rect band) { return census(image, band, field->tintColor()); };
    const double textEnd = 60; // "Hello" at 17 points is about 40 points wide
    ASSERT_TRUE(field->becomeFirstResponder());
    auto picture = testing::renderView(*field);
    EXPECT_EQ(count(picture, {0, 0, 200, 40}).highlight, 0);
    EXPECT_GT(count(picture, {0, 0, 200, 40}).caret, 0);

    field->selectAll(nullptr);
    picture = testing::renderView(*field);
    keep(picture, "field-selection");
    const Census text = count(picture, {0, 0, textEnd, 40});
    EXPECT_GT(text.highlight, 100);
    EXPECT_GT(text.black, 0);  // the text stays on top
    EXPECT_EQ(text.caret, 0);  // no caret while something is selected
    EXPECT_EQ(count(picture, {textEnd, 0, 200 - textEnd, 40}).highlight, 0);
    // Rows above and below the line stay clear.
    EXPECT_EQ(count(picture, {0, 0, 200, 5}).highlight + count(picture, {0, 35, 200, 5}).highlight, 0);

    // A part of the text: only its span.
    field->setSelectedRange({2, 2});
    picture = testing::renderView(*field);
    EXPECT_EQ(count(picture, {0, 0, 8, 40}).highlight, 0);
    EXPECT_GT(count(picture, {8, 0, 30, 40}).highlight, 0);

    // Scrolled: a long text keeps the selection's end in view and the highlight in
    // the field.
    field->setText(ns::String("a much longer line that scrolls well past the field"));
    field->setSelectedRange({40, 5});
    picture = testing::renderView(*field);
    keep(picture, "field-scrolled");
    EXPECT_GT(count(picture, {100, 0, 100, 40}).highlight, 0);
    EXPECT_EQ(count(picture, {0, 0, 60, 40}).highlight, 0);

    ASSERT_TRUE(field->resignFirstResponder());
    EXPECT_EQ(count(testing::renderView(*field), {0, 0, 200, 40}).highlight, 0);
}

TEST_F(TextSelectionTest, TextViewHighlightsEachWrappedLine) {
    auto view = ns::make<TextView>(cg::Rect{0, 0, 120, 100}); // rendered at the origin
    view->setBackgroundColor(Color::white());
    view->setFont(Font::systemFont(20));
    view->setText(ns::String("Hello wonderful"));
    window()->addSubview(view);
    const auto count = [&](const cg::Image& image, cg::Rect band) { return census(image, band, view->tintColor()); };
    const cg::Rect first = view->caretRect(0);
    const cg::Rect second = view->caretRect(view->text().length());
    ASSERT_GT(second.minY(), first.maxY() - 1); // two lines
    ASSERT_TRUE(view->becomeFirstResponder());

    view->selectAll(nullptr);
    const auto picture = testing::renderView(*view);
    keep(picture, "textview-selection");
    for (const cg::Rect& line : {first, second}) {
        const Census c = count(picture, {0, line.minY() + 1, 120, line.height() - 2});
        EXPECT_GT(c.highlight, 50);
        EXPECT_GT(c.black, 0);
        EXPECT_EQ(c.caret, 0);
    }
    // Left of the text and below the last line stay clear.
    EXPECT_EQ(count(picture, {0, 0, first.minX() - 1, 100}).highlight, 0);
    EXPECT_EQ(count(picture, {0, second.maxY() + 1, 120, 100 - second.maxY() - 1}).highlight, 0);

    ASSERT_TRUE(view->resignFirstResponder());
    const Census after = count(testing::renderView(*view), {0, 0, 120, 100});
    EXPECT_EQ(after.highlight, 0);
    EXPECT_EQ(after.caret, 0);
}

TEST_F(TextSelectionTest, KeyboardShowsTheTextViewsInputView) {
    auto view = ns::make<TextView>(cg::Rect{20, 100, 300, 100});
    window()->addSubview(view);
    std::weak_ptr<View> weakPad;
    {
        auto pad = ns::make<View>(cg::Rect{0, 0, 375, 150});
        weakPad = pad;
        view->setInputView(pad);
    }
    ASSERT_FALSE(weakPad.expired()); // held strongly
    auto& keyboard = app().keyboard();
    ASSERT_TRUE(view->becomeFirstResponder());
    EXPECT_TRUE(keyboard.isVisible());
    EXPECT_EQ(keyboard.shownView(), weakPad.lock());

    // A change shows on reload, like a field's.
    auto other = ns::make<View>(cg::Rect{0, 0, 375, 90});
    view->setInputView(other);
    EXPECT_EQ(keyboard.shownView(), weakPad.lock());
    view->reloadInputViews();
    EXPECT_EQ(keyboard.shownView(), other);
    ASSERT_TRUE(view->resignFirstResponder());
    EXPECT_FALSE(keyboard.isVisible());
}

} // namespace
} // namespace pellavo::ui
