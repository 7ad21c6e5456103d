#include "pellavo/VXHub.hpp"

#include <utility>

#include "platform/ca/Layer.hpp"
#include "platform/cg/AffineTransform.hpp"
#include "platform/dispatch/Queue.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/Timer.hpp"
#include "platform/ui/control/ActivityIndicatorView.hpp"
#include "platform/ui/event/Application.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/view/Screen.hpp"
#include "platform/ui/view/ViewAnimationOptions.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo {

namespace {

// The square before it is centred on the key window.
const cg::Rect hubBound{0, 0, 60, 60};
constexpr double kPopDuration = 0.05;
// Not zero: a singular transform would lose the view's geometry.
constexpr double kShrunkScale = 0.0001;

[[maybe_unused]] const auto registration = ns::ClassRegistration<VXHub>("VXHub", "NSObject");

cg::AffineTransform shrunk() { return cg::AffineTransform::makeScale(kShrunkScale, kShrunkScale); }

} // namespace

const std::shared_ptr<VXHub>& VXHub::shared() {
    static const auto* instance = new std::shared_ptr<VXHub>(ns::make<VXHub>());
    return *instance;
}

// ---- views, made on the main thread on first use

const std::shared_ptr<ui::View>& VXHub::overlayView() {
    if (!overlayView_) {
        // The screen as it is now: a later rotation leaves this rectangle as it was.
        auto view = ns::make<ui::View>(ui::Screen::main().bounds());
        view->setBackgroundColor(ui::Color::clear());
        overlayView_ = std::move(view);
    }
    return overlayView_;
}

const std::shared_ptr<ui::View>& VXHub::containerView() {
    if (!containerView_) {
        auto view = ns::make<ui::View>();
        view->setBackgroundColor(ui::Color::black().withAlphaComponent(0.75));
        view->layer()->setCornerRadius(5);
        view->setClipsToBounds(true);
        containerView_ = std::move(view);
    }
    return containerView_;
}

const std::shared_ptr<ui::ActivityIndicatorView>& VXHub::activityIndicator() {
    if (!activityIndicator_)
        activityIndicator_ = ns::make<ui::ActivityIndicatorView>(ui::ActivityIndicatorView::Style::white);
    return activityIndicator_;
}

// ---- the entry points, callable from any thread

void VXHub::show() {
    if (shared()->isShowing_.load(std::memory_order_relaxed)) return;
    dispatch::Queue::main().async([] { shared()->showActivityIndicatorWhileBlockingUI(true); });
}

void VXHub::hide() { hide({}); }

void VXHub::hide(std::function<void()> completion) {
    dispatch::Queue::main().async(
        [completion = std::move(completion)]() mutable { shared()->hideActivityIndicator(std::move(completion)); });
}

// ---- showing, on the main queue

void VXHub::showActivityIndicatorWhileBlockingUI(bool blockingUI) {
    auto& application = ui::Application::shared();
    application.setIsNetworkActivityIndicatorVisible(true);
    const auto keyWindow = application.keyWindow();
    if (!keyWindow) return;

    isShowing_ = true;
    const std::uint64_t generation = ++generation_;
    // A time-out left from an earlier show would cut this one short.
    invalidateDismissTimer();

    keyWindow->addSubview(overlayView());
    const auto container = containerView();
    container->setIsUserInteractionEnabled(blockingUI);
    container->setAlpha(0);
    keyWindow->addSubview(container);
    container->setFrame(hubBound);
    container->setCenter(keyWindow->center());

    std::weak_ptr<VXHub> weak = sharedFromThis<VXHub>();
    ui::View::animate(
        0, [container] { container->setAlpha(1); },
        [weak, generation](bool) {
            if (auto self = weak.lock()) self->popInIndicator(generation);
        });
}

void VXHub::popInIndicator(std::uint64_t generation) {
    if (generation != generation_) return;
    const auto indicator = activityIndicator();
    const auto& container = containerView();
    container->addSubview(indicator);
    const cg::Size size = container->bounds().size;
    indicator->setCenter({size.width / 2, size.height / 2});
    indicator->startAnimating();
    indicator->setAlpha(0);
    indicator->setTransform(shrunk());
    std::weak_ptr<VXHub> weak = sharedFromThis<VXHub>();
    ui::View::animate(
        kPopDuration, 0, ui::ViewAnimationOptions{},
        [indicator] {
            indicator->setTransform(cg::AffineTransform::identity());
            indicator->setAlpha(1);
        },
        [weak, generation](bool) {
            if (auto self = weak.lock()) self->startDismissTimer(generation);
        });
}

void VXHub::startDismissTimer(std::uint64_t generation) {
    if (generation != generation_) return;
    activityIndicator()->setTransform(cg::AffineTransform::identity());
    invalidateDismissTimer();
    dismissTimer_ = ns::Timer::scheduledTimer(indicatorTimeount(), false, [](ns::Timer&) { VXHub::hide({}); });
}

void VXHub::invalidateDismissTimer() {
    if (dismissTimer_) dismissTimer_->invalidate();
}

// ---- hiding, on the main queue

void VXHub::hideActivityIndicator(std::function<void()> completion) {
    ui::Application::shared().setIsNetworkActivityIndicatorVisible(false);
    // A pending time-out is left to fire: it only turns the flag off again.
    if (isShowing_) {
        const std::uint64_t generation = ++generation_;
        const auto indicator = activityIndicator();
        indicator->setTransform(cg::AffineTransform::identity());
        std::weak_ptr<VXHub> weak = sharedFromThis<VXHub>();
        // A newer show stops the chain where it stands; the caller still hears once.
        auto finish = std::make_shared<std::function<void()>>(std::move(completion));
        const auto callOnce = [finish] {
            const auto call = std::exchange(*finish, {});
            if (call) call();
        };
        ui::View::animate(
            kPopDuration, 0, ui::ViewAnimationOptions{},
            [indicator] {
                indicator->setTransform(shrunk());
                indicator->setAlpha(0);
            },
            [weak, generation, callOnce](bool) {
                auto self = weak.lock();
                if (!self || self->generation_ != generation) return callOnce();
                const auto container = self->containerView();
                ui::View::animate(
                    kPopDuration, 0, ui::ViewAnimationOptions{}, [container] { container->setAlpha(0); },
                    [weak, generation, callOnce](bool) {
                        auto self = weak.lock();
                        if (self && self->generation_ == generation) {
                            self->overlayView()->removeFromSuperview();
                            self->containerView()->removeFromSuperview();
                        }
                        callOnce();
                    });
            });
    }
    isShowing_ = false;
}

} // namespace pellavo
