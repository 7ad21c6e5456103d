#include "platform/ui/text/InputViewController.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/backend/Headless.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/control/Button.hpp"
#include "platform/ui/text/InputView.hpp"
#include "platform/ui/text/Keyboard.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "platform/ui/text/Pasteboard.hpp"
#include "platform/ui/text/TextField.hpp"
#include "platform/ui/text/TextView.hpp"
#include "tests/support/AppTest.hpp"

namespace pellavo::ui {
namespace {

using Strings = std::vector<std::string>;

// Keys by tag: a digit inserts itself, -1 deletes backward, -2 dismisses.
class PadController : public InputViewController {
public:
    using InputViewController::InputViewController;
    std::string_view className() const override { return "InputVCTestPad"; }
    void buttonPressedAction(Button* key) {
        if (key == nullptr) return;
        if (key->tag() >= 0)
            textDocumentProxy().insertText(ns::String(std::to_string(key->tag())));
        else if (key->tag() == -1)
            textDocumentProxy().deleteBackward();
        else
            dismissKeyboard();
    }
    void textWillChange(Responder* input) override { hooks.push_back(input == watched ? "will" : "will?"); }
    void textDidChange(Responder* input) override { hooks.push_back(input == watched ? "did" : "did?"); }
    Strings hooks;
    Responder* watched = nullptr;
};

// Counts the user-edit path; optionally sets the text itself, or refuses.
class EditRecorder : public TextFieldDelegate {
public:
    bool textFieldShouldChangeCharactersIn(TextField& field, ns::Range, const ns::String& text) override {
        asked.push_back(text.utf8());
        if (rewrite) field.setText(ns::String(*rewrite));
        return allow;
    }
    Strings asked;
    std::optional<std::string> rewrite;
    bool allow = true;
};

constexpr double kPadHeight = 240;

const char* const padFile = R"(<interface version="1">
  <object class="InputVCTestPad" id="pad">
    <object key="view" class="UIInputView" id="keys" frame="0 0 320 240">
      <subviews>
        <object class="UIButton" id="seven" frame="0 0 100 60"><property name="tag" value="7"/>
          <state name="normal" title="7"/>
          <action selector="buttonPressedAction:" destination="pad" event="touchUpInside"/></object>
        <object class="UIButton" id="back" frame="100 0 100 60"><property name="tag" value="-1"/>
          <action selector="buttonPressedAction:" destination="pad" event="touchUpInside"/></object>
        <object class="UIButton" id="hide" frame="200 0 100 60"><property name="tag" value="-2"/>
          <action selector="buttonPressedAction:" destination="pad" event="touchUpInside"/></object>
      </subviews>
    </object>
  </object>
</interface>)";

class InputViewControllerTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        auto& rt = ns::Runtime::shared();
        rt.registerClass<PadController>("InputVCTestPad", "UIInputViewController");
        rt.addAction("InputVCTestPad", ns::Selector("buttonPressedAction:"), &PadController::buttonPressedAction);
        Pasteboard::general().setString(std::nullopt);
    }

    std::shared_ptr<PadController> loadPad() {
        auto nib = Nib::fromData(padFile, "Pad");
        auto objects = nib->instantiate(nullptr);
        EXPECT_TRUE(nib->lastWarnings().empty());
        return objects.empty() ? nullptr : std::dynamic_pointer_cast<PadController>(objects.front());
    }
    // A key of the shown pad, by its x in the file, in screen points.
    void tapKey(double x) { driver().tap({x, 667 - kPadHeight + 30}); }
};

TEST_F(InputViewControllerTest, KeysOfAFileControllerTypeThroughTheProxyAndDismiss) {
    const auto pad = loadPad();
    ASSERT_NE(pad, nullptr);
    auto field = ns::make<TextField>(cg::Rect{20, 100, 300, 40});
    window()->addSubview(field);
    const auto recorder = std::make_shared<EditRecorder>();
    field->setDelegate(recorder);
    int changed = 0;
    struct Counter : ns::Object {
        int* count = nullptr;
        void bump() { ++*count; }
    };
    const auto counter = ns::make<Counter>();
    counter->count = &changed;
    field->addTarget(counter, &Counter::bump, Control::Event::editingChanged);
    field->setInputView(pad->view());
    EXPECT_EQ(pad->view()->className(), "UIInputView");

    driver().tap({100, 120});
    ASSERT_TRUE(field->isEditing());
    auto& keyboard = app().keyboard();
    EXPECT_EQ(keyboard.shownView(), pad->view());
    // The pad keeps its own height and takes the screen's width.
    EXPECT_EQ(keyboard.frame(), (cg::Rect{0, 667 - kPadHeight, 375, kPadHeight}));
    EXPECT_FALSE(pad->textDocumentProxy().hasText());
    // The screen shows the pad over the window (its grey, below the keys).
    window()->setBackgroundColor(Color::white());
    const auto screen = backend::Headless::renderScreen();
    const cg::RGBA8 grey = screen->pixel(2 * 350, 2 * (667 - 10));
    EXPECT_NEAR(grey.r, 0.82 * 255, 1.5);
    EXPECT_NEAR(grey.b, 0.86 * 255, 1.5);

    tapKey(50);
    tapKey(50);
    tapKey(150);
    EXPECT_EQ(field->text(), ns::String("7"));
    EXPECT_TRUE(pad->textDocumentProxy().hasText());
    // Each key went along the user-edit path: the delegate was asked, the event sent.
    EXPECT_EQ(recorder->asked, (Strings{"7", "7", ""}));
    EXPECT_EQ(changed, 3);
    // A refusal holds for the proxy as for any key.
    recorder->allow = false;
    tapKey(50);
    EXPECT_EQ(field->text(), ns::String("7"));
    EXPECT_EQ(changed, 3);

    tapKey(250);
    EXPECT_FALSE(field->isEditing());
    EXPECT_FALSE(keyboard.isVisible());

    // Nothing is active now: the proxy does nothing and answers no text.
    recorder->allow = true;
    pad->textDocumentProxy().insertText(ns::String("1"));
    pad->textDocumentProxy().deleteBackward();
    pad->dismissKeyboard();
    EXPECT_FALSE(pad->textDocumentProxy().hasText());
    EXPECT_EQ(field->text(), ns::String("7"));
    EXPECT_EQ(recorder->asked.size(), 4u);
}

