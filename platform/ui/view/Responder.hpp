#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/ns/Object.hpp"
#include "platform/ns/Selector.hpp"

namespace pellavo::ui {

class Event;
class TouchSet;
class View;
class Window;

// Something that takes part in touch handling and text input. Touches a responder
// does not handle travel up the chain: a view's next responder is its controller
// (for a root view) or its superview, a window's is the application, and the
// application ends the chain.
class PELLAVO_EXPORT Responder : public ns::Object {
public:
    std::string_view className() const override { return "UIResponder"; }

    virtual std::shared_ptr<Responder> nextResponder() const { return nullptr; }

    // Each forwards to the next responder unchanged.
    virtual void touchesBegan(const TouchSet& touches, const Event* event);
    virtual void touchesMoved(const TouchSet& touches, const Event* event);
    virtual void touchesEnded(const TouchSet& touches, const Event* event);
    virtual void touchesCancelled(const TouchSet& touches, const Event* event);

    // ---- first responder (kept per window)
    bool isFirstResponder() const;
    virtual bool canBecomeFirstResponder() const { return false; }
    // Fails outside a window, when this responder cannot become first, or when the
    // current first responder refuses to resign.
    virtual bool becomeFirstResponder();
    virtual bool canResignFirstResponder() const { return true; }
    virtual bool resignFirstResponder();
    // Shown by the keyboard in place of its own panel while this is first responder.
    virtual std::shared_ptr<View> inputView() const { return nullptr; }
    // Shows the current inputView() when this is the keyboard's responder.
    void reloadInputViews();
    // Called by the view tree on a window's first responder whose view is about to
    // leave that window. It resigns without being able to refuse, so that the window
    // keeps no responder it no longer holds and the keyboard does not stay up for it.
    // The base drops the responder and hides the keyboard; text inputs end their
    // editing without asking whether they may.
    virtual void leaveWindowAsFirstResponder();

    // ---- actions
    // By default, whether the class responds to the selector per ns::Runtime.
    virtual bool canPerformAction(ns::Selector action, ns::Object* sender) const;
    // The first responder along the chain, from this one, that says it can perform
    // the action and has a handler for it; null when none does.
    std::shared_ptr<Responder> targetForAction(ns::Selector action, ns::Object* sender) const;

protected:
    // The window whose first responder this could be: a view's window, else null.
    std::shared_ptr<Window> responderWindow() const;
    // Asks the window's current first responder (and the keyboard's input, when it
    // is another) to resign; false when one refuses.
    bool resignOtherResponders(const std::shared_ptr<Window>& window);
    // Records this as the window's first responder.
    void takeFirstResponder(const std::shared_ptr<Window>& window);
    // Clears this as its window's first responder.
    void dropFirstResponder();
    // The keyboard shows for this responder (its input view or the system panel).
    void showKeyboard();
    // The keyboard hides, unless another input responder has taken it over.
    void hideKeyboard();
};

} // namespace pellavo::ui
