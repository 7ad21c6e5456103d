#include "platform/ui/controller/ViewController.hpp"

#include <gtest/gtest.h>

#include "platform/ui/view/Screen.hpp"
#include "platform/ui/scroll/ScrollView.hpp"
#include "platform/ui/scroll/ScrollViewDelegate.hpp"
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
using Strings = std::vector<std::string>;

class ViewControllerTest : public testing::AppTest {};

constexpr auto flexibleSize = ui::View::AutoresizingMask::flexibleWidth | ui::View::AutoresizingMask::flexibleHeight;

TEST_F(ViewControllerTest, FirstViewAccessLoadsOnceThenCallsViewDidLoad) {
    const CallLog log = makeCallLog();
    const auto controller = makeRecorder("A", log);
    EXPECT_FALSE(controller->isViewLoaded());
    EXPECT_EQ(controller->viewIfLoaded(), nullptr);
    EXPECT_TRUE(log->empty());

    const auto view = controller->view();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(*log, (Strings{"A.loadView", "A.viewDidLoad"}));
    EXPECT_EQ(controller->view(), view);
    controller->loadViewIfNeeded();
    EXPECT_EQ(log->size(), 2u);

    // The plain root view: clear, screen-sized, flexible.
    EXPECT_EQ(view->frame(), ui::Screen::main().bounds());
    EXPECT_EQ(view->autoresizingMask(), flexibleSize);
    EXPECT_FALSE(view->backgroundColor().has_value());
    EXPECT_EQ(view->owningViewController(), controller);
    EXPECT_TRUE(view->subviews().empty());
}

struct ReentrantController : ui::ViewController {
    int loads = 0;
    int didLoads = 0;
    std::shared_ptr<ui::View> seenInLoadView;
    void loadView() override {
        ++loads;
        seenInLoadView = view(); // must not recurse
    }
    void viewDidLoad() override {
        ++didLoads;
        (void)view();
    }
};

TEST_F(ViewControllerTest, LoadViewThatSetsNothingGetsAPlainViewAndReentryIsSafe) {
    const auto controller = ns::make<ReentrantController>();
    const auto view = controller->view();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(controller->seenInLoadView, nullptr);
    EXPECT_EQ(controller->loads, 1);
    EXPECT_EQ(controller->didLoads, 1);
    EXPECT_EQ(view->frame(), ui::Screen::main().bounds());
}

// Stands in for a controller built by the interface-file decoder: the decoded view
// is kept, unloaded.
struct DecodedController : RecordingController {
    DecodedController(CallLog log, std::shared_ptr<ui::View> decoded) : RecordingController("D", std::move(log)) {
        adoptDecodedView(std::move(decoded));
    }
};

TEST_F(ViewControllerTest, DecodedControllerDefersViewDidLoadToFirstAccess) {
    const CallLog log = makeCallLog();
    const auto decoded = ns::make<ui::View>(cg::Rect{0, 0, 100, 50});
    const auto controller = ns::make<DecodedController>(log, decoded);
    EXPECT_TRUE(log->empty());
    EXPECT_TRUE(controller->isViewLoaded());
    EXPECT_EQ(decoded->owningViewController(), controller);

    EXPECT_EQ(controller->view(), decoded);
    EXPECT_EQ(*log, Strings{"D.viewDidLoad"});
    (void)controller->view();
    EXPECT_EQ(log->size(), 1u);
}

// Installs a nib loader for one test and puts back the one it replaced (the
// interface-file loader the platform installs at load time).
struct NibLoaderScope {
    explicit NibLoaderScope(ui::ViewController::NibLoader loader) : previous(ui::ViewController::nibLoader()) {
        ui::ViewController::setNibLoader(std::move(loader));
    }
    ~NibLoaderScope() { ui::ViewController::setNibLoader(std::move(previous)); }
    ui::ViewController::NibLoader previous;
};

