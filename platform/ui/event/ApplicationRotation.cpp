// The application's part in turning the interface (simulateRotation).

#include <memory>
#include <vector>

#include "platform/ns/NotificationCenter.hpp"
#include "platform/ui/event/Application.hpp"
#include "platform/ui/text/Keyboard.hpp"
#include "platform/ui/controller/Presentation.hpp"
#include "platform/ui/view/Screen.hpp"
#include "platform/ui/view/TraitCollection.hpp"
#include "platform/ui/controller/ViewController.hpp"
#include "platform/ui/controller/ViewControllerTransitionCoordinator.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo::ui {

namespace {

constexpr double rotationDuration = 0.3;

void collectTree(const std::shared_ptr<ViewController>& controller, std::vector<std::shared_ptr<ViewController>>& out) {
    out.push_back(controller);
    for (const auto& child : controller->children()) collectTree(child, out);
}

// Every controller of the windows: each root with its children depth-first, then the
// controllers it presents, in the same way.
std::vector<std::shared_ptr<ViewController>> controllersOf(const std::vector<std::shared_ptr<Window>>& windows) {
    std::vector<std::shared_ptr<ViewController>> result;
    for (const auto& window : windows)
        for (auto c = window->rootViewController(); c; c = c->presentedViewController()) collectTree(c, result);
    return result;
}

} // namespace

void Application::simulateRotation(InterfaceOrientation orientation) {
    if (!isValid(orientation) || orientation == statusBarOrientation_) return;
    const auto keep = sharedFromThis<Application>();
    const InterfaceOrientation previous = statusBarOrientation_;
    const cg::Rect oldBounds = Screen::main().bounds();
    cg::Size size = oldBounds.size;
    if (isLandscape(orientation) != isLandscape(previous)) size = {size.height, size.width};
    const double scale = Screen::main().scale();
    const TraitCollection oldTraits = TraitCollection::forOrientation(previous, scale);
    const TraitCollection newTraits = TraitCollection::forOrientation(orientation, scale);
    const bool traitsChange = !(oldTraits == newTraits);

    const auto coordinator = ns::make<ViewControllerTransitionCoordinator>(rotationDuration);
    const std::vector<std::shared_ptr<Window>> windows = windows_;
    const auto controllers = controllersOf(windows);
    if (traitsChange)
        for (const auto& controller : controllers) controller->willTransition(newTraits, coordinator);
    for (const auto& controller : controllers) controller->viewWillTransition(size, coordinator);

    Screen::main().setBounds({oldBounds.origin, size});
    statusBarOrientation_ = orientation;
    keyboard_->relayout();

    detail::runTransitionAnimation(
        rotationDuration,
        [windows, coordinator] {
            const cg::Rect bounds = Screen::main().bounds();
            for (const auto& window : windows) {
                window->setFrame(bounds);
                window->layoutIfNeeded();
            }
            coordinator->runAlongsideAnimations();
        },
        [coordinator] { coordinator->runCompletions(); });

    ns::NotificationCenter::defaultCenter().post(ns::UIApplicationDidChangeStatusBarOrientationNotification,
                                                 sharedFromThis());
    if (traitsChange)
        for (const auto& controller : controllers) controller->traitCollectionDidChange(oldTraits);
}

} // namespace pellavo::ui
