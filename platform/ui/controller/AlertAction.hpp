#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/ns/Object.hpp"
#include "platform/ns/String.hpp"

namespace pellavo::ui {

class AlertController;

// One button of an alert or action sheet: a title, a style that sets its look and
// place, and a handler that runs after the alert has been dismissed.
class PELLAVO_EXPORT AlertAction : public ns::Object {
public:
    enum class Style { defaultStyle = 0, cancel = 1, destructive = 2 };
    using Handler = std::function<void(const std::shared_ptr<AlertAction>& action)>;

    AlertAction(std::optional<ns::String> title, Style style, Handler handler = {})
        : title_(std::move(title)), style_(style), handler_(std::move(handler)) {}
    std::string_view className() const override { return "UIAlertAction"; }

    const std::optional<ns::String>& title() const { return title_; }
    Style style() const { return style_; }
    // A disabled action is shown greyed and ignores taps.
    bool isEnabled() const { return enabled_; }
    void setIsEnabled(bool enabled);

private:
    friend class AlertController;

    std::optional<ns::String> title_;
    Style style_;
    Handler handler_;
    bool enabled_ = true;
    // The alert that shows this action, told when it is enabled or disabled.
    std::weak_ptr<AlertController> alert_;
};

} // namespace pellavo::ui
