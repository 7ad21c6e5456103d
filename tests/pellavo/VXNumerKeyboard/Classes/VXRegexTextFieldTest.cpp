#include "pellavo/VXNumerKeyboard/Classes/VXRegexTextField.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "pellavo/VXNumerKeyboard/Classes/String+Insert.hpp"
#include "platform/backend/Headless.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "platform/ui/text/Keyboard.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"

namespace pellavo {
namespace {

using Strings = std::vector<std::string>;
using State = ui::Control::State;

// Records every question and report, in order; answers `allow`.
class Recorder : public VXRegexTextFieldDelegate {
public:
    bool regexTextFieldShouldChangeCharactersIn(VXRegexTextField&, ns::Range range,
                                                const ns::String& replacement) override {
        events.push_back("ask " + std::to_string(range.location) + "," + std::to_string(range.length) + " " +
                         replacement.utf8());
        return allow;
    }
    void regexTextFieldEditingChanged(VXRegexTextField& field) override {
        events.push_back("changed " + field.text().utf8());
    }
    int changes() const {
        int count = 0;
        for (const auto& event : events) count += event.rfind("changed", 0) == 0;
        return count;
    }
    Strings events;
    bool allow = true;
    std::shared_ptr<VXRegexTextField> keep;  // a delegate that holds its field
};

class VXRegexTextFieldTest : public testing::AppTest {
protected:
    std::shared_ptr<VXRegexTextField> makeEditingField(InputType type) {
        auto field = ns::make<VXRegexTextField>(cg::Rect{20, 100, 300, 40});
        field->setInputType(type);
        window()->addSubview(field);
        EXPECT_TRUE(field->becomeFirstResponder());
        return field;
    }
    // The shown key of the field's own keyboard with this title, tapped at its centre
    // in screen points; "<" is the backspace key.
    void press(const std::string& title) {
        const auto key = findKey(title == "<" ? "⌫" : title);
        ASSERT_NE(key, nullptr) << title;
        const cg::Rect bounds = key->bounds();
        driver().tap(key->convertTo(cg::Point{bounds.midX(), bounds.midY()}, nullptr));
    }
    void typeAll(const std::string& keys) {
        for (const char key : keys) press(std::string(1, key));
    }
    std::shared_ptr<ui::Button> findKey(const std::string& title) {
        const auto keys = app().keyboard().shownView();
        if (!keys) return nullptr;
        for (const auto& subview : keys->subviews()) {
            const auto key = std::dynamic_pointer_cast<ui::Button>(subview);
            if (key && !key->isHidden() && key->title(State::normal) == ns::String(title)) return key;
        }
        return nullptr;
    }
};

cg::RGBA8 pressedPixel(const ui::Button& key, State state) {
    const auto image = key.backgroundImage(state);
    return image && image->cgImage() ? image->cgImage()->pixel(0, 0) : cg::RGBA8{};
}

TEST_F(VXRegexTextFieldTest, FieldShowsItsOwnNumberKeyboard) {
    const auto field = ns::make<VXRegexTextField>(cg::Rect{20, 100, 300, 40});
    window()->addSubview(field);
    ASSERT_TRUE(field->becomeFirstResponder());
    ASSERT_NE(field->inputView(), nullptr);
    EXPECT_EQ(app().keyboard().shownView(), field->inputView());
    EXPECT_EQ(field->delegate(), std::static_pointer_cast<ui::TextFieldDelegate>(field));
    // Before any input type: the decimal point shows and types ".".
    ASSERT_NE(findKey("."), nullptr);
    for (const char* title : {"1", "0", ".", "⌫", "确定"}) {
        const auto key = findKey(title);
        ASSERT_NE(key, nullptr) << title;
        for (const auto state : {State::selected, State::highlighted}) {
            const cg::RGBA8 pixel = pressedPixel(*key, state);
            EXPECT_EQ((std::vector<int>{pixel.r, pixel.g, pixel.b, pixel.a}), (std::vector<int>{170, 170, 170, 255}))
                << title;
        }
    }
    typeAll("0.5");
    EXPECT_EQ(field->text().utf8(), "0.5");
}

TEST_F(VXRegexTextFieldTest, InputTypeSwitchesTheDecimalPointKey) {
    const auto field = makeEditingField(InputType::numberic);
    const auto widthOfZero = [&] {
        const auto zero = findKey("0");
        return zero ? zero->frame().width() : 0.0;
    };
    const double narrow = widthOfZero();
    for (const auto type : {InputType::telephone, InputType::bankcard}) {
        field->setInputType(type);
        EXPECT_EQ(findKey("."), nullptr);
        EXPECT_EQ(findKey("X"), nullptr);
        EXPECT_GT(widthOfZero(), narrow);
    }
    field->setInputType(InputType::identNumber);
    EXPECT_EQ(findKey("."), nullptr);
    ASSERT_NE(findKey("X"), nullptr);
    EXPECT_EQ(widthOfZero(), narrow);
    field->setInputType(InputType::numberic);
    EXPECT_NE(findKey("."), nullptr);
    EXPECT_EQ(findKey("X"), nullptr);
}

// A field whose keyboard has no keys (its interface file missing).
class KeylessField : public VXRegexTextField {
public:
    using VXRegexTextField::VXRegexTextField;

protected:
    std::shared_ptr<VXNumberKeyboardViewController> makeKeyboard() const override {
        return ns::make<VXNumberKeyboardViewController>();
    }
};

TEST_F(VXRegexTextFieldTest, WithoutKeysTheSystemPanelTypesUnderTheSameRule) {
    const auto field = ns::make<KeylessField>(cg::Rect{20, 100, 300, 40});
    field->setInputType(InputType::identNumber);
    field->setInputType(InputType::bankcard);
    window()->addSubview(field);
    ASSERT_TRUE(field->becomeFirstResponder());
    EXPECT_EQ(field->inputView(), nullptr);
    EXPECT_TRUE(app().keyboard().isVisible());
    driver().type(ns::String("12345"));
    EXPECT_EQ(field->text().utf8(), "1234 5");
    EXPECT_TRUE(loggedLines().empty());
}

struct TypingRow {
    InputType type;
    std::string prefix;  // typed first, each character a key
    Strings keys;
    Strings after;       // the text after each key
    int changes;         // regexTextFieldEditingChanged calls during the keys
};

TEST_F(VXRegexTextFieldTest, TypingKeepsEachTypeToItsShape) {
    const std::vector<TypingRow> rows = {
        {InputType::numberic, "", {"1", "2", ".", "5", "6", "7", "."},
         {"1", "12", "12.", "12.5", "12.56", "12.56", "12.56"}, 5},
        {InputType::numberic, "", {"0", ".", "5"}, {"0", "0.", "0.5"}, 3},
        {InputType::numberic, "", {"0", ".", "0", "0", "5"}, {"0", "0.", "0.0", "0.0", "0.05"}, 4},
        {InputType::numberic, "", {".", "5"}, {".", "."}, 1},
        {InputType::numberic, "", {"0", "0", "1"}, {"0", "0", "0"}, 1},
        {InputType::numberic, "", {"1", "<"}, {"1", ""}, 2},
        {InputType::telephone, "138000000", {"0", "0", "0"}, {"1380000000", "13800000000", "13800000000"}, 2},
        {InputType::telephone, "222222222", {"2", "2"}, {"2222222222", "2222222222"}, 1},
        {InputType::identNumber, "1234", {"X", "5"}, {"1234", "12345"}, 1},
        {InputType::identNumber, "1101051949123100", {"2", "X", "1"},
         {"11010519491231002", "11010519491231002X", "11010519491231002X"}, 2},
        {InputType::bankcard, "", {"1", "2", "3", "4", "5", "<", "<"},
         {"1", "12", "123", "1234 ", "1234 5", "1234 ", "123"}, 0},
        {InputType::bankcard, "1234567890123456789", {"0", "1", "<"},
         {"1234 5678 9012 3456 7890 ", "1234 5678 9012 3456 7890 ", "1234 5678 9012 3456 789"}, 0},
    };
    for (const auto& row : rows) {
        const auto field = makeEditingField(row.type);
        const auto recorder = std::make_shared<Recorder>();
        field->setRegexDelegate(recorder);
        typeAll(row.prefix);
        recorder->events.clear();
        for (std::size_t i = 0; i < row.keys.size(); ++i) {
            press(row.keys[i]);
            EXPECT_EQ(field->text().utf8(), row.after[i]) << row.prefix << " then key " << i << " " << row.keys[i];
        }
        EXPECT_EQ(recorder->changes(), row.changes) << row.prefix << " " << row.keys.front();
        field->removeFromSuperview();
    }
}

struct PasteRow {
    InputType type;
    std::string before;
    std::string pasted;
    std::string after;
};

TEST_F(VXRegexTextFieldTest, PastedTextFollowsTheSameRule) {
    const std::vector<PasteRow> rows = {
        {InputType::numberic, "", "abc.", ""},
        {InputType::numberic, "", "-.", ""},
        {InputType::numberic, "", "12.", "12."},
        {InputType::numberic, "", "١٢.", ""},
        {InputType::telephone, "", "a", ""},
        {InputType::telephone, "138000000", "a", "138000000"},
        {InputType::telephone, "1380000000", "a", "1380000000"},
        {InputType::telephone, "", "١٣٨", "١٣٨"},
        {InputType::bankcard, "", "12ab", "12ab "},
        {InputType::bankcard, "", "1234 5678 9012 3456 7890", "1234 5678 9012 3456 7890 "},
    };
    for (const auto& row : rows) {
        const auto field = makeEditingField(row.type);
        field->setText(ns::String(row.before));
        driver().paste(ns::String(row.pasted));
        EXPECT_EQ(field->text().utf8(), row.after) << row.before << " + " << row.pasted;
        field->removeFromSuperview();
    }
}

TEST_F(VXRegexTextFieldTest, DirectCallsAnswerWithoutLosingText) {
    struct Row {
        InputType type;
        std::string text;
        ns::Range range;
        std::string replacement;
        bool answer;
        bool asked;
    };
    const std::vector<Row> rows = {
        {InputType::numberic, "100.", {0, 1}, "", false, true},
        // Complete and matching: applied unchanged by the platform, not regrouped.
        {InputType::bankcard, "", {0, 0}, "abcdef1234567890123456789", true, true},
        {InputType::bankcard, "", {0, 0}, "abcdef123456789012345678x", false, true},
        // Outside the text, negative, or between the halves of the emoji.
        {InputType::numberic, "😀1", {1, 1}, "", false, false},
        {InputType::numberic, "😀1", {3, 1}, "", false, false},
        {InputType::numberic, "😀1", {-1, 1}, "", false, false},
        {InputType::telephone, "😀1", {4, 0}, "2", false, false},
    };
    for (const auto& row : rows) {
        const auto field = ns::make<VXRegexTextField>();
        field->setInputType(row.type);
        field->setText(ns::String(row.text));
        const auto recorder = std::make_shared<Recorder>();
        field->setRegexDelegate(recorder);
        EXPECT_EQ(field->textFieldShouldChangeCharactersIn(*field, row.range, ns::String(row.replacement)),
                  row.answer)
            << row.text << " @" << row.range.location;
        EXPECT_EQ(field->text().utf8(), row.text);
        EXPECT_EQ(!recorder->events.empty(), row.asked) << row.text << " @" << row.range.location;
    }
}

TEST_F(VXRegexTextFieldTest, RegexDelegateIsAskedFirstAndHearsAppliedEdits) {
    const auto field = makeEditingField(InputType::numberic);
    const auto recorder = std::make_shared<Recorder>();
    field->setRegexDelegate(recorder);
    typeAll("1.2.<");
    EXPECT_EQ(recorder->events, (Strings{"ask 0,0 1", "changed 1", "ask 1,0 .", "changed 1.", "ask 2,0 2",
                                         "changed 1.2", "ask 3,0 .", "ask 2,1 ", "changed 1."}));

    // A veto holds for every type, the bank-card regrouping included.
    recorder->allow = false;
    for (const auto type : {InputType::numberic, InputType::telephone, InputType::identNumber, InputType::bankcard}) {
        field->setInputType(type);
        field->setText(ns::String("123"));
        typeAll("4<");
        driver().paste(ns::String("5"));
        EXPECT_EQ(field->text().utf8(), "123");
    }
    field->removeFromSuperview();
}

TEST_F(VXRegexTextFieldTest, FieldHoldsItsRegexDelegateUntilCleared) {
    std::weak_ptr<VXRegexTextField> weakField;
    std::weak_ptr<Recorder> weakRecorder;
    {
        const auto field = ns::make<VXRegexTextField>();
        const auto recorder = std::make_shared<Recorder>();
        recorder->keep = field;
        field->setRegexDelegate(recorder);
        weakField = field;
        weakRecorder = recorder;
    }
    ASSERT_FALSE(weakField.expired());
    ASSERT_FALSE(weakRecorder.expired());
    weakField.lock()->setRegexDelegate(nullptr);
    EXPECT_TRUE(weakField.expired());
    EXPECT_TRUE(weakRecorder.expired());
}

TEST_F(VXRegexTextFieldTest, FromAnInterfaceFileTheFieldIsWiredOnce) {
    auto nib = ui::Nib::fromData(R"(<interface version="1">
        <object class="VXRegexTextField" id="field" frame="20 100 300 40"/></interface>)",
                                 "RegexField");
    const auto objects = nib->instantiate(nullptr);
    EXPECT_TRUE(nib->lastWarnings().empty());
    ASSERT_EQ(objects.size(), 1u);
    const auto field = std::dynamic_pointer_cast<VXRegexTextField>(objects.front());
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->inputType(), InputType::numberic);
    EXPECT_EQ(field->delegate(), std::static_pointer_cast<ui::TextFieldDelegate>(field));
    const auto recorder = std::make_shared<Recorder>();
    field->setRegexDelegate(recorder);
    window()->addSubview(field);
    ASSERT_TRUE(field->becomeFirstResponder());
    press("5");
    EXPECT_EQ(recorder->changes(), 1);
    EXPECT_TRUE(ns::Runtime::shared().perform(field.get(), ns::Selector("editingChanged"), nullptr));
    EXPECT_EQ(recorder->changes(), 2);
}

