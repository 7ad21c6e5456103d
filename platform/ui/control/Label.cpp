#include "platform/ui/control/Label.hpp"

#include <cmath>
#include <limits>

#include "platform/ns/ClassRegistration.hpp"
#include "platform/ui/graphics/GraphicsContext.hpp"
#include "platform/ui/view/Screen.hpp"
#include "platform/ui/text/TextLayout.hpp"

namespace pellavo::ui {
namespace {

constexpr double kDefaultFontSize = 17;

// Pixels are what the screen shows, so sizes round up to the next one.
double roundUpToPixels(double points) {
    if (!std::isfinite(points) || points <= 0) return 0;
    const double scale = Screen::main().scale();
    // A hair of slack keeps 8.0000000001 from becoming 8.5.
    return std::ceil(points * scale - 1e-6) / scale;
}

double usableWidth(double width) { return std::isfinite(width) && width > 0 ? width : 0; }

bool isTruncating(ns::LineBreakMode mode) {
    return mode == ns::LineBreakMode::byTruncatingHead || mode == ns::LineBreakMode::byTruncatingTail ||
           mode == ns::LineBreakMode::byTruncatingMiddle;
}

// A label wraps by words and truncates only its last line; without a line limit
// there is no last line to truncate, so it just wraps.
ns::LineBreakMode modeFor(int lines, ns::LineBreakMode mode) {
    return lines <= 0 && isTruncating(mode) ? ns::LineBreakMode::byWordWrapping : mode;
}

TextLayout layoutFor(const ns::AttributedString& text, double width, int lines, ns::LineBreakMode mode) {
    return TextLayout(text, usableWidth(width), lines < 0 ? 0 : lines, modeFor(lines, mode));
}

const ns::ParagraphStyle* paragraphStyleOf(const ns::Attributes& attributes) {
    auto found = attributes.find(ns::AttributedStringKey::paragraphStyle);
    return found == attributes.end() ? nullptr : found->second.get<ns::ParagraphStyle>();
}

// Changes the paragraph style of each run that has its own; the runs without one
// follow the label's alignment and break mode when drawn.
template <class Change>
void restyleParagraphs(std::optional<ns::AttributedString>& text, Change change) {
    if (!text) return;
    ns::MutableAttributedString restyled(*text);
    for (const auto& run : text->runs()) {
        const ns::ParagraphStyle* style = paragraphStyleOf(run.attributes);
        if (style == nullptr) continue;
        ns::ParagraphStyle changed = *style;
        change(changed);
        restyled.addAttribute(ns::AttributedStringKey::paragraphStyle, ns::Value::of(changed), run.range);
    }
    text = restyled;
}

} // namespace

Label::Label(const cg::Rect& frame) : View(frame), font_(Font::systemFont(kDefaultFontSize)) {
    setIsUserInteractionEnabled(false);
}

Label::Label(const ns::Coder& coder) : View(coder), font_(Font::systemFont(kDefaultFontSize)) {
    setIsUserInteractionEnabled(false);
}

void Label::init() {
    View::init();
    // Text is drawn for the bounds it has, so a new size draws it again.
    setContentMode(ContentMode::redraw);
}

ns::Attributes Label::defaultAttributes() const {
    ns::ParagraphStyle paragraph;
    paragraph.alignment = textAlignment_;
    paragraph.lineBreakMode = lineBreakMode_;
    return {{ns::AttributedStringKey::font, ns::Value::of(font_)},
            {ns::AttributedStringKey::foregroundColor, ns::Value::of(textColor_)},
            {ns::AttributedStringKey::paragraphStyle, ns::Value::of(paragraph)}};
}

ns::AttributedString Label::effectiveText() const {
    if (!attributedText_) return ns::AttributedString(text_.value_or(ns::String()), defaultAttributes());
    // Runs that set no font, colour or paragraph style of their own take the label's.
    ns::MutableAttributedString text(*attributedText_);
    const ns::Attributes defaults = defaultAttributes();
    for (const auto& run : attributedText_->runs()) {
        for (const auto& [key, value] : defaults) {
            const bool own = key == ns::AttributedStringKey::paragraphStyle ? paragraphStyleOf(run.attributes) != nullptr
                                                                            : run.attributes.contains(key);
            if (!own) text.addAttribute(key, value, run.range);
        }
    }
    return text;
}

std::optional<ns::AttributedString> Label::attributedText() const {
    if (attributedText_) return attributedText_;
    if (!text_) return std::nullopt;
    return effectiveText();
}

void Label::textDidChange() { invalidate(Invalidate::display | Invalidate::intrinsicSize); }

// A property and the attributed text it restyles change together: a setter does its
// work when either changes.
void Label::setText(std::optional<ns::String> text) {
    // Plain text drops the attributed text, also when the characters are the same.
    bool changed = change(attributedText_, std::nullopt);
    changed |= change(text_, std::move(text));
    if (changed) textDidChange();
}

void Label::setAttributedText(std::optional<ns::AttributedString> text) {
    if (!text) {
        bool changed = change(attributedText_, std::nullopt);
        changed |= change(text_, std::nullopt);
        if (changed) textDidChange();
        return;
    }
    bool changed = change(text_, text->string());
    if (text->length() > 0) {
        const ns::Value font = text->attribute(ns::AttributedStringKey::font, 0);
        if (const auto* f = font.get<Font>()) changed |= change(font_, *f);
        const ns::Value color = text->attribute(ns::AttributedStringKey::foregroundColor, 0);
        if (const auto* c = color.get<Color>()) changed |= change(textColor_, *c);
        const ns::Value paragraph = text->attribute(ns::AttributedStringKey::paragraphStyle, 0);
        if (const auto* p = paragraph.get<ns::ParagraphStyle>()) {
            changed |= change(textAlignment_, p->alignment);
            changed |= change(lineBreakMode_, p->lineBreakMode);
        }
    }
    changed |= change(attributedText_, std::move(text));
    if (changed) textDidChange();
}

void Label::setFont(std::optional<Font> font) {
    // No font, or the blank font, means "unset". A named font at size 0 is a real value
    // (it measures and draws nothing), which shrinking placeholders rely on.
    if (!font || font->fontName().empty()) font = Font::systemFont(kDefaultFontSize);
    std::optional<ns::AttributedString> restyled = attributedText_;
    if (restyled && restyled->length() > 0) {
        ns::MutableAttributedString text(*restyled);
        text.addAttribute(ns::AttributedStringKey::font, ns::Value::of(*font), {0, text.length()});
        restyled = text;
    }
    bool changed = change(font_, *font);
    changed |= change(attributedText_, std::move(restyled));
    if (changed) textDidChange();
}

void Label::setTextColor(std::optional<Color> color) {
    const Color textColor = color.value_or(Color::black());
    std::optional<ns::AttributedString> restyled = attributedText_;
    if (restyled && restyled->length() > 0) {
        ns::MutableAttributedString text(*restyled);
        text.addAttribute(ns::AttributedStringKey::foregroundColor, ns::Value::of(textColor), {0, text.length()});
        restyled = text;
    }
    bool changed = change(textColor_, textColor);
    changed |= change(attributedText_, std::move(restyled));
    if (changed) invalidate(Invalidate::display);
}

void Label::setTextAlignment(ns::TextAlignment alignment) {
    std::optional<ns::AttributedString> restyled = attributedText_;
    restyleParagraphs(restyled, [&](ns::ParagraphStyle& style) { style.alignment = alignment; });
    bool changed = change(textAlignment_, alignment);
    changed |= change(attributedText_, std::move(restyled));
    if (changed) invalidate(Invalidate::display);
}

void Label::setNumberOfLines(int lines) {
    if (change(numberOfLines_, lines < 0 ? 0 : lines)) textDidChange();
}

void Label::setLineBreakMode(ns::LineBreakMode mode) {
    std::optional<ns::AttributedString> restyled = attributedText_;
    restyleParagraphs(restyled, [&](ns::ParagraphStyle& style) { style.lineBreakMode = mode; });
    bool changed = change(lineBreakMode_, mode);
    changed |= change(attributedText_, std::move(restyled));
    if (changed) textDidChange();
}

void Label::setPreferredMaxLayoutWidth(double width) {
    change(preferredMaxLayoutWidth_, std::isfinite(width) && width > 0 ? width : 0, Invalidate::intrinsicSize);
}

cg::Rect Label::textRect(const cg::Rect& bounds, int numberOfLines) const {
    const cg::Point origin = bounds.origin.isFinite() ? bounds.origin : cg::Point();
    const int lines = numberOfLines < 0 ? 0 : numberOfLines;
    return {origin, measuredSize(effectiveText(), usableWidth(bounds.size.width), lines,
                                 modeFor(numberOfLines, lineBreakMode_))};
}

void Label::drawText(const cg::Rect& rect) {
    cg::Context* context = graphicsGetCurrentContext();
    if (context == nullptr || !rect.isFinite()) return;
    const TextLayout layout = layoutFor(effectiveText(), rect.size.width, numberOfLines_, lineBreakMode_);
    const cg::Size size = layout.size();
    const cg::Rect r = rect.standardized();
    layout.draw(*context, {r.minX(), r.minY() + (r.height() - size.height) / 2});
}

void Label::draw(cg::Rect) { drawText(bounds()); }

cg::Size Label::sizeThatFits(cg::Size size) const {
    if (!text_ || text_->isEmpty()) return {0, 0};
    // One line grows to its whole text, as sizeToFit promises; more lines wrap at the
    // proposed width, or at the preferred one when there is one.
    double width = numberOfLines_ == 1 ? 0 : usableWidth(size.width);
    if (numberOfLines_ != 1 && preferredMaxLayoutWidth_ > 0) width = preferredMaxLayoutWidth_;
    const cg::Rect rect = textRect({0, 0, width, std::numeric_limits<double>::max()}, numberOfLines_);
    return {roundUpToPixels(rect.size.width), roundUpToPixels(rect.size.height)};
}

cg::Size Label::intrinsicContentSize() const { return Label::sizeThatFits({0, 0}); }

// ---------------------------------------------------------------- runtime

namespace {

// Known by name to interface files and to key-value setting as soon as the library loads.
[[maybe_unused]] const auto registration =
    ns::ClassRegistration<Label>("UILabel", "UIView")
        .property<std::optional<ns::String>>("text", &Label::text, &Label::setText)
        .property<std::optional<Font>>("font", &Label::font, &Label::setFont)
        .property<std::optional<Color>>("textColor", &Label::textColor, &Label::setTextColor)
        .property<ns::TextAlignment>("textAlignment", &Label::textAlignment, &Label::setTextAlignment)
        .property<int>("numberOfLines", &Label::numberOfLines, &Label::setNumberOfLines);

} // namespace

} // namespace pellavo::ui
