#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ns/AttributedString.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/layout/LayoutConstraint.hpp"
#include "platform/ui/text/Font.hpp"
#include "platform/ui/text/TextView.hpp"

namespace pellavo {

// A multi-line text view that shows a placeholder while it is empty. The placeholder
// is a wrapping label over the text area whose first line sits where typed text
// begins; it follows the container inset at once, the line-fragment padding at the
// next inset set, and is hidden whenever the view holds text.
class PELLAVO_EXPORT VXPlaceholderTextView : public ui::TextView {
public:
    explicit VXPlaceholderTextView(cg::Rect frame = {});
    // Made from an interface file: the same set-up, after the decoded subviews.
    explicit VXPlaceholderTextView(const ns::Coder& coder);
    ~VXPlaceholderTextView() override;
    std::string_view className() const override { return "VXPlaceholderTextView"; }

    // The getters return what was stored, even when the label shows something else
    // (a plain placeholder set after an attributed one, or the other way round).
    ns::String placeholder() const { return placeholder_; }
    void setPlaceholder(ns::String text);
    // Defaults to one translucent near-black shared by every placeholder text view.
    ui::Color placeholderColor() const { return placeholderColor_; }
    void setPlaceholderColor(ui::Color color);
    std::optional<ns::AttributedString> attributedPlaceholder() const { return attributedPlaceholder_; }
    // None clears the label until the plain placeholder is set again.
    void setAttributedPlaceholder(std::optional<ns::AttributedString> text);
    // None gives the view's font as it is now; later changes of that font are not followed.
    std::optional<ui::Font> placeholderFont() const { return placeholderFont_; }
    void setPlaceholderFont(std::optional<ui::Font> font);

    void setTextAlignment(ns::TextAlignment alignment) override;
    void setText(std::optional<ns::String> text) override;
    void setAttributedText(std::optional<ns::AttributedString> text) override;
    void setTextContainerInset(const ui::EdgeInsets& inset) override;
    void layoutSubviews() override;

protected:
    void init() override;

private:
    void commonInit();
    void updateConstraintsForPlaceholderLabel();
    // The hiding rule; the target of every text view's change notification, which
    // tests only this view's own text.
    void textDidChange();
    static bool registerWithRuntime();

    std::shared_ptr<ui::Label> placeholderLabel_;
    // The label's constraints now installed on this view, replaced as a whole.
    std::vector<std::shared_ptr<ui::LayoutConstraint>> placeholderLabelConstraints_;
    ns::String placeholder_;
    ui::Color placeholderColor_;
    std::optional<ns::AttributedString> attributedPlaceholder_;
    std::optional<ui::Font> placeholderFont_;
    static const bool registered_;
};

} // namespace pellavo