TEST_F(ViewControllerTest, NibNameControllerLoadsThroughTheInstalledLoader) {
    std::string askedName;
    std::shared_ptr<ui::View> made;
    NibLoaderScope scope([&](ui::ViewController& owner, const ns::String& name, const ns::Bundle&) {
        askedName = name.utf8();
        if (name.utf8() == "Keyboard") {
            made = ns::make<ui::View>(cg::Rect{0, 0, 375, 216});
            owner.setView(made);
        }
    });
    const CallLog log = makeCallLog();
    const auto controller = ns::make<RecordingController>("K", log, ns::String("Keyboard"), std::nullopt);
    EXPECT_EQ(controller->nibName()->utf8(), "Keyboard");
    EXPECT_EQ(controller->view(), made);
    EXPECT_EQ(askedName, "Keyboard");
    EXPECT_EQ(*log, (Strings{"K.loadView", "K.viewDidLoad"}));
    EXPECT_TRUE(loggedLines().empty());

    // A file that leaves the outlet unset: a line and a plain view.
    const auto empty = ns::make<RecordingController>("E", log, ns::String("Empty"), std::nullopt);
    const auto view = empty->view();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(askedName, "Empty");
    EXPECT_EQ(view->frame(), ui::Screen::main().bounds());
    EXPECT_EQ(loggedLines(), Strings{"ViewController: the \"Empty\" interface file did not set the view outlet; "
                                     "using a plain view"});
}

TEST_F(ViewControllerTest, NibNameWithoutLoaderFallsBackToPlainView) {
    NibLoaderScope scope({});
    const auto controller = ns::make<ui::ViewController>(ns::String("Missing"), std::nullopt);
    EXPECT_NE(controller->view(), nullptr);
    EXPECT_EQ(loggedLines().size(), 1u);
    // An empty name is no name.
    const auto unnamed = ns::make<ui::ViewController>(ns::String(""), std::nullopt);
    EXPECT_FALSE(unnamed->nibName().has_value());
    (void)unnamed->view();
    EXPECT_EQ(loggedLines().size(), 1u);
}

struct LoggingView : ui::View {
    CallLog log;
    using ui::View::View;
    void layoutSubviews() override { log->push_back("view.layoutSubviews"); }
};

struct CustomViewController : RecordingController {
    using RecordingController::RecordingController;
    std::shared_ptr<LoggingView> custom;
    void loadView() override {
        custom = ns::make<LoggingView>(cg::Rect{0, 0, 200, 200});
        custom->log = log;
        setView(custom);
    }
    CallLog log;
};

TEST_F(ViewControllerTest, LayoutHooksWrapOnlyTheRootViewsOwnLayout) {
    const CallLog log = makeCallLog();
    const auto controller = ns::make<CustomViewController>("A", log);
    controller->log = log;
    const auto root = controller->view();
    window()->addSubview(root);
    const auto child = ns::make<ui::View>(cg::Rect{0, 0, 50, 50});
    root->addSubview(child);
    runUntilIdle();
    EXPECT_EQ(only(log, {"ayout"}),
              (Strings{"A.viewWillLayoutSubviews", "view.layoutSubviews", "A.viewDidLayoutSubviews"}));

    // Layout inside the root does not reach the controller.
    log->clear();
    child->setNeedsLayout();
    child->setBounds({0, 0, 60, 60});
    runUntilIdle();
    EXPECT_TRUE(log->empty());

    root->setNeedsLayout();
    root->layoutIfNeeded();
    EXPECT_EQ(*log, (Strings{"A.viewWillLayoutSubviews", "view.layoutSubviews", "A.viewDidLayoutSubviews"}));

    // A view that is no longer the root leaves the controller alone.
    log->clear();
    controller->setView(ns::make<ui::View>());
    EXPECT_EQ(root->owningViewController(), nullptr);
    root->setNeedsLayout();
    root->layoutIfNeeded();
    EXPECT_EQ(*log, Strings{"view.layoutSubviews"});
}

struct ZoomingDelegate : ns::Object, ui::ScrollViewDelegate {
    std::shared_ptr<ui::View> content;
    std::shared_ptr<ui::View> viewForZooming(ui::ScrollView&) override { return content; }
};

TEST_F(ViewControllerTest, ScrollingOrZoomingInsideTheRootCallsNoLayoutHook) {
    const CallLog log = makeCallLog();
    const auto controller = makeRecorder("A", log);
    window()->setRootViewController(controller);
    const auto scroll = ns::make<ui::ScrollView>(cg::Rect{0, 0, 375, 300});
    const auto delegate = ns::make<ZoomingDelegate>();
    delegate->content = ns::make<ui::View>(cg::Rect{0, 0, 750, 600});
    scroll->addSubview(delegate->content);
    scroll->setDelegate(delegate);
    scroll->setContentSize({750, 600});
    scroll->setMaximumZoomScale(3);
    controller->view()->addSubview(scroll);
    runUntilIdle();
    log->clear();

    scroll->setContentOffset({100, 50});
    runUntilIdle();
    scroll->setZoomScale(2);
    runUntilIdle();
    scroll->setContentOffset({0, 0}, true);
    advance(0.5);
    EXPECT_TRUE(only(log, {"Layout"}).empty());
}