TEST_F(VXRegexTextFieldTest, HelpersGroupGraphemesAndKnowEveryScriptsDigits) {
    struct InsertRow {
        std::string text;
        std::int64_t interval;
        std::string grouped;
    };
    const std::vector<InsertRow> rows = {
        {"12345678", 4, "1234 5678 "}, {"1234 5", 4, "1234 5"}, {"123", 1, "1 2 3 "},
        {"12 34", 0, "1234"},         {"12 34", -3, "1234"},   {"👍🏽1234", 4, "👍🏽123 4"},
        {"", 4, ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(string::insert(ns::String(row.text), ns::String(" "), row.interval).utf8(), row.grouped)
            << row.text << " / " << row.interval;
    EXPECT_FALSE(string::onlyNumbers(ns::String("")));
    EXPECT_TRUE(string::onlyNumbers(ns::String("١٢")));
    EXPECT_FALSE(string::onlyNumbers(ns::String("1 2")));
    EXPECT_FALSE(string::onlyNumbers(ns::String("½")));
}

TEST_F(VXRegexTextFieldTest, PlaceholderColourAndLeftPadding) {
    const auto field = ns::make<VXRegexTextField>(cg::Rect{0, 0, 300, 40});
    const ui::Color red(1, 0, 0, 1);
    uitextfield::setPlaceHolderTextColor(*field, red);
    ASSERT_TRUE(field->attributedPlaceholder().has_value());
    EXPECT_TRUE(field->attributedPlaceholder()->string().isEmpty());

    field->setPlaceholder(ns::String("Amount"));
    uitextfield::setPlaceHolderTextColor(*field, red);
    const auto placeholder = field->attributedPlaceholder();
    ASSERT_TRUE(placeholder.has_value());
    EXPECT_EQ(placeholder->string().utf8(), "Amount");
    ASSERT_EQ(placeholder->runs().size(), 1u);
    EXPECT_EQ(placeholder->runs().front().attributes.size(), 1u);
    const ns::Value value = placeholder->attribute(ns::AttributedStringKey::foregroundColor, 0);
    const auto* colour = value.get<ui::Color>();
    ASSERT_NE(colour, nullptr);
    EXPECT_EQ(*colour, red);

    uitextfield::addLeftPadding(*field, 12);
    field->setFrame({0, 0, 300, 60});
    ASSERT_NE(field->leftView(), nullptr);
    EXPECT_EQ(field->leftView()->frame(), (cg::Rect{0, 0, 12, 40}));
    EXPECT_EQ(field->leftViewMode(), ui::TextField::ViewMode::always);
}

TEST_F(VXRegexTextFieldTest, GoldenOfTheFourTypesWithTheBankcardKeyboard) {
    window()->setBackgroundColor(ui::Color(0.94, 0.95, 0.97, 1));
    const std::vector<std::pair<InputType, std::string>> rows = {
        {InputType::numberic, "12.5"},
        {InputType::telephone, "13800000000"},
        {InputType::identNumber, "11010519491231002X"},
        {InputType::bankcard, "6222021234567890"},
    };
    double y = 60;
    for (const auto& [type, keys] : rows) {
        const auto field = ns::make<VXRegexTextField>(cg::Rect{37, y, 300, 40});
        field->setBackgroundColor(ui::Color::white());
        field->setInputType(type);
        uitextfield::addLeftPadding(*field, 12);
        window()->addSubview(field);
        ASSERT_TRUE(field->becomeFirstResponder());
        typeAll(keys);
        y += 60;
    }
    testing::expectMatchesGolden(*backend::Headless::renderScreen(), "pellavo_regex_text_field");
}

} // namespace
} // namespace pellavo
