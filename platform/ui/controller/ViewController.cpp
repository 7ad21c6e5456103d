#include "platform/ui/controller/ViewController.hpp"

#include <algorithm>
#include <utility>

#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/Coder.hpp"
#include "platform/ns/Console.hpp"
#include "platform/ui/event/Application.hpp"
#include "platform/ui/controller/NavigationController.hpp"
#include "platform/ui/controller/Presentation.hpp"
#include "platform/ui/view/Screen.hpp"
#include "platform/ui/view/View.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo::ui {

namespace {

ViewController::NibLoader& loaderSlot() {
    static ViewController::NibLoader loader;
    return loader;
}

std::shared_ptr<View> makePlainView() {
    auto view = ns::make<View>(Screen::main().bounds());
    view->setAutoresizingMask(View::AutoresizingMask::flexibleWidth | View::AutoresizingMask::flexibleHeight);
    return view;
}

} // namespace

ViewController::ViewController(std::optional<ns::String> nibName, std::optional<ns::Bundle> bundle)
    : nibName_(std::move(nibName)), nibBundle_(std::move(bundle)) {
    if (nibName_ && nibName_->utf8().empty()) nibName_.reset();
}

ViewController::ViewController(const ns::Coder& coder) {
    adoptDecodedView(coder.decode<std::shared_ptr<View>>(ns::Coder::viewKey).value_or(nullptr));
}

ViewController::~ViewController() {
    // The view may outlive its controller; it must not point back at it.
    if (view_) view_->owningViewController_.reset();
    for (const auto& child : children_) child->parent_.reset();
}

void ViewController::init() {
    Responder::init();
    if (view_) linkView(view_);
}

void ViewController::setNibLoader(NibLoader loader) { loaderSlot() = std::move(loader); }

const ViewController::NibLoader& ViewController::nibLoader() { return loaderSlot(); }

// ---------------------------------------------------------------- the root view

void ViewController::linkView(const std::shared_ptr<View>& view) {
    if (!view) return;
    const auto self = sharedFromThis<ViewController>();
    const auto previous = view->owningViewController_.lock();
    if (previous && previous != self && previous->view_ == view) previous->view_.reset();
    view->owningViewController_ = self;
}

void ViewController::adoptDecodedView(std::shared_ptr<View> view) {
    view_ = std::move(view);
    viewDidLoadPending_ = view_ != nullptr;
}

std::shared_ptr<View> ViewController::view() {
    loadViewIfNeeded();
    return view_;
}

void ViewController::setView(std::shared_ptr<View> view) {
    if (view == view_) return;
    if (view_ && view_->owningViewController_.lock().get() == this) view_->owningViewController_.reset();
    view_ = std::move(view);
    viewDidLoadPending_ = false;
    linkView(view_);
}

void ViewController::loadViewIfNeeded() {
    if (view_) {
        if (viewDidLoadPending_) {
            viewDidLoadPending_ = false;
            viewDidLoad();
        }
        return;
    }
    // view() from inside loadView answers what is there so far instead of recursing.
    if (loading_) return;
    ns::checkInitialised(*this);
    loading_ = true;
    loadView();
    loading_ = false;
    // An override that set nothing gets the plain view rather than a null one.
    if (!view_) setView(makePlainView());
    viewDidLoadPending_ = false;
    viewDidLoad();
}

void ViewController::loadView() {
    if (nibName_) {
        const NibLoader loader = loaderSlot();
        if (loader) loader(*this, *nibName_, nibBundle_ ? *nibBundle_ : ns::Bundle::main());
        if (view_) return;
        ns::log("ViewController: the \"" + nibName_->utf8() +
                "\" interface file did not set the view outlet; using a plain view");
    }
    setView(makePlainView());
}

// ---------------------------------------------------------------- appearance

namespace {

// Children whose views are shown inside the parent's view take part in its appearance.
std::vector<std::shared_ptr<ViewController>> shownChildren(const ViewController& parent) {
    std::vector<std::shared_ptr<ViewController>> result;
    const auto root = parent.viewIfLoaded();
    if (!root) return result;
    for (const auto& child : parent.children()) {
        const auto view = child->viewIfLoaded();
        if (view && view->isDescendant(root.get())) result.push_back(child);
    }
    return result;
}

} // namespace