TEST_F(InputViewControllerTest, HooksHearSetsAndPastesButNotTheProxy) {
    const auto pad = loadPad();
    ASSERT_NE(pad, nullptr);
    auto field = ns::make<TextField>(cg::Rect{20, 100, 300, 40});
    auto other = ns::make<TextField>(cg::Rect{20, 200, 300, 40});
    window()->addSubview(field);
    window()->addSubview(other);
    const auto recorder = std::make_shared<EditRecorder>();
    field->setDelegate(recorder);
    pad->watched = field.get();
    // The shown view is a subview of the controller's root view: it still belongs
    // to the controller once it has moved into the keyboard.
    auto holder = ns::make<InputView>(cg::Rect{0, 0, 375, kPadHeight});
    pad->view()->addSubview(holder);
    field->setInputView(holder);
    other->setInputView(holder);

    field->setText(ns::String("before"));  // not editing yet: nobody hears
    ASSERT_TRUE(field->becomeFirstResponder());
    EXPECT_TRUE(pad->hooks.empty());

    struct Step {
        const char* what;
        std::function<void()> act;
        Strings hooks;
    };
    const std::vector<Step> steps = {
        {"set text", [&] { field->setText(ns::String("abc")); }, {"will", "did"}},
        {"set attributed text", [&] { field->setAttributedText(ns::AttributedString(ns::String("ab"))); },
         {"will", "did"}},
        {"paste", [&] { driver().paste(ns::String("xy")); }, {"will", "did"}},
        {"proxy insert", [&] { pad->textDocumentProxy().insertText(ns::String("1")); }, {}},
        {"proxy delete", [&] { pad->textDocumentProxy().deleteBackward(); }, {}},
        {"typed key", [&] { driver().type(ns::String("q")); }, {}},
        {"another field's text", [&] { other->setText(ns::String("z")); }, {}},
        // A delegate that rewrites the text inside a proxy edit: still the proxy's.
        {"set inside a proxy edit", [&] {
             recorder->rewrite = "r";
             pad->textDocumentProxy().insertText(ns::String("2"));
             recorder->rewrite.reset();
         }, {}},
        // And inside a paste: one change, heard once.
        {"set inside a paste", [&] {
             recorder->rewrite = "s";
             driver().paste(ns::String("p"));
             recorder->rewrite.reset();
         }, {"will", "did"}},
    };
    for (const auto& step : steps) {
        pad->hooks.clear();
        step.act();
        EXPECT_EQ(pad->hooks, step.hooks) << step.what;
    }
    EXPECT_EQ(field->text(), ns::String("sp"));

    // The other field takes the same input view over: the field is no longer the
    // active input, the other one is, and the controller still hears.
    ASSERT_TRUE(other->becomeFirstResponder());
    EXPECT_EQ(app().keyboard().shownView(), holder);
    pad->hooks.clear();
    field->setText(ns::String("after"));
    EXPECT_TRUE(pad->hooks.empty());
    pad->watched = other.get();
    other->setText(ns::String("o"));
    EXPECT_EQ(pad->hooks, (Strings{"will", "did"}));
}

// A text view showing the pad in place of the system panel.
class PadTextView : public TextView {
public:
    using TextView::TextView;
    std::shared_ptr<View> inputView() const override { return pad; }
    std::shared_ptr<View> pad;
};

TEST_F(InputViewControllerTest, TextViewSetsAndPastesReachTheHooksToo) {
    const auto pad = loadPad();
    ASSERT_NE(pad, nullptr);
    auto text = ns::make<PadTextView>(cg::Rect{20, 100, 300, 200});
    text->pad = pad->view();
    window()->addSubview(text);
    pad->watched = text.get();
    ASSERT_TRUE(text->becomeFirstResponder());

    text->setText(ns::String("a"));
    text->setAttributedText(ns::AttributedString(ns::String("b")));
    driver().paste(ns::String("c"));
    EXPECT_EQ(pad->hooks, (Strings{"will", "did", "will", "did", "will", "did"}));
    pad->hooks.clear();
    tapKey(50);
    tapKey(150);
    tapKey(50);
    EXPECT_TRUE(pad->hooks.empty());
    EXPECT_EQ(text->text(), ns::String("bc7"));
}

TEST_F(InputViewControllerTest, CodeMadeControllerHasAGreyInputViewOfTheKeyboardHeight) {
    auto pad = ns::make<InputViewController>();
    const auto view = std::dynamic_pointer_cast<InputView>(pad->view());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->frame(), (cg::Rect{0, 0, 375, Keyboard::kPortraitHeight}));
    EXPECT_EQ(view->backgroundColor(), InputView::keyboardBackgroundColor());
    // The file's own colour wins over the default grey.
    auto nib = Nib::fromData(R"(<interface version="1"><object class="UIInputView" frame="0 0 10 10">
        <property name="backgroundColor" value="red"/></object></interface>)",
                             "Red");
    const auto objects = nib->instantiate(nullptr);
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(std::dynamic_pointer_cast<View>(objects[0])->backgroundColor(), Color::red());
}

} // namespace
} // namespace pellavo::ui
