#include "platform/ui/controller/Presentation.hpp"

#include <string>
#include <utility>
#include <vector>

#include "platform/dispatch/Queue.hpp"
#include "platform/ns/Console.hpp"
#include "platform/ui/view/ViewAnimationOptions.hpp"
#include "platform/ui/controller/ViewControllerTransitioningDelegate.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo::ui::detail {

namespace {

constexpr auto flexibleSize = View::AutoresizingMask::flexibleWidth | View::AutoresizingMask::flexibleHeight;

std::string nameOf(const ViewController* controller) {
    return controller ? std::string(controller->className()) : std::string("(null)");
}

void runCompletion(const Presentation::Completion& completion) {
    if (completion) completion();
}

} // namespace

void runTransitionAnimation(double duration, std::function<void()> changes, std::function<void()> completion) {
    View::animate(duration, 0, ViewAnimationOptions::curveEaseInOut, std::move(changes),
                  [completion = std::move(completion)](bool) {
                      if (completion) completion();
                  });
}

// ---------------------------------------------------------------- checks

bool Presentation::isAlreadyShown(const ViewController& controller, const ViewController& source) {
    if (controller.presenting_.lock() || controller.parent() || controller.rootOfWindow_.lock()) return true;
    // Presenting oneself or an ancestor.
    for (auto up = source.sharedFromThis<ViewController>(); up; up = up->parent())
        if (up.get() == &controller) return true;
    return false;
}

bool Presentation::isBusy(const ViewController& controller) {
    if (controller.transitionInFlight_) return true;
    return controller.presented_ && controller.presented_->transitionInFlight_;
}

bool Presentation::stillPresents(const std::shared_ptr<ViewController>& presenter,
                                 const std::shared_ptr<ViewController>& presented) {
    return presenter && presented && presenter->presented_ == presented &&
           presented->presenting_.lock() == presenter;
}

// ---------------------------------------------------------------- views

void Presentation::restorePresenterView(ViewController& presenter, const ViewController& presented) {
    const auto view = presenter.view_;
    if (!view) return;
    std::shared_ptr<View> host = presenter.presentationContainer_;
    if (!host) host = presenter.rootOfWindow_.lock();
    if (!host && presented.presentationContainer_) host = presented.presentationContainer_->superview();
    if (!host) return;
    if (view->superview() != host) host->insertSubview(view, 0);
    view->setFrame(host->bounds());
    view->layoutIfNeeded();
}

void Presentation::takeDown(ViewController& presented, ViewController* presenter) {
    const auto container = std::move(presented.presentationContainer_);
    presented.presentationContainer_.reset();
    if (presented.view_ && container && presented.view_->superview() == container) presented.view_->removeFromSuperview();
    if (container) container->removeFromSuperview();
    if (presenter && presenter->presented_.get() == &presented) presenter->presented_.reset();
    presented.presenting_.reset();
    presented.transitionInFlight_ = false;
}

// ---------------------------------------------------------------- present

void Presentation::present(ViewController& source, const std::shared_ptr<ViewController>& controller, bool animated,
                           Completion completion) {
    if (!controller) return;
    const auto sourceRef = source.sharedFromThis<ViewController>();
    const auto presenter = source.topmostParent();
    const auto refuse = [&](const std::string& reason) {
        ns::log("Attempt to present " + nameOf(controller.get()) + " on " + nameOf(presenter.get()) + ", " + reason);
    };
    if (isAlreadyShown(*controller, source)) return refuse("which is already presented");
    if (isBusy(*presenter) || isBusy(*controller))
        return refuse("while a presentation or dismissal is in progress");
    if (presenter->presented_) return refuse("which is already presenting " + nameOf(presenter->presented_.get()));
    const auto window = presenter->view_ ? presenter->view_->window() : nullptr;
    if (!window) return refuse("whose view is not in the window hierarchy");

    presenter->presented_ = controller;
    controller->presenting_ = presenter;
    const ModalPresentationStyle style = controller->modalPresentationStyle_;
    controller->presentedStyle_ = style;
    controller->beingPresented_ = true;

    auto container = ns::make<TransitionView>(window->bounds());
    container->setAutoresizingMask(flexibleSize);
    window->addSubview(container);
    controller->presentationContainer_ = container;

    const auto view = controller->view();
    const cg::Rect bounds = container->bounds();
    view->setFrame(bounds);
    view->setAutoresizingMask(flexibleSize);

    const bool covers = style == ModalPresentationStyle::fullScreen;
    std::shared_ptr<ViewControllerAnimatedTransitioning> animator;
    if (style == ModalPresentationStyle::custom && animated)
        if (const auto delegate = controller->transitioningDelegate())
            animator = delegate->animationControllerForPresented(controller, presenter, sourceRef);

    if (covers) presenter->beginAppearanceTransition(false, animated);
    controller->beginAppearanceTransition(true, animated);

    if (animator) {
        controller->transitionInFlight_ = true;
        auto context = ns::make<TransitionContext>(TransitionContext::Kind::present, container, presenter, controller,
                                                   std::move(animator), animated, std::move(completion));
        controller->pendingTransition_ = context;
        context->start();
        return;
    }

    container->addSubview(view);
    const std::weak_ptr<ViewController> weakPresenter = presenter;
    const std::weak_ptr<ViewController> weakPresented = controller;
    // The did-calls and the completion, once the presented view is in place.
    auto finish = [weakPresenter, weakPresented, covers, completion = std::move(completion)] {
        const auto presenter = weakPresenter.lock();
        const auto presented = weakPresented.lock();
        if (stillPresents(presenter, presented)) {
            presented->beingPresented_ = false;
            presented->endAppearanceTransition();
            if (covers) presenter->endAppearanceTransition();
        }
        runCompletion(completion);
    };

    if (!animated) {
        if (covers && presenter->view_) presenter->view_->removeFromSuperview();
        dispatch::Queue::main().async(std::move(finish));
        return;
    }

    controller->transitionInFlight_ = true;
    view->setFrame(bounds.offsetBy(0, bounds.height()));
    runTransitionAnimation(
        slideDuration, [view, bounds] { view->setFrame(bounds); },
        [weakPresenter, weakPresented, covers, finish = std::move(finish)] {
            const auto presenter = weakPresenter.lock();
            const auto presented = weakPresented.lock();
            if (stillPresents(presenter, presented)) {
                presented->transitionInFlight_ = false;
                if (covers && presenter->view_) presenter->view_->removeFromSuperview();
            }
            finish();
        });
}

