#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "platform/ns/AttributedString.hpp"
#include "platform/ns/ParagraphStyle.hpp"
#include "platform/ns/Range.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/control/Control.hpp"
#include "platform/ui/text/Font.hpp"
#include "platform/ui/event/KeyInput.hpp"

namespace pellavo::ui {

inline constexpr std::string_view UITextFieldTextDidChangeNotification = "UITextFieldTextDidChangeNotification";

class TextField;

// Every method defaults to true or does nothing.
class TextFieldDelegate {
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
// first, then sending editingChanged and posting the change notification.
class TextField : public Control, public KeyInput {
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
    ns::String text() const { return text_.string(); }
    virtual void setText(std::optional<ns::String> text);
    ns::AttributedString attributedText() const { return text_; }
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

    // ---- selection, in UTF-16 units: clamped and never inside a surrogate pair
    ns::Range selectedRange() const { return selection_; }
    void setSelectedRange(ns::Range range);

    // ---- editing
    bool isEditing() const { return editing_; }
    std::shared_ptr<TextFieldDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<TextFieldDelegate>& delegate) { delegate_ = delegate; }

    bool canBecomeFirstResponder() const override { return isEnabled(); }
    // Shown by the keyboard in place of its panel while editing, and held strongly.
    // A change shows once the field next begins editing or calls reloadInputViews().
    std::shared_ptr<View> inputView() const override { return inputView_; }
    void setInputView(std::shared_ptr<View> view) { inputView_ = std::move(view); }
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;
    void leaveWindowAsFirstResponder() override;

    // ---- KeyInput (act only while first responder)
    bool hasText() const override { return !text_.string().isEmpty(); }
    void insertText(const ns::String& text) override;
    void deleteBackward() override;
    // textFieldShouldReturn; when true, editingDidEndOnExit, and a resign when that
    // event has a target.
    void returnKey() override;

    // ---- edit actions ("cut:", "copy:", "paste:", "select:", "selectAll:", "delete:")
    void cut(ns::Object* sender);
    void copy(ns::Object* sender);
    void paste(ns::Object* sender);
    void select(ns::Object* sender);
    void selectAll(ns::Object* sender);
    void deleteSelection(ns::Object* sender);
    bool canPerformAction(ns::Selector action, ns::Object* sender) const override;

    void draw(cg::Rect rect) override;
    void layoutSubviews() override;

protected:
    void endTracking(const Touch* touch, const ui::Event* event) override;

private:
    ns::Attributes defaultAttributes() const;
    ns::AttributedString effectiveText() const;
    // The end of editing; `ask` lets the delegate refuse.
    bool endEditing(bool ask);
    // The user-edit path: the delegate, the re-check, the edit, then the events.
    void userEdit(ns::Range range, const ns::String& replacement);
    bool showsSideView(ViewMode mode) const;
    void updateSideViews();
    // The x of a UTF-16 offset within the drawn text, from the text's left edge.
    double offsetOf(int64_t index) const;
    double scrollOffset(const cg::Rect& rect) const;
    double alignmentOffset(const cg::Rect& rect) const;

    ns::AttributedString text_;
    std::optional<ns::AttributedString> placeholder_;
    Font font_;
    Color textColor_ = Color::black();
    ns::TextAlignment alignment_ = ns::TextAlignment::left;
    std::shared_ptr<View> leftView_;
    std::shared_ptr<View> rightView_;
    ViewMode leftViewMode_ = ViewMode::never;
    ViewMode rightViewMode_ = ViewMode::never;
    ns::Range selection_;
    bool editing_ = false;
    std::weak_ptr<TextFieldDelegate> delegate_;
    std::shared_ptr<View> inputView_;
};

} // namespace pellavo::ui
