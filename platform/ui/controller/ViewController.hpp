#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ns/Bundle.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/view/Responder.hpp"
#include "platform/ui/view/TraitCollection.hpp"

namespace pellavo::ns {
class Coder;
} // namespace pellavo::ns

namespace pellavo::ui {

class NavigationController;
class View;
class ViewControllerTransitionCoordinator;
class ViewControllerTransitioningDelegate;
class Window;

namespace detail {
class Presentation;
class TransitionContext;
} // namespace detail

// How a presented controller covers its presenter. Raw values are the platform's.
enum class ModalPresentationStyle : int {
    fullScreen = 0,
    custom = 4,
    overFullScreen = 5,
};

// Edges of a rectangle, as a bit set.
enum class RectEdge : unsigned { none = 0, top = 1, left = 2, bottom = 4, right = 8, all = 15 };

// Owns one screen's worth of interface: a root view loaded on first use, the calls
// around its appearance and layout, child controllers for containers, and modal
// presentation of other controllers.
class PELLAVO_EXPORT ViewController : public Responder {
public:
    using Completion = std::function<void()>;
    // Installed by the interface-file loader: instantiates the file `nibName` with
    // `owner` as its owner, which sets the owner's view through its "view" outlet.
    using NibLoader = std::function<void(ViewController& owner, const ns::String& nibName, const ns::Bundle& bundle)>;

    ViewController() = default;
    // A controller whose view comes from the interface file `nibName` (none: a plain
    // view). No bundle means the main bundle.
    ViewController(std::optional<ns::String> nibName, std::optional<ns::Bundle> bundle);
    // From an interface file: the coder's "view" becomes the root view without
    // loading; viewDidLoad runs at the first view() access.
    explicit ViewController(const ns::Coder& coder);
    ~ViewController() override;
    std::string_view className() const override { return "UIViewController"; }

    // ---- the root view
    // The first access runs loadView() and then viewDidLoad(), once.
    std::shared_ptr<View> view();
    // Replaces the root view without loadView or viewDidLoad; null unloads it, so the
    // next access loads again. A view that was another controller's root leaves it.
    void setView(std::shared_ptr<View> view);
    bool isViewLoaded() const { return view_ != nullptr; }
    std::shared_ptr<View> viewIfLoaded() const { return view_; }
    void loadViewIfNeeded();
    // Makes the root view and sets it: from the interface file when there is a nib
    // name, otherwise a plain clear view with the screen's bounds and a flexible size.
    // Overrides set the view themselves and do not call the base.
    virtual void loadView();
    virtual void viewDidLoad() {}
    const std::optional<ns::String>& nibName() const { return nibName_; }
    const std::optional<ns::Bundle>& nibBundle() const { return nibBundle_; }
    // Without a loader, a controller with a nib name ends up with a plain view.
    static void setNibLoader(NibLoader loader);
    static const NibLoader& nibLoader();

    // ---- layout of the root view
    // Around the root view's layoutSubviews.
    virtual void viewWillLayoutSubviews() {}
    virtual void viewDidLayoutSubviews() {}
    // From the root view's constraint update pass; overrides call the base.
    virtual void updateViewConstraints() {}

    // ---- appearance
    // Called by the platform for a window's root, for presentations and for
    // navigation; never because a view was merely inserted. The platform forwards
    // them to the children whose views are inside this controller's view.
    virtual void viewWillAppear(bool animated) { (void)animated; }
    virtual void viewDidAppear(bool animated) { (void)animated; }
    virtual void viewWillDisappear(bool animated) { (void)animated; }
    virtual void viewDidDisappear(bool animated) { (void)animated; }
    // For containers: the will-call now, the did-call at endAppearanceTransition.
    // A controller already appeared (or disappeared) ignores a repeated begin.
    void beginAppearanceTransition(bool isAppearing, bool animated);
    void endAppearanceTransition();

    // ---- containment
    std::shared_ptr<ViewController> parent() const { return parent_.lock(); }
    const std::vector<std::shared_ptr<ViewController>>& children() const { return children_; }
    // Calls child->willMoveToParent(this) first; the container calls didMoveToParent.
    // A child of another controller moves here. Null, this controller and its
    // ancestors are ignored.
    void addChild(const std::shared_ptr<ViewController>& child);
    // Calls didMoveToParent(null) at the end; the container calls willMoveToParent(null).
    void removeFromParent();
    virtual void willMoveToParent(const std::shared_ptr<ViewController>& parent) { (void)parent; }
    virtual void didMoveToParent(const std::shared_ptr<ViewController>& parent) { (void)parent; }
    // The nearest ancestor that is a navigation controller.
    std::shared_ptr<NavigationController> navigationController() const;