void ViewController::beginAppearanceTransition(bool isAppearing, bool animated) {
    const auto keep = sharedFromThis<ViewController>();
    if (isAppearing) {
        if (appearState_ == AppearState::appeared || appearState_ == AppearState::appearing) return;
        appearState_ = AppearState::appearing;
    } else {
        if (appearState_ == AppearState::disappeared || appearState_ == AppearState::disappearing) return;
        appearState_ = AppearState::disappearing;
    }
    appearanceAnimated_ = animated;
    if (isAppearing)
        viewWillAppear(animated);
    else
        viewWillDisappear(animated);
    for (const auto& child : shownChildren(*this)) child->beginAppearanceTransition(isAppearing, animated);
}

void ViewController::endAppearanceTransition() {
    const auto keep = sharedFromThis<ViewController>();
    if (appearState_ == AppearState::appearing) {
        appearState_ = AppearState::appeared;
        viewDidAppear(appearanceAnimated_);
    } else if (appearState_ == AppearState::disappearing) {
        appearState_ = AppearState::disappeared;
        viewDidDisappear(appearanceAnimated_);
    } else {
        return;
    }
    for (const auto& child : shownChildren(*this)) child->endAppearanceTransition();
}

// ---------------------------------------------------------------- containment

std::shared_ptr<ViewController> ViewController::topmostParent() const {
    auto current = std::const_pointer_cast<ViewController>(sharedFromThis<ViewController>());
    while (auto up = current->parent()) current = std::move(up);
    return current;
}

void ViewController::addChild(const std::shared_ptr<ViewController>& child) {
    if (!child || child.get() == this) return;
    for (auto up = parent(); up; up = up->parent())
        if (up == child) return;
    const auto self = sharedFromThis<ViewController>();
    if (child->parent() == self) return;
    child->willMoveToParent(self);
    if (auto old = child->parent()) {
        std::erase(old->children_, child);
        child->parent_.reset();
    }
    children_.push_back(child);
    child->parent_ = self;
}

void ViewController::detachFromParent() {
    if (auto old = parent()) std::erase(old->children_, sharedFromThis<ViewController>());
    parent_.reset();
}

void ViewController::removeFromParent() {
    if (!parent()) return;
    const auto keep = sharedFromThis<ViewController>();
    detachFromParent();
    didMoveToParent(nullptr);
}

std::shared_ptr<NavigationController> ViewController::navigationController() const {
    for (auto up = parent(); up; up = up->parent())
        if (auto navigation = std::dynamic_pointer_cast<NavigationController>(up)) return navigation;
    return nullptr;
}

// ---------------------------------------------------------------- presentation

std::shared_ptr<ViewController> ViewController::presentingViewController() const {
    return topmostParent()->presenting_.lock();
}

std::shared_ptr<ViewController> ViewController::presentedViewController() const {
    return topmostParent()->presented_;
}

void ViewController::setModalPresentationStyle(ModalPresentationStyle style) {
    switch (style) {
    case ModalPresentationStyle::fullScreen:
    case ModalPresentationStyle::custom:
    case ModalPresentationStyle::overFullScreen: modalPresentationStyle_ = style; break;
    }
}

void ViewController::present(const std::shared_ptr<ViewController>& controller, bool animated, Completion completion) {
    detail::Presentation::present(*this, controller, animated, std::move(completion));
}

void ViewController::dismiss(bool animated, Completion completion) {
    detail::Presentation::dismiss(*this, animated, std::move(completion));
}

bool ViewController::isBeingPresented() const { return topmostParent()->beingPresented_; }

bool ViewController::isBeingDismissed() const { return topmostParent()->beingDismissed_; }

// ---------------------------------------------------------------- traits, responder

TraitCollection ViewController::traitCollection() const {
    return TraitCollection::forOrientation(Application::shared().statusBarOrientation(), Screen::main().scale());
}

std::shared_ptr<Responder> ViewController::nextResponder() const {
    if (view_)
        if (auto superview = view_->superview()) return superview;
    return nullptr;
}

// ---------------------------------------------------------------- runtime

namespace {

// Known by name to interface files and to key-value setting as soon as the library loads.
// The owner's "view" outlet is set without loading, as setView does.
[[maybe_unused]] const auto registration =
    ns::ClassRegistration<ViewController>("UIViewController", "UIResponder")
        .property<std::shared_ptr<View>>("view", &ViewController::viewIfLoaded, &ViewController::setView);

} // namespace

} // namespace pellavo::ui
