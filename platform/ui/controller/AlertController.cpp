#include "platform/ui/controller/AlertController.hpp"

#include <algorithm>
#include <string>

#include "platform/ns/Console.hpp"
#include "platform/ui/controller/AlertView.hpp"
#include "platform/ui/controller/ViewControllerTransitioningDelegate.hpp"

namespace pellavo::ui {

namespace {

constexpr double kAlertDuration = 0.25;
constexpr double kSheetDuration = 0.35;
constexpr double kAlertStartScale = 1.2;

// An alert fades in while shrinking from 1.2 to its size, and fades out; an action
// sheet rises from below the screen and sinks back. The dimming fades both ways.
class AlertAnimator : public ViewControllerAnimatedTransitioning {
public:
    AlertAnimator(bool presenting, bool isAlert) : presenting_(presenting), isAlert_(isAlert) {}

    double transitionDuration(const std::shared_ptr<ViewControllerContextTransitioning>&) override {
        return isAlert_ ? kAlertDuration : kSheetDuration;
    }

    void animateTransition(const std::shared_ptr<ViewControllerContextTransitioning>& context) override {
        const auto view = context->viewForKey(presenting_ ? TransitionContextKey::to : TransitionContextKey::from);
        const auto container = context->containerView();
        if (presenting_ && view && container) {
            container->addSubview(view);
            view->setFrame(container->bounds());
            view->layoutIfNeeded();
        }
        // A host that replaced the controller's view gets no animation.
        const auto alertView = std::dynamic_pointer_cast<detail::AlertView>(view);
        if (!alertView) {
            context->completeTransition(true);
            return;
        }
        const auto& dimming = alertView->dimmingView();
        const auto& content = alertView->contentView();
        const cg::AffineTransform away = isAlert_ ? cg::AffineTransform::makeScale(kAlertStartScale, kAlertStartScale)
                                                  : cg::AffineTransform::makeTranslation(0, slideDistance(*alertView));
        const bool fades = isAlert_;
        if (presenting_) {
            dimming->setAlpha(0);
            if (fades) content->setAlpha(0);
            content->setTransform(away);
        }
        const bool presenting = presenting_;
        View::animate(
            transitionDuration(context), 0, ViewAnimationOptions::curveEaseInOut,
            [=] {
                dimming->setAlpha(presenting ? 1 : 0);
                if (fades) content->setAlpha(presenting ? 1 : 0);
                if (presenting || !fades) content->setTransform(presenting ? cg::AffineTransform() : away);
            },
            [context, alertView, presenting](bool) {
                context->completeTransition(true);
                if (presenting) return;
                // Ready to be shown again, also without animation.
                alertView->dimmingView()->setAlpha(1);
                alertView->contentView()->setAlpha(1);
                alertView->contentView()->setTransform(cg::AffineTransform());
            });
    }

private:
    // From the top of the sheet's groups to below the screen.
    static double slideDistance(const detail::AlertView& view) {
        const auto& content = *view.contentView();
        return view.bounds().size.height - (content.center().y - content.bounds().size.height / 2);
    }

    bool presenting_;
    bool isAlert_;
};

class AlertTransitioning : public ViewControllerTransitioningDelegate {
public:
    explicit AlertTransitioning(bool isAlert) : isAlert_(isAlert) {}

