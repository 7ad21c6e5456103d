#include "pellavo/VXAlert.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "pellavo/Pellavo.hpp"
#include "platform/ca/Renderer.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/control/BarButtonItem.hpp"
#include "platform/ui/text/TextField.hpp"
#include "platform/ui/view/Window.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"

namespace pellavo {

struct VXAlertTestAccess {
    static const std::shared_ptr<ui::AlertController>& controller(const VXAlert& alert) {
        return alert.alertController_;
    }
};

namespace {

using Access = VXAlertTestAccess;
using ActionStyle = ui::AlertAction::Style;
using Style = ui::AlertController::Style;

class VXAlertTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        root = ns::make<ui::ViewController>();
        window()->setRootViewController(root);
    }

    std::function<void()> counting() {
        return [this] { ++completions; };
    }

    std::shared_ptr<ui::ViewController> root;
    int completions = 0;
};

TEST_F(VXAlertTest, BuildsTheControllerInCallOrder) {
    VXAlert alert(std::nullopt, std::nullopt, Style::alert);
    const auto& controller = Access::controller(alert);
    EXPECT_FALSE(controller->title());
    EXPECT_FALSE(controller->message());
    EXPECT_EQ(controller->preferredStyle(), Style::alert);
    EXPECT_EQ(&alert.setTitle("Sign in"), &alert);
    EXPECT_EQ(&alert.setMessage("Enter your code"), &alert);
    EXPECT_EQ(controller->title(), ns::String("Sign in"));
    EXPECT_EQ(controller->message(), ns::String("Enter your code"));

    const std::pair<const char*, ActionStyle> actions[] = {
        {"OK", ActionStyle::defaultStyle}, {"Cancel", ActionStyle::cancel}, {"Delete", ActionStyle::destructive}};
    for (const auto& [title, style] : actions) EXPECT_EQ(&alert.addAction(title, style, {}), &alert);
    ASSERT_EQ(controller->actions().size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(controller->actions()[i]->title(), ns::String(actions[i].first));
        EXPECT_EQ(controller->actions()[i]->style(), actions[i].second);
    }

    std::shared_ptr<ui::TextField> configured;
    alert.addTextFieldHandler([&](const std::shared_ptr<ui::TextField>& field) { configured = field; });
    ASSERT_EQ(controller->textFields().size(), 1u);
    EXPECT_EQ(configured, controller->textFields()[0]);
    EXPECT_EQ(ns::Runtime::shared().superclassName("VXAlert"), std::nullopt);
}

TEST_F(VXAlertTest, PopoverValuesOnlyWhereGiven) {
    const cg::Rect rect{10, 20, 30, 40};
    VXAlert sheet("Share", std::nullopt, Style::actionSheet);
    const auto popover = Access::controller(sheet)->popoverPresentationController();
    ASSERT_TRUE(popover);
    EXPECT_EQ(&sheet.setPopoverPresentationProperties(nullptr, rect), &sheet);
    EXPECT_EQ(popover->sourceRect(), rect);
    EXPECT_FALSE(popover->sourceView());
    EXPECT_FALSE(popover->barButtonItem());
    EXPECT_EQ(popover->permittedArrowDirections(), ui::PopoverArrowDirection::any);

    const auto source = ns::make<ui::View>();
    const auto item = ns::make<ui::BarButtonItem>();
    sheet.setPopoverPresentationProperties(source, cg::Rect{1, 2, 3, 4}, item, ui::PopoverArrowDirection::up);
    EXPECT_EQ(popover->sourceView(), source);
    EXPECT_EQ(popover->sourceRect(), (cg::Rect{1, 2, 3, 4}));
    EXPECT_EQ(popover->barButtonItem(), item);
    EXPECT_EQ(popover->permittedArrowDirections(), ui::PopoverArrowDirection::up);

    VXAlert alert("Sign in", std::nullopt, Style::alert);
    EXPECT_FALSE(Access::controller(alert)->popoverPresentationController());
    EXPECT_EQ(&alert.setPopoverPresentationProperties(source, rect, item, ui::PopoverArrowDirection::down), &alert);
}

