#include "platform/ui/text/Keyboard.hpp"

#include "platform/ns/Runtime.hpp"
#include "platform/ui/event/Application.hpp"
#include "platform/ui/text/InputView.hpp"
#include "platform/ui/text/InputViewController.hpp"
#include "platform/ui/event/KeyInput.hpp"
#include "platform/ui/view/Screen.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo::ui {

namespace {

// Stays out of Application::windows(): showing it does not list it.
class KeyboardWindow : public Window {
public:
    using Window::Window;
    std::string_view className() const override { return "UIRemoteKeyboardWindow"; }
    void setIsHidden(bool hidden) override { View::setIsHidden(hidden); }
};

// The nearest input view controller whose root view is `view` or one of its ancestors.
std::shared_ptr<InputViewController> controllerAbove(std::shared_ptr<View> view) {
    for (; view; view = view->superview())
        if (auto controller = std::dynamic_pointer_cast<InputViewController>(view->owningViewController()))
            return controller;
    return nullptr;
}

} // namespace

Keyboard::Keyboard() = default;
Keyboard::~Keyboard() = default;

cg::Rect Keyboard::frame() const { return shown_ ? shown_->frame() : cg::Rect{}; }

std::shared_ptr<Responder> Keyboard::activeInput() const { return shown_ ? input_.lock() : nullptr; }

void Keyboard::insertText(const ns::String& text) {
    const auto input = activeInput();
    if (auto* keys = dynamic_cast<KeyInput*>(input.get())) keys->insertText(text);
}

void Keyboard::deleteBackward() {
    const auto input = activeInput();
    if (auto* keys = dynamic_cast<KeyInput*>(input.get())) keys->deleteBackward();
}

void Keyboard::returnKey() {
    const auto input = activeInput();
    if (auto* keys = dynamic_cast<KeyInput*>(input.get())) keys->returnKey();
}

bool Keyboard::sendAction(ns::Selector action) {
    const auto window = Application::shared().keyWindow();
    if (!window) return false;
    std::shared_ptr<Responder> start = window->firstResponder();
    if (!start) start = window;
    const auto target = start->targetForAction(action, nullptr);
    return target && ns::Runtime::shared().perform(target.get(), action, nullptr);
}

void Keyboard::responderDidBecomeFirst(const std::shared_ptr<Responder>& responder) {
    if (!responder) return;
    auto view = responder->inputView();
    if (!view && dynamic_cast<KeyInput*>(responder.get()) == nullptr) return;
    if (!view) {
        if (!systemPanel_) systemPanel_ = ns::make<InputView>();
        view = systemPanel_;
    }
    if (!window_) window_ = ns::make<KeyboardWindow>(Screen::main().bounds());
    if (shown_ && shown_ != view) shown_->removeFromSuperview();
    // Where the view sat before it moved in: a subview of a controller's root view
    // still belongs to that controller. A view shown again after a hide has no
    // superview and keeps what it had.
    if (view->superview() && view->superview() != window_) {
        shownFrom_ = controllerAbove(view);
        shownFromView_ = view;
    } else if (shownFromView_.lock() != view) {
        shownFrom_.reset();
        shownFromView_.reset();
    }
    input_ = responder;
    shown_ = view;
    // An input view moves in from wherever it was.
    if (view->superview() != window_) window_->addSubview(view);
    relayout();
    window_->setIsHidden(false);
}

void Keyboard::responderDidResign(const Responder& responder) {
    if (input_.lock().get() == &responder) hide();
}

void Keyboard::hide() {
    input_.reset();
    if (shown_) shown_->removeFromSuperview();
    shown_.reset();
    if (window_) window_->setIsHidden(true);
}

std::shared_ptr<Window> Keyboard::window() const { return shown_ ? window_ : nullptr; }

void Keyboard::relayout() {
    if (!window_ || !shown_) return;
    const cg::Rect screen = Screen::main().bounds();
    window_->setFrame(screen);
    double height = shown_->frame().size.height;
    if (shown_ == systemPanel_)
        height = screen.size.width > screen.size.height ? kLandscapeHeight : kPortraitHeight;
    shown_->setFrame({0, screen.size.height - height, screen.size.width, height});
}

std::shared_ptr<InputViewController> Keyboard::shownController() const {
    if (auto controller = controllerAbove(shown_)) return controller;
    return shownFromView_.lock() == shown_ ? shownFrom_.lock() : nullptr;
}

Keyboard::TextChange::TextChange(Responder& input) {
    auto& keyboard = Application::shared().keyboard();
    auto active = keyboard.activeInput();
    if (active.get() != &input) return;
    // Held for the scope: a hook that lets go of the input cannot free it under us.
    input_ = std::move(active);
    // Only the outermost scope speaks: a set inside a paste is one change.
    if (keyboard.textChangeDepth_++ > 0) return;
    auto controller = keyboard.shownController();
    if (!controller || controller->proxyDepth_ > 0) return;
    controller_ = std::move(controller);
    controller_->textWillChange(input_.get());
}

Keyboard::TextChange::~TextChange() {
    if (!input_) return;
    auto& keyboard = Application::shared().keyboard();
    if (keyboard.textChangeDepth_ > 0) --keyboard.textChangeDepth_;
    if (controller_) controller_->textDidChange(input_.get());
}

void Keyboard::reset() {
    textChangeDepth_ = 0;
    hide();
    window_.reset();
    systemPanel_.reset();
}

} // namespace pellavo::ui
