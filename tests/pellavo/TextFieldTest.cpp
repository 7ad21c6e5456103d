#include "pellavo/TextField.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ns/Runtime.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "platform/ui/text/Pasteboard.hpp"
#include "tests/support/AppTest.hpp"

namespace pellavo {
namespace {

using Action = ResponderStandardEditActions;

class EditActionFieldTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        field = ns::make<TextField>(cg::Rect{10, 10, 200, 40});
        plain = ns::make<ui::TextField>(cg::Rect{10, 60, 200, 40});
        window()->addSubview(field);
        window()->addSubview(plain);
        ui::Pasteboard::general().setString(ns::String("p"));
    }
    static bool can(const ui::TextField& f, const std::string& name) {
        return f.canPerformAction(ns::Selector(name), nullptr);
    }

    std::shared_ptr<TextField> field;
    std::shared_ptr<ui::TextField> plain;
};

TEST_F(EditActionFieldTest, WithoutListsThePlatformAnswers) {
    struct State {
        const char* text;
        ns::Range selection;
        bool pasteboard;
        bool editing;
    };
    const std::vector<State> states{{"", {0, 0}, true, true},       {"hello", {5, 0}, true, true},
                                    {"hello", {0, 2}, false, true}, {"hello", {0, 5}, true, true},
                                    {"hello", {0, 2}, true, false}, {"hello", {5, 0}, false, false}};
    std::vector<std::string> names{"frobnicate:"};
    for (int a = 0; a <= static_cast<int>(Action::decreaseSize); ++a)
        names.emplace_back(selector(static_cast<Action>(a)).name());
    // One field edits at a time, so each answers in turn from the same state.
    auto answers = [&](ui::TextField& f, const State& s) {
        if (s.editing) EXPECT_TRUE(f.becomeFirstResponder());
        else f.resignFirstResponder();
        f.setText(ns::String(s.text));
        f.setSelectedRange(s.selection);
        ui::Pasteboard::general().setString(s.pasteboard ? std::optional(ns::String("p")) : std::nullopt);
        std::vector<bool> result;
        for (const auto& name : names) result.push_back(can(f, name));
        return result;
    };
    for (const auto& s : states) EXPECT_EQ(answers(*field, s), answers(*plain, s)) << "'" << s.text << "'";
}

TEST_F(EditActionFieldTest, ListsDecideWithoutThePlatform) {
    EXPECT_EQ(selector(Action::delete_), ns::Selector("delete:"));
    EXPECT_EQ(selector(Action::makeTextWritingDirectionRightToLeft), ns::Selector("makeTextWritingDirectionRightToLeft:"));
    field->setText(ns::String("hello"));
    field->setAllowedActions({Action::copy});
    EXPECT_TRUE(can(*field, "copy:")); // no selection, not editing
    EXPECT_FALSE(can(*field, "paste:"));
    EXPECT_FALSE(can(*field, "cut:"));
    EXPECT_FALSE(can(*field, "frobnicate:"));

    field->setNotAllowedActions({Action::paste});
    ASSERT_TRUE(field->becomeFirstResponder());
    EXPECT_FALSE(can(*field, "paste:"));
    EXPECT_TRUE(can(*field, "cut:"));
    EXPECT_TRUE(can(*field, "frobnicate:"));
    // Answering yes to an unknown action never routes it to a field without a handler.
    EXPECT_NE(field->targetForAction(ns::Selector("frobnicate:"), nullptr).get(), field.get());
}

TEST_F(EditActionFieldTest, ANonEmptyListEmptiesTheOther) {
    using List = std::vector<Action>;
    struct Row {
        bool allowFirst;
        List first, second, allowed, denied;
    };
    const std::vector<Row> rows{
        {true, {Action::copy}, {Action::paste}, {}, {Action::paste}},
        {false, {Action::paste}, {Action::copy}, {Action::copy}, {}},
        {true, {Action::copy}, {}, {Action::copy}, {}},
        {false, {Action::paste}, {}, {}, {Action::paste}},
        {true, {Action::cut, Action::cut}, {}, {Action::cut, Action::cut}, {}},
    };
    for (const auto& r : rows) {
        auto f = ns::make<TextField>();
        if (r.allowFirst) {
            f->setAllowedActions(r.first);
            f->setNotAllowedActions(r.second);
        } else {
            f->setNotAllowedActions(r.first);
            f->setAllowedActions(r.second);
        }
        EXPECT_EQ(f->allowedActions(), r.allowed);
        EXPECT_EQ(f->notAllowedActions(), r.denied);
    }
    auto f = ns::make<TextField>();
    f->setAllowedActions({Action::cut, Action::cut});
    EXPECT_TRUE(f->canPerformAction(ns::Selector("cut:"), nullptr));
}

TEST_F(EditActionFieldTest, PasteAsAHostSendsIt) {
    struct Row {
        bool allow;
        Action action;
        const char* expected;
    };
    const std::vector<Row> rows{{false, Action::paste, "ab"},
                                {false, Action::copy, "abx"},
                                {true, Action::paste, "abx"},
                                {true, Action::copy, "ab"}};
    for (const auto& r : rows) {
        field->setAllowedActions({});
        field->setNotAllowedActions({});
        field->setText(ns::String("ab"));
        if (r.allow) field->setAllowedActions({r.action});
        else field->setNotAllowedActions({r.action});
        ASSERT_TRUE(field->becomeFirstResponder());
        field->setSelectedRange({2, 0});
        driver().paste(ns::String("x"));
        EXPECT_EQ(field->text(), ns::String(r.expected));
    }
}

TEST_F(EditActionFieldTest, MadeByNameAndFromAFile) {
    auto made = ns::Runtime::shared().create("TextField");
    EXPECT_NE(std::dynamic_pointer_cast<TextField>(made), nullptr);
    EXPECT_TRUE(ns::Runtime::shared().isKindOfClass(*made, "UITextField"));
    auto nib = ui::Nib::fromData(R"(<interface version="1">
  <object class="TextField" frame="0 0 120 30"><property name="text" value="Filed"/></object>
</interface>)",
                                 "Field");
    const auto objects = nib->instantiate(nullptr);
    ASSERT_EQ(objects.size(), 1u);
    const auto coded = std::dynamic_pointer_cast<TextField>(objects[0]);
    ASSERT_NE(coded, nullptr);
    EXPECT_EQ(coded->text(), ns::String("Filed"));
}

} // namespace
} // namespace pellavo
