#include "platform/ui/text/TextField.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ns/NotificationCenter.hpp"
#include "platform/ui/text/Keyboard.hpp"
#include "platform/ui/text/Pasteboard.hpp"
#include "platform/ui/text/TextLayout.hpp"
#include "tests/support/AppTest.hpp"

namespace pellavo::ui {
namespace {

using Log = std::vector<std::string>;

// Writes every delegate call, control event and notification of a field, in order,
// with isEditing at the time of the call.
class Recorder : public ns::Object, public TextFieldDelegate {
public:
    explicit Recorder(Log& log) : log_(log) {}
    std::string_view className() const override { return "Recorder"; }

    void watch(const std::shared_ptr<TextField>& field) {
        field->setDelegate(std::static_pointer_cast<TextFieldDelegate>(sharedFromThis<Recorder>()));
        auto me = sharedFromThis<Recorder>();
        field->addTarget(me, &Recorder::began, Control::Event::editingDidBegin);
        field->addTarget(me, &Recorder::changed, Control::Event::editingChanged);
        field->addTarget(me, &Recorder::ended, Control::Event::editingDidEnd);
        auto& center = ns::NotificationCenter::defaultCenter();
        for (std::string_view name : {ns::UITextFieldTextDidBeginEditingNotification, UITextFieldTextDidChangeNotification,
                                      ns::UITextFieldTextDidEndEditingNotification})
            tokens_.push_back(center.addObserver(name, field, [this, name](const ns::Notification& n) {
                auto* f = dynamic_cast<TextField*>(n.object().get());
                ASSERT_NE(f, nullptr);
                note(std::string(name.substr(11, name.size() - 11 - 12)), *f);
            }));
    }

    bool textFieldShouldBeginEditing(TextField& f) override { return note("shouldBegin", f), allowBegin; }
    void textFieldDidBeginEditing(TextField& f) override { note("didBegin", f); }
    bool textFieldShouldEndEditing(TextField& f) override { return note("shouldEnd", f), allowEnd; }
    void textFieldDidEndEditing(TextField& f) override { note("didEnd", f); }
    bool textFieldShouldChangeCharactersIn(TextField& f, ns::Range r, const ns::String& s) override {
        note("change(" + std::to_string(r.location) + "," + std::to_string(r.length) + ",'" + s.utf8() + "')", f);
        if (onChange) return onChange(f);
        return allowChange;
    }
    bool textFieldShouldReturn(TextField& f) override { return note("shouldReturn", f), true; }

    void began(TextField& f) { note("editingDidBegin", f); }
    void changed(TextField& f) { note("editingChanged:" + f.text().utf8(), f); }
    void ended(TextField& f) { note("editingDidEnd", f); }
    void exited() { log_.push_back("editingDidEndOnExit"); }

    bool allowBegin = true;
    bool allowEnd = true;
    bool allowChange = true;
    std::function<bool(TextField&)> onChange;

private:
    void note(const std::string& what, TextField& f) { log_.push_back(what + (f.isEditing() ? "+" : "")); }
    Log& log_;
    std::vector<std::shared_ptr<ns::Object>> tokens_;
};

class TextFieldTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        field = ns::make<TextField>(cg::Rect{20, 100, 300, 40});
        window()->addSubview(field);
        recorder = ns::make<Recorder>(log);
        recorder->watch(field);
    }
    void tapField() { driver().tap({100, 120}); }

    Log log;
    std::shared_ptr<TextField> field;
    std::shared_ptr<Recorder> recorder;
};

TEST_F(TextFieldTest, ExactOrdersForBeginEditsReturnAndEnd) {
    field->setText(ns::String("ab"));
    tapField();
    EXPECT_EQ(log, (Log{"shouldBegin", "didBegin+", "editingDidBegin+", "TextDidBeginEditing+"}));
    EXPECT_TRUE(field->isFirstResponder());
    EXPECT_EQ(field->selectedRange(), (ns::Range{2, 0}));
    EXPECT_TRUE(app().keyboard().isVisible());
    log.clear();

    driver().type(ns::String("12"));
    driver().backspace();
    EXPECT_EQ(log, (Log{"change(2,0,'1')+", "editingChanged:ab1+", "TextDidChange+", "change(3,0,'2')+",
                        "editingChanged:ab12+", "TextDidChange+", "change(3,1,'')+", "editingChanged:ab1+",
                        "TextDidChange+"}));
    log.clear();

    field->setSelectedRange({0, 2});
    driver().paste(ns::String("xy"));
    EXPECT_EQ(field->text(), ns::String("xy1"));
    EXPECT_EQ(field->selectedRange(), (ns::Range{2, 0}));
    field->setSelectedRange({1, 2});
    app().keyboard().sendAction(ns::Selector("cut:"));
    EXPECT_EQ(field->text(), ns::String("x"));
    EXPECT_EQ(Pasteboard::general().string(), ns::String("y1"));
    EXPECT_EQ(log, (Log{"change(0,2,'xy')+", "editingChanged:xy1+", "TextDidChange+", "change(1,2,'')+",
                        "editingChanged:x+", "TextDidChange+"}));
    log.clear();

    // Without an editingDidEndOnExit target, Return does not end editing.
    driver().returnKey();
    EXPECT_EQ(log, (Log{"shouldReturn+"}));
    EXPECT_TRUE(field->isEditing());
    log.clear();
    field->addTarget(recorder, &Recorder::exited, Control::Event::editingDidEndOnExit);
    driver().returnKey();
    EXPECT_EQ(log, (Log{"shouldReturn+", "editingDidEndOnExit", "shouldEnd+", "didEnd", "editingDidEnd",
                        "TextDidEndEditing"}));
    EXPECT_FALSE(field->isFirstResponder());
    EXPECT_FALSE(app().keyboard().isVisible());
}

