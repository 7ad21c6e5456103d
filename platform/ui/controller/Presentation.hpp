#pragma once

// The machinery behind ViewController::present and dismiss. Not part of the public
// surface: hosts go through ViewController.

#include <functional>
#include <memory>

#include "platform/ns/Object.hpp"
#include "platform/ui/view/View.hpp"
#include "platform/ui/controller/ViewController.hpp"
#include "platform/ui/controller/ViewControllerAnimatedTransitioning.hpp"
#include "platform/ui/controller/ViewControllerContextTransitioning.hpp"

namespace pellavo::ui::detail {

// Runs `changes` as an ease-in-out view animation of `duration` seconds and
// `completion` once it has ended (also when the animation was cut short).
void runTransitionAnimation(double duration, std::function<void()> changes, std::function<void()> completion);

// The full-window container a presented controller's view lives in.
class TransitionView : public View {
public:
    using View::View;
    std::string_view className() const override { return "UITransitionView"; }
};

class Presentation {
public:
    using Completion = ViewController::Completion;

    // The standard slide, both ways.
    static constexpr double slideDuration = 0.35;

    static void present(ViewController& source, const std::shared_ptr<ViewController>& controller, bool animated,
                        Completion completion);
    static void dismiss(ViewController& source, bool animated, Completion completion);
    // Removes everything `presenter` presented, at once, with disappear calls; used
    // when a window's root controller is replaced.
    static void tearDown(ViewController& presenter);

private:
    friend class TransitionContext;

    static bool isAlreadyShown(const ViewController& controller, const ViewController& source);
    static bool isBusy(const ViewController& controller);
    // Puts the presenter's view back where it was shown before `presented` covered it.
    static void restorePresenterView(ViewController& presenter, const ViewController& presented);
    static void removeAtOnce(const std::shared_ptr<ViewController>& presented);
    static void dismissLowest(const std::shared_ptr<ViewController>& target,
                              const std::shared_ptr<ViewController>& presenter, bool animated, Completion completion);
    // The view, the container and the links go.
    static void takeDown(ViewController& presented, ViewController* presenter);
    static bool stillPresents(const std::shared_ptr<ViewController>& presenter,
                              const std::shared_ptr<ViewController>& presented);
};

// The context of one custom presentation or dismissal. The presented controller
// holds it (and so the animator) until completeTransition.
class TransitionContext : public ns::Object, public ViewControllerContextTransitioning {
public:
    enum class Kind { present, dismiss };

    TransitionContext(Kind kind, std::shared_ptr<View> container, const std::shared_ptr<ViewController>& presenter,
                      const std::shared_ptr<ViewController>& presented,
                      std::shared_ptr<ViewControllerAnimatedTransitioning> animator, bool animated,
                      Presentation::Completion completion);
    std::string_view className() const override { return "_UIViewControllerOneToOneTransitionContext"; }

    std::shared_ptr<View> containerView() const override { return container_; }
    std::shared_ptr<ViewController> viewControllerForKey(TransitionContextKey key) const override;
    std::shared_ptr<View> viewForKey(TransitionContextKey key) const override;
    cg::Rect initialFrameForViewController(const ViewController& controller) const override;
    cg::Rect finalFrameForViewController(const ViewController& controller) const override;
    bool isAnimated() const override { return animated_; }
    bool isInteractive() const override { return false; }
    bool transitionWasCancelled() const override { return cancelled_; }
    void completeTransition(bool didComplete) override;

    // Asks the animator for its duration, then lets it animate.
    void start();

private:
    Kind kind_;
    std::shared_ptr<View> container_;
    std::weak_ptr<ViewController> presenter_;
    std::weak_ptr<ViewController> presented_;
    std::shared_ptr<ViewControllerAnimatedTransitioning> animator_;
    bool animated_;
    Presentation::Completion completion_;
    bool completed_ = false;
    bool cancelled_ = false;
};

} // namespace pellavo::ui::detail