    std::shared_ptr<ViewControllerAnimatedTransitioning> animationControllerForPresented(
        const std::shared_ptr<ViewController>&, const std::shared_ptr<ViewController>&,
        const std::shared_ptr<ViewController>&) override {
        return std::make_shared<AlertAnimator>(true, isAlert_);
    }
    std::shared_ptr<ViewControllerAnimatedTransitioning> animationControllerForDismissed(
        const std::shared_ptr<ViewController>&) override {
        return std::make_shared<AlertAnimator>(false, isAlert_);
    }

private:
    bool isAlert_;
};

} // namespace

AlertController::AlertController(std::optional<ns::String> title, std::optional<ns::String> message,
                                 Style preferredStyle)
    : title_(std::move(title)),
      message_(std::move(message)),
      preferredStyle_(preferredStyle == Style::actionSheet ? Style::actionSheet : Style::alert) {}

void AlertController::init() {
    ViewController::init();
    const bool isAlert = preferredStyle_ == Style::alert;
    if (!isAlert) popover_ = ns::make<PopoverPresentationController>();
    transitioning_ = std::make_shared<AlertTransitioning>(isAlert);
    setTransitioningDelegate(transitioning_);
    setModalPresentationStyle(ModalPresentationStyle::custom);
}

void AlertController::setTitle(std::optional<ns::String> title) {
    title_ = std::move(title);
    reloadView();
}

void AlertController::setMessage(std::optional<ns::String> message) {
    message_ = std::move(message);
    reloadView();
}

void AlertController::addAction(const std::shared_ptr<AlertAction>& action) {
    if (!action) {
        ns::log("AlertController: a null action; ignored");
        return;
    }
    if (std::find(actions_.begin(), actions_.end(), action) != actions_.end()) {
        ns::log("AlertController: this action was already added; ignored");
        return;
    }
    if (action->style() == AlertAction::Style::cancel &&
        std::any_of(actions_.begin(), actions_.end(),
                    [](const auto& a) { return a->style() == AlertAction::Style::cancel; })) {
        ns::log("AlertController: only one cancel action is allowed; ignored");
        return;
    }
    action->alert_ = sharedFromThis<AlertController>();
    actions_.push_back(action);
    reloadView();
}

void AlertController::addTextField(TextFieldHandler handler) {
    if (preferredStyle_ != Style::alert) {
        ns::log("AlertController: text fields can only be added to an alert; ignored");
        return;
    }
    const std::shared_ptr<TextField> field = ns::make<detail::AlertTextField>();
    field->addTarget(sharedFromThis<AlertController>(), &AlertController::textFieldEditingDidChange,
                     Control::Event::editingDidBegin | Control::Event::editingDidEnd);
    textFields_.push_back(field);
    if (handler) handler(field);
    reloadView();
}

void AlertController::textFieldEditingDidChange(Control&) {
    if (const auto view = alertView()) view->setNeedsLayout();
}

void AlertController::viewDidAppear(bool animated) {
    ViewController::viewDidAppear(animated);
    if (!textFields_.empty()) textFields_.front()->becomeFirstResponder();
}

void AlertController::viewWillDisappear(bool animated) {
    ViewController::viewWillDisappear(animated);
    // Copied: a delegate told that editing ended may add or drop fields.
    for (const auto& field : std::vector(textFields_))
        if (field->isFirstResponder()) field->resignFirstResponder();
}

void AlertController::loadView() {
    auto view = ns::make<detail::AlertView>();
    view->setAutoresizingMask(View::AutoresizingMask::flexibleWidth | View::AutoresizingMask::flexibleHeight);
    setView(view);
    reloadView();
}

std::shared_ptr<detail::AlertView> AlertController::alertView() const {
    // Null when a host replaced the view.
    return std::dynamic_pointer_cast<detail::AlertView>(viewIfLoaded());
}

void AlertController::reloadView() {
    const auto view = alertView();
    if (!view) return;
    view->reload({preferredStyle_ == Style::alert, title_, message_, actions_, textFields_});
    const auto self = sharedFromThis<AlertController>();
    for (std::size_t i = 0; i < actions_.size(); ++i)
        view->button(i)->addTarget(self, &AlertController::buttonTapped, Control::Event::touchUpInside);
}

void AlertController::actionEnabledDidChange() {
    if (const auto view = alertView()) view->updateEnabled();
}

void AlertController::buttonTapped(Control& sender) {
    const auto view = alertView();
    for (std::size_t i = 0; view && i < actions_.size(); ++i)
        if (view->button(i).get() == &sender) return performAction(static_cast<int>(i));
}

std::shared_ptr<View> AlertController::viewForAction(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= actions_.size()) return nullptr;
    loadViewIfNeeded();
    const auto view = alertView();
    return view ? view->button(static_cast<std::size_t>(index)) : nullptr;
}

void AlertController::performAction(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= actions_.size()) {
        ns::log("AlertController: performAction(" + std::to_string(index) + ") is out of range; ignored");
        return;
    }
    const auto action = actions_[static_cast<std::size_t>(index)];
    if (!action->isEnabled() || isBeingPresented() || isBeingDismissed()) return;
    auto handler = action->handler_;
    if (!presentingViewController()) {
        if (handler) handler(action);
        return;
    }
    dismiss(true, [action, handler = std::move(handler)] {
        if (handler) handler(action);
    });
}

} // namespace pellavo::ui
