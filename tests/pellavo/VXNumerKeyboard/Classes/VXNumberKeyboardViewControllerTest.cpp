#include "pellavo/VXNumerKeyboard/Classes/VXNumberKeyboardViewController.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "pellavo/VXNumerKeyboard/Classes/VXNumberKeyboardViewController+Load.hpp"
#include "platform/backend/Headless.hpp"
#include "platform/cg/Context.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/text/InputView.hpp"
#include "platform/ui/text/Keyboard.hpp"
#include "platform/ui/text/TextField.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"
#include "tests/support/Pixels.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo {
namespace {

using Strings = std::vector<std::string>;
using State = ui::Control::State;
using Keyboard = VXNumberKeyboardViewController;

// Every step of an edit, in the order it happened.
struct Recorder : ns::Object, ui::TextFieldDelegate {
    bool textFieldShouldChangeCharactersIn(ui::TextField&, ns::Range, const ns::String& text) override {
        log.push_back("delegate " + text.utf8());
        return true;
    }
    void textFieldDidEndEditing(ui::TextField&) override { log.push_back("end"); }
    void changed() { log.push_back("changed"); }
    Strings log;
};

std::shared_ptr<ns::Object> outlet(Keyboard& keyboard, std::string_view key) {
    const auto value = ns::Runtime::shared().value(keyboard, key);
    return value ? value->object() : nullptr;
}

class VXNumberKeyboardViewControllerTest : public testing::AppTest {
protected:
    // A fresh keyboard typing into a field of the window that is being edited, its
    // closures recorded beside the field's own steps.
    void showKeyboard() {
        keyboard_ = Keyboard::createDecimalKeyboard();
        field_ = ns::make<ui::TextField>(cg::Rect{20, 100, 300, 40});
        window()->addSubview(field_);
        recorder_ = ns::make<Recorder>();
        field_->setDelegate(recorder_);
        field_->addTarget(recorder_, &Recorder::changed, ui::Control::Event::editingChanged);
        auto* log = &recorder_->log;
        keyboard_->newTextAction = [log](const ns::String& text) { log->push_back("newText " + text.utf8()); };
        keyboard_->backspaceAction = [log] { log->push_back("backspace"); };
        keyboard_->returnAction = [log] { log->push_back("return"); };
        field_->setInputView(keyboard_->numberKeyboardView());
        ASSERT_TRUE(field_->becomeFirstResponder());
    }
    static cg::Point centre(const ui::View& key) {
        const cg::Rect b = key.bounds();
        return key.convertTo(cg::Point{b.midX(), b.midY()}, nullptr);
    }
    void tap(const std::shared_ptr<ui::Button>& key) {
        ASSERT_NE(key, nullptr);
        driver().tap(centre(*key));
    }
    std::shared_ptr<ui::Button> textKey(std::size_t index) { return keyboard_->textButtons().at(index); }