TEST_F(TextFieldTest, TapOnALongTextPutsTheCaretAtTheNearestBoundary) {
    // A pasted page: a tap must not lay the text out once per character to place the caret.
    std::string page;
    for (int i = 0; i < 1000; ++i) page += "Wide e\u0301 \U0001F44D\U0001F3FD ";
    field->setText(ns::String(page));
    tapField();
    ASSERT_TRUE(field->isEditing());
    field->setSelectedRange({0, 0}); // scrolled back to the start
    const auto text = field->attributedText();
    const auto ranges = text.string().graphemeRanges();
    const auto offset = [&](std::size_t i) {
        return TextLayout(*text.attributedSubstring({0, ranges[i].max()}), 0, 1).size().width;
    };
    for (const std::size_t i : {3, 8, 14}) {
        advance(1);
        driver().tap({20 + offset(i) + 0.3 * (offset(i + 1) - offset(i)), 120});
        EXPECT_EQ(field->selectedRange(), (ns::Range{ranges[i].max(), 0})) << i;
    }
}

TEST_F(TextFieldTest, BackspaceRemovesWholeClustersAndAsksNobodyAtZero) {
    ASSERT_TRUE(field->becomeFirstResponder());
    driver().type(ns::String("a\U0001F600e\u0301"));
    EXPECT_EQ(field->text().length(), 5);
    log.clear();
    driver().backspace();
    EXPECT_EQ(field->text(), ns::String("a\U0001F600"));
    driver().backspace();
    EXPECT_EQ(field->text(), ns::String("a"));
    EXPECT_EQ(log.at(0), "change(3,2,'')+");
    EXPECT_EQ(log.at(3), "change(1,2,'')+");
    field->setSelectedRange({0, 0});
    log.clear();
    driver().backspace();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(field->text(), ns::String("a"));
}

TEST_F(TextFieldTest, SelectionNeverSplitsASurrogatePair) {
    field->setText(ns::String("a\U0001F600b"));
    const struct {
        ns::Range in, out;
    } cases[] = {{{2, 0}, {1, 0}}, {{2, 1}, {1, 2}}, {{0, 2}, {0, 3}}, {{-5, 2}, {0, 0}}, {{3, 99}, {3, 1}},
                 {{99, 1}, {4, 0}}};
    for (const auto& c : cases) {
        field->setSelectedRange(c.in);
        EXPECT_EQ(field->selectedRange(), c.out) << c.in.location << "," << c.in.length;
    }
}

TEST_F(TextFieldTest, VetoAndStaleRangesDropTheEdit) {
    ASSERT_TRUE(field->becomeFirstResponder());
    recorder->allowChange = false;
    log.clear();
    driver().type(ns::String("x"));
    EXPECT_EQ(log, (Log{"change(0,0,'x')+"}));
    EXPECT_EQ(field->text(), ns::String(""));

    // A delegate that sets the text and answers false keeps its own text.
    recorder->onChange = [](TextField& f) {
        f.setText(ns::String("own"));
        return false;
    };
    driver().type(ns::String("y"));
    EXPECT_EQ(field->text(), ns::String("own"));

    // A delegate that shortens the text leaves a range that no longer fits.
    recorder->onChange = [](TextField& f) {
        f.setText(ns::String("o"));
        return true;
    };
    log.clear();
    driver().backspace();
    EXPECT_EQ(field->text(), ns::String("o"));
    EXPECT_EQ(log, (Log{"change(2,1,'')+"}));

    // One that puts an emoji where the range ends would split the pair.
    recorder->onChange = [](TextField& f) {
        f.setText(ns::String("\U0001F600"));
        return true;
    };
    field->setSelectedRange({0, 1});
    driver().type(ns::String("z"));
    EXPECT_EQ(field->text(), ns::String("\U0001F600"));

    // One that ends editing drops the edit: nothing changes after the end.
    recorder->onChange = [](TextField& f) {
        f.resignFirstResponder();
        return true;
    };
    log.clear();
    driver().type(ns::String("w"));
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(field->text(), ns::String("\U0001F600"));
    for (const auto& entry : log) {
        EXPECT_EQ(entry.find("editingChanged"), std::string::npos) << entry;
        EXPECT_EQ(entry.find("TextDidChange"), std::string::npos) << entry;
    }
}

