#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "pellavo/Pellavo.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ns/NotificationCenter.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/control/Button.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo {
namespace {

using State = ui::Control::State;

void toggleAll() { ns::NotificationCenter::defaultCenter().post("adBadgeShowingKey"); }

// The badge: the button's only label while it has no title.
ui::Label& badgeOf(const ui::View& button) {
    ui::Label* found = nullptr;
    for (const auto& view : button.subviews())
        if (auto* label = dynamic_cast<ui::Label*>(view.get())) found = label;
    EXPECT_NE(found, nullptr);
    return *found;
}

double shownScale(const ui::View& view) { return view.layer()->presentation()->transform().m11; }

class VXBadgeButtonTest : public testing::AppTest {
protected:
    std::shared_ptr<VXBadgeButton> make() {
        auto button = ns::make<VXBadgeButton>(cg::Rect{0, 0, 100, 40});
        window()->addSubview(button);
        return button;
    }
    // Shown (flag true, unhidden) or hidden (flag false, hidden); none counts as hidden.
    static void expectShown(const VXBadgeButton& button, bool shown) {
        EXPECT_EQ(button.isBadge(), shown);
        EXPECT_EQ(badgeOf(button).isHidden(), !shown);
    }
};

TEST_F(VXBadgeButtonTest, SetUpPlacesAHiddenBadgeInTheTopRightCorner) {
    auto button = make();
    ui::Label& badge = badgeOf(*button);
    EXPECT_NEAR(badge.bounds().size.width, 38, 1e-9);
    EXPECT_NEAR(badge.bounds().size.height, 15.2, 1e-9);
    EXPECT_NEAR(badge.center().x, 81, 1e-9);
    EXPECT_NEAR(badge.center().y, 7.6, 1e-9);
    EXPECT_NEAR(badge.layer()->cornerRadius(), 19, 1e-9);
    EXPECT_TRUE(badge.isHidden());
    EXPECT_TRUE(badge.clipsToBounds());
    EXPECT_EQ(badge.backgroundColor(), ui::Color::red());
    EXPECT_EQ(badge.textColor(), ui::Color::white());
    EXPECT_EQ(badge.text()->utf8(), "N");
    EXPECT_EQ(badge.font(), ui::Font::boldSystemFont(13));
    EXPECT_EQ(badge.textAlignment(), ns::TextAlignment::center);
    EXPECT_EQ(button->isShowingBadge(), std::nullopt);
    EXPECT_FALSE(button->isBadge());
    advance(0.6);
    EXPECT_EQ(button->isShowingBadge(), std::optional<bool>(false));
    EXPECT_TRUE(badge.isHidden());
}

TEST_F(VXBadgeButtonTest, EachPostTogglesEveryLiveButton) {
    const std::shared_ptr<VXBadgeButton> live[] = {make(), make()};
    std::weak_ptr<VXBadgeButton> dropped = make();
    dropped.lock()->removeFromSuperview();
    ASSERT_TRUE(dropped.expired());
    advance(0.6);

    toggleAll();
    for (const auto& button : live) expectShown(*button, true);
    advance(0.3);
    for (const auto& button : live) EXPECT_NEAR(shownScale(badgeOf(*button)), 0.55, 1e-9);
    advance(0.3);
    for (const auto& button : live) EXPECT_EQ(shownScale(badgeOf(*button)), 1);

    toggleAll();
    advance(0.59);
    for (const auto& button : live) expectShown(*button, true);
    advance(0.02);
    for (const auto& button : live) expectShown(*button, false);
}

TEST_F(VXBadgeButtonTest, ShowsAndHidesInSequence) {
    struct Row {
        const char* name;
        std::function<void(const std::function<void(double)>& wait, VXBadgeButton&)> steps;
        bool shown;
    };
    using Wait = const std::function<void(double)>&;
    const Row rows[] = {
        {"two shows", [](Wait wait, VXBadgeButton& b) { wait(0.6), b.showBadge(), b.showBadge(), wait(0.6); },
         true},
        {"a hide hides at its end",
         [](Wait wait, VXBadgeButton& b) {
             wait(0.6), b.showBadge(), wait(0.6), b.hideBadge(), wait(0.59);
             expectShown(b, true);
             wait(0.02);
         },
         false},
        {"a toggle during a hide hides again",
         [](Wait wait, VXBadgeButton& b) {
             wait(0.6), b.showBadge(), wait(0.6), b.hideBadge(), wait(0.3);
             toggleAll();
             wait(0.31);  // the first hide's end
         },
         false},
        {"a show at once outlives the set-up's hide",
         [](Wait wait, VXBadgeButton& b) {
             b.showBadge(), wait(1);
             EXPECT_EQ(shownScale(badgeOf(b)), 1);
         },
         true},
        {"a show during a hide",
         [](Wait wait, VXBadgeButton& b) {
             wait(0.3), b.showBadge(), wait(0.3);
             expectShown(b, true);
             wait(0.3);
         },
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto button = make();
        row.steps([this](double seconds) { advance(seconds); }, *button);
        expectShown(*button, row.shown);
        button->removeFromSuperview();
    }
}

TEST_F(VXBadgeButtonTest, FromAFileByTheRuntimeAndFromAnotherThread) {
    auto nib = ui::Nib::fromData(R"(<interface version="1">
  <object class="VXBadgeButton" frame="0 0 100 40"/>
</interface>)",
                                 "Badge");
    const auto objects = nib->instantiate(nullptr);
    ASSERT_EQ(objects.size(), 1u);
    const auto coded = std::dynamic_pointer_cast<VXBadgeButton>(objects[0]);
    ASSERT_NE(coded, nullptr);
    ASSERT_EQ(coded->subviews().size(), 1u);
    EXPECT_TRUE(badgeOf(*coded).isHidden());
    EXPECT_TRUE(badgeOf(*coded).transform().isIdentity());
    advance(1);
    EXPECT_EQ(coded->isShowingBadge(), std::nullopt);
    toggleAll();
    expectShown(*coded, true);

    auto& runtime = ns::Runtime::shared();
    EXPECT_TRUE(runtime.isKindOfClass(*coded, "UIButton"));
    const ns::Selector toggle("updateBadgeStatus:");
    EXPECT_TRUE(runtime.respondsToSelector(*coded, toggle));
    EXPECT_TRUE(runtime.perform(coded.get(), toggle, nullptr));
    advance(0.7);
    expectShown(*coded, false);

    std::thread(toggleAll).join();
    expectShown(*coded, false);
    ASSERT_TRUE(runUntilIdle());
    expectShown(*coded, true);
}

// The bar buttons and badge buttons of the gallery page, settled.
TEST_F(VXBadgeButtonTest, Golden) {
    auto board = ns::make<ui::View>(cg::Rect{0, 0, 375, 124});
    board->setBackgroundColor(ui::Color::white());
    window()->addSubview(board);
    auto bar = ns::make<ui::View>(cg::Rect{0, 8, 375, 44});
    bar->setBackgroundColor(ui::Color(0.92, 1));
    board->addSubview(bar);
    std::vector<std::shared_ptr<VXBadgeBarButton>> items;
    const std::pair<const char*, const char*> values[] = {{"Inbox", "5"}, {"Cart", "12"}, {"Chat", "99+"}, {"Bell", "0"}};
    for (const auto& [title, value] : values) {
        auto button = ns::make<ui::Button>(cg::Rect{24 + 88.0 * items.size(), 6, 60, 32});
        button->setTitle(ns::String(title), State::normal);
        button->setTitleColor(ui::Color(0, 0.48, 1, 1), State::normal);
        bar->addSubview(button);
        items.push_back(ns::make<VXBadgeBarButton>()->initWithCustomBadgeBarButton(button));
        items.back()->setBadgeValue(ns::String(value));
    }
    for (int i = 0; i < 3; ++i) {
        auto button = ns::make<VXBadgeButton>(cg::Rect{16 + 118.0 * i, 72, 100, 40});
        button->setTitle(ns::String("Plain"), State::normal);
        button->setBackgroundColor(ui::Color(0.26, 0.52, 0.96, 1));
        board->addSubview(button);
        if (i > 0) button->showBadge();
        if (i > 1) button->hideBadge();
    }
    advance(1);
    testing::expectMatchesGolden(testing::renderView(*board), "pellavo_badges");
}

} // namespace
} // namespace pellavo
