#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/controller/ViewController.hpp"
#include "platform/ui/controller/ViewControllerAnimatedTransitioning.hpp"
#include "platform/ui/controller/ViewControllerContextTransitioning.hpp"
#include "platform/ui/controller/ViewControllerTransitioningDelegate.hpp"
#include "platform/ui/view/Window.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/ui/ControllerRecorder.hpp"

namespace pellavo {
namespace {

using testing::appearanceCalls;
using testing::CallLog;
using testing::makeCallLog;
using testing::makeRecorder;
using testing::RecordingController;
using Strings = std::vector<std::string>;
using Key = ui::TransitionContextKey;

// The full-window containers in the window, bottom first.
std::vector<std::shared_ptr<ui::View>> containers(const ui::Window& window) {
    std::vector<std::shared_ptr<ui::View>> result;
    for (const auto& view : window.subviews())
        if (view->className() == "UITransitionView") result.push_back(view);
    return result;
}

class PresentationTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        log = makeCallLog();
        root = makeRecorder("A", log);
        window()->setRootViewController(root);
        log->clear();
    }

    // A completion that counts its calls and records itself in the log.
    ui::ViewController::Completion counting(int& count) {
        return [this, &count] {
            ++count;
            log->push_back("completion");
        };
    }

    CallLog log;
    std::shared_ptr<RecordingController> root;
};

TEST_F(PresentationTest, FullScreenLinksAtOnceThenSlidesInAndRemovesThePresenter) {
    // A child shown inside the root takes part in the root's appearance.
    window()->setRootViewController(nullptr);
    const auto child = makeRecorder("C", log);
    root->addChild(child);
    root->view()->addSubview(child->view());
    window()->setRootViewController(root);
    log->clear();
    const auto b = makeRecorder("B", log);
    int completions = 0;
    child->present(b, true, counting(completions));

    // Presented by the topmost parent; the links are there when present returns.
    EXPECT_EQ(root->presentedViewController(), b);
    EXPECT_EQ(child->presentedViewController(), b);
    EXPECT_EQ(b->presentingViewController(), root);
    EXPECT_TRUE(b->isBeingPresented());
    const auto boxes = containers(*window());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(window()->subviews().back(), boxes[0]);
    EXPECT_EQ(boxes[0]->frame(), (cg::Rect{0, 0, 375, 667}));
    EXPECT_EQ(b->view()->superview(), boxes[0]);
    EXPECT_EQ(root->view()->superview(), window());
    EXPECT_EQ(completions, 0);

    advance(0.36);
    EXPECT_EQ(appearanceCalls(log), (Strings{"A.viewWillDisappear(1)", "C.viewWillDisappear(1)", "B.viewWillAppear(1)",
                                             "B.viewDidAppear(1)", "A.viewDidDisappear(1)", "C.viewDidDisappear(1)",
                                             "completion"}));
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(root->view()->superview(), nullptr);
    EXPECT_EQ(b->view()->frame(), (cg::Rect{0, 0, 375, 667}));
    EXPECT_FALSE(b->isBeingPresented());
    advance(1);
    EXPECT_EQ(completions, 1);
}

