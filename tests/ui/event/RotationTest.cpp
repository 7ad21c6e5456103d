#include <gtest/gtest.h>

#include "platform/ns/NotificationCenter.hpp"
#include "platform/ui/event/Application.hpp"
#include "platform/ui/view/Screen.hpp"
#include "platform/ui/controller/ViewControllerTransitionCoordinator.hpp"
#include "platform/ui/view/Window.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/ui/ControllerRecorder.hpp"

namespace pellavo {
namespace {

using testing::CallLog;
using testing::makeCallLog;
using testing::makeRecorder;
using testing::only;
using testing::RecordingController;
using testing::sizeText;
using Orientation = ui::InterfaceOrientation;
using Strings = std::vector<std::string>;

class RotationTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        log = makeCallLog();
        root = makeRecorder("A", log);
        child = makeRecorder("AC", log);
        root->addChild(child);
        window()->setRootViewController(root);
        presented = makeRecorder("B", log);
        presented->setModalPresentationStyle(ui::ModalPresentationStyle::overFullScreen);
        root->present(presented, false);
        runUntilIdle();
        // The notification records what the screen looked like when it was posted.
        observer = ns::NotificationCenter::defaultCenter().addObserver(
            ns::UIApplicationDidChangeStatusBarOrientationNotification, nullptr, [this](const ns::Notification& note) {
                log->push_back("notification:" + sizeText(ui::Screen::main().bounds().size) +
                               (note.object().get() == &app() ? " from app" : ""));
            });
        log->clear();
    }
    void TearDown() override {
        ns::NotificationCenter::defaultCenter().removeObserver(observer);
        AppTest::TearDown();
    }

    CallLog log;
    std::shared_ptr<RecordingController> root;
    std::shared_ptr<RecordingController> child;
    std::shared_ptr<RecordingController> presented;
    std::shared_ptr<ns::Object> observer;
};

TEST_F(RotationTest, CallsComeInOrderAcrossRootChildrenAndPresented) {
    app().simulateRotation(Orientation::landscapeLeft);
    EXPECT_EQ(only(log, {"Transition", "notification", "traitCollection"}),
              (Strings{"A.willTransition:compact", "AC.willTransition:compact", "B.willTransition:compact",
                       "A.viewWillTransition:667x375", "AC.viewWillTransition:667x375",
                       "B.viewWillTransition:667x375", "notification:667x375 from app",
                       "A.traitCollectionDidChange:fromRegular", "AC.traitCollectionDidChange:fromRegular",
                       "B.traitCollectionDidChange:fromRegular"}));
    EXPECT_EQ(app().statusBarOrientation(), Orientation::landscapeLeft);
    EXPECT_EQ(root->traitCollection().verticalSizeClass, ui::UserInterfaceSizeClass::compact);
    EXPECT_EQ(root->traitCollection().horizontalSizeClass, ui::UserInterfaceSizeClass::compact);
    ASSERT_NE(root->lastCoordinator, nullptr);
    EXPECT_DOUBLE_EQ(root->lastCoordinator->transitionDuration(), 0.3);
    EXPECT_EQ(root->lastCoordinator, presented->lastCoordinator);
}

TEST_F(RotationTest, ScreenWindowsAndRootViewsTakeTheNewSize) {
    const auto second = ns::make<ui::Window>();
    second->makeKeyAndVisible();
    driver().rotate(Orientation::landscapeRight);
    advance(0.31);
    const cg::Rect landscape{0, 0, 667, 375};
    EXPECT_EQ(ui::Screen::main().bounds(), landscape);
    EXPECT_EQ(window()->frame(), landscape);
    EXPECT_EQ(second->frame(), landscape);
    EXPECT_EQ(root->view()->frame(), landscape);
    EXPECT_EQ(presented->view()->frame(), landscape);
    // The layout the rotation runs reaches the controllers.
    EXPECT_FALSE(only(log, {"A.viewDidLayoutSubviews"}).empty());

    driver().rotate(Orientation::portrait);
    advance(0.31);
    EXPECT_EQ(ui::Screen::main().bounds(), (cg::Rect{0, 0, 375, 667}));
    EXPECT_EQ(root->view()->frame(), (cg::Rect{0, 0, 375, 667}));
}

