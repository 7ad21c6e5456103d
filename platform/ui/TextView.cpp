#include "platform/ui/TextView.hpp"

#include <algorithm>
#include <cmath>

#include "platform/ns/Coder.hpp"
#include "platform/ns/Console.hpp"
#include "platform/ui/GraphicsContext.hpp"
#include "platform/ui/Keyboard.hpp"
#include "platform/ui/Pasteboard.hpp"
#include "platform/ui/TextLayout.hpp"
#include "platform/ui/Touch.hpp"
#include "platform/ui/TouchSet.hpp"
#include "platform/ui/Window.hpp"

namespace pellavo::ui {

namespace {

bool isHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

} // namespace

// ---------------------------------------------------------------- container

cg::Size TextContainer::size() const {
    const EdgeInsets inset = owner_.inset_;
    return {std::max(0.0, owner_.bounds().width() - inset.left - inset.right), unboundedHeight};
}

void TextContainer::setLineFragmentPadding(double padding) {
    if (!std::isfinite(padding) || padding < 0) {
        ns::log("TextContainer: ignoring the line fragment padding " + std::to_string(padding));
        return;
    }
    if (padding == padding_) return;
    padding_ = padding;
    owner_.textDidChangeLayout();
}

// ---------------------------------------------------------------- drawn content

// The text and the caret, drawn in content coordinates on a view that covers the
// content, so that scrolling moves the drawing instead of redrawing it. Touches go
// through it to the text view.
class TextView::ContentView : public View {
public:
    explicit ContentView(std::weak_ptr<TextView> owner) : owner_(std::move(owner)) {}
    std::string_view className() const override { return "_UITextContainerView"; }
    void draw(cg::Rect) override {
        if (auto owner = owner_.lock()) owner->drawContent();
    }

private:
    std::weak_ptr<TextView> owner_;
};

// ---------------------------------------------------------------- life

TextView::TextView(const cg::Rect& frame) : ScrollView(frame), font_(Font::systemFont(kDefaultFontSize)) {}

TextView::TextView(const ns::Coder& coder) : ScrollView(coder), font_(Font::systemFont(kDefaultFontSize)) {}

TextView::~TextView() = default;

void TextView::init() {
    ScrollView::init();
    content_ = ns::make<ContentView>(weakFromThis<TextView>());
    content_->setIsUserInteractionEnabled(false);
    insertSubview(content_, 0);
    textDidChangeLayout();
}

// ---------------------------------------------------------------- text

ns::Attributes TextView::defaultAttributes() const {
    ns::ParagraphStyle paragraph;
    paragraph.alignment = alignment_;
    return {{ns::AttributedStringKey::font, ns::Value::of(font_)},
            {ns::AttributedStringKey::foregroundColor, ns::Value::of(textColor_)},
            {ns::AttributedStringKey::paragraphStyle, ns::Value::of(paragraph)}};
}

ns::Attributes TextView::typingAttributes(int64_t location) const {
    if (text_.length() == 0) return defaultAttributes();
    return text_.attributes(std::clamp<int64_t>(location - 1, 0, text_.length() - 1));
}

ns::AttributedString TextView::effectiveText() const {
    ns::MutableAttributedString text(text_);
    const ns::Attributes defaults = defaultAttributes();
    for (const auto& run : text_.runs())
        for (const auto& [key, value] : defaults)
            if (!run.attributes.contains(key)) text.addAttribute(key, value, run.range);
    // The view's alignment holds for every paragraph: the layout reads the first.
    if (text_.length() > 0) {
        auto attributes = text_.attributes(0);
        ns::ParagraphStyle paragraph;
        if (auto found = attributes.find(ns::AttributedStringKey::paragraphStyle); found != attributes.end())
            if (const auto* given = found->second.get<ns::ParagraphStyle>()) paragraph = *given;
        paragraph.alignment = alignment_;
        text.addAttribute(ns::AttributedStringKey::paragraphStyle, ns::Value::of(paragraph), {0, text_.length()});
    }
    return text;
}

void TextView::setText(std::optional<ns::String> text) {
    Keyboard::TextChange change(*this);
    text_ = ns::AttributedString(text.value_or(ns::String()), defaultAttributes());
    selection_ = {text_.length(), 0};
    textDidChangeLayout();
}

void TextView::setAttributedText(std::optional<ns::AttributedString> text) {
    Keyboard::TextChange change(*this);
    text_ = text.value_or(ns::AttributedString());
    selection_ = {text_.length(), 0};
    textDidChangeLayout();
}

void TextView::setFont(std::optional<Font> font) {
    font_ = font.value_or(Font::systemFont(kDefaultFontSize));
    ns::MutableAttributedString text(text_);
    text.addAttribute(ns::AttributedStringKey::font, ns::Value::of(font_), {0, text_.length()});
    text_ = text;
    textDidChangeLayout();
}

void TextView::setTextColor(const Color& color) {
    textColor_ = color;
    ns::MutableAttributedString text(text_);
    text.addAttribute(ns::AttributedStringKey::foregroundColor, ns::Value::of(textColor_), {0, text_.length()});
    text_ = text;
    textDidChangeLayout();
}

void TextView::setTextAlignment(ns::TextAlignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    textDidChangeLayout();
}

void TextView::setTextContainerInset(const EdgeInsets& inset) {
    if (!std::isfinite(inset.top) || !std::isfinite(inset.left) || !std::isfinite(inset.bottom) ||
        !std::isfinite(inset.right)) {
        ns::log("TextView: ignoring a non-finite text container inset");
        return;
    }
    inset_ = inset;
    textDidChangeLayout();
}

void TextView::setIsEditable(bool editable) {
    editable_ = editable;
    if (!editable_ && isFirstResponder()) endEditing(false);
}

// ---------------------------------------------------------------- layout

double TextView::wrapWidth() const {
    // A container narrower than a point lays out at one point: no negative width
    // reaches the text engine, and a zero width would mean "no wrapping".
    return std::max(1.0, container_.size().width - 2 * container_.lineFragmentPadding());
}

const TextLayout& TextView::layout() const {
    if (!layout_) layout_ = std::make_shared<const TextLayout>(effectiveText(), wrapWidth());
    return *layout_;
}

void TextView::textDidChangeLayout() {
    layout_.reset();
    laidOutWidth_ = bounds().width();
    // An empty text still has the caret's line.
    const double textHeight = text_.length() == 0 ? font_.lineHeight() : layout().size().height;
    const cg::Size size{bounds().width(), std::max(0.0, inset_.top + textHeight + inset_.bottom)};
    if (size != contentSize()) setContentSize(size);
    if (content_) {
        content_->setFrame({{0, 0}, size});
        content_->setNeedsDisplay();
    }
}

void TextView::layoutSubviews() {
    ScrollView::layoutSubviews();
    if (bounds().width() != laidOutWidth_) textDidChangeLayout();
}

cg::Rect TextView::caretRect(int64_t offset) const {
    const double left = inset_.left + container_.lineFragmentPadding();
    const double width = wrapWidth();
    cg::Rect caret;
    if (text_.length() == 0) {
        // Where the first character would go.
        double x = 0;
        if (alignment_ == ns::TextAlignment::center) x = width / 2;
        if (alignment_ == ns::TextAlignment::right) x = width;
        caret = {x, 0, 0, font_.lineHeight()};
    } else {
        caret = layout().caretRect(offset);
    }
    // The caret stays inside the line it belongs to.
    const double x = std::clamp(caret.minX(), 0.0, std::max(0.0, width - kCaretWidth));
    return {left + x, inset_.top + caret.minY(), kCaretWidth, caret.height()};
}

int64_t TextView::offsetNearest(cg::Point point) const {
    if (text_.length() == 0) return 0;
    const cg::Point local{point.x - inset_.left - container_.lineFragmentPadding(), point.y - inset_.top};
    const int64_t found = std::clamp<int64_t>(layout().offsetNearest(local), 0, text_.length());
    // The nearer end of the grapheme cluster the offset falls in.
    for (const auto& range : text_.string().graphemeRanges()) {
        if (found <= range.location || found >= range.max()) continue;
        const double start = caretRect(range.location).minX();
        const double end = caretRect(range.max()).minX();
        return std::abs(point.x - start) <= std::abs(point.x - end) ? range.location : range.max();
    }
    return found;
}

void TextView::scrollCaretToVisible() {
    if (!editing_) return;
    scrollRectToVisible(caretRect(selection_.max()), false);
}

void TextView::drawContent() {
    cg::Context* context = graphicsGetCurrentContext();
    if (context == nullptr) return;
    const cg::Point origin{inset_.left + container_.lineFragmentPadding(), inset_.top};
    // A selection is highlighted behind its text, one rectangle per line it touches.
    if (editing_ && selection_.length > 0 && text_.length() > 0) {
        context->saveGState();
        context->setFillColor(tintColor().withAlphaComponent(kSelectionAlpha).cgColor());
        for (const cg::Rect& rect : layout().selectionRects(selection_))
            context->fill(rect.offsetBy(origin.x, origin.y));
        context->restoreGState();
    }
    if (text_.length() > 0) layout().draw(*context, origin);
    // The caret only marks an empty selection.
    if (!editing_ || selection_.length > 0) return;
    const cg::Rect caret = caretRect(selection_.max());
    if (!caret.isFinite()) return;
    context->saveGState();
    context->setFillColor(tintColor().cgColor());
    context->fill(caret);
    context->restoreGState();
}

// ---------------------------------------------------------------- selection

bool TextView::isBoundary(int64_t index) const {
    const auto& units = text_.string().utf16();
    if (index <= 0 || index >= static_cast<int64_t>(units.size())) return true;
    const auto i = static_cast<std::size_t>(index);
    return !(isHigh(units[i - 1]) && isLow(units[i]));
}

void TextView::setSelectedRange(ns::Range range) {
    const int64_t length = text_.length();
    int64_t start = std::clamp<int64_t>(range.location, 0, length);
    int64_t end = std::clamp<int64_t>(range.length < 0 ? start : range.max(), start, length);
    // Never inside a surrogate pair: the start moves back, the end forward.
    const bool caret = end == start;
    if (!isBoundary(start)) --start;
    if (caret) end = start;
    if (!isBoundary(end)) ++end;
    selection_ = {start, end - start};
    if (content_) content_->setNeedsDisplay();
    scrollCaretToVisible();
}

// ---------------------------------------------------------------- first responder

bool TextView::becomeFirstResponder() {
    if (isFirstResponder()) return true;
    if (!canBecomeFirstResponder() || !responderWindow()) return false;
    // The view outlives anything its delegate does to it.
    const auto self = sharedFromThis<TextView>();
    if (auto d = delegate_.lock(); d && !d->textViewShouldBeginEditing(*this)) return false;
    auto window = responderWindow();
    if (!window || !resignOtherResponders(window)) return false;
    window = responderWindow();
    if (!window || isFirstResponder()) return isFirstResponder();
    takeFirstResponder(window);
    editing_ = true;
    selection_ = {text_.length(), 0};
    if (content_) content_->setNeedsDisplay();
    showKeyboard();
    scrollCaretToVisible();
    // A resign inside the delegate stops the rest.
    if (auto d = delegate_.lock()) d->textViewDidBeginEditing(*this);
    if (!isFirstResponder()) return true;
    ns::NotificationCenter::defaultCenter().post(UITextViewTextDidBeginEditingNotification, self);
    return true;
}

bool TextView::resignFirstResponder() { return endEditing(true); }

void TextView::leaveWindowAsFirstResponder() { endEditing(false); }

bool TextView::endEditing(bool ask) {
    if (!isFirstResponder()) return true;
    if (ask && !canResignFirstResponder()) return false;
    const auto self = sharedFromThis<TextView>();
    if (auto d = delegate_.lock(); ask && d && !d->textViewShouldEndEditing(*this)) return false;
    if (!isFirstResponder()) return true;
    dropFirstResponder();
    editing_ = false;
    if (content_) content_->setNeedsDisplay();
    if (auto d = delegate_.lock()) d->textViewDidEndEditing(*this);
    ns::NotificationCenter::defaultCenter().post(UITextViewTextDidEndEditingNotification, self);
    hideKeyboard();
    return true;
}

void TextView::touchesBegan(const TouchSet&, const Event*) {}

void TextView::touchesMoved(const TouchSet&, const Event*) {}

void TextView::touchesCancelled(const TouchSet&, const Event*) {}

void TextView::touchesEnded(const TouchSet& touches, const Event*) {
    // A drag of the content cancels the touch instead; this is a tap.
    const auto touch = touches.first();
    if (!touch || touches.size() != 1) return;
    const cg::Point point = touch->location(this);
    if (!bounds().contains(point)) return;
    if (!editing_) {
        becomeFirstResponder();
        return;
    }
    // A tap while editing puts the caret at the nearest grapheme boundary.
    setSelectedRange({offsetNearest(point), 0});
}

// ---------------------------------------------------------------- user edits

void TextView::userEdit(ns::Range range, const ns::String& replacement) {
    if (!isFirstResponder()) return;
    const auto self = sharedFromThis<TextView>();
    if (auto d = delegate_.lock(); d && !d->textViewShouldChangeTextIn(*this, range, replacement)) return;
    // The delegate may have changed the text: a range that no longer fits, or that
    // splits a surrogate pair, drops the edit.
    if (!isFirstResponder() || range.location < 0 || range.length < 0 || range.max() > text_.length() ||
        !isBoundary(range.location) || !isBoundary(range.max()))
        return;
    const ns::Attributes attributes = typingAttributes(range.location);
    ns::MutableAttributedString text(*text_.attributedSubstring({0, range.location}));
    text.append(ns::AttributedString(replacement, attributes));
    text.append(*text_.attributedSubstring({range.max(), text_.length() - range.max()}));
    text_ = text;
    selection_ = {range.location + replacement.length(), 0};
    textDidChangeLayout();
    scrollCaretToVisible();
    if (auto d = delegate_.lock()) d->textViewDidChange(*this);
    ns::NotificationCenter::defaultCenter().post(UITextViewTextDidChangeNotification, self);
}

void TextView::insertText(const ns::String& text) {
    if (isFirstResponder()) userEdit(selection_, text);
}

void TextView::deleteBackward() {
    if (!isFirstResponder()) return;
    if (selection_.length > 0) {
        userEdit(selection_, ns::String());
        return;
    }
    const int64_t caret = selection_.location;
    if (caret <= 0) return;
    const ns::Range cluster = text_.string().rangeOfComposedCharacterSequence(caret - 1);
    const int64_t start = std::clamp<int64_t>(cluster.location, 0, caret - 1);
    userEdit({start, caret - start}, ns::String());
}

// ---------------------------------------------------------------- edit actions

void TextView::cut(ns::Object*) {
    if (selection_.length <= 0 || !isFirstResponder()) return;
    Pasteboard::general().setString(text_.string().substring(selection_));
    userEdit(selection_, ns::String());
}

void TextView::copy(ns::Object*) {
    if (selection_.length > 0) Pasteboard::general().setString(text_.string().substring(selection_));
}

void TextView::paste(ns::Object*) {
    const auto string = Pasteboard::general().string();
    if (!string) return;
    Keyboard::TextChange change(*this);
    userEdit(selection_, *string);
}

void TextView::select(ns::Object*) {
    // The word around the caret: the run of characters other than spaces and line
    // breaks touching it.
    const auto& units = text_.string().utf16();
    auto isSpace = [&](int64_t i) {
        const char16_t c = units[static_cast<std::size_t>(i)];
        return c == u' ' || c == u'\n';
    };
    int64_t start = selection_.location;
    int64_t end = selection_.location;
    while (start > 0 && !isSpace(start - 1)) --start;
    while (end < text_.length() && !isSpace(end)) ++end;
    setSelectedRange({start, end - start});
}

void TextView::selectAll(ns::Object*) { setSelectedRange({0, text_.length()}); }

void TextView::deleteSelection(ns::Object*) {
    if (selection_.length > 0) userEdit(selection_, ns::String());
}

bool TextView::canPerformAction(ns::Selector action, ns::Object* sender) const {
    const auto name = action.name();
    const bool hasSelection = selection_.length > 0;
    if (name == "cut:" || name == "delete:") return hasSelection && editable_;
    if (name == "copy:") return hasSelection;
    if (name == "paste:") return editing_ && Pasteboard::general().hasStrings();
    if (name == "select:") return hasText() && !hasSelection;
    if (name == "selectAll:") return hasText() && selection_.length < text_.length();
    static constexpr std::string_view formatting[] = {
        "makeTextWritingDirectionLeftToRight:", "makeTextWritingDirectionRightToLeft:", "toggleBoldface:",
        "toggleItalics:", "toggleUnderline:", "increaseSize:", "decreaseSize:"};
    if (std::find(std::begin(formatting), std::end(formatting), name) != std::end(formatting)) return false;
    return ScrollView::canPerformAction(action, sender);
}

} // namespace pellavo::ui
