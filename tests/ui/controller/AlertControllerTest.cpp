#include "platform/ui/controller/AlertController.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/control/Button.hpp"
#include "platform/ui/text/Keyboard.hpp"
#include "platform/ui/text/TextField.hpp"
#include "platform/ui/view/Window.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/ui/ControllerRecorder.hpp"

namespace pellavo::ui {
namespace {

using Strings = std::vector<std::string>;
using Style = AlertAction::Style;

class AlertControllerTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        log = testing::makeCallLog();
        root = testing::makeRecorder("Root", log);
        window()->setRootViewController(root);
        log->clear();
    }

    // An action that records "<title>" in `handled` with the action it was given.
    std::shared_ptr<AlertAction> action(const char* title, Style style = Style::defaultStyle) {
        auto made = ns::make<AlertAction>(ns::String(title), style, [this, title](const auto& a) {
            handled.push_back(title);
            handledActions.push_back(a);
        });
        return made;
    }

    static std::shared_ptr<AlertController> alert(AlertController::Style style = AlertController::Style::alert) {
        return ns::make<AlertController>(ns::String("Title"), ns::String("Message"), style);
    }

    cg::Rect inWindow(const std::shared_ptr<View>& view) { return view->convertTo(view->bounds(), window()); }

    void tap(const std::shared_ptr<View>& view) {
        const cg::Rect r = inWindow(view);
        driver().tap({r.midX(), r.midY()});
    }

    testing::CallLog log;
    std::shared_ptr<testing::RecordingController> root;
    Strings handled;
    std::vector<std::shared_ptr<AlertAction>> handledActions;
};

TEST_F(AlertControllerTest, KeepsActionOrderAndRefusesWithOneLineEach) {
    const auto controller = alert();
    const auto ok = action("OK");
    const auto cancel = action("Cancel", Style::cancel);
    const auto remove = action("Delete", Style::destructive);
    for (const auto& a : {ok, cancel, remove, ok, action("Other cancel", Style::cancel)}) controller->addAction(a);
    controller->addAction(nullptr);
    controller->performAction(3);
    controller->performAction(-1);

    EXPECT_EQ(controller->actions(), (std::vector{ok, cancel, remove}));
    EXPECT_EQ(loggedLines(), (Strings{"AlertController: this action was already added; ignored",
                                      "AlertController: only one cancel action is allowed; ignored",
                                      "AlertController: a null action; ignored",
                                      "AlertController: performAction(3) is out of range; ignored",
                                      "AlertController: performAction(-1) is out of range; ignored"}));
    EXPECT_EQ(controller->viewForAction(3), nullptr);
    EXPECT_TRUE(handled.empty());
}

