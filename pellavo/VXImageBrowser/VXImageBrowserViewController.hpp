#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/ns/Export.hpp"
#include "pellavo/VXImageBrowser/VXImageInfo.hpp"
#include "pellavo/VXImageBrowser/VXTransitionInfo.hpp"
#include "platform/ns/URL.hpp"
#include "platform/ui/gesture/GestureRecognizerDelegate.hpp"
#include "platform/ui/scroll/ScrollViewDelegate.hpp"
#include "platform/ui/controller/ViewController.hpp"
#include "platform/ui/controller/ViewControllerTransitioningDelegate.hpp"

namespace pellavo::ns {
class URLSession;
}

namespace pellavo::ui {
class ImageView;
class PanGestureRecognizer;
class ScrollView;
class TapGestureRecognizer;
} // namespace pellavo::ui

namespace pellavo {

// A full-screen controller showing one image on black. Pinch and double tap zoom it;
// a single tap closes it, and so does a drag past a quarter of the screen (when the
// transition info allows it). With an `imageHD` URL, a sharper image downloaded in the
// background replaces the first one. When the thumbnail named in the transition info
// is on screen at creation, the browser presents and dismisses itself by flying the
// image between the thumbnail and the full screen. Built in code only.
class PELLAVO_EXPORT VXImageBrowserViewController : public ui::ViewController,
                                     public ui::ScrollViewDelegate,
                                     public ui::ViewControllerTransitioningDelegate,
                                     public ui::GestureRecognizerDelegate {
public:
    explicit VXImageBrowserViewController(VXImageInfo imageInfo);
    VXImageBrowserViewController(VXImageInfo imageInfo, std::shared_ptr<VXTransitionInfo> transitionInfo);
    // Aspect fill gives the fill mode; any other content mode the fit mode. A null
    // `fromView` means no transition info.
    VXImageBrowserViewController(ui::Image image, ui::View::ContentMode imageMode, std::optional<ns::URL> imageHD,
                                 std::shared_ptr<ui::View> fromView);
    ~VXImageBrowserViewController() override;
    std::string_view className() const override { return "VXImageBrowserViewController"; }

    const VXImageInfo& imageInfo() const { return imageInfo_; }
    std::shared_ptr<VXTransitionInfo> transitionInfo() const { return transitionInfo_; }
    void setTransitionInfo(std::shared_ptr<VXTransitionInfo> transitionInfo) {
        transitionInfo_ = std::move(transitionInfo);
    }

    void viewDidLoad() override;
    void viewWillLayoutSubviews() override;

    // ---- scroll view
    std::shared_ptr<ui::View> viewForZooming(ui::ScrollView& scrollView) override;
    void scrollViewDidZoom(ui::ScrollView& scrollView) override;

    // ---- own transition (null without transition info: the standard one)
    std::shared_ptr<ui::ViewControllerAnimatedTransitioning> animationControllerForPresented(
        const std::shared_ptr<ui::ViewController>& presented, const std::shared_ptr<ui::ViewController>& presenting,
        const std::shared_ptr<ui::ViewController>& source) override;
    std::shared_ptr<ui::ViewControllerAnimatedTransitioning> animationControllerForDismissed(
        const std::shared_ptr<ui::ViewController>& dismissed) override;

    // ---- the drag gate
    bool gestureRecognizerShouldBegin(ui::GestureRecognizer& recognizer) override;

protected:
    void init() override;

private:
    friend struct VXImageBrowserTestAccess;
    friend class VXImageBrowserTransition;

    static bool registerWithRuntime();
    static const bool registeredWithRuntime_;

    void setupScrollView();
    void setupGesture();
    void setupImageHD();
    void singleTap();
    void doubleTap(ui::TapGestureRecognizer* sender);
    void pan(ui::PanGestureRecognizer* sender);
    // The drag's share of the view, by the larger axis; 0 without an origin.
    double panProgress() const;
    void restorePan();
    void layoutImage();
    void updateMaximumZoom();

    const VXImageInfo imageInfo_;
    std::shared_ptr<VXTransitionInfo> transitionInfo_;
    const std::shared_ptr<ui::ImageView> imageView_;
    const std::shared_ptr<ui::ScrollView> scrollView_;
    std::shared_ptr<ns::URLSession> session_;
    std::shared_ptr<ui::TapGestureRecognizer> singleTapRecognizer_;
    std::shared_ptr<ui::TapGestureRecognizer> doubleTapRecognizer_;
    std::shared_ptr<ui::PanGestureRecognizer> panRecognizer_;
    std::optional<cg::Point> panViewOrigin_;
    double panViewAlpha_ = 1.0;
    // Counts drags, so that a restore finishing after a newer drag began leaves it be.
    std::uint64_t dragCount_ = 0;
    // The view size of the last layout pass.
    std::optional<cg::Size> laidOutSize_;
};

} // namespace pellavo
