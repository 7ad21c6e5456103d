#include "platform/ui/controller/AlertView.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/ca/Layer.hpp"
#include "platform/ui/event/Application.hpp"
#include "platform/ui/text/Keyboard.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/view/Screen.hpp"

namespace pellavo::ui::detail {

namespace {

constexpr double kAlertWidth = 270;
constexpr double kCornerRadius = 13;
constexpr double kMargin = 16;
constexpr double kTitleMessageGap = 4;
constexpr double kAlertButtonHeight = 44;
constexpr double kSheetButtonHeight = 57;
constexpr double kSheetInset = 8;
// Between the message and the first text field.
constexpr double kFieldGap = 12;

constexpr Color kDimming(0, 0, 0, 0.4);
constexpr Color kSeparator(0.86, 0.86, 0.875, 1);
constexpr Color kHighlight(0.85, 1);
constexpr Color kDestructive(1, 0.231, 0.188, 1);
constexpr Color kDisabled(0.56, 0.56, 0.58, 1);
constexpr Color kSheetHeaderText(0.56, 0.56, 0.58, 1);
constexpr Color kFieldBorder(0.75, 0.75, 0.77, 1);

using Style = AlertAction::Style;

double scale() { return Screen::main().scale(); }
double hairline() { return 1 / scale(); }
// To the pixel grid, so that hairlines stay one pixel wide.
double snap(double value) { return std::isfinite(value) ? std::round(value * scale()) / scale() : 0; }

bool hasText(const std::optional<ns::String>& text) { return text && !text->isEmpty(); }

std::shared_ptr<Label> makeLabel(const std::optional<ns::String>& text, const Font& font, const Color& color) {
    auto label = ns::make<Label>();
    label->setText(text);
    label->setFont(font);
    label->setTextColor(color);
    label->setTextAlignment(ns::TextAlignment::center);
    label->setNumberOfLines(0);
    return label;
}

std::shared_ptr<View> makeGroup(const Color& background) {
    auto group = ns::make<View>();
    group->setBackgroundColor(background);
    group->layer()->setCornerRadius(kCornerRadius);
    group->setClipsToBounds(true);
    return group;
}

// Frames set through bounds and centre, so that a transform on the view is kept.
void place(View& view, const cg::Rect& frame) {
    view.setBounds({0, 0, frame.size.width, frame.size.height});
    view.setCenter({frame.origin.x + frame.size.width / 2, frame.origin.y + frame.size.height / 2});
}

} // namespace

void AlertActionButton::setIsHighlighted(bool highlighted) {
    Button::setIsHighlighted(highlighted);
    setBackgroundColor(highlighted ? kHighlight : Color::white());
}

void AlertTextField::init() {
    TextField::init();
    setFont(Font::systemFont(13));
    setBackgroundColor(Color::white());
    layer()->setBorderWidth(hairline());
    layer()->setBorderColor(kFieldBorder.cgColor());
}

cg::Rect AlertTextField::textRect(const cg::Rect& bounds) const {
    const cg::Rect rect = TextField::textRect(bounds);
    const double inset = std::min(kTextInset, rect.width() / 2);
    return {rect.minX() + inset, rect.minY(), rect.width() - 2 * inset, rect.height()};
}

void AlertView::init() {
    View::init();
    setBackgroundColor(Color::clear());
    dimming_ = ns::make<View>();
    dimming_->setBackgroundColor(kDimming);
    addSubview(dimming_);
    content_ = ns::make<View>();
    addSubview(content_);
}

void AlertView::reload(const Content& content) {
    data_ = content;
    for (const auto& subview : std::vector(content_->subviews())) subview->removeFromSuperview();
    buttons_.clear();
    cancelGroup_.reset();

    const bool alert = data_.isAlert;
    if (alert) {
        // The box itself holds everything.
        content_->setBackgroundColor(kSeparator);
        content_->layer()->setCornerRadius(kCornerRadius);
        content_->setClipsToBounds(true);
        group_ = content_;
    } else {
        group_ = makeGroup(kSeparator);
        content_->addSubview(group_);
    }

    header_ = ns::make<View>();
    header_->setBackgroundColor(Color::white());
    group_->addSubview(header_);
    const Color headerText = alert ? Color::black() : kSheetHeaderText;
    titleLabel_ = makeLabel(data_.title, Font::boldSystemFont(alert ? 17 : 13), headerText);
    messageLabel_ = makeLabel(data_.message, Font::systemFont(13), headerText);
    header_->addSubview(titleLabel_);
    header_->addSubview(messageLabel_);
    if (alert)
        for (const auto& field : data_.textFields) header_->addSubview(field);

    const double titleSize = alert ? 17 : 20;
    for (const auto& action : data_.actions) {
        auto button = ns::make<AlertActionButton>();
        const bool cancel = action->style() == Style::cancel;
        button->setTitle(action->title(), Control::State::normal);
        button->titleLabel()->setFont(cancel ? Font::boldSystemFont(titleSize) : Font::systemFont(titleSize));
        button->setTitleColor(kDisabled, Control::State::disabled);
        button->setBackgroundColor(Color::white());
        if (cancel && !alert) {
            cancelGroup_ = makeGroup(Color::white());
            content_->addSubview(cancelGroup_);
            cancelGroup_->addSubview(button);
        } else {
            group_->addSubview(button);
        }
        buttons_.push_back(std::move(button));
    }
    updateEnabled();
    setNeedsLayout();
}

void AlertView::updateEnabled() {
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        const auto& action = data_.actions[i];
        const Color color = action->style() == Style::destructive ? kDestructive : tintColor();
        buttons_[i]->setTitleColor(color, Control::State::normal);
        buttons_[i]->setIsEnabled(action->isEnabled());
    }
}

