#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"

namespace pellavo::ui {

class View;
class ViewController;

enum class TransitionContextKey { from, to };

// What an animator of a custom presentation or dismissal works with. The platform
// makes one per transition and keeps it, with the animator, until completeTransition.
class PELLAVO_EXPORT ViewControllerContextTransitioning {
public:
    virtual ~ViewControllerContextTransitioning() = default;

    // The full-window view the transition happens in.
    virtual std::shared_ptr<View> containerView() const = 0;
    // from: the controller going away (the presenter while presenting, the presented
    // one while dismissing); to: the one arriving.
    virtual std::shared_ptr<ViewController> viewControllerForKey(TransitionContextKey key) const = 0;
    // The controllers' views; null for the presenter's view, which stays where it is.
    virtual std::shared_ptr<View> viewForKey(TransitionContextKey key) const = 0;
    // The container's bounds for a controller of the transition on screen at that
    // moment, the zero rectangle otherwise.
    virtual cg::Rect initialFrameForViewController(const ViewController& controller) const = 0;
    virtual cg::Rect finalFrameForViewController(const ViewController& controller) const = 0;

    virtual bool isAnimated() const = 0;
    // Always false: there are no interactive transitions.
    virtual bool isInteractive() const = 0;
    virtual bool transitionWasCancelled() const = 0;

    // Ends the transition: true finishes it, false undoes it. Only the first call counts.
    virtual void completeTransition(bool didComplete) = 0;
};

} // namespace pellavo::ui
