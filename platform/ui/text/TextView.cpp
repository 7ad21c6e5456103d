#include "platform/ui/text/TextView.hpp"

#include <algorithm>
#include <cmath>

#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/Coder.hpp"
#include "platform/ns/Console.hpp"
#include "platform/ui/graphics/GraphicsContext.hpp"
#include "platform/ui/text/Keyboard.hpp"
#include "platform/ui/text/TextEditing.hpp"
#include "platform/ui/text/TextLayout.hpp"
#include "platform/ui/event/Touch.hpp"
#include "platform/ui/event/TouchSet.hpp"

namespace pellavo::ui {

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

TextView::TextView(const cg::Rect& frame) : TextEditing(frame), font_(Font::systemFont(kDefaultFontSize)) {}

TextView::TextView(const ns::Coder& coder) : TextEditing(coder), font_(Font::systemFont(kDefaultFontSize)) {}

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
    return detail::defaultTextAttributes(font_, textColor_, alignment_);
}

ns::AttributedString TextView::effectiveText() const {
    ns::MutableAttributedString text(detail::withDefaultAttributes(text_, defaultAttributes()));
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

// The look and the text it restyles change together: a setter does its work when
// either changes.
void TextView::setFont(std::optional<Font> font) {
    const Font chosen = font.value_or(Font::systemFont(kDefaultFontSize));
    auto restyled = detail::withAttribute(text_, ns::AttributedStringKey::font, ns::Value::of(chosen));
    bool changed = change(font_, chosen);
    changed |= change(text_, std::move(restyled));
    if (changed) textDidChangeLayout();
}

void TextView::setTextColor(const Color& color) {
    auto restyled = detail::withAttribute(text_, ns::AttributedStringKey::foregroundColor, ns::Value::of(color));
    bool changed = change(textColor_, color);
    changed |= change(text_, std::move(restyled));
    if (changed) textDidChangeLayout();
}

void TextView::setTextAlignment(ns::TextAlignment alignment) {
    change(alignment_, alignment, Invalidate::nothing, [&] { textDidChangeLayout(); });
}

void TextView::setTextContainerInset(const EdgeInsets& inset) {
    if (!std::isfinite(inset.top) || !std::isfinite(inset.left) || !std::isfinite(inset.bottom) ||
        !std::isfinite(inset.right)) {
        ns::log("TextView: ignoring a non-finite text container inset");
        return;
    }
    change(inset_, inset, Invalidate::nothing, [&] { textDidChangeLayout(); });
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
        cg::Context::SavedState saved(*context);
        context->setFillColor(tintColor().withAlphaComponent(kSelectionAlpha).cgColor());
        for (const cg::Rect& rect : layout().selectionRects(selection_))
            context->fill(rect.offsetBy(origin.x, origin.y));
    }
    if (text_.length() > 0) layout().draw(*context, origin);
    // The caret only marks an empty selection.
    if (!editing_ || selection_.length > 0) return;
    const cg::Rect caret = caretRect(selection_.max());
    if (!caret.isFinite()) return;
    cg::Context::SavedState saved(*context);
    context->setFillColor(tintColor().cgColor());
    context->fill(caret);
}

// ---------------------------------------------------------------- editing

bool TextView::shouldBeginEditing() {
    return detail::delegateAllows(delegate_, &TextViewDelegate::textViewShouldBeginEditing, *this);
}

bool TextView::shouldEndEditing() {
    return detail::delegateAllows(delegate_, &TextViewDelegate::textViewShouldEndEditing, *this);
}

bool TextView::shouldChangeText(ns::Range range, const ns::String& replacement) {
    return detail::delegateAllows(delegate_, &TextViewDelegate::textViewShouldChangeTextIn, *this, range, replacement);
}

void TextView::editingStateDidChange() {
    if (content_) content_->setNeedsDisplay();
}

void TextView::didBeginEditing() {
    scrollCaretToVisible();
    // A resign inside the delegate stops the rest.
    if (auto d = delegate_.lock()) d->textViewDidBeginEditing(*this);
    if (!isFirstResponder()) return;
    ns::NotificationCenter::defaultCenter().post(UITextViewTextDidBeginEditingNotification, sharedFromThis());
}

void TextView::didEndEditing() {
    if (auto d = delegate_.lock()) d->textViewDidEndEditing(*this);
    ns::NotificationCenter::defaultCenter().post(UITextViewTextDidEndEditingNotification, sharedFromThis());
}

void TextView::didEditText() {
    textDidChangeLayout();
    scrollCaretToVisible();
    if (auto d = delegate_.lock()) d->textViewDidChange(*this);
    ns::NotificationCenter::defaultCenter().post(UITextViewTextDidChangeNotification, sharedFromThis());
}

void TextView::selectionDidChange() {
    if (content_) content_->setNeedsDisplay();
    scrollCaretToVisible();
}

// ---------------------------------------------------------------- touches

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

// ---------------------------------------------------------------- runtime

namespace {

// Known by name to interface files and to key-value setting as soon as the library loads.
[[maybe_unused]] const auto registration =
    ns::ClassRegistration<TextView>("UITextView", "UIScrollView")
        .property<std::optional<ns::String>>("text", &TextView::text, &TextView::setText)
        .property<std::optional<Font>>("font", &TextView::font, &TextView::setFont)
        .property<Color>("textColor", &TextView::textColor, &TextView::setTextColor)
        .property<ns::TextAlignment>("textAlignment", &TextView::textAlignment, &TextView::setTextAlignment)
        .property<bool>("editable", &TextView::isEditable, &TextView::setIsEditable)
        .property<EdgeInsets>("textContainerInset", &TextView::textContainerInset, &TextView::setTextContainerInset)
        .with(detail::addEditActions<TextView>);

} // namespace

} // namespace pellavo::ui
