#include "pellavo/VXAlert.hpp"

#include <utility>

#include "platform/ui/control/BarButtonItem.hpp"
#include "platform/ui/controller/ViewController.hpp"
#include "platform/ui/event/Application.hpp"
#include "platform/ui/view/View.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo {

VXAlert::VXAlert(std::optional<ns::String> title, std::optional<ns::String> message,
                 ui::AlertController::Style preferredStyle)
    : alertController_(ns::make<ui::AlertController>(std::move(title), std::move(message), preferredStyle)) {}

VXAlert& VXAlert::setTitle(const ns::String& title) {
    alertController_->setTitle(title);
    return *this;
}

VXAlert& VXAlert::setMessage(const ns::String& message) {
    alertController_->setMessage(message);
    return *this;
}

VXAlert& VXAlert::setPopoverPresentationProperties(std::shared_ptr<ui::View> sourceView,
                                                   std::optional<cg::Rect> sourceRect,
                                                   std::shared_ptr<ui::BarButtonItem> barButtonItem,
                                                   std::optional<ui::PopoverArrowDirection> permittedArrowDirections) {
    const auto popover = alertController_->popoverPresentationController();
    if (!popover) return *this;
    if (sourceView) popover->setSourceView(sourceView);
    if (sourceRect) popover->setSourceRect(*sourceRect);
    if (barButtonItem) popover->setBarButtonItem(barButtonItem);
    if (permittedArrowDirections) popover->setPermittedArrowDirections(*permittedArrowDirections);
    return *this;
}

VXAlert& VXAlert::addAction(const ns::String& title, ui::AlertAction::Style style, ui::AlertAction::Handler handler) {
    alertController_->addAction(ns::make<ui::AlertAction>(title, style, std::move(handler)));
    return *this;
}

VXAlert& VXAlert::addTextFieldHandler(ui::AlertController::TextFieldHandler handler) {
    alertController_->addTextField(std::move(handler));
    return *this;
}

void VXAlert::show(std::shared_ptr<ui::ViewController> in, bool animated, std::function<void()> completionHandler) {
    if (!in) {
        const auto keyWindow = ui::Application::shared().keyWindow();
        if (!keyWindow || !keyWindow->rootViewController()) return;
        in = keyWindow->topMostViewController();
    }
    in->present(alertController_, animated, std::move(completionHandler));
}

} // namespace pellavo