// ---------------------------------------------------------------- dismiss

void Presentation::dismiss(ViewController& source, bool animated, Completion completion) {
    const auto top = source.topmostParent();
    std::shared_ptr<ViewController> presenter;
    std::shared_ptr<ViewController> target;
    if (top->presented_) {
        presenter = top;
        target = top->presented_;
    } else if (auto up = top->presenting_.lock()) {
        presenter = std::move(up);
        target = top;
    } else {
        return;
    }
    for (auto c = target; c; c = c->presented_) {
        if (c->transitionInFlight_) {
            ns::log("Attempt to dismiss from " + nameOf(&source) + " while a presentation or dismissal is in progress");
            return;
        }
    }
    std::vector<std::shared_ptr<ViewController>> upper;
    for (auto c = target->presented_; c; c = c->presented_) upper.push_back(c);
    for (auto it = upper.rbegin(); it != upper.rend(); ++it) removeAtOnce(*it);
    dismissLowest(target, presenter, animated, std::move(completion));
}

void Presentation::removeAtOnce(const std::shared_ptr<ViewController>& presented) {
    const auto presenter = presented->presenting_.lock();
    if (presented->presentedStyle_ == ModalPresentationStyle::fullScreen && presenter)
        restorePresenterView(*presenter, *presented);
    presented->beginAppearanceTransition(false, false);
    presented->endAppearanceTransition();
    presented->beingPresented_ = false;
    presented->beingDismissed_ = false;
    takeDown(*presented, presenter.get());
}

void Presentation::tearDown(ViewController& presenter) {
    std::vector<std::shared_ptr<ViewController>> chain;
    for (auto c = presenter.presented_; c; c = c->presented_) chain.push_back(c);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) removeAtOnce(*it);
}

void Presentation::dismissLowest(const std::shared_ptr<ViewController>& target,
                                 const std::shared_ptr<ViewController>& presenter, bool animated,
                                 Completion completion) {
    const ModalPresentationStyle style = target->presentedStyle_;
    const bool covers = style == ModalPresentationStyle::fullScreen;
    if (covers) restorePresenterView(*presenter, *target);

    std::shared_ptr<ViewControllerAnimatedTransitioning> animator;
    if (style == ModalPresentationStyle::custom && animated)
        if (const auto delegate = target->transitioningDelegate())
            animator = delegate->animationControllerForDismissed(target);

    target->beingDismissed_ = true;
    target->beginAppearanceTransition(false, animated);
    if (covers) presenter->beginAppearanceTransition(true, animated);

    if (animator) {
        target->transitionInFlight_ = true;
        auto context = ns::make<TransitionContext>(TransitionContext::Kind::dismiss, target->presentationContainer_,
                                                   presenter, target, std::move(animator), animated,
                                                   std::move(completion));
        target->pendingTransition_ = context;
        context->start();
        return;
    }

    const std::weak_ptr<ViewController> weakPresenter = presenter;
    const std::weak_ptr<ViewController> weakTarget = target;
    auto finish = [weakPresenter, weakTarget, covers, completion = std::move(completion)] {
        const auto presenter = weakPresenter.lock();
        const auto target = weakTarget.lock();
        if (target) {
            if (covers && presenter) presenter->endAppearanceTransition();
            target->endAppearanceTransition();
            target->beingDismissed_ = false;
        }
        runCompletion(completion);
    };

    if (!animated) {
        takeDown(*target, presenter.get());
        dispatch::Queue::main().async(std::move(finish));
        return;
    }

    target->transitionInFlight_ = true;
    const auto view = target->view_;
    const cg::Rect bounds = target->presentationContainer_ ? target->presentationContainer_->bounds() : cg::Rect{};
    runTransitionAnimation(
        slideDuration,
        [view, bounds] {
            if (view) view->setFrame(bounds.offsetBy(0, bounds.height()));
        },
        [weakPresenter, weakTarget, finish = std::move(finish)] {
            const auto presenter = weakPresenter.lock();
            const auto target = weakTarget.lock();
            if (target && stillPresents(presenter, target)) takeDown(*target, presenter.get());
            finish();
        });
}

