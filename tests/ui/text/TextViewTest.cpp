#include "platform/ui/text/TextView.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/ns/NotificationCenter.hpp"
#include "platform/ui/text/Keyboard.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/layout/LayoutConstraint.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "platform/ui/text/TextField.hpp"
#include "platform/ui/text/TextLayout.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo::ui {
namespace {

using Log = std::vector<std::string>;

// Writes every delegate call and notification of a text view, in order, with
// isEditing at the time of the call ("+" while editing).
class Recorder : public ns::Object, public TextViewDelegate {
public:
    explicit Recorder(Log& log) : log_(log) {}
    std::string_view className() const override { return "Recorder"; }

    void watch(const std::shared_ptr<TextView>& view) {
        view->setDelegate(std::static_pointer_cast<TextViewDelegate>(sharedFromThis<Recorder>()));
        auto& center = ns::NotificationCenter::defaultCenter();
        // Observed from any object, so that the object posted can be checked.
        for (std::string_view name : {UITextViewTextDidBeginEditingNotification, UITextViewTextDidChangeNotification,
                                      UITextViewTextDidEndEditingNotification})
            tokens_.push_back(center.addObserver(name, nullptr, [this, name, view](const ns::Notification& n) {
                ASSERT_EQ(n.object(), view);
                note(std::string(name.substr(10, name.size() - 10 - 12)), *view);
            }));
    }

    bool textViewShouldBeginEditing(TextView& v) override { return note("shouldBegin", v), true; }
    void textViewDidBeginEditing(TextView& v) override { note("didBegin", v); }
    bool textViewShouldEndEditing(TextView& v) override { return note("shouldEnd", v), allowEnd; }
    void textViewDidEndEditing(TextView& v) override { note("didEnd", v); }
    bool textViewShouldChangeTextIn(TextView& v, ns::Range r, const ns::String& s) override {
        std::string text = s.utf8();
        if (text == "\n") text = "\\n";
        note("change(" + std::to_string(r.location) + "," + std::to_string(r.length) + ",'" + text + "')", v);
        return allowChange;
    }
    void textViewDidChange(TextView& v) override { note("didChange:" + v.text().utf8(), v); }

    bool allowEnd = true;
    bool allowChange = true;

private:
    void note(const std::string& what, TextView& v) { log_.push_back(what + (v.isEditing() ? "+" : "")); }
    Log& log_;
    std::vector<std::shared_ptr<ns::Object>> tokens_;
};

class TextViewTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        view = ns::make<TextView>(cg::Rect{20, 100, 300, 100});
        window()->addSubview(view);
        recorder = ns::make<Recorder>(log);
        recorder->watch(view);
    }

    Log log;
    std::shared_ptr<TextView> view;
    std::shared_ptr<Recorder> recorder;
};

