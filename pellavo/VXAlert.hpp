#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/controller/AlertAction.hpp"
#include "platform/ui/controller/AlertController.hpp"
#include "platform/ui/controller/PopoverPresentationController.hpp"

namespace pellavo::ui {
class BarButtonItem;
class View;
class ViewController;
} // namespace pellavo::ui

namespace pellavo {

// A chainable builder around one alert controller:
//
//     VXAlert("Sign in", "Enter your code", ui::AlertController::Style::alert)
//         .addTextFieldHandler([](const auto& field) { field->setPlaceholder("Code"); })
//         .addAction("OK", ui::AlertAction::Style::defaultStyle, {})
//         .show(nullptr, true, {});
//
// It keeps nothing but the controller, which the presentation holds once shown, so the
// builder may go away right after show(). Main thread only.
class PELLAVO_EXPORT VXAlert {
public:
    // A title or message not given stays absent.
    VXAlert(std::optional<ns::String> title, std::optional<ns::String> message,
            ui::AlertController::Style preferredStyle);
    VXAlert(const VXAlert&) = delete;
    VXAlert& operator=(const VXAlert&) = delete;

    VXAlert& setTitle(const ns::String& title);
    VXAlert& setMessage(const ns::String& message);
    // Where an action sheet's pop-over points: each value given is set, the others stay.
    // An alert has no pop-over, and nothing changes.
    VXAlert& setPopoverPresentationProperties(
        std::shared_ptr<ui::View> sourceView = nullptr, std::optional<cg::Rect> sourceRect = std::nullopt,
        std::shared_ptr<ui::BarButtonItem> barButtonItem = nullptr,
        std::optional<ui::PopoverArrowDirection> permittedArrowDirections = std::nullopt);
    // Actions keep the order they are added in.
    VXAlert& addAction(const ns::String& title, ui::AlertAction::Style style, ui::AlertAction::Handler handler);
    VXAlert& addTextFieldHandler(ui::AlertController::TextFieldHandler handler);

    // Presents on `in`, or without it on the top-most controller presented in the key
    // window. With neither a key window nor its root controller, nothing happens and the
    // completion never runs; any other refusal is the presenter's (logged, no completion).
    void show(std::shared_ptr<ui::ViewController> in, bool animated, std::function<void()> completionHandler);

private:
    friend struct VXAlertTestAccess;

    // Made by the constructor, never replaced.
    std::shared_ptr<ui::AlertController> alertController_;
};

} // namespace pellavo
