#include "platform/ui/controller/NavigationController.hpp"

#include <gtest/gtest.h>

#include "platform/ui/view/Window.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/ui/ControllerRecorder.hpp"

namespace pellavo {
namespace {

using testing::appearanceCalls;
using testing::CallLog;
using testing::makeCallLog;
using testing::makeRecorder;
using testing::only;
using testing::RecordingController;
using Controllers = std::vector<std::shared_ptr<ui::ViewController>>;
using Strings = std::vector<std::string>;

class NavigationControllerTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        log = makeCallLog();
        first = makeRecorder("R", log);
        navigation = ns::make<testing::RecordingNavigationController>("N", log, first);
    }

    void show() {
        window()->setRootViewController(navigation);
        log->clear();
    }

    CallLog log;
    std::shared_ptr<RecordingController> first;
    std::shared_ptr<testing::RecordingNavigationController> navigation;
};

TEST_F(NavigationControllerTest, RootIsTheFirstChildAndFillsTheView) {
    EXPECT_EQ(*log, (Strings{"R.willMoveToParent:N", "R.didMoveToParent:N"}));
    EXPECT_EQ(navigation->viewControllers(), Controllers{first});
    EXPECT_EQ(navigation->topViewController(), first);
    EXPECT_EQ(navigation->visibleViewController(), first);
    EXPECT_EQ(first->navigationController(), navigation);
    EXPECT_FALSE(first->isViewLoaded());

    show();
    ASSERT_TRUE(first->isViewLoaded());
    EXPECT_EQ(first->view()->superview(), navigation->view());
    EXPECT_EQ(first->view()->frame(), navigation->view()->bounds());
    window()->setRootViewController(nullptr);
    EXPECT_EQ(appearanceCalls(log), (Strings{"N.viewWillDisappear(0)", "R.viewWillDisappear(0)",
                                             "N.viewDidDisappear(0)", "R.viewDidDisappear(0)"}));
}

TEST_F(NavigationControllerTest, PushAndPopSlideWithAppearanceCallsOnOldAndNewTop) {
    show();
    const auto second = makeRecorder("S", log);
    navigation->pushViewController(second, true);
    EXPECT_EQ(navigation->viewControllers(), (Controllers{first, second}));
    EXPECT_EQ(second->navigationController(), navigation);
    EXPECT_EQ(second->view()->superview(), navigation->view());
    advance(0.175);
    EXPECT_NEAR(testing::shownOrigin(*second->view()).x, 375 / 2.0, 1);
    EXPECT_NEAR(testing::shownOrigin(*first->view()).x, -375 / 2.0, 1);
    EXPECT_EQ(appearanceCalls(log), (Strings{"R.viewWillDisappear(1)", "S.viewWillAppear(1)"}));
    advance(0.185);
    EXPECT_EQ(only(log, {"Appear", "Disappear", "MoveToParent"}),
              (Strings{"S.willMoveToParent:N", "R.viewWillDisappear(1)", "S.viewWillAppear(1)",
                       "S.viewDidAppear(1)", "R.viewDidDisappear(1)", "S.didMoveToParent:N"}));
    EXPECT_EQ(first->view()->superview(), nullptr);
    EXPECT_EQ(second->view()->frame(), navigation->view()->bounds());

    log->clear();
    const auto popped = navigation->popViewController(true);
    EXPECT_EQ(popped, second);
    EXPECT_EQ(navigation->viewControllers(), Controllers{first});
    EXPECT_EQ(first->view()->superview(), navigation->view());
    advance(0.175);
    EXPECT_NEAR(testing::shownOrigin(*second->view()).x, 375 / 2.0, 1);
    EXPECT_NEAR(testing::shownOrigin(*first->view()).x, -375 / 2.0, 1);
    advance(0.185);
    EXPECT_EQ(only(log, {"Appear", "Disappear", "MoveToParent"}),
              (Strings{"S.willMoveToParent:null", "S.viewWillDisappear(1)", "R.viewWillAppear(1)",
                       "R.viewDidAppear(1)", "S.viewDidDisappear(1)", "S.didMoveToParent:null"}));
    EXPECT_EQ(second->view()->superview(), nullptr);
    EXPECT_EQ(second->parent(), nullptr);
    EXPECT_EQ(first->view()->frame(), navigation->view()->bounds());

    // The root never goes.
    log->clear();
    EXPECT_EQ(navigation->popViewController(true), nullptr);
    EXPECT_EQ(navigation->viewControllers(), Controllers{first});
    EXPECT_TRUE(log->empty());
}