TEST_F(TextViewTest, EditingOrdersNotificationsAndProgrammaticSets) {
    view->setText(ns::String("ab"));
    view->setAttributedText(ns::AttributedString(ns::String("ab")));
    EXPECT_TRUE(log.empty());  // a programmatic set posts nothing

    driver().tap({100, 150});
    EXPECT_EQ(log, (Log{"shouldBegin", "didBegin+", "TextDidBeginEditing+"}));
    EXPECT_TRUE(view->isFirstResponder());
    EXPECT_TRUE(app().keyboard().isVisible());
    EXPECT_EQ(view->selectedRange(), (ns::Range{2, 0}));
    log.clear();

    driver().type(ns::String("c"));
    driver().returnKey();
    driver().backspace();
    EXPECT_EQ(log, (Log{"change(2,0,'c')+", "didChange:abc+", "TextDidChange+", "change(3,0,'\\n')+",
                        "didChange:abc\n+", "TextDidChange+", "change(3,1,'')+", "didChange:abc+",
                        "TextDidChange+"}));
    log.clear();

    // A veto stops the edit: nothing changes and nobody else hears of it.
    recorder->allowChange = false;
    driver().type(ns::String("x"));
    EXPECT_EQ(log, (Log{"change(3,0,'x')+"}));
    EXPECT_EQ(view->text(), ns::String("abc"));
    recorder->allowChange = true;
    log.clear();

    // While editing, setting the text calls nobody and puts the caret at the end.
    view->setText(ns::String("hello"));
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(view->selectedRange(), (ns::Range{5, 0}));

    // A tap while editing moves the caret to the nearest boundary.
    const cg::Rect caret = view->caretRect(2);
    driver().tap(view->convertTo(cg::Point{caret.minX() + 1, caret.midY()}, nullptr));
    EXPECT_EQ(view->selectedRange(), (ns::Range{2, 0}));
    EXPECT_TRUE(log.empty());

    recorder->allowEnd = false;
    EXPECT_FALSE(view->resignFirstResponder());
    recorder->allowEnd = true;
    log.clear();
    EXPECT_TRUE(view->resignFirstResponder());
    EXPECT_EQ(log, (Log{"shouldEnd+", "didEnd", "TextDidEndEditing"}));
    EXPECT_FALSE(app().keyboard().isVisible());
    // Keys after the end do nothing.
    app().keyboard().insertText(ns::String("z"));
    view->insertText(ns::String("z"));
    EXPECT_EQ(view->text(), ns::String("hello"));
}

TEST_F(TextViewTest, WrapContentSizeAndInsets) {
    const ns::String text("The quick brown fox jumps over the lazy dog and keeps on running far away");
    struct Case {
        EdgeInsets inset;
        double padding;
        double width;
    };
    const Case cases[] = {
        {{8, 0, 8, 0}, 5, 300},
        {{20, 10, 20, 10}, 5, 300},
        {{4, 30, 12, 6}, 0, 160},
        // A container narrower than a point lays out at one point.
        {{8, 100, 8, 100}, 5, 150},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        view->setFrame({0, 0, c.width, 100});
        view->setTextContainerInset(c.inset);
        view->textContainer().setLineFragmentPadding(c.padding);
        view->setText(text);
        view->layoutIfNeeded();
        const double containerWidth = std::max(0.0, c.width - c.inset.left - c.inset.right);
        EXPECT_EQ(view->textContainer().size().width, containerWidth);
        const double wrap = std::max(1.0, containerWidth - 2 * c.padding);
        const TextLayout expected(view->attributedText(), wrap);
        EXPECT_GT(expected.lineCount(), 1);
        EXPECT_NEAR(view->contentSize().width, c.width, 1e-9);
        EXPECT_NEAR(view->contentSize().height, c.inset.top + expected.size().height + c.inset.bottom, 1e-6);
        // The first character starts at (left + padding, top).
        const cg::Rect first = view->caretRect(0);
        EXPECT_NEAR(first.minX(), c.inset.left + c.padding, 1e-6);
        EXPECT_NEAR(first.minY(), c.inset.top, 1e-6);
        // The last line ends inside the wrap width.
        EXPECT_LE(view->caretRect(text.length()).minX(), c.inset.left + c.padding + wrap);
    }
    EXPECT_EQ(view->textContainerInset(), (EdgeInsets{8, 100, 8, 100}));
    view->setTextContainerInset({NAN, 0, 0, 0});
    view->textContainer().setLineFragmentPadding(-1);
    EXPECT_EQ(view->textContainerInset(), (EdgeInsets{8, 100, 8, 100}));
    EXPECT_EQ(view->textContainer().lineFragmentPadding(), 5);
}

