#pragma once

// Internal to the library: the image browser hands it to the platform as its own
// transition. Not installed.

#include <memory>

#include "platform/ns/Export.hpp"
#include "pellavo/VXImageBrowser/VXImageInfo.hpp"
#include "pellavo/VXImageBrowser/VXTransitionInfo.hpp"
#include "platform/ns/Object.hpp"
#include "platform/ui/controller/ViewControllerAnimatedTransitioning.hpp"

namespace pellavo {

// Flies a copy of the first image between the thumbnail's recorded rectangle and the
// browser's image frame while a black background fades in (present) or out (dismiss).
// One animator per transition.
class PELLAVO_EXPORT VXImageBrowserTransition : public ns::Object, public ui::ViewControllerAnimatedTransitioning {
public:
    enum class TransitionMode { present, dismiss };

    VXImageBrowserTransition(VXImageInfo imageInfo, std::shared_ptr<VXTransitionInfo> transitionInfo,
                             TransitionMode transitionMode);
    std::string_view className() const override { return "VXImageBrowserTransition"; }

    TransitionMode transitionMode() const { return transitionMode_; }
    void setTransitionMode(TransitionMode mode) { transitionMode_ = mode; }

    double transitionDuration(const std::shared_ptr<ui::ViewControllerContextTransitioning>& context) override;
    void animateTransition(const std::shared_ptr<ui::ViewControllerContextTransitioning>& context) override;

private:
    double duration() const;

    const VXImageInfo imageInfo_;
    const std::shared_ptr<VXTransitionInfo> transitionInfo_;
    TransitionMode transitionMode_;
};

} // namespace pellavo