TEST_F(AlertControllerTest, TextFieldsOnAlertsOnlyLaidOutFocusedAndTyped) {
    const auto sheet = alert(AlertController::Style::actionSheet);
    bool sheetHandlerRan = false;
    sheet->addTextField([&](const auto&) { sheetHandlerRan = true; });
    EXPECT_TRUE(sheet->textFields().empty());
    EXPECT_FALSE(sheetHandlerRan);
    EXPECT_EQ(loggedLines(), Strings{"AlertController: text fields can only be added to an alert; ignored"});

    const auto controller = alert();
    std::vector<std::shared_ptr<TextField>> configured;
    for (const char* placeholder : {"Name", "Password"})
        controller->addTextField([&, placeholder](const std::shared_ptr<TextField>& field) {
            field->setPlaceholder(ns::String(placeholder));
            configured.push_back(field);
        });
    controller->addTextField();
    ns::String seen;
    controller->addAction(ns::make<AlertAction>(ns::String("Done"), Style::defaultStyle,
                                                [&](const auto&) { seen = controller->textFields()[1]->text(); }));
    ASSERT_EQ(configured.size(), 2u);
    EXPECT_EQ(controller->textFields(), (std::vector{configured[0], configured[1], controller->textFields()[2]}));
    EXPECT_EQ(configured[1]->placeholder(), ns::String("Password"));

    root->present(controller, true);
    advance(0.3);
    const auto& fields = controller->textFields();
    const cg::Rect box = inWindow(controller->viewForAction(0)->superview());
    const cg::Rect first = inWindow(fields[0]);
    const cg::Rect second = inWindow(fields[1]);
    const cg::Rect button = inWindow(controller->viewForAction(0));
    EXPECT_EQ(first.minX(), box.minX() + 16);
    EXPECT_EQ(first.width(), 270 - 32);
    EXPECT_EQ(first.height(), 24);
    EXPECT_NEAR(second.minY(), first.maxY() - 0.5, 1e-9);  // borders share a hairline
    EXPECT_GT(button.minY(), inWindow(fields[2]).maxY());
    // The first field edits once the alert is up, and the box centres above the keyboard.
    EXPECT_TRUE(fields[0]->isFirstResponder());
    EXPECT_TRUE(app().keyboard().isVisible());
    EXPECT_NEAR(box.midY(), app().keyboard().frame().minY() / 2, 0.5);

    driver().type("ann");
    tap(fields[1]);
    driver().type("pw1");
    driver().backspace();
    EXPECT_EQ(fields[0]->text(), ns::String("ann"));
    EXPECT_EQ(fields[1]->text(), ns::String("pw"));

    tap(controller->viewForAction(0));
    EXPECT_FALSE(fields[1]->isFirstResponder());  // editing ends as the alert leaves
    EXPECT_FALSE(app().keyboard().isVisible());
    advance(0.3);
    EXPECT_EQ(seen, ns::String("pw"));
}

TEST_F(AlertControllerTest, PopoverSettingsExistForActionSheetsOnly) {
    EXPECT_EQ(alert()->popoverPresentationController(), nullptr);
    const auto sheet = alert(AlertController::Style::actionSheet);
    const auto popover = sheet->popoverPresentationController();
    ASSERT_NE(popover, nullptr);
    EXPECT_EQ(popover->permittedArrowDirections(), PopoverArrowDirection::any);
    auto source = ns::make<View>();
    popover->setSourceView(source);
    popover->setSourceRect({1, 2, 3, 4});
    popover->setPermittedArrowDirections(PopoverArrowDirection::up | PopoverArrowDirection::down);
    EXPECT_EQ(popover->sourceView(), source);
    EXPECT_EQ(popover->sourceRect(), (cg::Rect{1, 2, 3, 4}));
    EXPECT_EQ(static_cast<unsigned>(popover->permittedArrowDirections()), 3u);
    source.reset();
    EXPECT_EQ(popover->sourceView(), nullptr);  // held weakly
}

TEST_F(AlertControllerTest, TapDismissesThenCallsTheHandlerWhileThePresenterStays) {
    const auto controller = alert();
    const auto ok = action("OK");
    controller->addAction(action("Cancel", Style::cancel));
    controller->addAction(ok);
    root->present(controller, true);
    advance(0.3);
    EXPECT_EQ(root->view()->window(), window());
    EXPECT_EQ(controller->view()->window(), window());

    tap(controller->viewForAction(1));
    EXPECT_TRUE(handled.empty());
    EXPECT_TRUE(controller->isBeingDismissed());
    tap(controller->viewForAction(0));  // ignored while leaving
    advance(0.3);
    EXPECT_EQ(handled, Strings{"OK"});
    EXPECT_EQ(handledActions, (std::vector{ok}));
    EXPECT_EQ(controller->presentingViewController(), nullptr);
    EXPECT_EQ(controller->view()->window(), nullptr);
    EXPECT_EQ(root->view()->window(), window());
    EXPECT_TRUE(testing::appearanceCalls(log).empty());

    root->present(controller, false);
    root->present(alert(), false);  // a second presentation is refused
    EXPECT_EQ(loggedLines().size(), 1u);
}

