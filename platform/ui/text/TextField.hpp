#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "platform/ns/Export.hpp"
#include "platform/ns/AttributedString.hpp"
#include "platform/ns/ParagraphStyle.hpp"
#include "platform/ns/Range.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/control/Control.hpp"
#include "platform/ui/text/Font.hpp"
#include "platform/ui/text/TextEditing.hpp"

namespace pellavo::ui {

inline constexpr std::string_view UITextFieldTextDidChangeNotification = "UITextFieldTextDidChangeNotification";

class TextField;

extern template class TextEditing<Control>;

// Every method defaults to true or does nothing.
class PELLAVO_EXPORT TextFieldDelegate {
public:
    virtual ~TextFieldDelegate() = default;
    virtual bool textFieldShouldBeginEditing(TextField&) { return true; }
    virtual void textFieldDidBeginEditing(TextField&) {}
    virtual bool textFieldShouldEndEditing(TextField&) { return true; }
    virtual void textFieldDidEndEditing(TextField&) {}
    virtual bool textFieldShouldChangeCharactersIn(TextField&, ns::Range, const ns::String&) { return true; }
    virtual bool textFieldShouldReturn(TextField&) { return true; }
};

// A one-line editable text. A tap begins editing; the keyboard's keys, paste, cut
// and delete: edit it while it is first responder, each edit asking the delegate
// first, then sending editingChanged and posting the change notification. Words
// end only at spaces.
class PELLAVO_EXPORT TextField : public TextEditing<Control> {
public:
    enum class ViewMode { never, whileEditing, unlessEditing, always };

    static constexpr double kDefaultFontSize = 17;
    static constexpr double kCaretWidth = 2;
    // The selection highlight is the tint colour at this alpha.
    static constexpr double kSelectionAlpha = 0.25;

    explicit TextField(const cg::Rect& frame = {});
    // From an interface file, as View's.
    explicit TextField(const ns::Coder& coder);
    std::string_view className() const override { return "UITextField"; }

    // ---- text (a programmatic set calls nobody and puts the caret at the end; only
    // an input view controller on screen hears of it, see Keyboard::TextChange)
    virtual void setText(std::optional<ns::String> text);
    virtual void setAttributedText(std::optional<ns::AttributedString> text);

    // Each setter updates the other's string.
    std::optional<ns::String> placeholder() const;
    void setPlaceholder(std::optional<ns::String> placeholder);
    std::optional<ns::AttributedString> attributedPlaceholder() const { return placeholder_; }
    void setAttributedPlaceholder(std::optional<ns::AttributedString> placeholder);

    // ---- look (applied to the whole text)
    const Font& font() const { return font_; }
    void setFont(const Font& font);
    Color textColor() const { return textColor_; }
    void setTextColor(const Color& color);
    ns::TextAlignment textAlignment() const { return alignment_; }
    void setTextAlignment(ns::TextAlignment alignment);

    std::shared_ptr<View> leftView() const { return leftView_; }
    void setLeftView(std::shared_ptr<View> view);
    ViewMode leftViewMode() const { return leftViewMode_; }
    void setLeftViewMode(ViewMode mode);
    std::shared_ptr<View> rightView() const { return rightView_; }
    void setRightView(std::shared_ptr<View> view);
    ViewMode rightViewMode() const { return rightViewMode_; }
    void setRightViewMode(ViewMode mode);

    // ---- geometry hooks: the bounds minus the side views shown
    virtual cg::Rect textRect(const cg::Rect& bounds) const;
    virtual cg::Rect editingRect(const cg::Rect& bounds) const;
    virtual cg::Rect placeholderRect(const cg::Rect& bounds) const;
    virtual cg::Rect leftViewRect(const cg::Rect& bounds) const;
    virtual cg::Rect rightViewRect(const cg::Rect& bounds) const;
    // One line, vertically centred and clipped to the rect.
    virtual void drawText(const cg::Rect& rect);
    virtual void drawPlaceholder(const cg::Rect& rect);

    // ---- editing
    std::shared_ptr<TextFieldDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<TextFieldDelegate>& delegate) { delegate_ = delegate; }

    bool canBecomeFirstResponder() const override { return isEnabled(); }

    // ---- KeyInput: textFieldShouldReturn; when true, editingDidEndOnExit, and a
    // resign when that event has a target.
    void returnKey() override;

    void draw(cg::Rect rect) override;
    void layoutSubviews() override;

protected:
    void endTracking(const Touch* touch, const ui::Event* event) override;

private:
    // ---- TextEditing: the delegate's textField… calls, editingDid… and
    // editingChanged, and the text's notifications.
    ns::Attributes defaultAttributes() const override;
    bool wordsSpanLines() const override { return true; }
    bool shouldBeginEditing() override;
    bool shouldEndEditing() override;
    bool shouldChangeText(ns::Range range, const ns::String& replacement) override;
    void editingStateDidChange() override { updateSideViews(); }
    void didBeginEditing() override;
    void didEndEditing() override;
    void didEditText() override;
    void selectionDidChange() override { setNeedsDisplay(); }

    ns::AttributedString effectiveText() const;
    bool showsSideView(ViewMode mode) const;
    void updateSideViews();
    // The x of a UTF-16 offset within the drawn text, from the text's left edge.
    double offsetOf(int64_t index) const;
    double scrollOffset(const cg::Rect& rect) const;
    double alignmentOffset(const cg::Rect& rect) const;

    std::optional<ns::AttributedString> placeholder_;
    Font font_;
    Color textColor_ = Color::black();
    ns::TextAlignment alignment_ = ns::TextAlignment::left;
    std::shared_ptr<View> leftView_;
    std::shared_ptr<View> rightView_;
    ViewMode leftViewMode_ = ViewMode::never;
    ViewMode rightViewMode_ = ViewMode::never;
    std::weak_ptr<TextFieldDelegate> delegate_;
};

} // namespace pellavo::ui