    // ---- presentation
    // For a child: those of its topmost parent, which presents and dismisses for it.
    std::shared_ptr<ViewController> presentingViewController() const;
    std::shared_ptr<ViewController> presentedViewController() const;
    ModalPresentationStyle modalPresentationStyle() const { return modalPresentationStyle_; }
    void setModalPresentationStyle(ModalPresentationStyle style);
    std::shared_ptr<ViewControllerTransitioningDelegate> transitioningDelegate() const {
        return transitioningDelegate_.lock();
    }
    // Held weakly.
    void setTransitioningDelegate(const std::weak_ptr<ViewControllerTransitioningDelegate>& delegate) {
        transitioningDelegate_ = delegate;
    }
    // Presents `controller` from the topmost parent, which must be in a window and
    // present nothing yet. A refused presentation logs one line and calls nothing.
    // Animated: a 0.35 s slide up (or the transitioning delegate's animator for the
    // custom style), then the did-calls and `completion`. Not animated: everything
    // changes at once; the did-calls and `completion` come on the next turn.
    void present(const std::shared_ptr<ViewController>& controller, bool animated, Completion completion = {});
    // On a presenter: removes what it presented and everything above (those above at
    // once; the lowest with the slide down). Otherwise: asks the presenter. With
    // nothing to dismiss, or while a transition of the chain runs, nothing happens
    // and completion is not called.
    void dismiss(bool animated, Completion completion = {});
    bool isBeingPresented() const;
    bool isBeingDismissed() const;

    // ---- traits and rotation
    // The application's current traits.
    TraitCollection traitCollection() const;
    // Before the window changes size (after willTransition, when the traits change too).
    virtual void viewWillTransition(cg::Size size, const std::shared_ptr<ViewControllerTransitionCoordinator>& coordinator) {
        (void)size;
        (void)coordinator;
    }
    virtual void willTransition(const TraitCollection& traits,
                                const std::shared_ptr<ViewControllerTransitionCoordinator>& coordinator) {
        (void)traits;
        (void)coordinator;
    }
    virtual void traitCollectionDidChange(const std::optional<TraitCollection>& previous) { (void)previous; }

    // ---- kept for hosts; there are no bars, so they change nothing
    RectEdge edgesForExtendedLayout() const { return edgesForExtendedLayout_; }
    void setEdgesForExtendedLayout(RectEdge edges) { edgesForExtendedLayout_ = edges; }
    bool automaticallyAdjustsScrollViewInsets() const { return automaticallyAdjustsScrollViewInsets_; }
    void setAutomaticallyAdjustsScrollViewInsets(bool value) { automaticallyAdjustsScrollViewInsets_ = value; }

    // ---- responder: after the root view, the view's superview
    std::shared_ptr<Responder> nextResponder() const override;

protected:
    void init() override;
    // For a controller decoded from an interface file: keeps the decoded root view
    // without loading it; viewDidLoad then runs at the first view() access.
    void adoptDecodedView(std::shared_ptr<View> view);

private:
    friend class detail::Presentation;
    friend class detail::TransitionContext;
    friend class NavigationController;
    friend class Window;

    enum class AppearState { disappeared, appearing, appeared, disappearing };

    void linkView(const std::shared_ptr<View>& view);
    std::shared_ptr<ViewController> topmostParent() const;
    void detachFromParent();

    std::shared_ptr<View> view_;
    std::optional<ns::String> nibName_;
    std::optional<ns::Bundle> nibBundle_;
    bool loading_ = false;
    bool viewDidLoadPending_ = false;

    AppearState appearState_ = AppearState::disappeared;
    bool appearanceAnimated_ = false;

    std::weak_ptr<ViewController> parent_;
    std::vector<std::shared_ptr<ViewController>> children_;

    // Set on a presenter (topmost parent) and the controller it presents.
    std::shared_ptr<ViewController> presented_;
    std::weak_ptr<ViewController> presenting_;
    // On the presented controller: its full-window container, the style it was shown
    // with, and the transition in flight (held until it completes).
    std::shared_ptr<View> presentationContainer_;
    ModalPresentationStyle presentedStyle_ = ModalPresentationStyle::fullScreen;
    std::shared_ptr<detail::TransitionContext> pendingTransition_;
    bool beingPresented_ = false;
    bool beingDismissed_ = false;
    // An animated presentation or dismissal of this controller is running.
    bool transitionInFlight_ = false;
    // The window this controller is the root of.
    std::weak_ptr<Window> rootOfWindow_;

    ModalPresentationStyle modalPresentationStyle_ = ModalPresentationStyle::fullScreen;
    std::weak_ptr<ViewControllerTransitioningDelegate> transitioningDelegate_;
    RectEdge edgesForExtendedLayout_ = RectEdge::all;
    bool automaticallyAdjustsScrollViewInsets_ = true;
};

} // namespace pellavo::ui
