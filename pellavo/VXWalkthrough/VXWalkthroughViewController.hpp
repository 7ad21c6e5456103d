#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ui/controller/ViewController.hpp"
#include "platform/ui/scroll/ScrollViewDelegate.hpp"

namespace pellavo::ns {
class Object;
}

namespace pellavo::ui {
class Button;
class LayoutConstraint;
class PageControl;
class ScrollView;
} // namespace pellavo::ui

namespace pellavo {

// What a walkthrough tells its host. Every method is optional: the defaults do nothing.
class PELLAVO_EXPORT VXWalkthroughViewControllerDelegate {
public:
    virtual ~VXWalkthroughViewControllerDelegate() = default;
    virtual void walkthroughCloseButtonPressed() {}
    // Before the pager scrolls to the next (previous) page.
    virtual void walkthroughNextButtonPressed() {}
    virtual void walkthroughPrevButtonPressed() {}
    // Whenever the pager comes to rest, and on every appearance.
    virtual void walkthroughPageDidChange(int pageNumber) { (void)pageNumber; }
};

// A paged walkthrough: page controllers side by side in a horizontally paging scroll
// view that fills the view, with an optional page control and next, previous and close
// buttons supplied by the host (usually as outlets of an interface file). The pages are
// not child controllers; each that adopts VXWalkthroughPage hears every scroll movement.
class PELLAVO_EXPORT VXWalkthroughViewController : public ui::ViewController, public ui::ScrollViewDelegate {
public:
    // In code: the scroll view keeps its defaults (no paging, indicators shown).
    VXWalkthroughViewController();
    VXWalkthroughViewController(std::optional<ns::String> nibName, std::optional<ns::Bundle> bundle);
    // From an interface file: paging on, both scroll indicators off.
    explicit VXWalkthroughViewController(const ns::Coder& coder);
    ~VXWalkthroughViewController() override;
    std::string_view className() const override { return "VXWalkthroughViewController"; }

    // Held weakly.
    std::shared_ptr<VXWalkthroughViewControllerDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<VXWalkthroughViewControllerDelegate>& delegate) { delegate_ = delegate; }

    // Outlets, held strongly. The page control is connected when the view loads.
    std::shared_ptr<ui::PageControl> pageControl() const { return pageControl_; }
    void setPageControl(std::shared_ptr<ui::PageControl> pageControl) { pageControl_ = std::move(pageControl); }
    std::shared_ptr<ui::Button> nextButton() const { return nextButton_; }
    void setNextButton(std::shared_ptr<ui::Button> button) { nextButton_ = std::move(button); }
    std::shared_ptr<ui::Button> prevButton() const { return prevButton_; }
    void setPrevButton(std::shared_ptr<ui::Button> button) { prevButton_ = std::move(button); }
    // Never changed by the pager.
    std::shared_ptr<ui::Button> closeButton() const { return closeButton_; }
    void setCloseButton(std::shared_ptr<ui::Button> button) { closeButton_ = std::move(button); }

    // Exists from creation; the pages' views are its subviews.
    const std::shared_ptr<ui::ScrollView>& scrollview() const { return scrollview_; }

    // The content offset in view widths, truncated; 0 while the view is not loaded or
    // has no width, and for a negative offset.
    int currentPage() const;
    // Null with no page at currentPage().
    std::shared_ptr<ui::ViewController> currentViewController() const;
    int numberOfPages() const { return static_cast<int>(controllers_.size()); }

    // Actions. Next (previous) does nothing on the last (first) page; close only tells
    // the delegate; the page control's touch scrolls to the page it now shows.
    void nextPage();
    void prevPage();
    void close(ns::Object* sender);
    void pageControlDidTouch();

    // Appends a page, loading its view now. Pages go in before or after the pager's
    // view loads. Null, the pager itself and a page already added are ignored.
    void add(std::shared_ptr<ui::ViewController> viewController);

    void viewDidLoad() override;
    // Brings the page control and buttons in step, then resets the page control to
    // page 0 of numberOfPages().
    void viewWillAppear(bool animated) override;
    // Both keep the page across the change: 0.1 s later the pager scrolls back to it.
    void viewWillTransition(cg::Size size, const std::shared_ptr<ui::ViewControllerTransitionCoordinator>& c) override;
    void willTransition(const ui::TraitCollection& traits,
                        const std::shared_ptr<ui::ViewControllerTransitionCoordinator>& c) override;

    void scrollViewDidScroll(ui::ScrollView& scrollView) override;
    void scrollViewDidEndDecelerating(ui::ScrollView& scrollView) override;
    void scrollViewDidEndScrollingAnimation(ui::ScrollView& scrollView) override;

private:
    void updateUI();
    void scrollToPage(int page);
    void adjustOffsetForTransition();

    std::weak_ptr<VXWalkthroughViewControllerDelegate> delegate_;
    std::shared_ptr<ui::PageControl> pageControl_;
    std::shared_ptr<ui::Button> nextButton_;
    std::shared_ptr<ui::Button> prevButton_;
    std::shared_ptr<ui::Button> closeButton_;
    const std::shared_ptr<ui::ScrollView> scrollview_;
    std::vector<std::shared_ptr<ui::ViewController>> controllers_;
    // The constraints tying the last page to the content's trailing edge; none until
    // the second page.
    std::optional<std::vector<std::shared_ptr<ui::LayoutConstraint>>> lastViewConstraint_;
};

} // namespace pellavo