// ---------------------------------------------------------------- context

TransitionContext::TransitionContext(Kind kind, std::shared_ptr<View> container,
                                     const std::shared_ptr<ViewController>& presenter,
                                     const std::shared_ptr<ViewController>& presented,
                                     std::shared_ptr<ViewControllerAnimatedTransitioning> animator, bool animated,
                                     Presentation::Completion completion)
    : kind_(kind),
      container_(std::move(container)),
      presenter_(presenter),
      presented_(presented),
      animator_(std::move(animator)),
      animated_(animated),
      completion_(std::move(completion)) {}

std::shared_ptr<ViewController> TransitionContext::viewControllerForKey(TransitionContextKey key) const {
    const bool presentedSide = (key == TransitionContextKey::to) == (kind_ == Kind::present);
    return presentedSide ? presented_.lock() : presenter_.lock();
}

std::shared_ptr<View> TransitionContext::viewForKey(TransitionContextKey key) const {
    // The presenter's view stays where it is and is not handed out.
    const bool presentedSide = (key == TransitionContextKey::to) == (kind_ == Kind::present);
    if (!presentedSide) return nullptr;
    const auto presented = presented_.lock();
    return presented ? presented->viewIfLoaded() : nullptr;
}

cg::Rect TransitionContext::initialFrameForViewController(const ViewController& controller) const {
    if (!container_) return {};
    if (presenter_.lock().get() == &controller) return container_->bounds();
    if (presented_.lock().get() == &controller) return kind_ == Kind::present ? cg::Rect{} : container_->bounds();
    return {};
}

cg::Rect TransitionContext::finalFrameForViewController(const ViewController& controller) const {
    if (!container_) return {};
    if (presenter_.lock().get() == &controller || presented_.lock().get() == &controller) return container_->bounds();
    return {};
}

void TransitionContext::start() {
    const auto self = sharedFromThis<TransitionContext>();
    const std::shared_ptr<ViewControllerContextTransitioning> context = self;
    const auto animator = animator_;
    animator->transitionDuration(context);
    animator->animateTransition(context);
}

void TransitionContext::completeTransition(bool didComplete) {
    if (completed_) {
        ns::log("completeTransition: called more than once for this transition; ignored");
        return;
    }
    completed_ = true;
    cancelled_ = !didComplete;
    // The presented controller lets go of this context below.
    const auto keep = sharedFromThis<TransitionContext>();
    const auto animator = std::move(animator_);
    animator_.reset();
    const auto completion = std::move(completion_);
    completion_ = {};
    const auto presenter = presenter_.lock();
    const auto presented = presented_.lock();
    const bool current = Presentation::stillPresents(presenter, presented) && presented->pendingTransition_ == keep;

    if (current) {
        presented->pendingTransition_.reset();
        presented->transitionInFlight_ = false;
        const auto view = presented->view_;
        if (kind_ == Kind::present) {
            if (didComplete) {
                if (view && container_ && !view->isDescendant(container_.get())) container_->addSubview(view);
                presented->beingPresented_ = false;
                presented->endAppearanceTransition();
            } else {
                // Undone: as if it had never been presented, without did-calls.
                presented->appearState_ = ViewController::AppearState::disappeared;
                presented->beingPresented_ = false;
                Presentation::takeDown(*presented, presenter.get());
            }
        } else {
            if (didComplete) {
                Presentation::takeDown(*presented, presenter.get());
                presented->endAppearanceTransition();
                presented->beingDismissed_ = false;
            } else {
                // Still presented: its view goes back if the animator took it out.
                if (view && container_ && !view->isDescendant(container_.get())) container_->addSubview(view);
                presented->appearState_ = ViewController::AppearState::appeared;
                presented->beingDismissed_ = false;
            }
        }
    }
    if (animator) animator->animationEnded(didComplete);
    runCompletion(completion);
}

} // namespace pellavo::ui::detail
