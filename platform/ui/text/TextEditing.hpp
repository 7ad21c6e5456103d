#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/ns/AttributedString.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/ParagraphStyle.hpp"
#include "platform/ns/Range.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/text/Font.hpp"

// The editing rules a text field and a text view share. Each control keeps its own
// state, responder handling, delegate calls and events; these pieces only compute
// on the text and selection they are given.
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
