#include "pellavo/VXPlaceholderTextView.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/Coder.hpp"
#include "platform/ns/NotificationCenter.hpp"
#include "platform/ns/Selector.hpp"

namespace pellavo {

namespace {

// Made on first use and shared by every placeholder text view.
const ui::Color& defaultPlaceholderColor() {
    static const ui::Color color(0, 0, 0.0980392, 0.22);
    return color;
}

// The format parser takes no exponent, so a value whose shortest text needs one
// (very small or very large) is pinned by an anchor instead; every other value goes
// through the format string.
void appendEdgeConstraints(std::vector<std::shared_ptr<ui::LayoutConstraint>>& out, const char* axis, double value,
                           const std::shared_ptr<ui::Label>& label,
                           const std::function<std::shared_ptr<ui::LayoutConstraint>(double)>& direct) {
    const ns::String text = ns::String::describing(value);
    if (text.contains("e")) {
        out.push_back(direct(value));
        return;
    }
    const ns::String format = ns::String(axis) + ":|-(" + text + ")-[placeholder]";
    const auto made = ui::LayoutConstraint::constraintsWithVisualFormat(format, 0, {}, {{"placeholder", label}});
    out.insert(out.end(), made.begin(), made.end());
}

} // namespace

VXPlaceholderTextView::VXPlaceholderTextView(cg::Rect frame)
    : ui::TextView(frame), placeholderLabel_(ns::make<ui::Label>()), placeholderColor_(defaultPlaceholderColor()) {}

VXPlaceholderTextView::VXPlaceholderTextView(const ns::Coder& coder)
    : ui::TextView(coder), placeholderLabel_(ns::make<ui::Label>()), placeholderColor_(defaultPlaceholderColor()) {}

VXPlaceholderTextView::~VXPlaceholderTextView() {
    ns::NotificationCenter::defaultCenter().removeObserver(this, ns::UITextViewTextDidChangeNotification, nullptr);
}

// ------------------------------------------------------------------ set-up

void VXPlaceholderTextView::init() {
    ui::TextView::init();
    commonInit();
}

void VXPlaceholderTextView::commonInit() {
    ns::NotificationCenter::defaultCenter().addObserver(sharedFromThis<ns::Object>(), ns::Selector("textDidChange"),
                                                        ns::UITextViewTextDidChangeNotification, nullptr);
    const auto& label = placeholderLabel_;
    label->setFont(font());
    label->setTextColor(placeholderColor_);
    label->setTextAlignment(textAlignment());
    label->setText(placeholder_);
    label->setNumberOfLines(0);
    label->setBackgroundColor(ui::Color::clear());
    label->setTranslatesAutoresizingMaskIntoConstraints(false);
    addSubview(label);
    updateConstraintsForPlaceholderLabel();
    // A view that already holds text (set before the set-up) hides the label now.
    textDidChange();
}

// The label's left and top refer to the view's content, so it scrolls with the text;
// its width follows the view's frame.
void VXPlaceholderTextView::updateConstraintsForPlaceholderLabel() {
    // Before the set-up the label is not a subview yet; the set-up builds them.
    if (placeholderLabel_->superview().get() != this) return;
    const ui::EdgeInsets inset = textContainerInset();
    const double padding = textContainer().lineFragmentPadding();
    const auto view = sharedFromThis<ui::View>();
    const auto& label = placeholderLabel_;

    std::vector<std::shared_ptr<ui::LayoutConstraint>> constraints;
    appendEdgeConstraints(constraints, "H", inset.left + padding, label, [&](double value) {
        return label->leadingAnchor().constraintEqualTo(view->leadingAnchor(), value);
    });
    appendEdgeConstraints(constraints, "V", inset.top, label,
                          [&](double value) { return label->topAnchor().constraintEqualTo(view->topAnchor(), value); });
    // Huge finite insets can overflow the sum; such a width counts as no inset.
    double widthConstant = -(inset.left + inset.right + 2 * padding);
    if (!std::isfinite(widthConstant)) widthConstant = 0;
    constraints.push_back(label->widthAnchor().constraintEqualTo(view->widthAnchor(), 1, widthConstant));

    removeConstraints(placeholderLabelConstraints_);
    addConstraints(constraints);
    placeholderLabelConstraints_ = std::move(constraints);
}

void VXPlaceholderTextView::textDidChange() { placeholderLabel_->setIsHidden(!text().isEmpty()); }

// ------------------------------------------------------------------ properties

void VXPlaceholderTextView::setPlaceholder(ns::String text) {
    placeholder_ = std::move(text);
    placeholderLabel_->setText(placeholder_);
}

void VXPlaceholderTextView::setPlaceholderColor(ui::Color color) {
    placeholderColor_ = color;
    placeholderLabel_->setTextColor(placeholderColor_);
}

void VXPlaceholderTextView::setAttributedPlaceholder(std::optional<ns::AttributedString> text) {
    attributedPlaceholder_ = std::move(text);
    placeholderLabel_->setAttributedText(attributedPlaceholder_);
    setNeedsDisplay();
}

void VXPlaceholderTextView::setPlaceholderFont(std::optional<ui::Font> font) {
    placeholderFont_ = std::move(font);
    placeholderLabel_->setFont(placeholderFont_ ? *placeholderFont_ : this->font());
}

// ------------------------------------------------------------------ overridden members

void VXPlaceholderTextView::setTextAlignment(ns::TextAlignment alignment) {
    ui::TextView::setTextAlignment(alignment);
    placeholderLabel_->setTextAlignment(textAlignment());
}

void VXPlaceholderTextView::setText(std::optional<ns::String> text) {
    ui::TextView::setText(std::move(text));
    textDidChange();
}

void VXPlaceholderTextView::setAttributedText(std::optional<ns::AttributedString> text) {
    ui::TextView::setAttributedText(std::move(text));
    textDidChange();
}

// Reads the inset back rather than using the argument: one the base refused changes nothing.
void VXPlaceholderTextView::setTextContainerInset(const ui::EdgeInsets& inset) {
    ui::TextView::setTextContainerInset(inset);
    updateConstraintsForPlaceholderLabel();
}

void VXPlaceholderTextView::layoutSubviews() {
    ui::TextView::layoutSubviews();
    // Zero lets the label measure unbounded; the width constraint then sets its frame.
    const double wrap = textContainer().size().width - 2 * textContainer().lineFragmentPadding();
    placeholderLabel_->setPreferredMaxLayoutWidth(std::max(0.0, wrap));
}

// ------------------------------------------------------------------ runtime

bool VXPlaceholderTextView::registerWithRuntime() {
    using Self = VXPlaceholderTextView;
    ns::ClassRegistration<Self>("VXPlaceholderTextView", "UITextView")
        .property<ns::String>("placeholder", &Self::placeholder, &Self::setPlaceholder)
        .property<ui::Color>("placeholderColor", &Self::placeholderColor, &Self::setPlaceholderColor)
        .property<std::optional<ns::AttributedString>>("attributedPlaceholder", &Self::attributedPlaceholder,
                                                       &Self::setAttributedPlaceholder)
        .action(ns::Selector("textDidChange"), &Self::textDidChange);
    return true;
}

const bool VXPlaceholderTextView::registered_ = VXPlaceholderTextView::registerWithRuntime();

} // namespace pellavo
