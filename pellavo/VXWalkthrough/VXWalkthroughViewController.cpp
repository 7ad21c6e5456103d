#include "pellavo/VXWalkthrough/VXWalkthroughViewController.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "pellavo/VXWalkthrough/VXWalkthroughPage.hpp"
#include "platform/dispatch/Queue.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ui/control/Button.hpp"
#include "platform/ui/control/PageControl.hpp"
#include "platform/ui/layout/LayoutConstraint.hpp"
#include "platform/ui/scroll/ScrollView.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo {

namespace {

// How long after a size or trait change the pager scrolls back to its page: the new
// geometry is in place by then.
constexpr double transitionDelay = 0.1;

using Constraints = std::vector<std::shared_ptr<ui::LayoutConstraint>>;

Constraints visualFormat(const char* format, const ui::LayoutConstraint::Views& views) {
    return ui::LayoutConstraint::constraintsWithVisualFormat(ns::String(format), 0, {}, views);
}

} // namespace

// ------------------------------------------------------------------ life

VXWalkthroughViewController::VXWalkthroughViewController()
    : VXWalkthroughViewController(std::nullopt, std::nullopt) {}

VXWalkthroughViewController::VXWalkthroughViewController(std::optional<ns::String> nibName,
                                                         std::optional<ns::Bundle> bundle)
    : ui::ViewController(std::move(nibName), std::move(bundle)), scrollview_(ns::make<ui::ScrollView>()) {}

VXWalkthroughViewController::VXWalkthroughViewController(const ns::Coder& coder)
    : ui::ViewController(coder), scrollview_(ns::make<ui::ScrollView>()) {
    scrollview_->setShowsHorizontalScrollIndicator(false);
    scrollview_->setShowsVerticalScrollIndicator(false);
    scrollview_->setIsPagingEnabled(true);
}

VXWalkthroughViewController::~VXWalkthroughViewController() = default;

void VXWalkthroughViewController::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    const auto self = sharedFromThis<VXWalkthroughViewController>();
    // Only the touch: the control has already stepped its page when it sends it.
    if (pageControl_)
        pageControl_->addTarget(self, &VXWalkthroughViewController::pageControlDidTouch,
                                ui::Control::Event::touchUpInside);
    scrollview_->setDelegate(std::static_pointer_cast<ui::ScrollViewDelegate>(self));
    scrollview_->setTranslatesAutoresizingMaskIntoConstraints(false);
    // Behind everything: the outlets of an interface file stay on top.
    const auto root = view();
    root->insertSubview(scrollview_, 0);
    const ui::LayoutConstraint::Views views{{"scrollview", scrollview_}};
    root->addConstraints(visualFormat("V:|-0-[scrollview]-0-|", views));
    root->addConstraints(visualFormat("H:|-0-[scrollview]-0-|", views));
}

void VXWalkthroughViewController::viewWillAppear(bool animated) {
    ui::ViewController::viewWillAppear(animated);
    updateUI();
    if (!pageControl_) return;
    pageControl_->setNumberOfPages(numberOfPages());
    pageControl_->setCurrentPage(0);
}

// ------------------------------------------------------------------ pages

void VXWalkthroughViewController::add(std::shared_ptr<ui::ViewController> viewController) {
    if (!viewController || viewController.get() == this) return;
    if (std::find(controllers_.begin(), controllers_.end(), viewController) != controllers_.end()) return;
    const auto previous = controllers_.empty() ? nullptr : controllers_.back();
    controllers_.push_back(viewController);

    const auto pageView = viewController->view();
    pageView->setTranslatesAutoresizingMaskIntoConstraints(false);
    scrollview_->addSubview(pageView);
    const ui::LayoutConstraint::Views views{{"view", pageView}, {"container", scrollview_}};
    // As large as the scroll view, and filling its content from top to bottom.
    scrollview_->addConstraints(visualFormat("V:[view(==container)]", views));
    scrollview_->addConstraints(visualFormat("H:[view(==container)]", views));
    scrollview_->addConstraints(visualFormat("V:|-0-[view]|", views));
    if (!previous) {
        // The first page gets no trailing constraint: one page makes no content width.
        scrollview_->addConstraints(visualFormat("H:|-0-[view]", views));
        return;
    }
    scrollview_->addConstraints(
        visualFormat("H:[previousView]-0-[view]", {{"previousView", previous->view()}, {"view", pageView}}));
    if (lastViewConstraint_) scrollview_->removeConstraints(*lastViewConstraint_);
    lastViewConstraint_ = visualFormat("H:[view]-0-|", views);
    scrollview_->addConstraints(*lastViewConstraint_);
}

