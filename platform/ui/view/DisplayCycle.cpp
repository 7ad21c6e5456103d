#include "platform/ui/view/DisplayCycle.hpp"

#include <memory>
#include <string>
#include <vector>

#include "platform/ca/Layer.hpp"
#include "platform/ns/Console.hpp"
#include "platform/ns/RunLoop.hpp"
#include "platform/ui/event/Application.hpp"
#include "platform/ui/view/Window.hpp"
#include "platform/ui/layout/LayoutEngine.hpp"

namespace pellavo::ui {

namespace {

bool anyNeedsLayout(const ca::Layer& layer) {
    if (layer.needsLayout()) return true;
    for (const auto& child : layer.sublayers())
        if (anyNeedsLayout(*child)) return true;
    return false;
}

void displayMarked(ca::Layer& layer) {
    if (layer.needsDisplay() && !layer.bounds().isEmpty()) layer.displayIfNeeded();
    // By index: drawing must not rearrange the tree, but stays in range if it does.
    for (std::size_t i = 0; i < layer.sublayers().size(); ++i) {
        const std::shared_ptr<ca::Layer> child = layer.sublayers()[i];
        displayMarked(*child);
    }
}

std::vector<std::shared_ptr<Window>> visibleWindows() {
    return Application::shared().displayWindows();
}

// Lays out the roots until nothing is marked; false when the rounds ran out.
bool layoutRounds(const std::vector<std::shared_ptr<ca::Layer>>& roots) {
    for (int round = 0; round < DisplayCycle::maxLayoutRounds; ++round) {
        // Constraints settle bottom-up before each round lays out.
        for (const auto& root : roots)
            if (auto view = std::dynamic_pointer_cast<View>(root->delegate().lock()))
                layout::LayoutEngine::updateConstraintsPass(*view);
        bool marked = false;
        for (const auto& root : roots) marked = marked || anyNeedsLayout(*root);
        if (!marked) return true;
        for (const auto& root : roots) root->layoutIfNeeded();
    }
    for (const auto& root : roots)
        if (anyNeedsLayout(*root)) return false;
    return true;
}

} // namespace

void DisplayCycle::install() {
    static const bool installed = [] {
        auto& loop = ns::RunLoop::main();
        loop.addObserver(ns::RunLoop::Order::layout, [] { layoutPass(); });
        loop.addObserver(ns::RunLoop::Order::display, [] { displayPass(); });
        return true;
    }();
    (void)installed;
}

void DisplayCycle::layoutPass() {
    std::vector<std::shared_ptr<ca::Layer>> roots;
    for (const auto& window : visibleWindows()) roots.push_back(window->layer());
    if (!layoutRounds(roots))
        ns::log("Layout did not settle after " + std::to_string(maxLayoutRounds) + " rounds");
}

void DisplayCycle::displayPass() {
    for (const auto& window : visibleWindows()) displayMarked(*window->layer());
}

void DisplayCycle::layoutTree(ca::Layer& root) {
    // Keeps the root alive while its own layout code runs.
    const auto keep = root.sharedFromThis<ca::Layer>();
    if (!layoutRounds({keep}))
        ns::log("Layout did not settle after " + std::to_string(maxLayoutRounds) + " rounds");
}

void DisplayCycle::displayTree(ca::Layer& root) {
    const auto keep = root.sharedFromThis<ca::Layer>();
    displayMarked(root);
}

} // namespace pellavo::ui