TEST_F(TextViewTest, TextIsDrawnFromTheInsetAndScrollsToTheCaret) {
    view->setFrame({0, 0, 200, 60});  // rendered at the origin
    view->setBackgroundColor(Color::white());
    view->setFont(Font::systemFont(20));
    view->setText(ns::String("WWWW"));
    view->setTextContainerInset({10, 30, 10, 0});
    const auto image = testing::renderView(*view);
    auto darkColumns = [&](double from, double to) {
        int count = 0;
        for (double x = from; x < to; x += 0.5)
            for (double y = 0; y < 60; y += 0.5)
                if (testing::pixelAt(image, x, y).r < 128) {
                    ++count;
                    break;
                }
        return count;
    };
    EXPECT_EQ(darkColumns(0, 35), 0);
    EXPECT_GT(darkColumns(35, 60), 0);

    // Typing lines past the bottom scrolls the caret's line into view.
    ASSERT_TRUE(view->becomeFirstResponder());
    for (int i = 0; i < 6; ++i) driver().returnKey();
    driver().type(ns::String("end"));
    const cg::Rect caret = view->caretRect(view->selectedRange().location);
    EXPECT_GT(view->contentSize().height, 60);
    EXPECT_GT(view->contentOffset().y, 0);
    EXPECT_LE(caret.maxY(), view->contentOffset().y + 60 + 1e-6);
    EXPECT_GE(caret.minY(), view->contentOffset().y - 1e-6);
}

// Leaving the window while editing ends editing there, even when the delegate
// would refuse: nothing would ever ask it again.
TEST_F(TextViewTest, RemovalWhileEditingResigns) {
    auto field = ns::make<TextField>(cg::Rect{20, 300, 200, 40});
    window()->addSubview(field);
    auto container = ns::make<View>(cg::Rect{0, 400, 375, 200});
    window()->addSubview(container);
    auto other = ns::make<Window>(cg::Rect{0, 0, 375, 667});

    struct Step {
        std::shared_ptr<Responder> responder;
        std::function<void()> leave;
        Log expected;
    };
    int fieldEnds = 0;
    auto token = ns::NotificationCenter::defaultCenter().addObserver(
        ns::UITextFieldTextDidEndEditingNotification, field, [&](const ns::Notification&) { ++fieldEnds; });
    recorder->allowEnd = false;
    const Step steps[] = {
        {view, [&] { view->removeFromSuperview(); }, {"didEnd", "TextDidEndEditing"}},
        {field, [&] { field->removeFromSuperview(); }, {}},
        // Inside a subtree that moves to another window.
        {field, [&] { other->addSubview(container); }, {}},
    };
    for (const auto& step : steps) {
        if (step.responder == field && !field->superview()) container->addSubview(field);
        ASSERT_TRUE(step.responder->becomeFirstResponder());
        ASSERT_TRUE(app().keyboard().isVisible());
        log.clear();
        step.leave();
        EXPECT_EQ(log, step.expected);
        EXPECT_FALSE(view->isEditing());
        EXPECT_FALSE(field->isEditing());
        EXPECT_FALSE(step.responder->isFirstResponder());
        EXPECT_EQ(window()->firstResponder(), nullptr);
        EXPECT_FALSE(app().keyboard().isVisible());
    }
    EXPECT_EQ(fieldEnds, 2);
}

// A subclass that lays a label over its text area with constraints built from the
// inset and the padding, rebuilt in its overridden inset setter.
class PlaceholderTextView : public TextView {
public:
    using TextView::TextView;
    std::shared_ptr<Label> label = ns::make<Label>();
    std::vector<std::shared_ptr<LayoutConstraint>> installed;

    void setTextContainerInset(const EdgeInsets& inset) override {
        TextView::setTextContainerInset(inset);
        rebuild();
    }
    void rebuild() {
        if (!label->superview()) {
            label->setTranslatesAutoresizingMaskIntoConstraints(false);
            label->setNumberOfLines(0);
            addSubview(label);
        }
        const EdgeInsets inset = textContainerInset();
        const double p = textContainer().lineFragmentPadding();
        const LayoutConstraint::Views views{{"placeholder", label}};
        auto list = LayoutConstraint::constraintsWithVisualFormat(
            "H:|-(" + ns::String::describing(inset.left + p).utf8() + ")-[placeholder]", 0, {}, views);
        for (const auto& c : LayoutConstraint::constraintsWithVisualFormat(
                 "V:|-(" + ns::String::describing(inset.top).utf8() + ")-[placeholder]", 0, {}, views))
            list.push_back(c);
        list.push_back(label->widthAnchor().constraintEqualTo(widthAnchor(), 1, -(inset.left + inset.right + 2 * p)));
        removeConstraints(installed);
        addConstraints(list);
        installed = list;
    }
};