TEST_F(RotationTest, WindowsAndRootViewsResizeInOneThreeTenthsAnimation) {
    driver().rotate(Orientation::landscapeLeft);
    // The model is final at once.
    EXPECT_EQ(window()->bounds().size, (cg::Size{667, 375}));
    EXPECT_EQ(root->view()->bounds().size, (cg::Size{667, 375}));
    advance(0.15);
    const double midWidth = (375 + 667) / 2.0;
    EXPECT_NEAR(window()->layer()->presentation()->bounds().width(), midWidth, 1);
    EXPECT_NEAR(root->view()->layer()->presentation()->bounds().width(), midWidth, 1);
    EXPECT_NEAR(presented->view()->layer()->presentation()->bounds().height(), midWidth, 1);
    advance(0.16);
    EXPECT_NEAR(window()->layer()->presentation()->bounds().width(), 667, 1e-9);
}

TEST_F(RotationTest, SameOrientationDoesNothingAndSameTraitsSkipTraitCalls) {
    app().simulateRotation(Orientation::portrait);
    app().simulateRotation(static_cast<Orientation>(9));
    advance(0.5);
    EXPECT_TRUE(log->empty());
    EXPECT_EQ(ui::Screen::main().bounds(), (cg::Rect{0, 0, 375, 667}));

    // Upside down keeps the size and the traits: only the size call and the notification.
    app().simulateRotation(Orientation::portraitUpsideDown);
    EXPECT_EQ(only(log, {"Transition", "notification", "traitCollection"}),
              (Strings{"A.viewWillTransition:375x667", "AC.viewWillTransition:375x667", "B.viewWillTransition:375x667",
                       "notification:375x667 from app"}));
    EXPECT_EQ(app().statusBarOrientation(), Orientation::portraitUpsideDown);

    // Landscape to landscape does not swap again.
    app().simulateRotation(Orientation::landscapeLeft);
    log->clear();
    app().simulateRotation(Orientation::landscapeRight);
    EXPECT_EQ(only(log, {"A.viewWillTransition"}), Strings{"A.viewWillTransition:667x375"});
    EXPECT_TRUE(only(log, {"traitCollection", "willTransition"}).empty());
}

TEST_F(RotationTest, CoordinatorRunsAlongsideAnimationsAndCompletionsAtTheEnd) {
    struct Alongside : RecordingController {
        using RecordingController::RecordingController;
        void viewWillTransition(cg::Size size,
                                const std::shared_ptr<ui::ViewControllerTransitionCoordinator>& coordinator) override {
            RecordingController::viewWillTransition(size, coordinator);
            const auto weakView = std::weak_ptr<ui::View>(view());
            coordinator->animateAlongsideTransition(
                [this, weakView](ui::ViewControllerTransitionCoordinator&) {
                    if (auto v = weakView.lock()) widthInBlock = v->bounds().width();
                },
                [this](ui::ViewControllerTransitionCoordinator&) { ++completions; });
        }
        cg::Float widthInBlock = 0;
        int completions = 0;
    };
    const auto controller = ns::make<Alongside>("X", log);
    window()->setRootViewController(controller);
    app().simulateRotation(Orientation::landscapeLeft);
    // Laid out before the alongside block runs.
    EXPECT_EQ(controller->widthInBlock, 667);
    EXPECT_EQ(controller->completions, 0);
    advance(0.29);
    EXPECT_EQ(controller->completions, 0);
    advance(0.02);
    EXPECT_EQ(controller->completions, 1);
    // Too late to join once the animation has run.
    EXPECT_FALSE(controller->lastCoordinator->animateAlongsideTransition({}, {}));
    advance(1);
    EXPECT_EQ(controller->completions, 1);
}

} // namespace
} // namespace pellavo