TEST_F(ViewControllerTest, ResponderChainRunsThroughTheController) {
    const auto controller = ns::make<ui::ViewController>();
    const auto root = controller->view();
    const auto child = ns::make<ui::View>();
    root->addSubview(child);
    window()->addSubview(root);
    EXPECT_EQ(child->nextResponder(), root);
    EXPECT_EQ(root->nextResponder(), controller);
    EXPECT_EQ(controller->nextResponder(), window());
    EXPECT_EQ(window()->nextResponder().get(), &app());

    root->removeFromSuperview();
    EXPECT_EQ(controller->nextResponder(), nullptr);

    // Another controller taking the view takes the link.
    const auto other = ns::make<ui::ViewController>();
    other->setView(root);
    EXPECT_EQ(root->nextResponder(), other);
    EXPECT_FALSE(controller->isViewLoaded());
}

TEST_F(ViewControllerTest, SetRootViewControllerAppearsSynchronouslyAndReplacesTheOldRoot) {
    const CallLog log = makeCallLog();
    const auto a = makeRecorder("A", log);
    window()->setRootViewController(a);
    EXPECT_EQ(*log, (Strings{"A.loadView", "A.viewDidLoad", "A.viewWillAppear(0)", "A.viewWillLayoutSubviews",
                             "A.viewDidLayoutSubviews", "A.viewDidAppear(0)"}));
    EXPECT_EQ(window()->rootViewController(), a);
    ASSERT_FALSE(window()->subviews().empty());
    EXPECT_EQ(window()->subviews().front(), a->view());
    EXPECT_EQ(a->view()->frame(), window()->bounds());
    EXPECT_EQ(a->view()->autoresizingMask(), flexibleSize);

    // Setting the same root again changes nothing.
    log->clear();
    window()->setRootViewController(a);
    EXPECT_TRUE(log->empty());

    const auto b = makeRecorder("B", log);
    window()->setRootViewController(b);
    EXPECT_EQ(*log, (Strings{"A.viewWillDisappear(0)", "B.loadView", "B.viewDidLoad", "B.viewWillAppear(0)",
                             "B.viewWillLayoutSubviews", "B.viewDidLayoutSubviews", "B.viewDidAppear(0)",
                             "A.viewDidDisappear(0)"}));
    EXPECT_EQ(a->view()->superview(), nullptr);
    EXPECT_EQ(b->view()->superview(), window());

    // Clearing the root.
    log->clear();
    window()->setRootViewController(nullptr);
    EXPECT_EQ(appearanceCalls(log), (Strings{"B.viewWillDisappear(0)", "B.viewDidDisappear(0)"}));
    EXPECT_EQ(b->view()->superview(), nullptr);
}

TEST_F(ViewControllerTest, HiddenWindowShowsItsRootWhenItBecomesVisible) {
    const CallLog log = makeCallLog();
    const auto hidden = ns::make<ui::Window>();
    const auto a = makeRecorder("A", log);
    hidden->setRootViewController(a);
    EXPECT_TRUE(log->empty());
    EXPECT_FALSE(a->isViewLoaded());

    hidden->makeKeyAndVisible();
    EXPECT_EQ(appearanceCalls(log), (Strings{"A.viewWillAppear(0)", "A.viewDidAppear(0)"}));
    EXPECT_EQ(a->view()->superview(), hidden);

    log->clear();
    hidden->setIsHidden(false);
    EXPECT_TRUE(log->empty());
    hidden->setIsHidden(true);
    EXPECT_EQ(appearanceCalls(log), (Strings{"A.viewWillDisappear(0)", "A.viewDidDisappear(0)"}));

    // A root moves from one window to another.
    log->clear();
    hidden->setIsHidden(false);
    log->clear();
    window()->setRootViewController(a);
    EXPECT_EQ(hidden->rootViewController(), nullptr);
    EXPECT_EQ(window()->rootViewController(), a);
    EXPECT_EQ(a->view()->superview(), window());
}

