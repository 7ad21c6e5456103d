#include "platform/ui/text/TextEditing.hpp"

#include <algorithm>
#include <iterator>

#include "platform/ui/control/Control.hpp"
#include "platform/ui/scroll/ScrollView.hpp"
#include "platform/ui/text/Keyboard.hpp"
#include "platform/ui/text/Pasteboard.hpp"

namespace pellavo::ui::detail {

namespace {

bool isHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

} // namespace

ns::Attributes defaultTextAttributes(const Font& font, const Color& color, ns::TextAlignment alignment) {
    ns::ParagraphStyle paragraph;
    paragraph.alignment = alignment;
    return {{ns::AttributedStringKey::font, ns::Value::of(font)},
            {ns::AttributedStringKey::foregroundColor, ns::Value::of(color)},
            {ns::AttributedStringKey::paragraphStyle, ns::Value::of(paragraph)}};
}

ns::Attributes typingAttributes(const ns::AttributedString& text, int64_t location,
                                const ns::Attributes& defaults) {
    if (text.length() == 0) return defaults;
    return text.attributes(std::clamp<int64_t>(location - 1, 0, text.length() - 1));
}

ns::AttributedString withDefaultAttributes(const ns::AttributedString& text, const ns::Attributes& defaults) {
    ns::MutableAttributedString result(text);
    for (const auto& run : text.runs())
        for (const auto& [key, value] : defaults)
            if (!run.attributes.contains(key)) result.addAttribute(key, value, run.range);
    return result;
}

ns::AttributedString withAttribute(const ns::AttributedString& text, const ns::AttributedStringKey& key,
                                   const ns::Value& value) {
    ns::MutableAttributedString result(text);
    result.addAttribute(key, value, {0, text.length()});
    return result;
}

bool isSurrogateBoundary(const ns::String& text, int64_t index) {
    const auto& units = text.utf16();
    if (index <= 0 || index >= static_cast<int64_t>(units.size())) return true;
    const auto i = static_cast<std::size_t>(index);
    return !(isHigh(units[i - 1]) && isLow(units[i]));
}

ns::Range clampedSelection(const ns::String& text, ns::Range range) {
    const int64_t length = text.length();
    int64_t start = std::clamp<int64_t>(range.location, 0, length);
    int64_t end = std::clamp<int64_t>(range.length < 0 ? start : range.max(), start, length);
    const bool caret = end == start;
    if (!isSurrogateBoundary(text, start)) --start;
    if (caret) end = start;
    if (!isSurrogateBoundary(text, end)) ++end;
    return {start, end - start};
}

std::optional<ns::Range> backspaceRange(const ns::String& text, ns::Range selection) {
    if (selection.length > 0) return selection;
    const int64_t caret = selection.location;
    if (caret <= 0) return std::nullopt;
    const ns::Range cluster = text.rangeOfComposedCharacterSequence(caret - 1);
    const int64_t start = std::clamp<int64_t>(cluster.location, 0, caret - 1);
    return ns::Range{start, caret - start};
}

std::optional<ns::AttributedString> replacing(const ns::AttributedString& text, ns::Range range,
                                              const ns::String& replacement, const ns::Attributes& defaults) {
    if (range.location < 0 || range.length < 0 || range.max() > text.length() ||
        !isSurrogateBoundary(text.string(), range.location) || !isSurrogateBoundary(text.string(), range.max()))
        return std::nullopt;
    ns::MutableAttributedString result(*text.attributedSubstring({0, range.location}));
    result.append(ns::AttributedString(replacement, typingAttributes(text, range.location, defaults)));
    result.append(*text.attributedSubstring({range.max(), text.length() - range.max()}));
    return result;
}

ns::Range wordAround(const ns::String& text, int64_t caret, bool lineBreaksSeparate) {
    const auto& units = text.utf16();
    auto isSpace = [&](int64_t i) {
        const char16_t c = units[static_cast<std::size_t>(i)];
        return c == u' ' || (lineBreaksSeparate && c == u'\n');
    };
    int64_t start = caret;
    int64_t end = caret;
    while (start > 0 && !isSpace(start - 1)) --start;
    while (end < text.length() && !isSpace(end)) ++end;
    return {start, end - start};
}

bool copySelection(const ns::String& text, ns::Range selection) {
    if (selection.length <= 0) return false;
    Pasteboard::general().setString(text.substring(selection));
    return true;
}

std::optional<bool> canPerformEditAction(std::string_view action, const EditActionState& state) {
    const bool hasSelection = state.selection.length > 0;
    if (action == "cut:" || action == "delete:") return hasSelection && state.canChangeText;
    if (action == "copy:") return hasSelection;
    if (action == "paste:") return state.editing && Pasteboard::general().hasStrings();
    if (action == "select:") return state.hasText && !hasSelection;
    if (action == "selectAll:") return state.hasText && state.selection.length < state.textLength;
    static constexpr std::string_view formatting[] = {
        "makeTextWritingDirectionLeftToRight:", "makeTextWritingDirectionRightToLeft:", "toggleBoldface:",
        "toggleItalics:", "toggleUnderline:", "increaseSize:", "decreaseSize:"};
    if (std::find(std::begin(formatting), std::end(formatting), action) != std::end(formatting)) return false;
    return std::nullopt;
}

} // namespace pellavo::ui::detail

