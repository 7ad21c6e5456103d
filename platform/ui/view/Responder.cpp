#include "platform/ui/view/Responder.hpp"

namespace pellavo::ui {

void Responder::touchesBegan(const TouchSet& touches, const Event* event) {
    if (auto next = nextResponder()) next->touchesBegan(touches, event);
}

void Responder::touchesMoved(const TouchSet& touches, const Event* event) {
    if (auto next = nextResponder()) next->touchesMoved(touches, event);
}

void Responder::touchesEnded(const TouchSet& touches, const Event* event) {
    if (auto next = nextResponder()) next->touchesEnded(touches, event);
}

void Responder::touchesCancelled(const TouchSet& touches, const Event* event) {
    if (auto next = nextResponder()) next->touchesCancelled(touches, event);
}

} // namespace pellavo::ui

// ---------------------------------------------------------------- first responder

#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/event/Application.hpp"
#include "platform/ui/text/Keyboard.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo::ui {

std::shared_ptr<Window> Responder::responderWindow() const {
    const auto* view = dynamic_cast<const View*>(this);
    return view ? view->window() : nullptr;
}

bool Responder::isFirstResponder() const {
    const auto window = responderWindow();
    return window && window->firstResponder_.lock().get() == this;
}

bool Responder::resignOtherResponders(const std::shared_ptr<Window>& window) {
    if (auto current = window->firstResponder_.lock(); current && current.get() != this)
        if (!current->resignFirstResponder()) return false;
    // The keyboard's input may sit in another window.
    auto active = Application::shared().keyboard().activeInput();
    if (active && active.get() != this && active->isFirstResponder())
        if (!active->resignFirstResponder()) return false;
    return true;
}

void Responder::takeFirstResponder(const std::shared_ptr<Window>& window) {
    window->firstResponder_ = sharedFromThis<Responder>();
}

void Responder::dropFirstResponder() {
    if (const auto window = responderWindow(); window && window->firstResponder_.lock().get() == this)
        window->firstResponder_.reset();
}

void Responder::showKeyboard() { Application::shared().keyboard().responderDidBecomeFirst(sharedFromThis<Responder>()); }

void Responder::hideKeyboard() { Application::shared().keyboard().responderDidResign(*this); }

bool Responder::becomeFirstResponder() {
    if (!canBecomeFirstResponder()) return false;
    const auto window = responderWindow();
    if (!window) return false;
    if (isFirstResponder()) return true;
    const auto self = sharedFromThis<Responder>();
    if (!resignOtherResponders(window)) return false;
    takeFirstResponder(window);
    showKeyboard();
    return true;
}

bool Responder::resignFirstResponder() {
    if (!isFirstResponder()) return true;
    if (!canResignFirstResponder()) return false;
    const auto self = sharedFromThis<Responder>();
    dropFirstResponder();
    hideKeyboard();
    return true;
}

void Responder::leaveWindowAsFirstResponder() {
    if (!isFirstResponder()) return;
    const auto self = sharedFromThis<Responder>();
    dropFirstResponder();
    hideKeyboard();
}

void Responder::reloadInputViews() {
    auto& keyboard = Application::shared().keyboard();
    if (keyboard.activeInput().get() == this) keyboard.responderDidBecomeFirst(sharedFromThis<Responder>());
}

bool Responder::canPerformAction(ns::Selector action, ns::Object*) const {
    return ns::Runtime::shared().respondsToSelector(*this, action);
}

std::shared_ptr<Responder> Responder::targetForAction(ns::Selector action, ns::Object* sender) const {
    auto& runtime = ns::Runtime::shared();
    auto responder = std::const_pointer_cast<Responder>(sharedFromThis<Responder>());
    // The chain is finite, but a cycle made by a broken override must not hang.
    for (int depth = 0; responder && depth < 10000; ++depth) {
        if (responder->canPerformAction(action, sender) && runtime.respondsToSelector(*responder, action))
            return responder;
        responder = responder->nextResponder();
    }
    return nullptr;
}

// ---------------------------------------------------------------- runtime

namespace {

// Known by name to interface files as soon as the library loads.
[[maybe_unused]] const auto registration = ns::ClassRegistration<Responder>("UIResponder");

} // namespace

} // namespace pellavo::ui
