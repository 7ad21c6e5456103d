#pragma once

// The look of an alert controller: its root view. Not part of the public surface.

#include <memory>
#include <optional>
#include <vector>

#include "platform/ns/String.hpp"
#include "platform/ui/controller/AlertAction.hpp"
#include "platform/ui/control/Button.hpp"
#include "platform/ui/text/TextField.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::ui {
class Label;
}

namespace pellavo::ui::detail {

// An action's button: white, light grey while highlighted.
class AlertActionButton : public Button {
public:
    using Button::Button;
    void setIsHighlighted(bool highlighted) override;
};

// A text field of an alert: system 13 on white inside a one-pixel grey border, its
// text inset from the border.
class AlertTextField : public TextField {
public:
    static constexpr double kHeight = 24;
    static constexpr double kTextInset = 4;

    using TextField::TextField;
    cg::Rect textRect(const cg::Rect& bounds) const override;

protected:
    void init() override;
};

// Fills the screen: a dimming view, and above it the alert's box or the action
// sheet's two groups (the actions, and the cancel action 8 pt below them). Lays
// itself out from its bounds.
class AlertView : public View {
public:
    struct Content {
        bool isAlert = true;
        std::optional<ns::String> title;
        std::optional<ns::String> message;
        std::vector<std::shared_ptr<AlertAction>> actions;
        std::vector<std::shared_ptr<TextField>> textFields;
    };

    std::string_view className() const override { return "_UIAlertControllerView"; }

    // Rebuilds the labels and buttons for this content.
    void reload(const Content& content);
    // Takes over the actions' enabled flags.
    void updateEnabled();
    // One per action, in the order of the actions; null out of range.
    std::shared_ptr<AlertActionButton> button(std::size_t index) const;

    const std::shared_ptr<View>& dimmingView() const { return dimming_; }
    // The box, or the sheet's groups: what transitions scale or slide.
    const std::shared_ptr<View>& contentView() const { return content_; }
    bool isAlert() const { return data_.isAlert; }

    void layoutSubviews() override;
    void tintColorDidChange() override;

protected:
    void init() override;

private:
    void layoutAlert();
    void layoutSheet();
    // Lays the title, the message and the text fields out at the width; returns the
    // header's height (0 when it has none of them).
    double layoutHeader(double width);

    Content data_;
    std::shared_ptr<View> dimming_;
    std::shared_ptr<View> content_;
    // The box of an alert, or the sheet's upper group: the header and the buttons
    // over a separator-coloured background that shows through the hairline gaps.
    std::shared_ptr<View> group_;
    std::shared_ptr<View> cancelGroup_;
    std::shared_ptr<View> header_;
    std::shared_ptr<Label> titleLabel_;
    std::shared_ptr<Label> messageLabel_;
    std::vector<std::shared_ptr<AlertActionButton>> buttons_;
};

} // namespace pellavo::ui::detail