namespace pellavo::ui {

// ---------------------------------------------------------------- selection

template <class Base>
void TextEditing<Base>::setSelectedRange(ns::Range range) {
    selection_ = detail::clampedSelection(text_.string(), range);
    selectionDidChange();
}

// ---------------------------------------------------------------- first responder

template <class Base>
bool TextEditing<Base>::becomeFirstResponder() {
    if (this->isFirstResponder()) return true;
    if (!this->canBecomeFirstResponder() || !this->responderWindow()) return false;
    // The control outlives anything its delegate or targets do to it.
    const auto self = this->sharedFromThis();
    if (!shouldBeginEditing()) return false;
    auto window = this->responderWindow();
    if (!window || !this->resignOtherResponders(window)) return false;
    window = this->responderWindow();
    if (!window || this->isFirstResponder()) return this->isFirstResponder();
    this->takeFirstResponder(window);
    editing_ = true;
    selection_ = {text_.length(), 0};
    editingStateDidChange();
    this->showKeyboard();
    didBeginEditing();
    return true;
}

template <class Base>
bool TextEditing<Base>::resignFirstResponder() {
    return endEditing(true);
}

template <class Base>
void TextEditing<Base>::leaveWindowAsFirstResponder() {
    endEditing(false);
}

template <class Base>
bool TextEditing<Base>::endEditing(bool ask) {
    if (!this->isFirstResponder()) return true;
    if (ask && !this->canResignFirstResponder()) return false;
    const auto self = this->sharedFromThis();
    if (ask && !shouldEndEditing()) return false;
    if (!this->isFirstResponder()) return true;
    this->dropFirstResponder();
    editing_ = false;
    editingStateDidChange();
    didEndEditing();
    this->hideKeyboard();
    return true;
}

// ---------------------------------------------------------------- user edits

template <class Base>
void TextEditing<Base>::userEdit(ns::Range range, const ns::String& replacement) {
    if (!this->isFirstResponder()) return;
    const auto self = this->sharedFromThis();
    if (!shouldChangeText(range, replacement)) return;
    // The delegate may have ended editing, or changed the text so that the range no
    // longer fits or splits a surrogate pair: either drops the edit.
    if (!this->isFirstResponder()) return;
    auto edited = detail::replacing(text_, range, replacement, defaultAttributes());
    if (!edited) return;
    text_ = std::move(*edited);
    selection_ = {range.location + replacement.length(), 0};
    didEditText();
}

template <class Base>
void TextEditing<Base>::insertText(const ns::String& text) {
    if (this->isFirstResponder()) userEdit(selection_, text);
}

template <class Base>
void TextEditing<Base>::deleteBackward() {
    if (!this->isFirstResponder()) return;
    if (const auto range = detail::backspaceRange(text_.string(), selection_)) userEdit(*range, ns::String());
}

// ---------------------------------------------------------------- edit actions

template <class Base>
void TextEditing<Base>::cut(ns::Object*) {
    if (this->isFirstResponder() && detail::copySelection(text_.string(), selection_))
        userEdit(selection_, ns::String());
}

template <class Base>
void TextEditing<Base>::copy(ns::Object*) {
    detail::copySelection(text_.string(), selection_);
}

template <class Base>
void TextEditing<Base>::paste(ns::Object*) {
    const auto string = Pasteboard::general().string();
    if (!string) return;
    Keyboard::TextChange change(*this);
    userEdit(selection_, *string);
}

template <class Base>
void TextEditing<Base>::select(ns::Object*) {
    setSelectedRange(detail::wordAround(text_.string(), selection_.location, !wordsSpanLines()));
}

template <class Base>
void TextEditing<Base>::selectAll(ns::Object*) {
    setSelectedRange({0, text_.length()});
}

template <class Base>
void TextEditing<Base>::deleteSelection(ns::Object*) {
    if (selection_.length > 0) userEdit(selection_, ns::String());
}

template <class Base>
bool TextEditing<Base>::canPerformAction(ns::Selector action, ns::Object* sender) const {
    if (const auto answer = detail::canPerformEditAction(action.name(), {.selection = selection_,
                                                                        .textLength = text_.length(),
                                                                        .hasText = hasText(),
                                                                        .editing = editing_,
                                                                        .canChangeText = canChangeText()}))
        return *answer;
    return Base::canPerformAction(action, sender);
}

// The two controls that edit text.
template class TextEditing<Control>;
template class TextEditing<ScrollView>;

} // namespace pellavo::ui
