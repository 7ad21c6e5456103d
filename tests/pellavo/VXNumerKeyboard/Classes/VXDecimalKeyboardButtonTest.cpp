#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pellavo/Pellavo.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "platform/ui/control/Label.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo {
namespace {

using State = ui::Control::State;

class VXDecimalKeyboardButtonTest : public testing::AppTest {};

struct KeyRow {
    std::string name;
    std::optional<std::string> text;
    std::optional<ButtonActionType> action;
    bool textKey;
};

std::optional<std::string> textOf(const VXDecimalKeyboardButtonProtocol& key) {
    const auto text = key.theButtonText();
    return text ? std::optional<std::string>(text->utf8()) : std::nullopt;
}

TEST_F(VXDecimalKeyboardButtonTest, EveryKeyIsMadeByNameAndAnswersByItsClass) {
    std::vector<KeyRow> rows = {
        {"VXDecimalKeyboardButton", std::nullopt, std::nullopt, false},
        {"VXDecimalKeyboardTextButton", std::nullopt, std::nullopt, true},
        {"VXDecimalKeyboardDotButton", std::nullopt, std::nullopt, true},  // no title shown yet
        {"VXDecimalKeyboardBackspaceButton", std::nullopt, ButtonActionType::backspace, false},
        {"VXDecimalKeyboardReturnButtonButton", std::nullopt, ButtonActionType::return_, false},
        {"VXDecimalKeyboardHideButtonButton", std::nullopt, ButtonActionType::hide, false},
    };
    const char* digits[] = {"Zero", "One", "Two", "Three", "Four", "Five", "Six", "Seven", "Eight", "Nine"};
    for (int i = 0; i < 10; ++i) {
        const auto name = std::string("VXDecimalKeyboard") + digits[i] + "Button";
        rows.push_back({name, std::to_string(i), std::nullopt, true});
    }
    auto& runtime = ns::Runtime::shared();
    for (const auto& row : rows) {
        const auto coder = ns::Coder::with(ns::Coder::frameKey, cg::Rect{1, 2, 30, 40});
        EXPECT_TRUE(runtime.hasCoderFactory(row.name)) << row.name;
        for (const auto& object : {runtime.create(row.name), runtime.create(row.name, coder)}) {
            const auto key = std::dynamic_pointer_cast<VXDecimalKeyboardButton>(object);
            ASSERT_NE(key, nullptr) << row.name;
            EXPECT_EQ(key->className(), row.name);
            EXPECT_EQ(textOf(*key), row.text) << row.name;
            EXPECT_EQ(key->theButtonActionType(), row.action) << row.name;
            EXPECT_EQ(runtime.isKindOfClass(*key, "VXDecimalKeyboardTextButton"), row.textKey) << row.name;
            EXPECT_TRUE(runtime.isKindOfClass(*key, "UIButton")) << row.name;
        }
        EXPECT_EQ(std::static_pointer_cast<ui::View>(runtime.create(row.name, coder))->frame(),
                  (cg::Rect{1, 2, 30, 40}));
    }
}

TEST_F(VXDecimalKeyboardButtonTest, DotKeyShowsItsStoredTitleOnlyOnceSet) {
    auto dot = ns::make<VXDecimalKeyboardDotButton>();
    EXPECT_EQ(dot->title().utf8(), ".");
    EXPECT_EQ(dot->theButtonText(), std::nullopt);
    for (State state : {State::normal, State::highlighted, State::selected, State::disabled}) {
        EXPECT_EQ(dot->title(state), std::nullopt);
    }
    dot->setTitle(ns::String("X"));
    EXPECT_EQ(dot->title().utf8(), "X");
    for (State state : {State::normal, State::highlighted, State::selected}) {
        EXPECT_EQ(dot->title(state), ns::String("X"));
    }
    EXPECT_EQ(dot->theButtonText(), ns::String("X"));

    auto one = ns::make<VXDecimalKeyboardOneButton>();
    one->setTitle(ns::String("7"), State::normal);
    EXPECT_EQ(one->theButtonText(), ns::String("1"));
}

TEST_F(VXDecimalKeyboardButtonTest, DotKeyFromAnInterfaceFileInsertsItsTitle) {
    auto nib = ui::Nib::fromData(R"(<interface version="1">
  <object class="VXDecimalKeyboardDotButton" frame="10 20 60 44">
    <state name="normal" title="."/>
  </object>
</interface>)",
                                 "Keys");
    const auto objects = nib->instantiate(nullptr);
    EXPECT_TRUE(nib->lastWarnings().empty());
    ASSERT_EQ(objects.size(), 1u);
    const auto dot = std::dynamic_pointer_cast<VXDecimalKeyboardDotButton>(objects[0]);
    ASSERT_NE(dot, nullptr);
    EXPECT_EQ(dot->frame(), (cg::Rect{10, 20, 60, 44}));
    EXPECT_EQ(dot->theButtonText(), ns::String("."));
}

// The checks of a row of texts per input type beside the keys, titled as a host would.
TEST_F(VXDecimalKeyboardButtonTest, GoldenChecksAndKeys) {
    auto board = ns::make<ui::View>(cg::Rect{0, 0, 360, 340});
    board->setBackgroundColor(ui::Color(0.92, 0.92, 0.94, 1));
    const std::string d15 = "123456789012345", d16 = d15 + "6", d17 = d16 + "7";
    const std::vector<std::string> texts = {"10", "0.05", "01", "1.234", "13800000000", "12800000000",
                                            d16, d17, d15, "1234 5678 9012 3456 ", d17 + "X", d17 + "x"};
    const InputType types[] = {InputType::numberic, InputType::telephone, InputType::bankcard,
                               InputType::identNumber};
    auto label = [&](cg::Rect frame, const std::string& text) {
        auto made = ns::make<ui::Label>(frame);
        made->setText(ns::String(text));
        made->setFont(ui::Font::systemFont(11));
        board->addSubview(made);
    };
    for (std::size_t r = 0; r < texts.size(); ++r) {
        label({8, 8 + 20.0 * r, 150, 20}, texts[r]);
        for (std::size_t c = 0; c < 4; ++c) {
            label({170 + 40.0 * c, 8 + 20.0 * r, 40, 20}, string::checkRegex(texts[r], types[c]) ? "\u2713" : "\u2717");
        }
    }
    auto one = ns::make<VXDecimalKeyboardOneButton>();
    one->setTitle(ns::String("1"), State::normal);
    auto dot = ns::make<VXDecimalKeyboardDotButton>();
    dot->setTitle(ns::String("X"));
    std::vector<std::pair<std::shared_ptr<VXDecimalKeyboardButton>, std::string>> keys = {
        {one, ""}, {dot, ""}, {ns::make<VXDecimalKeyboardBackspaceButton>(), "\u232B"},
        {ns::make<VXDecimalKeyboardReturnButtonButton>(), "\u786E\u5B9A"},
        {ns::make<VXDecimalKeyboardHideButtonButton>(), "\u2304"}};
    double x = 8;
    for (const auto& [key, title] : keys) {
        if (!title.empty()) key->setTitle(ns::String(title), State::normal);
        key->setFrame({x, 270, 64, 44});
        key->setBackgroundColor(ui::Color::white());
        key->setTitleColor(ui::Color::black(), State::normal);
        board->addSubview(key);
        x += 70;
    }
    testing::expectMatchesGolden(testing::renderView(*board), "pellavo_input_types");
}

} // namespace
} // namespace pellavo