TEST_F(AlertControllerTest, DisabledActionIsGreyAndIgnoresTaps) {
    const auto controller = alert();
    const auto later = action("Later");
    later->setIsEnabled(false);
    controller->addAction(later);
    root->present(controller, false);
    advance(0.1);
    const auto button = std::dynamic_pointer_cast<Control>(controller->viewForAction(0));
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->isEnabled());
    tap(button);
    controller->performAction(0);
    advance(1);
    EXPECT_TRUE(handled.empty());
    EXPECT_NE(controller->presentingViewController(), nullptr);

    later->setIsEnabled(true);
    EXPECT_TRUE(button->isEnabled());
    tap(button);
    advance(1);
    EXPECT_EQ(handled, Strings{"Later"});
}

TEST_F(AlertControllerTest, AlertAndSheetGeometry) {
    const auto two = alert();
    two->addAction(action("OK"));
    two->addAction(action("Cancel", Style::cancel));
    root->present(two, false);
    advance(0.1);
    const cg::Rect ok = inWindow(two->viewForAction(0));
    const cg::Rect cancel = inWindow(two->viewForAction(1));
    EXPECT_LT(cancel.minX(), ok.minX());  // cancel on the left
    EXPECT_EQ(cancel.minY(), ok.minY());
    EXPECT_EQ(cancel.height(), 44);
    EXPECT_EQ(cancel.minX(), (375 - 270) / 2.0);
    EXPECT_EQ(ok.maxX(), (375 + 270) / 2.0);
    two->dismiss(false);
    advance(0.1);

    const auto three = alert();
    for (const auto& a : {action("Cancel", Style::cancel), action("A"), action("B", Style::destructive)})
        three->addAction(a);
    root->present(three, false);
    advance(0.1);
    const cg::Rect c = inWindow(three->viewForAction(0));
    const cg::Rect a = inWindow(three->viewForAction(1));
    const cg::Rect b = inWindow(three->viewForAction(2));
    EXPECT_EQ(a.width(), 270);
    EXPECT_NEAR(b.minY() - a.maxY(), 0.5, 1e-9);  // a one-pixel hairline between rows
    EXPECT_GT(c.minY(), b.maxY());                // cancel last
    three->dismiss(false);
    advance(0.1);

    const auto sheet = alert(AlertController::Style::actionSheet);
    for (const auto& x : {action("Cancel", Style::cancel), action("A"), action("B")}) sheet->addAction(x);
    root->present(sheet, false);
    advance(0.1);
    const cg::Rect sheetCancel = inWindow(sheet->viewForAction(0));
    const cg::Rect lastRow = inWindow(sheet->viewForAction(2));
    EXPECT_EQ(sheetCancel, (cg::Rect{8, 667 - 8 - 57, 359, 57}));
    EXPECT_EQ(lastRow.height(), 57);
    EXPECT_EQ(sheetCancel.minY() - lastRow.maxY(), 8);
}

TEST_F(AlertControllerTest, AlertScalesAndFadesInAndSheetSlidesUp) {
    const auto controller = alert();
    controller->addAction(action("OK"));
    root->present(controller, true);
    advance(0.125);
    const auto box = controller->viewForAction(0)->superview();
    const auto shown = box->layer()->presentation();
    EXPECT_GT(shown->transform().m11, 1.01);
    EXPECT_LT(shown->transform().m11, 1.19);
    EXPECT_GT(shown->opacity(), 0.05);
    EXPECT_LT(shown->opacity(), 0.95);
    advance(0.2);
    EXPECT_FALSE(controller->isBeingPresented());
    controller->dismiss(true);
    advance(0.125);
    EXPECT_LT(box->layer()->presentation()->opacity(), 0.95);
    advance(0.2);
    EXPECT_EQ(controller->view()->window(), nullptr);

    const auto sheet = alert(AlertController::Style::actionSheet);
    sheet->addAction(action("Cancel", Style::cancel));
    root->present(sheet, true);
    const auto button = sheet->viewForAction(0);
    advance(0.175);
    // Half way up from below the screen: the header (67), the gap (8), the cancel
    // group (57) and the bottom inset (8).
    const double below = button->superview()->superview()->layer()->presentation()->transform().m42;
    EXPECT_NEAR(below, 70, 10);
    advance(0.2);
    EXPECT_EQ(inWindow(button).minY(), 667 - 8 - 57);
}

} // namespace
} // namespace pellavo::ui
