#include "platform/ui/controller/NavigationController.hpp"

#include <algorithm>
#include <string>
#include <utility>

#include "platform/ns/Console.hpp"
#include "platform/ui/controller/Presentation.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::ui {

namespace {

constexpr auto flexibleSize = View::AutoresizingMask::flexibleWidth | View::AutoresizingMask::flexibleHeight;

bool contains(const std::vector<std::shared_ptr<ViewController>>& list, const std::shared_ptr<ViewController>& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

} // namespace

NavigationController::NavigationController(std::shared_ptr<ViewController> rootViewController)
    : initialRoot_(std::move(rootViewController)) {}

void NavigationController::init() {
    ViewController::init();
    if (auto root = std::move(initialRoot_)) {
        initialRoot_.reset();
        setViewControllers({root}, false);
    }
}

bool NavigationController::canStack(const std::shared_ptr<ViewController>& controller) const {
    if (!controller || controller.get() == this) return false;
    if (controller->parent() || controller->presenting_.lock() || controller->rootOfWindow_.lock()) return false;
    for (auto up = parent(); up; up = up->parent())
        if (up == controller) return false;
    return true;
}

std::shared_ptr<ViewController> NavigationController::topViewController() const {
    return children().empty() ? nullptr : children().back();
}

std::shared_ptr<ViewController> NavigationController::visibleViewController() const {
    if (auto presented = presentedViewController()) return presented;
    return topViewController();
}

void NavigationController::loadView() {
    ViewController::loadView();
    const auto top = topViewController();
    const auto container = viewIfLoaded();
    if (!top || !container) return;
    const auto topView = top->view();
    topView->setFrame(container->bounds());
    topView->setAutoresizingMask(flexibleSize);
    container->addSubview(topView);
}

void NavigationController::pushViewController(const std::shared_ptr<ViewController>& controller, bool animated) {
    if (!controller) return;
    if (!canStack(controller)) {
        ns::log("NavigationController: cannot push " + std::string(controller->className()) +
                ", which is already in a stack or presented; ignored");
        return;
    }
    const auto self = sharedFromThis<ViewController>();
    const auto outgoing = topViewController();
    addChild(controller);
    const std::weak_ptr<ViewController> weakSelf = self;
    const std::weak_ptr<ViewController> weakPushed = controller;
    auto finish = [weakSelf, weakPushed] {
        const auto navigation = weakSelf.lock();
        const auto pushed = weakPushed.lock();
        if (navigation && pushed && pushed->parent() == navigation) pushed->didMoveToParent(navigation);
    };
    if (!isViewLoaded()) return finish();
    showTop(outgoing, controller, Direction::push, animated, std::move(finish));
}

std::shared_ptr<ViewController> NavigationController::popViewController(bool animated) {
    if (children().size() < 2) return nullptr;
    const auto keep = sharedFromThis<ViewController>();
    const auto popped = children().back();
    const auto incoming = children()[children().size() - 2];
    popped->willMoveToParent(nullptr);
    // A hook may have changed the stack already.
    if (popped->parent() != keep) return popped;
    popped->detachFromParent();
    auto finish = [popped] { popped->didMoveToParent(nullptr); };
    if (!isViewLoaded()) {
        finish();
        return popped;
    }
    showTop(popped, incoming, Direction::pop, animated, std::move(finish));
    return popped;
}

void NavigationController::setViewControllers(const std::vector<std::shared_ptr<ViewController>>& controllers,
                                              bool animated) {
    const auto self = sharedFromThis<ViewController>();
    std::vector<std::shared_ptr<ViewController>> accepted;
    for (const auto& controller : controllers) {
        if (!controller || contains(accepted, controller)) continue;
        if (controller->parent() == self || canStack(controller)) {
            accepted.push_back(controller);
        } else {
            ns::log("NavigationController: cannot stack " + std::string(controller->className()) +
                    ", which is already in a stack or presented; ignored");
        }
    }
    if (accepted.empty()) return;

    const auto outgoing = topViewController();
    std::vector<std::shared_ptr<ViewController>> removed;
    for (const auto& child : children())
        if (!contains(accepted, child)) removed.push_back(child);
    for (const auto& child : removed) {
        child->willMoveToParent(nullptr);
        child->detachFromParent();
    }
    std::vector<std::shared_ptr<ViewController>> added;
    for (const auto& controller : accepted) {
        if (controller->parent() == self) continue;
        addChild(controller);
        added.push_back(controller);
    }
    // The stack takes the given order; a hook may have refused a controller.
    std::vector<std::shared_ptr<ViewController>> stack;
    for (const auto& controller : accepted)
        if (controller->parent() == self) stack.push_back(controller);
    if (stack.size() == children_.size()) children_ = stack;

    const std::weak_ptr<ViewController> weakSelf = self;
    auto finish = [weakSelf, removed, added] {
        for (const auto& child : removed) child->didMoveToParent(nullptr);
        const auto navigation = weakSelf.lock();
        for (const auto& child : added)
            if (navigation && child->parent() == navigation) child->didMoveToParent(navigation);
    };
    const auto incoming = topViewController();
    if (!isViewLoaded() || !incoming || incoming == outgoing) return finish();
    const Direction direction = contains(children_, outgoing) || !outgoing ? Direction::push : Direction::pop;
    showTop(outgoing, incoming, direction, animated, std::move(finish));
}

void NavigationController::showTop(const std::shared_ptr<ViewController>& outgoing,
                                   const std::shared_ptr<ViewController>& incoming, Direction direction, bool animated,
                                   std::function<void()> finish) {
    const auto container = viewIfLoaded();
    if (!container || !incoming) {
        if (finish) finish();
        return;
    }
    const cg::Rect bounds = container->bounds();
    const auto inView = incoming->view();
    inView->setAutoresizingMask(flexibleSize);
    auto outView = outgoing ? outgoing->viewIfLoaded() : nullptr;
    if (outView && outView->superview() != container) outView = nullptr;

    // Appearance calls only while this controller is on screen (or arriving).
    const bool participate = appearState_ == AppearState::appeared || appearState_ == AppearState::appearing;
    if (participate) {
        if (outgoing) outgoing->beginAppearanceTransition(false, animated);
        incoming->beginAppearanceTransition(true, animated);
    }
    if (direction == Direction::pop && outView)
        container->insertSubviewBelow(inView, outView);
    else
        container->addSubview(inView);

    const std::weak_ptr<ViewController> weakSelf = sharedFromThis<ViewController>();
    const std::weak_ptr<ViewController> weakIn = incoming;
    const std::weak_ptr<ViewController> weakOut = outgoing;
    auto done = [weakSelf, weakIn, weakOut, participate, finish = std::move(finish)] {
        const auto navigation = std::static_pointer_cast<NavigationController>(weakSelf.lock());
        const auto in = weakIn.lock();
        const auto out = weakOut.lock();
        if (navigation && out && out != navigation->topViewController()) {
            const auto view = out->viewIfLoaded();
            if (view && view->superview() == navigation->viewIfLoaded()) view->removeFromSuperview();
        }
        if (participate) {
            if (in) in->endAppearanceTransition();
            if (out) out->endAppearanceTransition();
        }
        if (finish) finish();
    };

    if (!animated || !outView) {
        inView->setFrame(bounds);
        done();
        return;
    }
    const cg::Float width = bounds.width();
    const cg::Float outOffset = direction == Direction::push ? -width : width;
    inView->setFrame(bounds.offsetBy(-outOffset, 0));
    detail::runTransitionAnimation(
        slideDuration,
        [inView, outView, bounds, outOffset] {
            inView->setFrame(bounds);
            outView->setFrame(bounds.offsetBy(outOffset, 0));
        },
        std::move(done));
}

} // namespace pellavo::ui
