#include "platform/ui/view/Window.hpp"

#include <vector>

#include "platform/ui/event/Application.hpp"
#include "platform/ui/controller/Presentation.hpp"
#include "platform/ui/view/Screen.hpp"
#include "platform/ui/controller/ViewController.hpp"

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
    if (hidden)
        hideRootViewController();
    else
        showRootViewController();
}

std::shared_ptr<Responder> Window::nextResponder() const {
    return Application::shared().sharedFromThis<Responder>();
}

// ---------------------------------------------------------------- root view controller

void Window::setRootViewController(const std::shared_ptr<ViewController>& controller) {
    const auto self = sharedFromThis<Window>();
    if (controller == rootViewController_) return;
    if (controller) {
        if (controller->presenting_.lock()) return;
        if (const auto other = controller->rootOfWindow_.lock()) other->setRootViewController(nullptr);
        if (controller->parent()) {
            controller->willMoveToParent(nullptr);
            controller->removeFromParent();
        }
    }
    const auto old = rootViewController_;
    const bool visible = !isHidden();
    if (old) {
        detail::Presentation::tearDown(*old);
        if (visible) old->beginAppearanceTransition(false, false);
    }
    rootViewController_ = controller;
    if (controller) controller->rootOfWindow_ = self;
    if (old) {
        if (old->rootOfWindow_.lock() == self) old->rootOfWindow_.reset();
        const auto oldView = old->viewIfLoaded();
        if (oldView && oldView->superview() == self) oldView->removeFromSuperview();
    }
    if (visible) showRootViewController();
    if (old) old->endAppearanceTransition();
}

std::shared_ptr<ViewController> Window::topMostViewController() const {
    auto top = rootViewController_;
    // The chain is finite: a controller is presented at most once.
    while (top) {
        auto next = top->presentedViewController();
        if (!next) break;
        top = std::move(next);
    }
    return top;
}

namespace {

// The root and what it presents, bottom first, without those a full-screen
// presentation above them covers.
std::vector<std::shared_ptr<ViewController>> visibleControllers(const std::shared_ptr<ViewController>& root) {
    std::vector<std::shared_ptr<ViewController>> chain;
    for (auto c = root; c; c = c->presentedViewController()) chain.push_back(c);
    std::vector<std::shared_ptr<ViewController>> visible;
    for (std::size_t i = 0; i < chain.size(); ++i) {
        const bool covered =
            i + 1 < chain.size() && chain[i + 1]->modalPresentationStyle() == ModalPresentationStyle::fullScreen;
        if (!covered) visible.push_back(chain[i]);
    }
    return visible;
}

} // namespace

void Window::showRootViewController() {
    const auto root = rootViewController_;
    if (!root) return;
    const auto visible = visibleControllers(root);
    // The view is loaded before the controller hears it will appear.
    const auto view = root->view();
    for (const auto& controller : visible) controller->beginAppearanceTransition(true, false);
    if (visible.front() == root) {
        if (view->superview().get() != this) {
            view->setFrame(bounds());
            view->setAutoresizingMask(AutoresizingMask::flexibleWidth | AutoresizingMask::flexibleHeight);
            insertSubview(view, 0);
            view->layoutIfNeeded();
        }
    }
    for (const auto& controller : visible) controller->endAppearanceTransition();
}

void Window::hideRootViewController() {
    if (!rootViewController_) return;
    const auto visible = visibleControllers(rootViewController_);
    for (const auto& controller : visible) controller->beginAppearanceTransition(false, false);
    for (const auto& controller : visible) controller->endAppearanceTransition();
}

} // namespace pellavo::ui