TEST_F(TextFieldTest, DelegateThatFreesTheFieldDoesNotCrashIt) {
    ASSERT_TRUE(field->becomeFirstResponder());
    recorder->onChange = [this](TextField&) {
        field->removeFromSuperview();
        field.reset();
        return true;
    };
    driver().type(ns::String("q"));
    EXPECT_EQ(field, nullptr);
    EXPECT_FALSE(app().keyboard().activeInput() && app().keyboard().activeInput()->isFirstResponder());
}

class CountingField : public TextField {
public:
    using TextField::TextField;
    void setText(std::optional<ns::String> text) override {
        ++sets;
        TextField::setText(std::move(text));
    }
    int sets = 0;
};

TEST_F(TextFieldTest, ProgrammaticSetsAreSilentAndTypingNeverCallsThem) {
    auto counting = ns::make<CountingField>(cg::Rect{20, 200, 300, 40});
    window()->addSubview(counting);
    recorder->watch(counting);
    ASSERT_TRUE(counting->becomeFirstResponder());
    log.clear();
    counting->setText(ns::String("hello"));
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(counting->selectedRange(), (ns::Range{5, 0}));
    driver().type(ns::String("abc"));
    driver().backspace();
    EXPECT_EQ(counting->text(), ns::String("helloab"));
    EXPECT_EQ(counting->sets, 1);
}

TEST_F(TextFieldTest, BeginNeedsAWindowAndASwitchEndsTheFirstField) {
    auto loose = ns::make<TextField>();
    EXPECT_FALSE(loose->becomeFirstResponder());

    auto second = ns::make<TextField>(cg::Rect{20, 300, 300, 40});
    window()->addSubview(second);
    Log secondLog;
    auto secondRecorder = ns::make<Recorder>(secondLog);
    secondRecorder->watch(second);
    ASSERT_TRUE(field->becomeFirstResponder());
    log.clear();

    recorder->allowEnd = false;
    EXPECT_FALSE(second->becomeFirstResponder());
    EXPECT_TRUE(field->isFirstResponder());
    EXPECT_EQ(secondLog, (Log{"shouldBegin"}));
    recorder->allowEnd = true;
    secondLog.clear();
    log.clear();

    driver().tap({100, 320});
    EXPECT_TRUE(second->isFirstResponder());
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(log.back(), "TextDidEndEditing");
    EXPECT_EQ(secondLog, (Log{"shouldBegin", "didBegin+", "editingDidBegin+", "TextDidBeginEditing+"}));
    EXPECT_EQ(app().keyboard().activeInput(), second);
}

TEST_F(TextFieldTest, ResignInsideDidBeginStopsTheBeginOrder) {
    class Resigner : public TextFieldDelegate {
    public:
        void textFieldDidBeginEditing(TextField& f) override { f.resignFirstResponder(); }
    };
    auto resigner = std::make_shared<Resigner>();
    field->setDelegate(resigner);
    log.clear();
    EXPECT_TRUE(field->becomeFirstResponder());
    EXPECT_FALSE(field->isEditing());
    // Only the end order ran: no editingDidBegin, no begin notification.
    EXPECT_EQ(log, (Log{"editingDidEnd", "TextDidEndEditing"}));
    EXPECT_FALSE(app().keyboard().isVisible());
}

TEST_F(TextFieldTest, BaseCanPerformActionTable) {
    auto can = [&](const char* name) { return field->canPerformAction(ns::Selector(name), nullptr); };
    Pasteboard::general().setString(ns::String("p"));
    EXPECT_FALSE(can("paste:"));  // not editing
    EXPECT_FALSE(can("select:"));
    EXPECT_FALSE(can("selectAll:"));
    ASSERT_TRUE(field->becomeFirstResponder());
    EXPECT_TRUE(can("paste:"));
    field->setText(ns::String("one two"));
    field->setSelectedRange({5, 0});
    EXPECT_TRUE(can("select:"));
    EXPECT_TRUE(can("selectAll:"));
    EXPECT_FALSE(can("copy:"));
    EXPECT_FALSE(can("cut:"));
    EXPECT_FALSE(can("delete:"));
    app().keyboard().sendAction(ns::Selector("select:"));
    EXPECT_EQ(field->selectedRange(), (ns::Range{4, 3}));
    EXPECT_TRUE(can("copy:") && can("cut:") && can("delete:"));
    EXPECT_FALSE(can("select:"));
    app().keyboard().sendAction(ns::Selector("selectAll:"));
    EXPECT_FALSE(can("selectAll:"));
    for (const char* name : {"toggleBoldface:", "toggleItalics:", "toggleUnderline:", "increaseSize:",
                             "decreaseSize:", "makeTextWritingDirectionLeftToRight:",
                             "makeTextWritingDirectionRightToLeft:", "noSuchThing:"})
        EXPECT_FALSE(can(name)) << name;
    log.clear();
    app().keyboard().sendAction(ns::Selector("delete:"));
    EXPECT_EQ(field->text(), ns::String(""));
    EXPECT_EQ(log.front(), "change(0,7,'')+");
}

} // namespace
} // namespace pellavo::ui
