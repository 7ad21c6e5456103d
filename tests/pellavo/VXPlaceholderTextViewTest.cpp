#include "pellavo/VXPlaceholderTextView.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "platform/ca/Layer.hpp"
#include "platform/ns/Console.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

std::shared_ptr<ui::Label> labelOf(const ui::View& view) {
    for (const auto& sub : view.subviews())
        if (auto label = std::dynamic_pointer_cast<ui::Label>(sub)) return label;
    return nullptr;
}

// The label's height when it wraps at `width`.
double wrappedHeight(const ui::Label& label, double width) {
    auto probe = ns::make<ui::Label>();
    probe->setFont(label.font());
    probe->setNumberOfLines(0);
    probe->setText(label.text());
    return probe->sizeThatFits({width, 10'000}).height;
}

class VXPlaceholderTextViewTest : public testing::AppTest {
protected:
    std::shared_ptr<VXPlaceholderTextView> place(cg::Rect frame = {0, 0, 300, 100}) {
        auto made = ns::make<VXPlaceholderTextView>(frame);
        window()->addSubview(made);
        runUntilIdle();
        return made;
    }
    // The label's frame after a layout pass.
    cg::Rect laidOut(VXPlaceholderTextView& view) {
        view.setNeedsLayout();
        window()->layoutIfNeeded();
        return labelOf(view)->frame();
    }
};

TEST_F(VXPlaceholderTextViewTest, PlacementFollowsTheInset) {
    struct Row {
        ui::EdgeInsets inset;
        cg::Point origin;
        double width;
    };
    const Row rows[] = {
        {{8, 0, 8, 0}, {5, 8}, 290},
        {{20, 10, 20, 10}, {15, 20}, 270},
        {{8, 1.25, 8, 0}, {6.25, 8}, 288.75},
        {{1e-05, 0, 8, 0}, {5, 1e-05}, 290},
    };
    ns::ConsoleCapture console;
    auto view = place();
    for (const auto& row : rows) {
        view->setTextContainerInset(row.inset);
        const cg::Rect frame = laidOut(*view);
        EXPECT_DOUBLE_EQ(frame.minX(), row.origin.x) << row.inset.left;
        EXPECT_DOUBLE_EQ(frame.minY(), row.origin.y) << row.inset.top;
        EXPECT_DOUBLE_EQ(frame.width(), row.width) << row.inset.left;
    }
    // Too large for the format's numbers: pinned by an anchor of that constant.
    view->setTextContainerInset({8, 1e16, 8, 0});
    bool found = false;
    for (const auto& constraint : view->constraints())
        if (constraint->firstItem() == labelOf(*view) &&
            constraint->firstAttribute() == ui::LayoutConstraint::Attribute::leading) {
            EXPECT_EQ(constraint->constant(), 1e16 + 5);
            found = true;
        }
    EXPECT_TRUE(found);
    const cg::Rect huge = laidOut(*view);
    EXPECT_TRUE(std::isfinite(huge.minX()) && std::isfinite(huge.width()));
    EXPECT_TRUE(console.loggedLines().empty()) << console.loggedLines().front();

    view->setTextContainerInset({20, 10, 20, 10});
    laidOut(*view);
    view->setTextContainerInset({nan, 0, 0, 0});
    EXPECT_EQ(laidOut(*view).origin, (cg::Point{15, 20}));
    // Every rebuild replaces the label's three constraints.
    int own = 0;
    for (const auto& constraint : view->constraints()) own += constraint->firstItem() == labelOf(*view);
    EXPECT_EQ(own, 3);
}

TEST_F(VXPlaceholderTextViewTest, HiddenWhileTheViewHoldsText) {
    auto view = place();
    auto other = place({0, 200, 300, 100});
    const auto label = labelOf(*view);
    EXPECT_FALSE(label->isHidden());

    driver().tap({150, 50});
    driver().type("a");
    EXPECT_TRUE(label->isHidden());
    EXPECT_FALSE(labelOf(*other)->isHidden());
    driver().backspace();
    EXPECT_FALSE(label->isHidden());

    other->setText(ns::String("kept"));
    driver().type("b");
    EXPECT_TRUE(labelOf(*other)->isHidden());
    other->setText(std::nullopt);
    driver().type("c");
    EXPECT_FALSE(labelOf(*other)->isHidden());

    using Setter = void (*)(VXPlaceholderTextView&, const char*);
    const Setter setters[] = {
        [](VXPlaceholderTextView& v, const char* t) { v.setText(t ? std::optional(ns::String(t)) : std::nullopt); },
        [](VXPlaceholderTextView& v, const char* t) {
            v.setAttributedText(t ? std::optional(ns::AttributedString(ns::String(t))) : std::nullopt);
        },
    };
    for (const auto set : setters) {
        set(*other, "x");
        EXPECT_TRUE(labelOf(*other)->isHidden());
        set(*other, "");
        EXPECT_FALSE(labelOf(*other)->isHidden());
        set(*other, "x");
        set(*other, nullptr);
        EXPECT_FALSE(labelOf(*other)->isHidden());
    }
}

TEST_F(VXPlaceholderTextViewTest, PropertiesKeepTheirStoredValues) {
    auto view = place();
    auto other = place({0, 200, 300, 100});
    const auto label = labelOf(*view);
    EXPECT_EQ(view->placeholderColor(), other->placeholderColor());
    EXPECT_EQ(label->textColor(), view->placeholderColor());

    view->setPlaceholderFont(ui::Font::systemFont(20));
    view->setFont(ui::Font::systemFont(30));
    view->setPlaceholderFont(std::nullopt);
    EXPECT_EQ(label->font(), ui::Font::systemFont(30));
    view->setFont(ui::Font::systemFont(9));
    EXPECT_EQ(label->font(), ui::Font::systemFont(30));

    const ns::AttributedString attributed(ns::String("fancy"));
    view->setAttributedPlaceholder(attributed);
    view->setPlaceholder(ns::String("plain"));
    EXPECT_EQ(label->text(), ns::String("plain"));
    EXPECT_EQ(view->attributedPlaceholder()->string(), ns::String("fancy"));
    view->setAttributedPlaceholder(std::nullopt);
    EXPECT_TRUE(label->text().value_or(ns::String()).isEmpty());
    EXPECT_EQ(view->placeholder(), ns::String("plain"));

    view->setTextAlignment(ns::TextAlignment::center);
    EXPECT_EQ(label->textAlignment(), ns::TextAlignment::center);
}

TEST_F(VXPlaceholderTextViewTest, WrapsAtTheContainerWidth) {
    ns::ConsoleCapture console;
    auto view = place();
    view->setPlaceholder(ns::String("A long placeholder that needs more than one line to say what it has to say here"));
    const auto label = labelOf(*view);
    EXPECT_DOUBLE_EQ(laidOut(*view).height(), wrappedHeight(*label, 290));
    view->setFrame({0, 0, 200, 100});
    EXPECT_DOUBLE_EQ(laidOut(*view).height(), wrappedHeight(*label, 190));
    EXPECT_GT(wrappedHeight(*label, 190), wrappedHeight(*label, 290));

    view->setTextContainerInset({8, 150, 8, 150});
    const cg::Rect squeezed = laidOut(*view);
    EXPECT_EQ(label->preferredMaxLayoutWidth(), 0);
    EXPECT_TRUE(std::isfinite(squeezed.height()) && std::isfinite(squeezed.width()));
    for (const auto& line : console.loggedLines()) EXPECT_EQ(line.find("did not settle"), std::string::npos) << line;
}

TEST_F(VXPlaceholderTextViewTest, RuntimeInterfaceFilesAndLifetime) {
    auto& runtime = ns::Runtime::shared();
    auto named = std::dynamic_pointer_cast<VXPlaceholderTextView>(runtime.create("VXPlaceholderTextView"));
    ASSERT_NE(named, nullptr);
    EXPECT_TRUE(runtime.setValue(*named, "attributedPlaceholder",
                                 ns::Value::of(std::optional(ns::AttributedString(ns::String("set"))))));
    EXPECT_EQ(labelOf(*named)->text(), ns::String("set"));
    EXPECT_FALSE(runtime.propertyType("VXPlaceholderTextView", "placeholderFont").has_value());

    auto nib = ui::Nib::fromData(R"(<interface version="1"><object class="VXPlaceholderTextView" frame="0 0 300 90">)"
                                 R"(<property name="text" value="hello"/><property name="placeholder" value="say"/>)"
                                 R"(</object></interface>)",
                                 "PlaceholderTextView");
    const auto objects = nib->instantiate(nullptr);
    ASSERT_FALSE(objects.empty());
    auto loaded = std::dynamic_pointer_cast<VXPlaceholderTextView>(objects[0]);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->placeholder(), ns::String("say"));
    EXPECT_TRUE(labelOf(*loaded)->isHidden());

    // A destroyed view hears nothing more: typing elsewhere reaches no freed observer.
    auto doomed = place({0, 200, 300, 100});
    doomed.reset();
    auto typed = place();
    driver().tap({150, 50});
    driver().type("a");
    EXPECT_TRUE(labelOf(*typed)->isHidden());
}

TEST_F(VXPlaceholderTextViewTest, GoldenStates) {
    auto board = ns::make<ui::View>(cg::Rect{0, 0, 320, 7 * 98 + 8});
    board->setBackgroundColor(ui::Color::white());
    window()->addSubview(board);
    std::vector<std::shared_ptr<VXPlaceholderTextView>> views;
    for (int i = 0; i < 7; ++i) {
        auto made = ns::make<VXPlaceholderTextView>(cg::Rect{10, 8 + 98.0 * i, i == 5 ? 160.0 : 300.0, 90});
        made->setFont(ui::Font::systemFont(15));
        made->setPlaceholderFont(std::nullopt);
        made->setPlaceholder(ns::String("Write a comment…"));
        made->layer()->setBorderWidth(1);
        made->layer()->setBorderColor(ui::Color(0.75, 1).cgColor());
        board->addSubview(made);
        views.push_back(made);
    }
    using Key = ns::AttributedStringKey;
    ns::MutableAttributedString twoColours(ns::AttributedString(
        ns::String("Write a comment "), {{Key::foregroundColor, ns::Value::of(ui::Color::blue())}}));
    twoColours.append(
        ns::AttributedString(ns::String("(optional)"), {{Key::foregroundColor, ns::Value::of(ui::Color::red())}}));
    views[1]->setText(ns::String("Shipped on Tuesday."));
    views[2]->setTextContainerInset({20, 10, 20, 10});
    views[3]->setTextAlignment(ns::TextAlignment::center);
    views[4]->setAttributedPlaceholder(twoColours);
    views[5]->setPlaceholder(ns::String("Tell us what went well and what we could improve"));
    views[6]->becomeFirstResponder();
    driver().type("a");
    runUntilIdle();
    testing::expectMatchesGolden(testing::renderView(*board), "pellavo_placeholder_text_view");
}

} // namespace
} // namespace pellavo