TEST_F(VXAlertTest, PresentsOnTheGivenOrTopMostController) {
    // Explicit, and a chain on a temporary.
    VXAlert("Given", std::nullopt, Style::alert).addAction("OK", ActionStyle::defaultStyle, {}).show(root, false, {});
    runUntilIdle();
    ASSERT_TRUE(root->presentedViewController());
    EXPECT_EQ(root->presentedViewController()->className(), "UIAlertController");
    root->dismiss(false);
    runUntilIdle();

    const auto a = ns::make<ui::ViewController>();
    const auto b = ns::make<ui::ViewController>();
    root->present(a, false);
    a->present(b, false);
    runUntilIdle();
    for (const bool animated : {true, false}) {
        completions = 0;
        VXAlert alert("Top", std::nullopt, Style::alert);
        alert.show(nullptr, animated, counting());
        const auto& controller = Access::controller(alert);
        EXPECT_EQ(controller->presentingViewController(), b) << animated;
        if (animated) {
            advance(0.24);
            EXPECT_EQ(completions, 0);
            advance(0.02);
        } else {
            EXPECT_EQ(completions, 0);
            runUntilIdle();
        }
        EXPECT_EQ(completions, 1) << animated;
        // Shown already: the presenter refuses, and nothing completes.
        alert.show(nullptr, false, counting());
        advance(1);
        EXPECT_EQ(completions, 1) << animated;
        ASSERT_FALSE(loggedLines().empty());
        EXPECT_EQ(loggedLines().back().rfind("Attempt to present ", 0), 0u) << loggedLines().back();
        controller->dismiss(false);
        runUntilIdle();
    }
}

TEST_F(VXAlertTest, NothingWithoutAKeyWindowOrItsRoot) {
    for (const bool withWindow : {true, false}) {
        if (withWindow)
            window()->setRootViewController(nullptr);
        else
            window()->setIsHidden(true);
        const std::size_t logged = loggedLines().size();
        VXAlert alert("Nowhere", std::nullopt, Style::alert);
        alert.show(nullptr, false, counting());
        advance(1);
        EXPECT_FALSE(Access::controller(alert)->presentingViewController());
        EXPECT_EQ(completions, 0);
        EXPECT_EQ(loggedLines().size(), logged);
    }
}

TEST_F(VXAlertTest, TheAlertOutlivesItsBuilder) {
    std::vector<std::shared_ptr<ui::AlertAction>> handled;
    std::weak_ptr<ui::AlertController> controller;
    {
        VXAlert alert("Saved", std::nullopt, Style::alert);
        alert.addAction("OK", ActionStyle::defaultStyle, [&](const auto& action) { handled.push_back(action); });
        alert.show(root, false, {});
        controller = Access::controller(alert);
    }
    runUntilIdle();
    ASSERT_TRUE(controller.lock());
    controller.lock()->performAction(0);
    EXPECT_TRUE(handled.empty()) << "the handler runs after the dismissal";
    advance(1);
    ASSERT_EQ(handled.size(), 1u);
    EXPECT_EQ(handled[0]->title(), ns::String("OK"));
    EXPECT_FALSE(root->presentedViewController());
}

TEST_F(VXAlertTest, AlertAndSheetOverAHost) {
    // Stripes under both, so that the dimming and the rounded corners show.
    for (int i = 0; i < 12; ++i) {
        auto stripe = ns::make<ui::View>(cg::Rect{0, i * 667.0 / 12, 375, 667.0 / 24});
        stripe->setBackgroundColor(i % 2 ? ui::Color(0.2, 0.6, 0.9, 1) : ui::Color(0.95, 0.75, 0.2, 1));
        root->view()->addSubview(stripe);
    }
    VXAlert alert("Sign in", "Enter your code", Style::alert);
    alert.addTextFieldHandler([](const auto& field) { field->setPlaceholder(ns::String("6-digit code")); })
        .addAction("Cancel", ActionStyle::cancel, {})
        .addAction("OK", ActionStyle::defaultStyle, {});
    VXAlert sheet(std::nullopt, "Send this album to someone, or remove it.", Style::actionSheet);
    sheet.addAction("Share", ActionStyle::defaultStyle, {})
        .addAction("Delete", ActionStyle::destructive, {})
        .addAction("Cancel", ActionStyle::cancel, {});

    ca::Renderer renderer;
    const int w = 375 * 2;
    const int h = 667 * 2;
    std::vector<std::uint8_t> both(static_cast<std::size_t>(2 * w * 4 * h));
    VXAlert* shown[] = {&alert, &sheet};
    for (int i = 0; i < 2; ++i) {
        shown[i]->show(nullptr, true, {});
        advance(1);
        const cg::Image& image = renderer.render(*window()->layer());
        for (int row = 0; row < h; ++row)
            std::memcpy(both.data() + static_cast<std::size_t>(row) * 2 * w * 4 + static_cast<std::size_t>(i) * w * 4,
                        image.data() + static_cast<std::size_t>(row) * image.stride(), static_cast<std::size_t>(w) * 4);
        Access::controller(*shown[i])->dismiss(false);
        runUntilIdle();
    }
    testing::expectMatchesGolden(cg::Image(2 * w, h, 2 * w * 4, std::move(both)), "pellavo_alert");
}

} // namespace
} // namespace pellavo
