#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>

#include "platform/ns/AttributedString.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/ParagraphStyle.hpp"
#include "platform/ns/Range.hpp"
#include "platform/ns/String.hpp"
#include "platform/ns/Selector.hpp"
#include "platform/ui/event/KeyInput.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/text/Font.hpp"

// The editing a text field and a text view share: the rules below compute on the
// text and selection they are given, and TextEditing holds the protocol built on them.
namespace pellavo::ui::detail {

// Font, colour and a paragraph style with the alignment: what a plain text is
// given, and what an attributed text falls back to where a run lacks a key.
ns::Attributes defaultTextAttributes(const Font& font, const Color& color, ns::TextAlignment alignment);

// The attributes typed text takes at a location: those of the character before
// it (the first one at the start), or the defaults in an empty text.
ns::Attributes typingAttributes(const ns::AttributedString& text, int64_t location,
                                const ns::Attributes& defaults);

// The text with every key of the defaults added to the runs that lack it.
ns::AttributedString withDefaultAttributes(const ns::AttributedString& text, const ns::Attributes& defaults);

// The text with one attribute set over all of it.
ns::AttributedString withAttribute(const ns::AttributedString& text, const ns::AttributedStringKey& key,
                                   const ns::Value& value);

// True unless the UTF-16 offset falls between the halves of a surrogate pair; the
// ends and anything outside the text count as boundaries.
bool isSurrogateBoundary(const ns::String& text, int64_t index);

// A requested selection clamped into the text (a negative length is a caret) and
// moved off surrogate pairs: the start back, the end forward.
ns::Range clampedSelection(const ns::String& text, ns::Range range);

// What backspace removes: a non-empty selection, else the grapheme cluster before
// the caret; nothing at the start of the text.
std::optional<ns::Range> backspaceRange(const ns::String& text, ns::Range selection);

// The text with the range replaced, the replacement taking the typing attributes
// at the range's start; nothing when the range no longer fits the text or splits
// a surrogate pair (a delegate may have changed the text meanwhile).
std::optional<ns::AttributedString> replacing(const ns::AttributedString& text, ns::Range range,
                                              const ns::String& replacement, const ns::Attributes& defaults);

// The word around a caret: the run of characters touching it other than spaces
// and, when asked, line breaks.
ns::Range wordAround(const ns::String& text, int64_t caret, bool lineBreaksSeparate);

// Puts the selected text on the general pasteboard; false for an empty selection.
bool copySelection(const ns::String& text, ns::Range selection);

// A delegate's answer to one of its should… questions about a control; true
// without a delegate.
template <class Delegate, class Owner, class... Params, class... Args>
bool delegateAllows(const std::weak_ptr<Delegate>& delegate, bool (Delegate::*question)(Owner&, Params...),
                    Owner& owner, Args&&... args) {
    const auto d = delegate.lock();
    return !d || (d.get()->*question)(owner, std::forward<Args>(args)...);
}

// What the edit menu may offer.
struct EditActionState {
    ns::Range selection;
    int64_t textLength = 0;
    // The control's own answer, which a subclass may override.
    bool hasText = false;
    bool editing = false;
    // Whether cut: and delete: may change the text.
    bool canChangeText = true;
};

// The answer for the edit and formatting actions, or nothing for any other action
// (the control's superclass answers those).
std::optional<bool> canPerformEditAction(std::string_view action, const EditActionState& state);

// Declares a text input's edit actions, which reach it by selector through the
// responder chain: `registration.with(addEditActions<TextField>)`.
template <class Input>
void addEditActions(ns::ClassRegistration<Input>& registration) {
    registration.action(ns::Selector("cut:"), &Input::cut)
        .action(ns::Selector("copy:"), &Input::copy)
        .action(ns::Selector("paste:"), &Input::paste)
        .action(ns::Selector("select:"), &Input::select)
        .action(ns::Selector("selectAll:"), &Input::selectAll)
        .action(ns::Selector("delete:"), &Input::deleteSelection);
}

} // namespace pellavo::ui::detail

namespace pellavo::ui {

class View;

// The editing protocol of an editable text, over the view class it builds on: the
// text and its selection, editing as first responder, the keyboard's edits and the
// edit actions. The control adds its look, its delegate and what each step tells
// the world, through the hooks at the end. The edits act only while the control is
// first responder, each asking shouldChangeText first.
template <class Base>
class PELLAVO_EXPORT TextEditing : public Base, public KeyInput {
public:
    using Base::Base;

    // ---- text (the setters are the control's own)
    ns::String text() const { return text_.string(); }
    ns::AttributedString attributedText() const { return text_; }

    // ---- selection, in UTF-16 units: clamped and never inside a surrogate pair
    ns::Range selectedRange() const { return selection_; }
    void setSelectedRange(ns::Range range);

    // ---- editing
    bool isEditing() const { return editing_; }
    // Shown by the keyboard in place of its panel while editing, and held strongly.
    // A change shows once the control next begins editing or calls reloadInputViews().
    std::shared_ptr<View> inputView() const override { return inputView_; }
    void setInputView(std::shared_ptr<View> view) { inputView_ = std::move(view); }
    // Beginning asks the delegate, puts the caret at the end and shows the keyboard;
    // resigning lets the control and its delegate refuse; leaving the window does not.
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;
    void leaveWindowAsFirstResponder() override;

    // ---- KeyInput (act only while first responder)
    bool hasText() const override { return !text_.string().isEmpty(); }
    void insertText(const ns::String& text) override;
    void deleteBackward() override;

    // ---- edit actions ("cut:", "copy:", "paste:", "select:", "selectAll:", "delete:")
    void cut(ns::Object* sender);
    void copy(ns::Object* sender);
    void paste(ns::Object* sender);
    // The word around the caret: the characters touching it other than spaces and,
    // unless words span lines, line breaks.
    void select(ns::Object* sender);
    void selectAll(ns::Object* sender);
    void deleteSelection(ns::Object* sender);
    bool canPerformAction(ns::Selector action, ns::Object* sender) const override;

protected:
    // The end of editing; `ask` lets the control and its delegate refuse.
    bool endEditing(bool ask);

    ns::AttributedString text_;
    ns::Range selection_;
    bool editing_ = false;

private:
    // The user-edit path: the delegate, the re-check, the edit, then didEditText.
    void userEdit(ns::Range range, const ns::String& replacement);

    // ---- hooks
    // What typed text takes where the text around it says nothing.
    virtual ns::Attributes defaultAttributes() const = 0;
    // The one rule of the editing itself that differs: whether a word may run across
    // a line break.
    virtual bool wordsSpanLines() const = 0;
    // Whether the edit menu may offer cut: and delete:.
    virtual bool canChangeText() const { return true; }
    // The delegate's answers; true without a delegate.
    virtual bool shouldBeginEditing() = 0;
    virtual bool shouldEndEditing() = 0;
    virtual bool shouldChangeText(ns::Range range, const ns::String& replacement) = 0;
    // Editing has just begun or ended, before the keyboard or anyone else hears.
    virtual void editingStateDidChange() = 0;
    // Editing has begun (with the keyboard up) or ended (before it goes): the
    // delegate, the targets and the observers hear; a resign while beginning stops
    // the rest.
    virtual void didBeginEditing() = 0;
    virtual void didEndEditing() = 0;
    // A user edit has replaced the text and put the caret after the replacement.
    virtual void didEditText() = 0;
    // The selection was set.
    virtual void selectionDidChange() = 0;

    std::shared_ptr<View> inputView_;
};

} // namespace pellavo::ui
