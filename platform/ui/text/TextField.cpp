#include "platform/ui/text/TextField.hpp"

#include <algorithm>
#include <cmath>

#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/NotificationCenter.hpp"
#include "platform/ui/graphics/GraphicsContext.hpp"
#include "platform/ui/text/Keyboard.hpp"
#include "platform/ui/text/TextEditing.hpp"
#include "platform/ui/text/TextLayout.hpp"
#include "platform/ui/event/Touch.hpp"

namespace pellavo::ui {

namespace {

Color placeholderColor() { return Color(cg::Color{0, 0, 0.0980392, 0.22}); }

} // namespace

TextField::TextField(const cg::Rect& frame) : TextEditing(frame), font_(Font::systemFont(kDefaultFontSize)) {}

TextField::TextField(const ns::Coder& coder) : TextEditing(coder), font_(Font::systemFont(kDefaultFontSize)) {}

// ---------------------------------------------------------------- text

ns::Attributes TextField::defaultAttributes() const {
    return detail::defaultTextAttributes(font_, textColor_, alignment_);
}

ns::AttributedString TextField::effectiveText() const {
    return detail::withDefaultAttributes(text_, defaultAttributes());
}

void TextField::setText(std::optional<ns::String> text) {
    Keyboard::TextChange change(*this);
    text_ = ns::AttributedString(text.value_or(ns::String()), defaultAttributes());
    selection_ = {text_.length(), 0};
    setNeedsDisplay();
}

void TextField::setAttributedText(std::optional<ns::AttributedString> text) {
    Keyboard::TextChange change(*this);
    text_ = text.value_or(ns::AttributedString());
    selection_ = {text_.length(), 0};
    setNeedsDisplay();
}

std::optional<ns::String> TextField::placeholder() const {
    if (!placeholder_) return std::nullopt;
    return placeholder_->string();
}

void TextField::setPlaceholder(std::optional<ns::String> placeholder) {
    std::optional<ns::AttributedString> attributed;
    if (placeholder) {
        ns::Attributes attributes = defaultAttributes();
        attributes[ns::AttributedStringKey::foregroundColor] = ns::Value::of(placeholderColor());
        attributed = ns::AttributedString(*placeholder, attributes);
    }
    change(placeholder_, std::move(attributed), Invalidate::display);
}

void TextField::setAttributedPlaceholder(std::optional<ns::AttributedString> placeholder) {
    change(placeholder_, std::move(placeholder), Invalidate::display);
}

// The look and the text it restyles change together: a setter does its work when
// either changes.
void TextField::setFont(const Font& font) {
    auto restyled = detail::withAttribute(text_, ns::AttributedStringKey::font, ns::Value::of(font));
    bool changed = change(font_, font);
    changed |= change(text_, std::move(restyled));
    if (changed) setNeedsDisplay();
}

void TextField::setTextColor(const Color& color) {
    auto restyled = detail::withAttribute(text_, ns::AttributedStringKey::foregroundColor, ns::Value::of(color));
    bool changed = change(textColor_, color);
    changed |= change(text_, std::move(restyled));
    if (changed) setNeedsDisplay();
}

void TextField::setTextAlignment(ns::TextAlignment alignment) {
    change(alignment_, alignment, Invalidate::display);
}

// ---------------------------------------------------------------- side views

bool TextField::showsSideView(ViewMode mode) const {
    switch (mode) {
    case ViewMode::never: return false;
    case ViewMode::whileEditing: return editing_;
    case ViewMode::unlessEditing: return !editing_;
    case ViewMode::always: return true;
    }
    return false;
}

void TextField::updateSideViews() {
    if (leftView_) leftView_->setIsHidden(!showsSideView(leftViewMode_));
    if (rightView_) rightView_->setIsHidden(!showsSideView(rightViewMode_));
    setNeedsLayout();
    setNeedsDisplay();
}

void TextField::setLeftView(std::shared_ptr<View> view) {
    if (leftView_ && leftView_->superview().get() == this) leftView_->removeFromSuperview();
    leftView_ = std::move(view);
    if (leftView_) addSubview(leftView_);
    updateSideViews();
}

void TextField::setRightView(std::shared_ptr<View> view) {
    if (rightView_ && rightView_->superview().get() == this) rightView_->removeFromSuperview();
    rightView_ = std::move(view);
    if (rightView_) addSubview(rightView_);
    updateSideViews();
}

void TextField::setLeftViewMode(ViewMode mode) {
    change(leftViewMode_, mode, Invalidate::nothing, [&] { updateSideViews(); });
}

void TextField::setRightViewMode(ViewMode mode) {
    change(rightViewMode_, mode, Invalidate::nothing, [&] { updateSideViews(); });
}

cg::Rect TextField::leftViewRect(const cg::Rect& bounds) const {
    if (!leftView_) return {};
    const cg::Size size = leftView_->frame().size;
    return {bounds.minX(), bounds.minY() + (bounds.height() - size.height) / 2, size.width, size.height};
}

cg::Rect TextField::rightViewRect(const cg::Rect& bounds) const {
    if (!rightView_) return {};
    const cg::Size size = rightView_->frame().size;
    return {bounds.maxX() - size.width, bounds.minY() + (bounds.height() - size.height) / 2, size.width,
            size.height};
}

cg::Rect TextField::textRect(const cg::Rect& bounds) const {
    double left = bounds.minX();
    double right = bounds.maxX();
    if (leftView_ && showsSideView(leftViewMode_)) left = leftViewRect(bounds).maxX();
    if (rightView_ && showsSideView(rightViewMode_)) right = rightViewRect(bounds).minX();
    return {left, bounds.minY(), std::max(0.0, right - left), bounds.height()};
}

cg::Rect TextField::editingRect(const cg::Rect& bounds) const { return textRect(bounds); }

cg::Rect TextField::placeholderRect(const cg::Rect& bounds) const { return textRect(bounds); }

void TextField::layoutSubviews() {
    Control::layoutSubviews();
    if (leftView_) leftView_->setFrame(leftViewRect(bounds()));
    if (rightView_) rightView_->setFrame(rightViewRect(bounds()));
}

// ---------------------------------------------------------------- drawing

double TextField::offsetOf(int64_t index) const {
    if (index <= 0) return 0;
    const auto prefix = effectiveText().attributedSubstring({0, std::min(index, text_.length())});
    return prefix ? TextLayout(*prefix, 0, 1).size().width : 0;
}

double TextField::alignmentOffset(const cg::Rect& rect) const {
    const double free = rect.width() - offsetOf(text_.length());
    if (free <= 0) return 0;
    if (alignment_ == ns::TextAlignment::center) return free / 2;
    if (alignment_ == ns::TextAlignment::right) return free;
    return 0;
}

double TextField::scrollOffset(const cg::Rect& rect) const {
    if (!editing_) return 0;
    // Keeps the caret in view.
    const double caret = offsetOf(selection_.max()) + kCaretWidth;
    return std::max(0.0, caret - rect.width());
}

void TextField::drawText(const cg::Rect& rect) {
    cg::Context* context = graphicsGetCurrentContext();
    if (context == nullptr || !rect.isFinite()) return;
    const TextLayout layout(effectiveText(), 0, 1);
    const double height = layout.size().height;
    cg::Context::SavedState saved(*context);
    context->clip(rect);
    layout.draw(*context, {rect.minX() + alignmentOffset(rect) - scrollOffset(rect),
                           rect.minY() + (rect.height() - height) / 2});
}

void TextField::drawPlaceholder(const cg::Rect& rect) {
    cg::Context* context = graphicsGetCurrentContext();
    if (context == nullptr || !rect.isFinite() || !placeholder_) return;
    const TextLayout layout(*placeholder_, 0, 1);
    const double height = layout.size().height;
    cg::Context::SavedState saved(*context);
    context->clip(rect);
    layout.draw(*context, {rect.minX(), rect.minY() + (rect.height() - height) / 2});
}

void TextField::draw(cg::Rect) {
    const cg::Rect b = bounds();
    const cg::Rect rect = editing_ ? editingRect(b) : textRect(b);
    cg::Context* context = graphicsGetCurrentContext();
    const bool marks = editing_ && context != nullptr && rect.isFinite();
    const double lineHeight = font_.lineHeight();
    const double lineTop = rect.minY() + (rect.height() - lineHeight) / 2;
    const double origin = marks ? rect.minX() + alignmentOffset(rect) - scrollOffset(rect) : 0;
    // A selection is highlighted behind its text, clipped to the visible part of the line.
    if (marks && selection_.length > 0) {
        const double left = origin + offsetOf(selection_.location);
        const double right = origin + offsetOf(selection_.max());
        cg::Context::SavedState saved(*context);
        context->clip(rect);
        context->setFillColor(tintColor().withAlphaComponent(kSelectionAlpha).cgColor());
        context->fill({left, lineTop, right - left, lineHeight});
    }
    if (text_.length() == 0)
        drawPlaceholder(placeholderRect(b));
    else
        drawText(rect);
    // The caret only marks an empty selection.
    if (!marks || selection_.length > 0) return;
    const double x = origin + offsetOf(selection_.max());
    cg::Context::SavedState saved(*context);
    context->setFillColor(tintColor().cgColor());
    context->fill({std::min(x, rect.maxX() - kCaretWidth), lineTop, kCaretWidth, lineHeight});
}

// ---------------------------------------------------------------- editing

bool TextField::shouldBeginEditing() {
    return detail::delegateAllows(delegate_, &TextFieldDelegate::textFieldShouldBeginEditing, *this);
}

bool TextField::shouldEndEditing() {
    return detail::delegateAllows(delegate_, &TextFieldDelegate::textFieldShouldEndEditing, *this);
}

bool TextField::shouldChangeText(ns::Range range, const ns::String& replacement) {
    return detail::delegateAllows(delegate_, &TextFieldDelegate::textFieldShouldChangeCharactersIn, *this, range,
                                  replacement);
}

void TextField::didBeginEditing() {
    // A resign inside any of these stops the rest.
    if (auto d = delegate_.lock()) d->textFieldDidBeginEditing(*this);
    if (!isFirstResponder()) return;
    sendActions(Event::editingDidBegin);
    if (!isFirstResponder()) return;
    ns::NotificationCenter::defaultCenter().post(ns::UITextFieldTextDidBeginEditingNotification, sharedFromThis());
}

void TextField::didEndEditing() {
    if (auto d = delegate_.lock()) d->textFieldDidEndEditing(*this);
    sendActions(Event::editingDidEnd);
    ns::NotificationCenter::defaultCenter().post(ns::UITextFieldTextDidEndEditingNotification, sharedFromThis());
}

void TextField::didEditText() {
    setNeedsDisplay();
    sendActions(Event::editingChanged);
    ns::NotificationCenter::defaultCenter().post(UITextFieldTextDidChangeNotification, sharedFromThis());
}

// ---------------------------------------------------------------- touches

void TextField::endTracking(const Touch* touch, const ui::Event* event) {
    Control::endTracking(touch, event);
    if (touch == nullptr || !isTouchInside()) return;
    if (!editing_) {
        becomeFirstResponder();
        return;
    }
    // A tap while editing puts the caret at the nearest grapheme boundary.
    const cg::Rect rect = editingRect(bounds());
    const double x = touch->location(this).x - rect.minX() - alignmentOffset(rect) + scrollOffset(rect);
    // Offsets grow with the index, so two searches find the boundaries either side of x
    // (the first of any that share an offset): a handful of layouts, not one per cluster,
    // which on a long text would hold the tap for seconds.
    const auto ranges = text_.string().graphemeRanges();
    const auto firstReaching = [&](double limit) {
        std::size_t low = 0, high = ranges.size();
        while (low < high) {
            const std::size_t middle = low + (high - low) / 2;
            if (offsetOf(ranges[middle].max()) < limit)
                low = middle + 1;
            else
                high = middle;
        }
        return low;
    };
    int64_t best = 0;
    double bestDistance = std::abs(x);
    const auto consider = [&](std::size_t i) {
        const double distance = std::abs(x - offsetOf(ranges[i].max()));
        if (distance < bestDistance) {
            best = ranges[i].max();
            bestDistance = distance;
        }
    };
    const std::size_t right = firstReaching(x);
    if (right > 0) consider(firstReaching(offsetOf(ranges[right - 1].max())));
    if (right < ranges.size()) consider(right);
    setSelectedRange({best, 0});
}

// ---------------------------------------------------------------- keys

void TextField::returnKey() {
    if (!isFirstResponder()) return;
    const auto self = sharedFromThis<TextField>();
    if (auto d = delegate_.lock(); d && !d->textFieldShouldReturn(*this)) return;
    sendActions(Event::editingDidEndOnExit);
    if (hasTargets(Event::editingDidEndOnExit)) resignFirstResponder();
}

// ---------------------------------------------------------------- runtime

namespace {

// Known by name to interface files and to key-value setting as soon as the library loads.
[[maybe_unused]] const auto registration =
    ns::ClassRegistration<TextField>("UITextField", "UIControl")
        .property<std::optional<ns::String>>("text", &TextField::text, &TextField::setText)
        .property<std::optional<ns::String>>("placeholder", &TextField::placeholder, &TextField::setPlaceholder)
        .property<Font>("font", &TextField::font, &TextField::setFont)
        .property<Color>("textColor", &TextField::textColor, &TextField::setTextColor)
        .property<ns::TextAlignment>("textAlignment", &TextField::textAlignment, &TextField::setTextAlignment)
        .with(detail::addEditActions<TextField>);

} // namespace

} // namespace pellavo::ui