TEST_F(ViewControllerTest, InsertingAViewAloneTriggersNoAppearanceCalls) {
    const CallLog log = makeCallLog();
    const auto a = makeRecorder("A", log);
    window()->addSubview(a->view());
    runUntilIdle();
    EXPECT_TRUE(appearanceCalls(log).empty());
}

TEST_F(ViewControllerTest, ContainmentHooksAndAppearanceForwarding) {
    const CallLog log = makeCallLog();
    const auto parent = makeRecorder("P", log);
    const auto shown = makeRecorder("S", log);
    const auto offscreen = makeRecorder("O", log);

    parent->addChild(shown);
    parent->addChild(offscreen);
    EXPECT_EQ(*log, (Strings{"S.willMoveToParent:P", "O.willMoveToParent:P"}));
    EXPECT_EQ(parent->children(), (std::vector<std::shared_ptr<ui::ViewController>>{shown, offscreen}));
    EXPECT_EQ(shown->parent(), parent);

    // Cycles and repeats are refused.
    parent->addChild(parent);
    shown->addChild(parent);
    parent->addChild(shown);
    EXPECT_EQ(parent->children().size(), 2u);
    EXPECT_TRUE(shown->children().empty());

    parent->view()->addSubview(shown->view());
    (void)offscreen->view();
    log->clear();
    window()->setRootViewController(parent);
    EXPECT_EQ(appearanceCalls(log),
              (Strings{"P.viewWillAppear(0)", "S.viewWillAppear(0)", "P.viewDidAppear(0)", "S.viewDidAppear(0)"}));

    log->clear();
    offscreen->removeFromParent();
    EXPECT_EQ(*log, Strings{"O.didMoveToParent:null"});
    EXPECT_EQ(offscreen->parent(), nullptr);
    EXPECT_EQ(parent->children().size(), 1u);
    offscreen->removeFromParent();
    EXPECT_EQ(log->size(), 1u);
}

TEST_F(ViewControllerTest, NavigationControllerIsTheNearestNavigationAncestor) {
    const auto leaf = ns::make<ui::ViewController>();
    const auto middle = ns::make<ui::ViewController>();
    const auto navigation = ns::make<ui::NavigationController>(middle);
    middle->addChild(leaf);
    EXPECT_EQ(leaf->navigationController(), navigation);
    EXPECT_EQ(middle->navigationController(), navigation);
    EXPECT_EQ(navigation->navigationController(), nullptr);
    EXPECT_EQ(ns::make<ui::ViewController>()->navigationController(), nullptr);
}

TEST_F(ViewControllerTest, StoredOnlyPropertiesAndDefaults) {
    const auto controller = ns::make<ui::ViewController>();
    EXPECT_EQ(controller->edgesForExtendedLayout(), ui::RectEdge::all);
    EXPECT_TRUE(controller->automaticallyAdjustsScrollViewInsets());
    EXPECT_EQ(controller->modalPresentationStyle(), ui::ModalPresentationStyle::fullScreen);
    controller->setEdgesForExtendedLayout(ui::RectEdge::none);
    controller->setAutomaticallyAdjustsScrollViewInsets(false);
    EXPECT_EQ(controller->edgesForExtendedLayout(), ui::RectEdge::none);
    EXPECT_FALSE(controller->automaticallyAdjustsScrollViewInsets());
    // An unknown raw style is ignored.
    controller->setModalPresentationStyle(static_cast<ui::ModalPresentationStyle>(42));
    EXPECT_EQ(controller->modalPresentationStyle(), ui::ModalPresentationStyle::fullScreen);
    const ui::TraitCollection traits = controller->traitCollection();
    EXPECT_EQ(traits.horizontalSizeClass, ui::UserInterfaceSizeClass::compact);
    EXPECT_EQ(traits.verticalSizeClass, ui::UserInterfaceSizeClass::regular);
    EXPECT_EQ(traits.displayScale, 2);
}

TEST_F(ViewControllerTest, ControllerAndViewReleaseEachOther) {
    std::weak_ptr<ui::ViewController> weakController;
    std::shared_ptr<ui::View> view;
    {
        const auto controller = ns::make<ui::ViewController>();
        weakController = controller;
        view = controller->view();
    }
    EXPECT_TRUE(weakController.expired());
    EXPECT_EQ(view->owningViewController(), nullptr);
    EXPECT_EQ(view->nextResponder(), nullptr);
}

} // namespace
} // namespace pellavo