TEST_F(NavigationControllerTest, WithoutAnimationTheCallsComeAtOnce) {
    show();
    const auto second = makeRecorder("S", log);
    navigation->pushViewController(second, false);
    EXPECT_EQ(appearanceCalls(log), (Strings{"R.viewWillDisappear(0)", "S.viewWillAppear(0)", "S.viewDidAppear(0)",
                                             "R.viewDidDisappear(0)"}));
    EXPECT_EQ(first->view()->superview(), nullptr);
}

TEST_F(NavigationControllerTest, OffScreenStackChangesWithoutAppearanceCalls) {
    const auto second = makeRecorder("S", log);
    navigation->pushViewController(second, true);
    EXPECT_EQ(navigation->topViewController(), second);
    EXPECT_FALSE(second->isViewLoaded());
    EXPECT_TRUE(appearanceCalls(log).empty());
    // The view shows the top controller once it loads.
    EXPECT_EQ(second->view()->superview(), navigation->view());
    EXPECT_FALSE(first->isViewLoaded());
}

TEST_F(NavigationControllerTest, PushingAControllerThatIsAlreadyShownIsIgnored) {
    show();
    const auto presented = makeRecorder("P", log);
    navigation->present(presented, false);
    runUntilIdle();
    EXPECT_EQ(navigation->visibleViewController(), presented);
    const auto other = ns::make<ui::NavigationController>(makeRecorder("O", log));
    const auto stacked = other->topViewController();

    const std::vector<std::pair<std::string, std::shared_ptr<ui::ViewController>>> cases{
        {"NavigationController: cannot push R, which is already in a stack or presented; ignored", first},
        {"NavigationController: cannot push P, which is already in a stack or presented; ignored", presented},
        {"NavigationController: cannot push O, which is already in a stack or presented; ignored", stacked},
        {"NavigationController: cannot push N, which is already in a stack or presented; ignored", navigation},
    };
    for (const auto& [line, controller] : cases) {
        SCOPED_TRACE(line);
        const auto before = loggedLines().size();
        navigation->pushViewController(controller, true);
        ASSERT_EQ(loggedLines().size(), before + 1);
        EXPECT_EQ(loggedLines().back(), line);
        EXPECT_EQ(navigation->viewControllers(), Controllers{first});
    }
    EXPECT_EQ(stacked->parent(), other);
}

TEST_F(NavigationControllerTest, SetViewControllersReplacesTheStack) {
    show();
    const auto second = makeRecorder("S", log);
    const auto third = makeRecorder("T", log);
    navigation->setViewControllers({second, nullptr, third, second}, false);
    EXPECT_EQ(navigation->viewControllers(), (Controllers{second, third}));
    EXPECT_EQ(first->parent(), nullptr);
    EXPECT_EQ(third->view()->superview(), navigation->view());
    EXPECT_EQ(first->view()->superview(), nullptr);
    EXPECT_EQ(appearanceCalls(log), (Strings{"R.viewWillDisappear(0)", "T.viewWillAppear(0)", "T.viewDidAppear(0)",
                                             "R.viewDidDisappear(0)"}));
    // An empty list changes nothing.
    navigation->setViewControllers({}, true);
    EXPECT_EQ(navigation->viewControllers(), (Controllers{second, third}));
}

TEST_F(NavigationControllerTest, ChildrenOfAPresentedNavigationControllerReportItsPresenter) {
    const auto presenter = makeRecorder("A", log);
    window()->setRootViewController(presenter);
    presenter->present(navigation, false);
    runUntilIdle();
    const auto second = makeRecorder("S", log);
    navigation->pushViewController(second, false);
    EXPECT_EQ(first->presentingViewController(), presenter);
    EXPECT_EQ(second->presentingViewController(), presenter);
    EXPECT_EQ(presenter->presentedViewController(), navigation);

    // A child dismisses the navigation controller.
    second->dismiss(false);
    runUntilIdle();
    EXPECT_EQ(presenter->presentedViewController(), nullptr);
    EXPECT_EQ(navigation->view()->window(), nullptr);
}

} // namespace
} // namespace pellavo
