#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/controller/AlertAction.hpp"
#include "platform/ui/controller/PopoverPresentationController.hpp"
#include "platform/ui/controller/ViewController.hpp"

namespace pellavo::ui {

class Control;
class TextField;
class ViewControllerTransitioningDelegate;

namespace detail {
class AlertView;
}

// A modal alert (a centred box) or action sheet (buttons rising from the bottom edge)
// with a title, a message and actions. Presented, it dims what lies below, which stays
// in place without appearance calls. A tap on an enabled action dismisses the
// controller with animation and then calls the action's handler.
class PELLAVO_EXPORT AlertController : public ViewController {
public:
    enum class Style { actionSheet = 0, alert = 1 };
    using TextFieldHandler = std::function<void(const std::shared_ptr<TextField>& textField)>;

    AlertController(std::optional<ns::String> title, std::optional<ns::String> message, Style preferredStyle);
    std::string_view className() const override { return "UIAlertController"; }

    const std::optional<ns::String>& title() const { return title_; }
    void setTitle(std::optional<ns::String> title);
    const std::optional<ns::String>& message() const { return message_; }
    void setMessage(std::optional<ns::String> message);
    Style preferredStyle() const { return preferredStyle_; }

    // In the order added. Refused, each with a log line: null, an action added twice,
    // and a second cancel action.
    const std::vector<std::shared_ptr<AlertAction>>& actions() const { return actions_; }
    void addAction(const std::shared_ptr<AlertAction>& action);

    // Text fields belong to alerts only; on an action sheet the call is refused with a
    // log line. The handler configures the new field at once. The fields sit under the
    // message, in the order added; the first one starts editing when the alert has
    // appeared, and editing ends when it goes.
    const std::vector<std::shared_ptr<TextField>>& textFields() const { return textFields_; }
    void addTextField(TextFieldHandler handler = {});

    // Null for an alert; the action sheet's pop-over settings otherwise.
    std::shared_ptr<PopoverPresentationController> popoverPresentationController() const { return popover_; }

    // The button of actions()[index] (loading the view), or null out of range.
    std::shared_ptr<View> viewForAction(int index);
    // What a tap on that button does: for an enabled action, dismisses with animation
    // and then calls its handler (at once when the controller is not presented).
    // Ignored while the controller is being presented or dismissed; out of range, a
    // log line.
    void performAction(int index);

    void loadView() override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;

protected:
    void init() override;

private:
    friend class AlertAction;

    std::shared_ptr<detail::AlertView> alertView() const;
    void reloadView();
    void actionEnabledDidChange();
    void buttonTapped(Control& sender);
    // A field began or ended editing: the box moves clear of the keyboard or back.
    void textFieldEditingDidChange(Control& sender);

    std::optional<ns::String> title_;
    std::optional<ns::String> message_;
    Style preferredStyle_;
    std::vector<std::shared_ptr<AlertAction>> actions_;
    std::vector<std::shared_ptr<TextField>> textFields_;
    std::shared_ptr<PopoverPresentationController> popover_;
    std::shared_ptr<ViewControllerTransitioningDelegate> transitioning_;
};

} // namespace pellavo::ui
