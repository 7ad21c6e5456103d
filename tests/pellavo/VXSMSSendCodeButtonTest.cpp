#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "pellavo/Pellavo.hpp"
#include "platform/ns/RunLoop.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo {
namespace {

using State = ui::Control::State;
const std::string restingTitle = "获取验证码";

class VXSMSSendCodeButtonTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        button = ns::make<VXSMSSendCodeButton>(cg::Rect{16, 100, 160, 44});
        button->setBackgroundColor(ui::Color::blue());
        window()->addSubview(button);
    }
    std::string title() const { return button->title(State::normal).value_or("<none>").utf8(); }
    // Whether the run loop has a tick to come: the countdown's timer is its only event.
    static bool timerScheduled() { return ns::RunLoop::main().nextDueTime() != INT64_MAX; }
    void expectResting(ui::Color background) const {
        EXPECT_EQ(title(), restingTitle);
        EXPECT_TRUE(button->isEnabled());
        EXPECT_EQ(button->backgroundColor(), background);
    }

    std::shared_ptr<VXSMSSendCodeButton> button;
};

TEST_F(VXSMSSendCodeButtonTest, CountsDownOnceASecondThenRests) {
    EXPECT_EQ(title(), "<none>");  // no title until the first reset
    EXPECT_EQ(button->duration(), 60);
    EXPECT_EQ(button->disableColor(), ui::Color::lightGray());

    button->countdown();
    EXPECT_EQ(title(), "60s");
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(button->backgroundColor(), ui::Color::lightGray());
    advance(1);
    EXPECT_EQ(title(), "59s");
    advance(58);
    EXPECT_EQ(title(), "1s");
    EXPECT_TRUE(timerScheduled());
    advance(1);
    expectResting(ui::Color::blue());
    EXPECT_FALSE(timerScheduled());
    button->setTitle(ns::String("host"), State::normal);
    advance(5);
    EXPECT_EQ(title(), "host");  // the timer is gone

    button->setDuration(3);
    button->countdown();
    for (const char* expected : {"3s", "2s", "1s"}) {
        EXPECT_EQ(title(), expected);
        advance(1);
    }
    expectResting(ui::Color::blue());
}

TEST_F(VXSMSSendCodeButtonTest, ResetRestartAndDurationEdits) {
    button->countdown();
    advance(2.5);
    button->reset();
    expectResting(ui::Color::blue());
    advance(2);
    EXPECT_EQ(title(), restingTitle);
    button->countdown();
    EXPECT_EQ(title(), "60s");

    // Again while counting: continues from the seconds left on a new grid and keeps
    // the grey as the colour to restore.
    advance(2.5);
    EXPECT_EQ(title(), "58s");
    button->countdown();
    EXPECT_EQ(title(), "57s");
    advance(0.9);
    EXPECT_EQ(title(), "57s");
    advance(0.1);
    EXPECT_EQ(title(), "56s");
    button->setDuration(10);
    advance(1);
    EXPECT_EQ(title(), "10s");
    advance(10);
    expectResting(ui::Color::lightGray());

    // Nothing to count: the first tick rests the button at once.
    for (std::int64_t duration : {0, -5}) {
        SCOPED_TRACE(duration);
        button->setBackgroundColor(ui::Color::red());
        button->setTitle(ns::String("host"), State::normal);
        button->setDuration(duration);
        button->countdown();
        expectResting(ui::Color::red());
        EXPECT_FALSE(timerScheduled());
        advance(2);
        EXPECT_EQ(title(), restingTitle);
    }
}

TEST_F(VXSMSSendCodeButtonTest, DroppedWhileCountingStopsItsTimer) {
    button->countdown();
    EXPECT_TRUE(timerScheduled());
    const std::weak_ptr<VXSMSSendCodeButton> weak = button;
    button->removeFromSuperview();
    button.reset();
    EXPECT_TRUE(weak.expired());
    EXPECT_FALSE(timerScheduled());
    advance(3);
    EXPECT_TRUE(loggedLines().empty());
}

TEST_F(VXSMSSendCodeButtonTest, SetByNameAndLoadedFromAFile) {
    auto& runtime = ns::Runtime::shared();
    EXPECT_TRUE(runtime.setValue(*button, "duration", ns::Value::of(std::int64_t{4})));
    EXPECT_TRUE(runtime.setValue(*button, "disableColor", ns::Value::of(ui::Color::red())));
    button->countdown();
    EXPECT_EQ(title(), "4s");
    EXPECT_EQ(button->backgroundColor(), ui::Color::red());

    auto nib = ui::Nib::fromData(R"(<interface version="1">
  <object class="VXSMSSendCodeButton" frame="10 20 160 44">
    <property name="duration" value="5"/>
    <state name="normal" title="Send code"/>
  </object>
</interface>)",
                                 "CodeButton");
    const auto objects = nib->instantiate(nullptr);
    EXPECT_TRUE(nib->lastWarnings().empty());
    EXPECT_TRUE(loggedLines().empty());
    ASSERT_EQ(objects.size(), 1u);
    const auto made = std::dynamic_pointer_cast<VXSMSSendCodeButton>(objects[0]);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->frame(), (cg::Rect{10, 20, 160, 44}));
    EXPECT_EQ(made->title(State::normal)->utf8(), "Send code");
    EXPECT_EQ(made->duration(), 5);
    EXPECT_EQ(made->disableColor(), ui::Color::lightGray());
    made->countdown();
    EXPECT_EQ(made->title(State::normal)->utf8(), "5s");
}

TEST_F(VXSMSSendCodeButtonTest, GoldenStates) {
    auto board = ns::make<ui::View>(cg::Rect{0, 0, 192, 168});
    board->setBackgroundColor(ui::Color::white());
    window()->addSubview(board);
    auto add = [&](double y) {
        auto made = ns::make<VXSMSSendCodeButton>(cg::Rect{16, y, 160, 44});
        made->setBackgroundColor(ui::Color::blue());
        made->setTitleColor(ui::Color::white(), State::normal);
        made->setTitleColor(ui::Color::white(), State::disabled);
        board->addSubview(made);
        return made;
    };
    // A reset before any countdown has no background to restore: the host sets it after.
    auto atRest = add(8);
    atRest->reset();
    atRest->setBackgroundColor(ui::Color::blue());
    add(60)->countdown();
    auto once = add(112);
    once->setDuration(1);
    once->countdown();
    advance(1.5);
    testing::expectMatchesGolden(testing::renderView(*board), "pellavo_sms_send_code_button");
}

} // namespace
} // namespace pellavo
