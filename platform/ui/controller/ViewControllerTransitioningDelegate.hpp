#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/ui/controller/ViewControllerAnimatedTransitioning.hpp"

namespace pellavo::ui {

class ViewController;

// Hands out the animators of a controller presented with the custom style. Null
// (the default) means the standard vertical slide.
class PELLAVO_EXPORT ViewControllerTransitioningDelegate {
public:
    virtual ~ViewControllerTransitioningDelegate() = default;

    // `source` is the controller present was called on; `presenting` the one that
    // presents (its topmost parent).
    virtual std::shared_ptr<ViewControllerAnimatedTransitioning> animationControllerForPresented(
        const std::shared_ptr<ViewController>& presented, const std::shared_ptr<ViewController>& presenting,
        const std::shared_ptr<ViewController>& source) {
        (void)presented;
        (void)presenting;
        (void)source;
        return nullptr;
    }
    virtual std::shared_ptr<ViewControllerAnimatedTransitioning> animationControllerForDismissed(
        const std::shared_ptr<ViewController>& dismissed) {
        (void)dismissed;
        return nullptr;
    }
};

} // namespace pellavo::ui
