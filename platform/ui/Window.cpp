#include "platform/ui/Window.hpp"

#include "platform/ui/Application.hpp"
#include "platform/ui/Screen.hpp"

namespace pellavo::ui {

Window::Window() : Window(Screen::main().bounds()) {}

Window::Window(const cg::Rect& frame) : View(frame) { layer()->setIsHidden(true); }

void Window::init() {
    View::init();
    layer()->setIsWindowRoot(true);
}

void Window::makeKeyAndVisible() {
    makeKey();
    setIsHidden(false);
}

void Window::makeKey() { Application::shared().windowDidBecomeKey(sharedFromThis<Window>()); }

bool Window::isKeyWindow() const { return Application::shared().keyWindow().get() == this; }

void Window::setIsHidden(bool hidden) {
    View::setIsHidden(hidden);
    if (!hidden) Application::shared().windowDidBecomeVisible(sharedFromThis<Window>());
}

std::shared_ptr<Responder> Window::nextResponder() const {
    return Application::shared().sharedFromThis<Responder>();
}

} // namespace pellavo::ui