TEST_F(PresentationTest, TheSlideTakesThirtyFiveHundredthsOfASecond) {
    const auto b = makeRecorder("B", log);
    int completions = 0;
    root->present(b, true, counting(completions));
    // The model is final at once; the screen shows the slide.
    EXPECT_EQ(b->view()->frame().origin.y, 0);
    advance(0.175);
    EXPECT_NEAR(testing::shownOrigin(*b->view()).y, 667 / 2.0, 1);
    EXPECT_EQ(root->view()->superview(), window());
    EXPECT_EQ(completions, 0);
    EXPECT_EQ(appearanceCalls(log), (Strings{"A.viewWillDisappear(1)", "B.viewWillAppear(1)"}));
    advance(0.185);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(root->view()->superview(), nullptr);
    EXPECT_NEAR(testing::shownOrigin(*b->view()).y, 0, 1e-9);

    b->dismiss(true, counting(completions));
    advance(0.05);
    const double early = testing::shownOrigin(*b->view()).y;
    advance(0.125);
    EXPECT_NEAR(testing::shownOrigin(*b->view()).y, 667 / 2.0, 1);
    EXPECT_GT(testing::shownOrigin(*b->view()).y, early);
    EXPECT_EQ(root->presentedViewController(), b);
    advance(0.185);
    EXPECT_EQ(completions, 2);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(PresentationTest, DismissalRunsInReverseAndRestoresThePresenter) {
    const auto b = makeRecorder("B", log);
    root->present(b, true);
    advance(0.36);
    log->clear();

    int completions = 0;
    b->dismiss(true, counting(completions));
    // The presenter is back below the container at once, laid out; the links stay
    // until the dismissal completes.
    const auto boxes = containers(*window());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(root->view()->superview(), window());
    EXPECT_EQ(window()->subviews().front(), root->view());
    EXPECT_EQ(root->view()->frame(), window()->bounds());
    EXPECT_EQ(root->presentedViewController(), b);
    EXPECT_TRUE(b->isBeingDismissed());

    advance(0.36);
    EXPECT_EQ(appearanceCalls(log), (Strings{"B.viewWillDisappear(1)", "A.viewWillAppear(1)", "A.viewDidAppear(1)",
                                             "B.viewDidDisappear(1)", "completion"}));
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(containers(*window()).empty());
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(b->presentingViewController(), nullptr);
    EXPECT_EQ(b->view()->superview(), nullptr);
    EXPECT_FALSE(b->isBeingDismissed());
}

TEST_F(PresentationTest, WithoutAnimationEverythingChangesAtOnceAndDidCallsComeNextTurn) {
    const auto b = makeRecorder("B", log);
    int completions = 0;
    root->present(b, false, counting(completions));
    EXPECT_EQ(root->view()->superview(), nullptr);
    EXPECT_EQ(b->view()->frame(), window()->bounds());
    EXPECT_EQ(appearanceCalls(log), (Strings{"A.viewWillDisappear(0)", "B.viewWillAppear(0)"}));
    EXPECT_EQ(completions, 0);
    runUntilIdle();
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(appearanceCalls(log), (Strings{"A.viewWillDisappear(0)", "B.viewWillAppear(0)", "B.viewDidAppear(0)",
                                             "A.viewDidDisappear(0)", "completion"}));

    log->clear();
    completions = 0;
    root->dismiss(false, counting(completions));
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_TRUE(containers(*window()).empty());
    EXPECT_EQ(root->view()->superview(), window());
    EXPECT_EQ(completions, 0);
    runUntilIdle();
    EXPECT_EQ(appearanceCalls(log), (Strings{"B.viewWillDisappear(0)", "A.viewWillAppear(0)", "A.viewDidAppear(0)",
                                             "B.viewDidDisappear(0)", "completion"}));
}

TEST_F(PresentationTest, RefusedPresentationsLogOneLineAndCallNothing) {
    const auto b = makeRecorder("B", log);
    root->present(b, false);
    runUntilIdle();
    const auto outside = makeRecorder("X", log);
    (void)outside->view();

    struct Case {
        std::string label;
        std::shared_ptr<ui::ViewController> on;
        std::shared_ptr<ui::ViewController> presented;
        std::string line;
    };
    const auto c = makeRecorder("C", log);
    const std::vector<Case> cases{
        {"already presenting", root, c, "Attempt to present C on A, which is already presenting B"},
        {"not in a window", outside, c, "Attempt to present C on X, whose view is not in the window hierarchy"},
        {"itself", b, b, "Attempt to present B on B, which is already presented"},
        {"a window root", b, root, "Attempt to present A on B, which is already presented"},
        {"a presented controller", outside, b, "Attempt to present B on X, which is already presented"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.label);
        log->clear();
        int completions = 0;
        const auto subviews = window()->subviews().size();
        const auto lines = loggedLines().size();
        test.on->present(test.presented, true, counting(completions));
        advance(0.5);
        ASSERT_EQ(loggedLines().size(), lines + 1);
        EXPECT_EQ(loggedLines().back(), test.line);
        EXPECT_EQ(completions, 0);
        EXPECT_TRUE(appearanceCalls(log).empty());
        EXPECT_EQ(window()->subviews().size(), subviews);
        EXPECT_EQ(root->presentedViewController(), b);
        EXPECT_EQ(b->presentedViewController(), nullptr);
        EXPECT_EQ(c->presentingViewController(), nullptr);
    }
}

TEST_F(PresentationTest, PresentingDuringATransitionIsRefused) {
    const auto b = makeRecorder("B", log);
    const auto c = makeRecorder("C", log);
    root->present(b, true);
    int completions = 0;
    b->present(c, true, counting(completions));
    EXPECT_EQ(loggedLines(), Strings{"Attempt to present C on B, while a presentation or dismissal is in progress"});
    advance(0.5);
    EXPECT_EQ(completions, 0);
    EXPECT_EQ(b->presentedViewController(), nullptr);

    // Once the slide is over it goes through.
    b->present(c, true, counting(completions));
    advance(0.5);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(window()->topMostViewController(), c);
}

TEST_F(PresentationTest, OverFullScreenKeepsThePresenterWithoutAppearanceCalls) {
    const auto b = makeRecorder("B", log);
    b->setModalPresentationStyle(ui::ModalPresentationStyle::overFullScreen);
    root->present(b, true);
    advance(0.36);
    EXPECT_EQ(root->view()->superview(), window());
    EXPECT_EQ(appearanceCalls(log), (Strings{"B.viewWillAppear(1)", "B.viewDidAppear(1)"}));
    log->clear();
    root->dismiss(true);
    advance(0.36);
    EXPECT_EQ(appearanceCalls(log), (Strings{"B.viewWillDisappear(1)", "B.viewDidDisappear(1)"}));
    EXPECT_EQ(root->view()->superview(), window());
}

TEST_F(PresentationTest, DismissWithNothingToDismissCallsNothing) {
    int completions = 0;
    root->dismiss(true, counting(completions));
    root->dismiss(false, counting(completions));
    advance(1);
    EXPECT_EQ(completions, 0);
    EXPECT_TRUE(loggedLines().empty());
}

TEST_F(PresentationTest, ChildDismissesForItsParentAndAChainOfThreeGoesTogether) {
    const auto b = makeRecorder("B", log);
    const auto bChild = makeRecorder("BC", log);
    b->addChild(bChild);
    const auto c = makeRecorder("C", log);
    root->present(b, false);
    runUntilIdle();
    bChild->present(c, false);
    runUntilIdle();
    EXPECT_EQ(window()->topMostViewController(), c);
    EXPECT_EQ(c->presentingViewController(), b);
    EXPECT_EQ(bChild->presentingViewController(), root);
    EXPECT_EQ(containers(*window()).size(), 2u);

    // The root dismisses both: C at once, B with the slide.
    log->clear();
    int completions = 0;
    root->dismiss(true, counting(completions));
    EXPECT_EQ(appearanceCalls(log), (Strings{"C.viewWillDisappear(0)", "C.viewDidDisappear(0)",
                                             "A.viewWillAppear(1)"}));
    EXPECT_EQ(c->presentingViewController(), nullptr);
    EXPECT_EQ(containers(*window()).size(), 1u);
    advance(0.36);
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(containers(*window()).empty());
    EXPECT_EQ(window()->topMostViewController(), root);
    EXPECT_EQ(root->view()->superview(), window());

    // A child of a presented controller dismisses that controller.
    root->present(b, false);
    runUntilIdle();
    bChild->dismiss(false);
    runUntilIdle();
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(PresentationTest, TopMostViewControllerFollowsThePresentedChain) {
    EXPECT_EQ(window()->topMostViewController(), root);
    const auto b = makeRecorder("B", log);
    const auto c = makeRecorder("C", log);
    root->present(b, false);
    b->present(c, false);
    runUntilIdle();
    EXPECT_EQ(window()->topMostViewController(), c);
    window()->setRootViewController(nullptr);
    EXPECT_EQ(window()->topMostViewController(), nullptr);
}

TEST_F(PresentationTest, ReplacingTheRootTakesItsPresentationsAlong) {
    const auto b = makeRecorder("B", log);
    root->present(b, false);
    runUntilIdle();
    log->clear();
    const auto next = makeRecorder("N", log);
    window()->setRootViewController(next);
    EXPECT_TRUE(containers(*window()).empty());
    EXPECT_EQ(b->presentingViewController(), nullptr);
    EXPECT_EQ(root->view()->superview(), nullptr);
    EXPECT_EQ(next->view()->superview(), window());
    EXPECT_EQ(appearanceCalls(log)[0], "B.viewWillDisappear(0)");
}

// ---------------------------------------------------------------- custom transitions

struct RecordingAnimator : ns::Object, ui::ViewControllerAnimatedTransitioning {
    CallLog log;
    double duration = 0.5;
    int durationCalls = 0;
    int animateCalls = 0;
    bool addsView = true;
    std::weak_ptr<ui::ViewControllerContextTransitioning> context;

    double transitionDuration(const std::shared_ptr<ui::ViewControllerContextTransitioning>&) override {
        ++durationCalls;
        return duration;
    }
    void animateTransition(const std::shared_ptr<ui::ViewControllerContextTransitioning>& ctx) override {
        ++animateCalls;
        log->push_back("animateTransition");
        context = ctx;
        if (addsView)
            if (auto to = ctx->viewForKey(Key::to)) ctx->containerView()->addSubview(to);
    }
    void animationEnded(bool completed) override {
        log->push_back(std::string("animationEnded(") + (completed ? "1" : "0") + ")");
    }
};

struct RecordingDelegate : ns::Object, ui::ViewControllerTransitioningDelegate {
    std::shared_ptr<RecordingAnimator> presentAnimator;
    std::shared_ptr<RecordingAnimator> dismissAnimator;
    std::vector<std::shared_ptr<ui::ViewController>> presentArguments;
    std::shared_ptr<ui::ViewController> dismissed;

    std::shared_ptr<ui::ViewControllerAnimatedTransitioning> animationControllerForPresented(
        const std::shared_ptr<ui::ViewController>& presented, const std::shared_ptr<ui::ViewController>& presenting,
        const std::shared_ptr<ui::ViewController>& source) override {
        presentArguments = {presented, presenting, source};
        return presentAnimator;
    }
    std::shared_ptr<ui::ViewControllerAnimatedTransitioning> animationControllerForDismissed(
        const std::shared_ptr<ui::ViewController>& controller) override {
        dismissed = controller;
        return dismissAnimator;
    }
};

class CustomTransitionTest : public PresentationTest {
protected:
    void SetUp() override {
        PresentationTest::SetUp();
        delegate = ns::make<RecordingDelegate>();
        delegate->presentAnimator = ns::make<RecordingAnimator>();
        delegate->presentAnimator->log = log;
        delegate->dismissAnimator = ns::make<RecordingAnimator>();
        delegate->dismissAnimator->log = log;
        presented = makeRecorder("B", log);
        presented->setModalPresentationStyle(ui::ModalPresentationStyle::custom);
        presented->setTransitioningDelegate(delegate);
    }

    std::shared_ptr<RecordingDelegate> delegate;
    std::shared_ptr<RecordingController> presented;
};

TEST_F(CustomTransitionTest, AnimatorGetsTheContextAndCompletionFinishesThePresentation) {
    int completions = 0;
    root->present(presented, true, counting(completions));
    const auto& animator = *delegate->presentAnimator;
    EXPECT_EQ(delegate->presentArguments,
              (std::vector<std::shared_ptr<ui::ViewController>>{presented, root, root}));
    EXPECT_EQ(animator.durationCalls, 1);
    EXPECT_EQ(animator.animateCalls, 1);
    const auto context = animator.context.lock();
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(context->containerView()->frame(), (cg::Rect{0, 0, 375, 667}));
    EXPECT_EQ(context->containerView()->className(), "UITransitionView");
    EXPECT_EQ(context->viewControllerForKey(Key::from), root);
    EXPECT_EQ(context->viewControllerForKey(Key::to), presented);
    EXPECT_EQ(context->viewForKey(Key::from), nullptr);
    EXPECT_EQ(context->viewForKey(Key::to), presented->view());
    EXPECT_EQ(context->finalFrameForViewController(*presented), (cg::Rect{0, 0, 375, 667}));
    EXPECT_EQ(context->initialFrameForViewController(*presented), cg::Rect{});
    EXPECT_TRUE(context->isAnimated());
    EXPECT_FALSE(context->isInteractive());
    EXPECT_FALSE(context->transitionWasCancelled());
    // The presenter stays, with no appearance calls.
    EXPECT_EQ(root->view()->superview(), window());
    EXPECT_EQ(appearanceCalls(log), Strings{"B.viewWillAppear(1)"});

    // Nothing happens until the animator says so.
    advance(2);
    EXPECT_EQ(completions, 0);
    EXPECT_TRUE(presented->isBeingPresented());

    log->clear();
    context->completeTransition(true);
    EXPECT_EQ(*log, (Strings{"B.viewDidAppear(1)", "animationEnded(1)", "completion"}));
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(root->view()->superview(), window());

    // A second completion is ignored, with a line.
    context->completeTransition(true);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(loggedLines(), Strings{"completeTransition: called more than once for this transition; ignored"});
}

TEST_F(CustomTransitionTest, ThePresentedViewIsAbsentUntilAddedAndAddedIfForgotten) {
    delegate->presentAnimator->addsView = false;
    root->present(presented, true);
    const auto context = delegate->presentAnimator->context.lock();
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(presented->view()->superview(), nullptr);
    EXPECT_TRUE(context->containerView()->subviews().empty());
    context->completeTransition(true);
    EXPECT_EQ(presented->view()->superview(), context->containerView());
    EXPECT_EQ(presented->view()->frame(), (cg::Rect{0, 0, 375, 667}));
}

TEST_F(CustomTransitionTest, CancelledPresentationIsUndoneWithoutDidCalls) {
    int completions = 0;
    root->present(presented, true, counting(completions));
    const auto context = delegate->presentAnimator->context.lock();
    ASSERT_NE(context, nullptr);
    log->clear();
    context->completeTransition(false);
    EXPECT_EQ(*log, (Strings{"animationEnded(0)", "completion"}));
    EXPECT_TRUE(context->transitionWasCancelled());
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(presented->presentingViewController(), nullptr);
    EXPECT_TRUE(containers(*window()).empty());
    EXPECT_EQ(presented->view()->superview(), nullptr);

    // It can be presented again afterwards.
    root->present(presented, true);
    EXPECT_EQ(root->presentedViewController(), presented);
}

TEST_F(CustomTransitionTest, PendingTransitionBlocksOtherPresentations) {
    root->present(presented, true);
    const auto other = makeRecorder("C", log);
    presented->present(other, false);
    EXPECT_EQ(loggedLines(), Strings{"Attempt to present C on B, while a presentation or dismissal is in progress"});
    delegate->presentAnimator->context.lock()->completeTransition(true);
    presented->present(other, false);
    EXPECT_EQ(presented->presentedViewController(), other);
}

TEST_F(CustomTransitionTest, NullAnimatorFallsBackToTheSlide) {
    delegate->presentAnimator = nullptr;
    delegate->dismissAnimator = nullptr;
    int completions = 0;
    root->present(presented, true, counting(completions));
    EXPECT_EQ(presented->view()->superview(), containers(*window()).at(0));
    advance(0.36);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(appearanceCalls(log), (Strings{"B.viewWillAppear(1)", "B.viewDidAppear(1)", "completion"}));
    EXPECT_EQ(root->view()->superview(), window());
    presented->dismiss(true, counting(completions));
    EXPECT_EQ(delegate->dismissed, presented);
    advance(0.36);
    EXPECT_EQ(completions, 2);
    EXPECT_TRUE(containers(*window()).empty());
}

TEST_F(CustomTransitionTest, DismissalAnimatorGetsTheReversedContext) {
    root->present(presented, true);
    delegate->presentAnimator->context.lock()->completeTransition(true);
    log->clear();
    int completions = 0;
    presented->dismiss(true, counting(completions));
    EXPECT_EQ(delegate->dismissed, presented);
    const auto context = delegate->dismissAnimator->context.lock();
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(context->viewControllerForKey(Key::from), presented);
    EXPECT_EQ(context->viewControllerForKey(Key::to), root);
    EXPECT_EQ(context->viewForKey(Key::from), presented->view());
    EXPECT_EQ(context->viewForKey(Key::to), nullptr);
    EXPECT_EQ(context->initialFrameForViewController(*presented), (cg::Rect{0, 0, 375, 667}));
    EXPECT_EQ(appearanceCalls(log), Strings{"B.viewWillDisappear(1)"});
    EXPECT_EQ(root->presentedViewController(), presented);

    log->clear();
    context->completeTransition(true);
    EXPECT_EQ(*log, (Strings{"B.viewDidDisappear(1)", "animationEnded(1)", "completion"}));
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_TRUE(containers(*window()).empty());
}

TEST_F(CustomTransitionTest, CancelledDismissalKeepsThePresentation) {
    root->present(presented, true);
    delegate->presentAnimator->context.lock()->completeTransition(true);
    presented->dismiss(true);
    const auto context = delegate->dismissAnimator->context.lock();
    ASSERT_NE(context, nullptr);
    context->containerView()->subviews().front()->removeFromSuperview();
    context->completeTransition(false);
    EXPECT_EQ(root->presentedViewController(), presented);
    EXPECT_EQ(presented->view()->superview(), context->containerView());
    EXPECT_FALSE(presented->isBeingDismissed());
    // It can still be dismissed.
    delegate->dismissAnimator = nullptr;
    presented->dismiss(false);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(CustomTransitionTest, ChainOfThreeIsDismissedFromTheRoot) {
    root->present(presented, true);
    delegate->presentAnimator->context.lock()->completeTransition(true);
    const auto third = makeRecorder("C", log);
    third->setModalPresentationStyle(ui::ModalPresentationStyle::custom);
    third->setTransitioningDelegate(delegate);
    delegate->presentAnimator = ns::make<RecordingAnimator>();
    delegate->presentAnimator->log = log;
    presented->present(third, true);
    delegate->presentAnimator->context.lock()->completeTransition(true);
    EXPECT_EQ(window()->topMostViewController(), third);
    EXPECT_EQ(containers(*window()).size(), 2u);

    log->clear();
    int completions = 0;
    root->dismiss(true, counting(completions));
    EXPECT_EQ(delegate->dismissed, presented);
    EXPECT_EQ(third->presentingViewController(), nullptr);
    delegate->dismissAnimator->context.lock()->completeTransition(true);
    EXPECT_EQ(appearanceCalls(log), (Strings{"C.viewWillDisappear(0)", "C.viewDidDisappear(0)",
                                             "B.viewWillDisappear(1)", "B.viewDidDisappear(1)", "completion"}));
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(containers(*window()).empty());
    EXPECT_EQ(window()->topMostViewController(), root);
}

} // namespace
} // namespace pellavo
