#include "pellavo/VXImageBrowser/VXImageBrowserTransition.hpp"

#include <utility>

#include "pellavo/VXImageBrowser/VXImageBrowserViewController.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/control/ImageView.hpp"
#include "platform/ui/scroll/ScrollView.hpp"
#include "platform/ui/controller/ViewControllerContextTransitioning.hpp"

namespace pellavo {

VXImageBrowserTransition::VXImageBrowserTransition(VXImageInfo imageInfo,
                                                   std::shared_ptr<VXTransitionInfo> transitionInfo,
                                                   TransitionMode transitionMode)
    : imageInfo_(std::move(imageInfo)), transitionInfo_(std::move(transitionInfo)), transitionMode_(transitionMode) {}

double VXImageBrowserTransition::duration() const {
    return transitionInfo_ ? transitionInfo_->duration() : VXTransitionInfo::defaultDuration;
}

double VXImageBrowserTransition::transitionDuration(
    const std::shared_ptr<ui::ViewControllerContextTransitioning>& context) {
    (void)context;
    return duration();
}

void VXImageBrowserTransition::animateTransition(
    const std::shared_ptr<ui::ViewControllerContextTransitioning>& context) {
    if (!context) return;
    const bool presenting = transitionMode_ == TransitionMode::present;
    const auto key = presenting ? ui::TransitionContextKey::to : ui::TransitionContextKey::from;
    const auto browser = std::dynamic_pointer_cast<VXImageBrowserViewController>(context->viewControllerForKey(key));
    const auto container = context->containerView();
    if (!browser || !container) {
        // Not ours to animate: show the arriving view and finish at once.
        if (presenting && container)
            if (const auto view = context->viewForKey(ui::TransitionContextKey::to)) container->addSubview(view);
        context->completeTransition(true);
        return;
    }

    const auto background = ns::make<ui::View>();
    background->setBackgroundColor(ui::Color::black());
    // Always the first image, whatever the browser shows by now.
    const auto snapshot = ns::make<ui::ImageView>(std::optional<ui::Image>(imageInfo_.image));
    const auto thumbnail = transitionInfo_ ? transitionInfo_->fromView() : nullptr;
    snapshot->layer()->setCornerRadius(thumbnail ? thumbnail->layer()->cornerRadius() : 0);
    snapshot->layer()->setMasksToBounds(true);
    snapshot->setContentMode(imageInfo_.imageMode == VXImageInfo::ImageMode::aspectFill
                                 ? ui::View::ContentMode::scaleAspectFill
                                 : ui::View::ContentMode::scaleAspectFit);
    container->addSubview(background);
    container->addSubview(snapshot);

    const auto browserView = browser->view();
    // Without a recorded rectangle there is nowhere to fly from: only the fade runs.
    const cg::Rect thumbnailRect =
        transitionInfo_ && transitionInfo_->convertedRect_ ? *transitionInfo_->convertedRect_ : browserView->bounds();

    if (presenting) {
        browserView->layoutIfNeeded();
        background->setAlpha(0);
        background->setFrame(browserView->bounds());
        snapshot->setFrame(thumbnailRect);
        const cg::Rect target = browser->imageView_->frame();
        ui::View::animate(
            duration(),
            [background, snapshot, target] {
                background->setAlpha(1);
                snapshot->setFrame(target);
            },
            [background, snapshot, browserView, container, context](bool) {
                background->removeFromSuperview();
                snapshot->removeFromSuperview();
                container->addSubview(browserView);
                context->completeTransition(true);
            });
        return;
    }

    browserView->removeFromSuperview();
    background->setAlpha(browser->panViewAlpha_);
    background->setFrame(browserView->bounds());
    snapshot->setFrame(browser->scrollView_->frame());
    ui::View::animate(
        duration(),
        [background, snapshot, thumbnailRect] {
            background->setAlpha(0);
            snapshot->setFrame(thumbnailRect);
        },
        [background, context](bool) {
            background->removeFromSuperview();
            context->completeTransition(true);
        });
}

} // namespace pellavo