void AlertView::tintColorDidChange() { updateEnabled(); }

std::shared_ptr<AlertActionButton> AlertView::button(std::size_t index) const {
    return index < buttons_.size() ? buttons_[index] : nullptr;
}

void AlertView::layoutSubviews() {
    View::layoutSubviews();
    dimming_->setFrame(bounds());
    if (data_.isAlert)
        layoutAlert();
    else
        layoutSheet();
}

double AlertView::layoutHeader(double width) {
    const bool title = hasText(data_.title);
    const bool message = hasText(data_.message);
    titleLabel_->setIsHidden(!title);
    messageLabel_->setIsHidden(!message);
    const double textWidth = std::max(0.0, width - 2 * kMargin);
    const cg::Size unbounded{textWidth, std::numeric_limits<double>::max()};
    double y = kMargin;
    if (title) {
        const double height = titleLabel_->sizeThatFits(unbounded).height;
        titleLabel_->setFrame({kMargin, y, textWidth, height});
        y += height;
    }
    if (message) {
        if (title) y += kTitleMessageGap;
        const double height = messageLabel_->sizeThatFits(unbounded).height;
        messageLabel_->setFrame({kMargin, y, textWidth, height});
        y += height;
    }
    const auto& fields = data_.isAlert ? data_.textFields : std::vector<std::shared_ptr<TextField>>{};
    if (!fields.empty()) {
        // Stacked, each border sharing its hairline with the next one's.
        if (title || message) y = snap(y + kFieldGap);
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i > 0) y -= hairline();
            fields[i]->setFrame({kMargin, y, textWidth, AlertTextField::kHeight});
            y += AlertTextField::kHeight;
        }
    }
    const double height = title || message || !fields.empty() ? snap(y + kMargin) : 0;
    header_->setIsHidden(height == 0);
    header_->setFrame({0, 0, width, height});
    return height;
}

void AlertView::layoutAlert() {
    const cg::Size size = bounds().size;
    const double width = kAlertWidth;
    double y = layoutHeader(width);
    const double line = hairline();
    const auto& actions = data_.actions;
    if (actions.size() == 2) {
        // Side by side, the cancel action on the left.
        const std::size_t left = actions[1]->style() == Style::cancel ? 1 : 0;
        if (y > 0) y += line;
        const double half = snap((width - line) / 2);
        buttons_[left]->setFrame({0, y, half, kAlertButtonHeight});
        buttons_[1 - left]->setFrame({half + line, y, width - half - line, kAlertButtonHeight});
        y += kAlertButtonHeight;
    } else {
        // Stacked in order, the cancel action last.
        for (const bool cancelRow : {false, true}) {
            for (std::size_t i = 0; i < actions.size(); ++i) {
                if ((actions[i]->style() == Style::cancel) != cancelRow) continue;
                if (y > 0) y += line;
                buttons_[i]->setFrame({0, y, width, kAlertButtonHeight});
                y += kAlertButtonHeight;
            }
        }
    }
    // While one of the fields edits, centred in what the keyboard leaves free, but
    // never pushed above the top.
    double top = (size.height - y) / 2;
    const bool editing = std::any_of(data_.textFields.begin(), data_.textFields.end(),
                                     [](const auto& field) { return field->isEditing(); });
    if (const auto& keyboard = Application::shared().keyboard(); editing && keyboard.isVisible())
        top = std::max(0.0, (std::min(size.height, keyboard.frame().minY()) - y) / 2);
    place(*content_, {snap((size.width - width) / 2), snap(top), width, y});
}

void AlertView::layoutSheet() {
    const cg::Size size = bounds().size;
    const double width = std::max(0.0, size.width - 2 * kSheetInset);
    double y = layoutHeader(width);
    const double line = hairline();
    std::shared_ptr<AlertActionButton> cancel;
    for (std::size_t i = 0; i < data_.actions.size(); ++i) {
        if (data_.actions[i]->style() == Style::cancel) {
            cancel = buttons_[i];
            continue;
        }
        if (y > 0) y += line;
        buttons_[i]->setFrame({0, y, width, kSheetButtonHeight});
        y += kSheetButtonHeight;
    }
    const double groupHeight = y;
    group_->setIsHidden(groupHeight == 0);
    group_->setFrame({0, 0, width, groupHeight});
    double total = groupHeight;
    if (cancel) {
        if (groupHeight > 0) total += kSheetInset;
        cancelGroup_->setFrame({0, total, width, kSheetButtonHeight});
        cancel->setFrame({0, 0, width, kSheetButtonHeight});
        total += kSheetButtonHeight;
    }
    place(*content_, {kSheetInset, snap(size.height - kSheetInset - total), width, total});
}

} // namespace pellavo::ui::detail