    std::shared_ptr<Keyboard> keyboard_;
    std::shared_ptr<ui::TextField> field_;
    std::shared_ptr<Recorder> recorder_;
};

TEST_F(VXNumberKeyboardViewControllerTest, LoadsTheLibraryFileAsLaidOut) {
    const auto keyboard = Keyboard::createDecimalKeyboard();
    ASSERT_NE(keyboard->keyboardView(), nullptr);  // alive: the root view holds it, the file is gone
    EXPECT_EQ(keyboard->keyboardView()->superview(), keyboard->viewIfLoaded());
    const auto zeroBig = std::dynamic_pointer_cast<VXDecimalKeyboardZeroButton>(outlet(*keyboard, "zeroBigButton"));
    const auto zeroSmall = std::dynamic_pointer_cast<VXDecimalKeyboardZeroButton>(outlet(*keyboard, "zeroSmallButton"));
    ASSERT_NE(zeroBig, nullptr);
    ASSERT_NE(zeroSmall, nullptr);
    EXPECT_EQ(keyboard->numberKeyboardView(), keyboard->keyboardView());
    EXPECT_EQ(keyboard->numberKeyboardReturnButton(), keyboard->returnButton());
    EXPECT_EQ(keyboard->numberKeyboardBackspaceButton(), keyboard->backspaceButton());

    Strings texts;
    for (const auto& key : keyboard->textButtons())
        texts.push_back(dynamic_cast<VXDecimalKeyboardButton&>(*key).theButtonText().value_or("?").utf8());
    EXPECT_EQ(texts, (Strings{"1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "0", "."}));
    const auto text = keyboard->textButtons();
    ASSERT_EQ(text.size(), 12u);
    EXPECT_EQ(text[9], zeroBig);
    EXPECT_EQ(text[10], zeroSmall);
    ASSERT_EQ(text[11], keyboard->dotButton());
    const auto all = keyboard->allButtons();  // fifteen only when every special key is connected
    ASSERT_EQ(all.size(), 15u);
    EXPECT_EQ(all[12], keyboard->backspaceButton());
    ASSERT_EQ(all[13], keyboard->returnButton());
    EXPECT_EQ(all[14], keyboard->hideButton());
    EXPECT_EQ(text[0]->titleLabel()->font(), ui::Font::systemFont(26));
    EXPECT_EQ(keyboard->returnButton()->titleLabel()->font(), ui::Font::systemFont(20));

    // The file's state: viewDidLoad has not run, so no pressed backgrounds yet, and the
    // point and narrow zero show although allowDecimalPoint reads false.
    for (const auto& key : all) {
        EXPECT_FALSE(key->backgroundImage(State::selected)) << key->className();
        EXPECT_FALSE(key->backgroundImage(State::highlighted)) << key->className();
    }
    EXPECT_FALSE(keyboard->allowDecimalPoint());
    EXPECT_FALSE(keyboard->dotButton()->isHidden());
    EXPECT_FALSE(zeroSmall->isHidden());
    EXPECT_TRUE(zeroBig->isHidden());
    EXPECT_TRUE(loggedLines().empty());
}

TEST_F(VXNumberKeyboardViewControllerTest, DecimalPointShowsThePointAndTheNarrowZero) {
    const auto keyboard = Keyboard::createDecimalKeyboard();
    const auto zeroBig = std::dynamic_pointer_cast<ui::View>(outlet(*keyboard, "zeroBigButton"));
    const auto zeroSmall = std::dynamic_pointer_cast<ui::View>(outlet(*keyboard, "zeroSmallButton"));
    ASSERT_NE(zeroBig, nullptr);
    ASSERT_NE(zeroSmall, nullptr);
    ASSERT_NE(keyboard->dotButton(), nullptr);
    for (const bool allow : {true, false, false}) {
        keyboard->setAllowDecimalPoint(allow);
        EXPECT_EQ(keyboard->allowDecimalPoint(), allow);
        EXPECT_EQ(keyboard->dotButton()->isHidden(), !allow) << allow;
        EXPECT_EQ(zeroSmall->isHidden(), !allow) << allow;
        EXPECT_EQ(zeroBig->isHidden(), allow) << allow;
    }
}

TEST_F(VXNumberKeyboardViewControllerTest, PressedBackgroundsAreBlackUntilSetPerKind) {
    const auto keyboard = Keyboard::createDecimalKeyboard();
    keyboard->loadViewIfNeeded();
    EXPECT_FALSE(std::dynamic_pointer_cast<ui::View>(outlet(*keyboard, "zeroBigButton"))->isHidden());
    auto expectPressed = [](const std::shared_ptr<ui::Button>& key, cg::RGBA8 colour) {
        for (const State state : {State::selected, State::highlighted}) {
            const auto image = key->backgroundImage(state);
            ASSERT_TRUE(image) << key->className();
            EXPECT_EQ(image->size(), (cg::Size{1, 1}));
            testing::expectPixelNear(image->cgImage()->pixel(0, 0), colour, 1);
        }
    };
    const cg::RGBA8 black{0, 0, 0, 255};
    for (const auto& key : keyboard->allButtons())
        if (key != keyboard->hideButton()) expectPressed(key, black);
    EXPECT_FALSE(keyboard->hideButton()->backgroundImage(State::highlighted));

    keyboard->setSelectedTextButtonBackgroundColor(ui::Color(1, 0, 0, 0.5));
    for (const auto& key : keyboard->textButtons()) expectPressed(key, {255, 0, 0, 128});
    expectPressed(keyboard->returnButton(), black);
    expectPressed(keyboard->backspaceButton(), black);
    // The normal background stays the file's.
    EXPECT_FALSE(keyboard->textButtons()[0]->backgroundImage(State::normal));

    const ui::Image image = testing::solidImage(2, 2, {0, 0, 255, 255});
    keyboard->setSelectedReturnButtonBackgroundImage(image);
    EXPECT_EQ(keyboard->returnButton()->backgroundImage(State::selected)->cgImage(), image.cgImage());
    expectPressed(keyboard->backspaceButton(), black);
}

TEST_F(VXNumberKeyboardViewControllerTest, KeysTypeThroughTheFieldThenCallBack) {
    showKeyboard();
    auto& log = recorder_->log;
    EXPECT_EQ(app().keyboard().frame(), (cg::Rect{0, 451, 375, 216}));

    tap(textKey(4));
    EXPECT_EQ(field_->text(), ns::String("5"));
    EXPECT_EQ(log, (Strings{"delegate 5", "changed", "newText 5"}));

    log.clear();
    tap(keyboard_->backspaceButton());
    EXPECT_EQ(field_->text(), ns::String(""));
    EXPECT_EQ(log, (Strings{"delegate ", "changed", "backspace"}));

    log.clear();
    tap(keyboard_->returnButton());
    EXPECT_EQ(log, (Strings{"end", "return"}));
    EXPECT_FALSE(app().keyboard().isVisible());

    ASSERT_TRUE(field_->becomeFirstResponder());
    log.clear();
    tap(keyboard_->hideButton());
    EXPECT_EQ(log, (Strings{"end"}));
    EXPECT_FALSE(field_->isEditing());
}

TEST_F(VXNumberKeyboardViewControllerTest, PlainKeysDoNothing) {
    showKeyboard();
    for (const char* name : {"VXDecimalKeyboardButton", "VXDecimalKeyboardTextButton"}) {
        const auto key = std::dynamic_pointer_cast<ui::Button>(ns::Runtime::shared().create(name));
        ASSERT_NE(key, nullptr) << name;
        key->setFrame({0, 0, 60, 40});
        keyboard_->keyboardView()->addSubview(key);
        key->addTarget(keyboard_, ns::Selector("buttonPressedAction:"), ui::Control::Event::touchUpInside);
        tap(key);
        EXPECT_EQ(field_->text(), ns::String("")) << name;
        EXPECT_TRUE(recorder_->log.empty()) << name;
        EXPECT_TRUE(field_->isEditing()) << name;
    }
}

TEST_F(VXNumberKeyboardViewControllerTest, UnusableFilesGiveAKeyboardWithoutKeys) {
    const auto directory =
        std::filesystem::temp_directory_path() / ("pellavo-number-keyboard-" + std::to_string(::getpid()));
    struct Case {
        const char* what;
        const char* file;  // null: no file at all
        std::size_t lines;
    };
    const Case cases[] = {
        {"missing", nullptr, 1},
        {"malformed", R"(<interface version="1"><object class="UIView">)", 1},
        {"a view first", R"(<interface version="1"><object class="UIView" frame="0 0 10 10"/></interface>)", 0},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory);
        if (c.file) std::ofstream(directory / "VXNumberKeyboardViewController.xml") << c.file;
        const auto before = loggedLines().size();
        const auto keyboard = loadDecimalKeyboard(ns::Bundle(directory));
        ASSERT_NE(keyboard, nullptr) << c.what;
        EXPECT_EQ(loggedLines().size() - before, c.lines) << c.what;
        int calls = 0;
        keyboard->newTextAction = [&calls](const ns::String&) { ++calls; };
        keyboard->setAllowDecimalPoint(true);
        keyboard->setSelectedTextButtonBackgroundColor(ui::Color::red());
        keyboard->setSelectedBackspaceButtonBackgroundImage(testing::solidImage(1, 1, {0, 0, 0, 255}));
        keyboard->loadViewIfNeeded();
        EXPECT_EQ(keyboard->viewIfLoaded()->className(), "UIInputView") << c.what;
        EXPECT_EQ(keyboard->keyboardView(), nullptr) << c.what;
        EXPECT_EQ(keyboard->numberKeyboardView(), nullptr) << c.what;
        EXPECT_EQ(keyboard->numberKeyboardReturnButton(), nullptr) << c.what;
        EXPECT_EQ(keyboard->numberKeyboardBackspaceButton(), nullptr) << c.what;
        EXPECT_EQ(keyboard->hideButton(), nullptr) << c.what;
        EXPECT_EQ(keyboard->dotButton(), nullptr) << c.what;
        EXPECT_TRUE(keyboard->textButtons().empty()) << c.what;
        EXPECT_TRUE(keyboard->allButtons().empty()) << c.what;
        // A key that is not a keyboard key is refused by the runtime; a null one does nothing.
        auto& runtime = ns::Runtime::shared();
        const auto plain = ns::make<ui::Button>();
        EXPECT_FALSE(runtime.perform(keyboard.get(), ns::Selector("buttonPressedAction:"), plain.get())) << c.what;
        EXPECT_TRUE(runtime.perform(keyboard.get(), ns::Selector("buttonPressedAction:"), nullptr)) << c.what;
        EXPECT_EQ(calls, 0) << c.what;
        // With no input active a digit still reports its text.
        const auto five = ns::make<VXDecimalKeyboardFiveButton>();
        EXPECT_TRUE(runtime.perform(keyboard.get(), ns::Selector("buttonPressedAction:"), five.get())) << c.what;
        EXPECT_EQ(calls, 1) << c.what;
    }
    std::filesystem::remove_all(directory);
}

TEST_F(VXNumberKeyboardViewControllerTest, KeysOutlivingTheControllerDoNothing) {
    showKeyboard();
    const auto five = textKey(4);
    const std::weak_ptr<Keyboard> gone = keyboard_;
    // A closure that clears itself and drops the last reference to its keyboard mid-press.
    int calls = 0;
    keyboard_->newTextAction = [this, &calls](const ns::String&) {
        ++calls;
        keyboard_->newTextAction = nullptr;
        keyboard_.reset();
    };
    tap(textKey(0));
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(gone.expired());
    tap(five);
    EXPECT_EQ(field_->text(), ns::String("1"));
    EXPECT_TRUE(field_->isEditing());
}

TEST_F(VXNumberKeyboardViewControllerTest, GoldenWithDecimalPointAndAHeldKey) {
    showKeyboard();
    keyboard_->loadViewIfNeeded();
    keyboard_->setAllowDecimalPoint(true);
    const auto seven = textKey(6);
    const auto touch = driver().touchDown(centre(*seven));
    EXPECT_TRUE(seven->isHighlighted());
    // The keyboard as the screen shows it: its 216-point strip at the bottom.
    const auto screen = backend::Headless::renderScreen();
    const auto strip = cg::Context::makeBitmap(750, 432, false);
    ASSERT_NE(strip, nullptr);
    strip->draw(*screen, {0, -2 * 451.0, 750, 2 * 667.0});
    testing::expectMatchesGolden(*strip->makeImage(), "pellavo_number_keyboard");
    driver().up(touch);
}

} // namespace
} // namespace pellavo
