#pragma once

#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/ns/AttributedString.hpp"
#include "platform/ns/ParagraphStyle.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/text/Font.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::ui {

// Read-only text: one line by default, truncated at the tail, centred vertically
// in its bounds. Takes no touches unless told to.
class PELLAVO_EXPORT Label : public View {
public:
    explicit Label(const cg::Rect& frame = {});
    // The decoded frame and subviews, then the same set-up as the frame constructor.
    explicit Label(const ns::Coder& coder);
    std::string_view className() const override { return "UILabel"; }

    std::optional<ns::String> text() const { return text_; }
    void setText(std::optional<ns::String> text);
    // Setting it also sets text, and font, colour, alignment and break mode from its
    // first character. Runs without a font, colour or paragraph style of their own
    // are drawn with the label's.
    std::optional<ns::AttributedString> attributedText() const;
    void setAttributedText(std::optional<ns::AttributedString> text);

    const Font& font() const { return font_; }
    // None (or the blank font) gives the system font at 17.
    void setFont(std::optional<Font> font);
    const Color& textColor() const { return textColor_; }
    // None gives black.
    void setTextColor(std::optional<Color> color);
    ns::TextAlignment textAlignment() const { return textAlignment_; }
    // Also changes the paragraph styles that the attributed text carries.
    void setTextAlignment(ns::TextAlignment alignment);
    // 0 means as many as needed; a negative count becomes 0.
    int numberOfLines() const { return numberOfLines_; }
    void setNumberOfLines(int lines);
    ns::LineBreakMode lineBreakMode() const { return lineBreakMode_; }
    // Also changes the paragraph styles that the attributed text carries.
    void setLineBreakMode(ns::LineBreakMode mode);
    // The width a multi-line label wraps at when measuring its natural size.
    double preferredMaxLayoutWidth() const { return preferredMaxLayoutWidth_; }
    void setPreferredMaxLayoutWidth(double width);

    // Where the text sits when laid out in `bounds`: at the bounds origin, as large
    // as the text at the bounds width (<= 0 or not finite: unconstrained) within the
    // line limit (0: none). The height is not clamped to the bounds.
    virtual cg::Rect textRect(const cg::Rect& bounds, int numberOfLines) const;
    // Lays the text out at the rect's width and centres it vertically in the rect.
    virtual void drawText(const cg::Rect& rect);

    using View::draw;
    void draw(cg::Rect rect) override;
    // Measured through textRect, rounded up to whole pixels; no text gives (0, 0). One
    // line is measured whole, whatever the proposed width.
    cg::Size sizeThatFits(cg::Size size) const override;
    // The label's own measure (not a subclass's sizeThatFits), so a subclass that grows
    // both sizes by the same amount does not count it twice; textRect overrides still apply.
    cg::Size intrinsicContentSize() const override;

protected:
    void init() override;
    // The text with the label's font, colour, alignment and break mode wherever it
    // sets none of its own.
    ns::AttributedString effectiveText() const;

private:
    void textDidChange();
    ns::Attributes defaultAttributes() const;

    std::optional<ns::String> text_;
    std::optional<ns::AttributedString> attributedText_;
    Font font_;
    Color textColor_ = Color::black();
    ns::TextAlignment textAlignment_ = ns::TextAlignment::natural;
    int numberOfLines_ = 1;
    ns::LineBreakMode lineBreakMode_ = ns::LineBreakMode::byTruncatingTail;
    double preferredMaxLayoutWidth_ = 0;
};

} // namespace pellavo::ui