TEST_F(TextViewTest, ConstraintPlacedLabelFollowsTheTextArea) {
    auto area = ns::make<PlaceholderTextView>(cg::Rect{10, 100, 300, 100});
    window()->addSubview(area);
    area->rebuild();
    area->label->setText(ns::String("Write here"));
    struct Case {
        EdgeInsets inset;
        cg::Point origin;
        double width;
    };
    for (const Case& c : {Case{{8, 0, 8, 0}, {5, 8}, 290}, Case{{20, 10, 20, 10}, {15, 20}, 270}}) {
        area->setTextContainerInset(c.inset);
        runUntilIdle();
        EXPECT_EQ(area->label->frame().origin, c.origin);
        EXPECT_EQ(area->label->frame().size.width, c.width);
        // Where the first typed character would go.
        EXPECT_EQ(area->caretRect(0).origin, c.origin);
        EXPECT_EQ(area->constraints().size(), 3u);
    }
    // The label lies on the content: scrolling moves it with the text.
    area->setText(ns::String("1\n2\n3\n4\n5\n6\n7\n8\n9\n10"));
    area->setContentOffset({0, 30});
    runUntilIdle();
    EXPECT_EQ(area->label->frame().origin, (cg::Point{15, 20}));
    EXPECT_EQ(area->convertTo(area->label->frame().origin, window().get()).y, 100 + 20 - 30);
    EXPECT_TRUE(loggedLines().empty());
}

TEST_F(TextViewTest, InterfaceFileNamesTextInputs) {
    const std::string xml = R"(<interface version="1">
  <object class="UIView" id="root" frame="0 0 320 200"><subviews>
    <object class="UITextView" id="notes" frame="0 0 320 120">
      <property name="text" value="Hello"/><property name="font" value="system 15"/>
      <property name="textColor" value="red"/><property name="textAlignment" value="center"/>
      <property name="editable" value="false"/><property name="textContainerInset" value="4 6 4 6"/>
    </object>
    <object class="UITextField" id="name" frame="0 130 320 40">
      <property name="text" value="Ann"/><property name="placeholder" value="Name"/>
      <property name="font" value="system 13"/><property name="textAlignment" value="right"/>
    </object>
  </subviews></object>
</interface>)";
    auto nib = Nib::fromData(xml, "TextInputs");
    const auto objects = nib->instantiate(nullptr);
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_TRUE(nib->lastWarnings().empty());
    auto root = std::dynamic_pointer_cast<View>(objects[0]);
    ASSERT_EQ(root->subviews().size(), 2u);
    auto notes = std::dynamic_pointer_cast<TextView>(root->subviews()[0]);
    auto name = std::dynamic_pointer_cast<TextField>(root->subviews()[1]);
    ASSERT_TRUE(notes && name);
    EXPECT_EQ(notes->frame(), (cg::Rect{0, 0, 320, 120}));
    EXPECT_EQ(notes->text(), ns::String("Hello"));
    EXPECT_EQ(notes->font().pointSize(), 15);
    EXPECT_EQ(notes->textColor(), Color::red());
    EXPECT_EQ(notes->textAlignment(), ns::TextAlignment::center);
    EXPECT_FALSE(notes->isEditable());
    EXPECT_EQ(notes->textContainerInset(), (EdgeInsets{4, 6, 4, 6}));
    EXPECT_TRUE(notes->clipsToBounds());
    EXPECT_EQ(name->text(), ns::String("Ann"));
    EXPECT_EQ(name->placeholder(), ns::String("Name"));
    EXPECT_EQ(name->font().pointSize(), 13);
    EXPECT_EQ(name->textAlignment(), ns::TextAlignment::right);
    EXPECT_TRUE(loggedLines().empty());
}

} // namespace
} // namespace pellavo::ui