int VXWalkthroughViewController::currentPage() const {
    const auto root = viewIfLoaded();
    if (!root) return 0;
    const double width = root->bounds().size.width;
    if (!(width > 0)) return 0;
    const double page = std::trunc(scrollview_->contentOffset().x / width);
    // NaN and a negative offset give page 0; the conversion is range-checked first.
    if (!(page > 0)) return 0;
    if (page >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    return static_cast<int>(page);
}

std::shared_ptr<ui::ViewController> VXWalkthroughViewController::currentViewController() const {
    const int page = currentPage();
    return page < numberOfPages() ? controllers_[static_cast<std::size_t>(page)] : nullptr;
}

void VXWalkthroughViewController::scrollToPage(int page) {
    const cg::Rect frame = scrollview_->frame();
    scrollview_->scrollRectToVisible({page * frame.size.width, frame.origin.y, frame.size.width, frame.size.height},
                                     true);
}

// ------------------------------------------------------------------ actions

void VXWalkthroughViewController::nextPage() {
    if (!(currentPage() + 1 < numberOfPages())) return;
    if (const auto d = delegate()) d->walkthroughNextButtonPressed();
    // The delegate may have moved the pager.
    const int page = currentPage() + 1;
    if (page < numberOfPages()) scrollToPage(page);
}

void VXWalkthroughViewController::prevPage() {
    if (!(currentPage() > 0)) return;
    if (const auto d = delegate()) d->walkthroughPrevButtonPressed();
    const int page = currentPage() - 1;
    if (page < numberOfPages()) scrollToPage(page);
}

void VXWalkthroughViewController::close(ns::Object* sender) {
    (void)sender;
    if (const auto d = delegate()) d->walkthroughCloseButtonPressed();
}

void VXWalkthroughViewController::pageControlDidTouch() {
    if (!pageControl_) return;
    const int page = pageControl_->currentPage();
    if (page < numberOfPages()) scrollToPage(page);
}

void VXWalkthroughViewController::updateUI() {
    if (pageControl_) pageControl_->setCurrentPage(currentPage());
    if (const auto d = delegate()) d->walkthroughPageDidChange(currentPage());
    if (nextButton_) nextButton_->setIsHidden(currentPage() == numberOfPages() - 1);
    if (prevButton_) prevButton_->setIsHidden(currentPage() == 0);
}

// ------------------------------------------------------------------ scrolling

void VXWalkthroughViewController::scrollViewDidScroll(ui::ScrollView& scrollView) {
    (void)scrollView;
    const auto root = viewIfLoaded();
    if (!root) return;
    const double x = scrollview_->contentOffset().x;
    const double width = root->bounds().size.width;
    if (!(width > 0)) return;
    // A page may add pages while it hears the report: those wait for the next movement.
    const auto pages = controllers_;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        auto* page = dynamic_cast<VXWalkthroughPage*>(pages[i].get());
        if (!page) continue;
        const double offset = ((x + width) - width * static_cast<double>(i)) / width;
        if (offset > -2 && offset < 2) page->walkthroughDidScroll(x, offset);
    }
}

void VXWalkthroughViewController::scrollViewDidEndDecelerating(ui::ScrollView& scrollView) {
    (void)scrollView;
    updateUI();
}

void VXWalkthroughViewController::scrollViewDidEndScrollingAnimation(ui::ScrollView& scrollView) {
    (void)scrollView;
    updateUI();
}

// ------------------------------------------------------------------ size and trait changes

void VXWalkthroughViewController::viewWillTransition(
    cg::Size size, const std::shared_ptr<ui::ViewControllerTransitionCoordinator>& coordinator) {
    ui::ViewController::viewWillTransition(size, coordinator);
    adjustOffsetForTransition();
}

void VXWalkthroughViewController::willTransition(
    const ui::TraitCollection& traits, const std::shared_ptr<ui::ViewControllerTransitionCoordinator>& coordinator) {
    ui::ViewController::willTransition(traits, coordinator);
    adjustOffsetForTransition();
}

void VXWalkthroughViewController::adjustOffsetForTransition() {
    // Read before the change: the old width gives the page the user saw.
    const int page = currentPage();
    const std::weak_ptr<VXWalkthroughViewController> weak = weakFromThis<VXWalkthroughViewController>();
    dispatch::Queue::main().asyncAfter(transitionDelay, [weak, page] {
        const auto self = weak.lock();
        if (self && self->numberOfPages() > page) self->scrollToPage(page);
    });
}

// ------------------------------------------------------------------ runtime

namespace {

bool registerPager() {
    using Self = VXWalkthroughViewController;
    ns::ClassRegistration<Self>("VXWalkthroughViewController", "UIViewController")
        .property<std::shared_ptr<ui::PageControl>>("pageControl", &Self::pageControl, &Self::setPageControl)
        .property<std::shared_ptr<ui::Button>>("nextButton", &Self::nextButton, &Self::setNextButton)
        .property<std::shared_ptr<ui::Button>>("prevButton", &Self::prevButton, &Self::setPrevButton)
        .property<std::shared_ptr<ui::Button>>("closeButton", &Self::closeButton, &Self::setCloseButton)
        .action(ns::Selector("nextPage"), &Self::nextPage)
        .action(ns::Selector("prevPage"), &Self::prevPage)
        .action(ns::Selector("close:"), &Self::close)
        .action(ns::Selector("pageControlDidTouch"), &Self::pageControlDidTouch);
    return true;
}

[[maybe_unused]] const bool registered = registerPager();

} // namespace

} // namespace pellavo
