#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <utility>

#include "platform/ns/Export.hpp"
#include "platform/ui/scroll/ScrollMotion.hpp"
#include "platform/ui/scroll/ScrollViewDelegate.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::ca {
class DisplayLink;
class Layer;
} // namespace pellavo::ca

namespace pellavo::ui {

class PanGestureRecognizer;
class PinchGestureRecognizer;

// A view that shows a movable window onto content larger than itself. The content
// offset is the bounds origin; the offset limits are min = (−left, −top) and
// max = max(min, content + right/bottom − bounds). Drags with its own pan recogniser
// (rubber-banding past a limit), decelerates or snaps to pages on display-link
// frames, and zooms the delegate's viewForZooming by pinch or by call. The arithmetic
// of these movements is ScrollMotion's.
class PELLAVO_EXPORT ScrollView : public View {
public:
    static constexpr double decelerationRateNormal = 0.998;
    static constexpr double decelerationRateFast = 0.99;

    explicit ScrollView(const cg::Rect& frame = {});
    // Made from an interface file: the frame and any decoded subviews.
    explicit ScrollView(const ns::Coder& coder);
    ~ScrollView() override;
    std::string_view className() const override { return "UIScrollView"; }

    // ---- offset and content (non-finite values are ignored with a line)
    cg::Point contentOffset() const { return bounds().origin; }
    // Not clamped. Stops a running animation or deceleration without its end callback.
    void setContentOffset(cg::Point offset);
    // Animated: 0.3 s ease-in-out, scrollViewDidScroll on every frame and then
    // scrollViewDidEndScrollingAnimation. An unchanged target does nothing.
    void setContentOffset(cg::Point offset, bool animated);
    cg::Size contentSize() const { return contentSize_; }
    // A negative dimension becomes 0.
    void setContentSize(cg::Size size);
    EdgeInsets contentInset() const { return contentInset_; }
    void setContentInset(const EdgeInsets& inset);
    cg::Point minimumContentOffset() const;
    cg::Point maximumContentOffset() const;
    // Moves the least distance that shows the rectangle (its origin when it is larger
    // than the view), within the limits. A visible rectangle does nothing.
    void scrollRectToVisible(const cg::Rect& rect, bool animated);

    // ---- behaviour
    bool bounces() const { return bounces_; }
    void setBounces(bool value) { bounces_ = value; }
    bool bouncesZoom() const { return bouncesZoom_; }
    void setBouncesZoom(bool value) { bouncesZoom_ = value; }
    bool isPagingEnabled() const { return pagingEnabled_; }
    void setIsPagingEnabled(bool value) { pagingEnabled_ = value; }
    bool isScrollEnabled() const { return scrollEnabled_; }
    // Off also ends a drag in progress.
    void setIsScrollEnabled(bool value);
    bool showsHorizontalScrollIndicator() const { return showsHorizontalIndicator_; }
    void setShowsHorizontalScrollIndicator(bool value);
    bool showsVerticalScrollIndicator() const { return showsVerticalIndicator_; }
    void setShowsVerticalScrollIndicator(bool value);
    // The share of velocity kept per millisecond; clamped to [0, 0.9999].
    double decelerationRate() const { return decelerationRate_; }
    void setDecelerationRate(double rate);
    bool isDragging() const { return dragging_; }
    bool isDecelerating() const { return decelerating_; }
    bool isZooming() const { return zooming_; }

    const std::shared_ptr<PanGestureRecognizer>& panGestureRecognizer() const { return pan_; }
    // Recognises only while there is a zooming view and the maximum scale exceeds the
    // minimum.
    const std::shared_ptr<PinchGestureRecognizer>& pinchGestureRecognizer() const { return pinch_; }

    // ---- zoom (scales must be finite and positive)
    double zoomScale() const { return zoomScale_; }
    // Clamped to [min, max] and applied to viewForZooming about the visible centre;
    // nothing without a zooming view. Animated: 0.3 s ease-in-out, ending with
    // scrollViewDidEndZooming.
    void setZoomScale(double scale, bool animated = false);
    double minimumZoomScale() const { return minimumZoomScale_; }
    // A minimum above the maximum raises the maximum.
    void setMinimumZoomScale(double scale);
    double maximumZoomScale() const { return maximumZoomScale_; }
    // A maximum below the minimum lowers the minimum.
    void setMaximumZoomScale(double scale);
    // Zooms so that the rectangle (in the zooming view's own space) fills the view,
    // centred. A zero-size rectangle or empty bounds do nothing.
    void zoom(const cg::Rect& rect, bool animated);

    std::shared_ptr<ScrollViewDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<ScrollViewDelegate>& delegate) { delegate_ = delegate; }

    // The bounds origin is the content offset: a change here is a scroll.
    void setBounds(const cg::Rect& bounds) override;
    void layoutSubviews() override;
    // Constraint layout: descendants see the content as this view's edges, and a far
    // content edge fixed by a constraint writes the content size.
    std::optional<cg::Size> layoutContentSize() const override { return contentSize_; }
    void setLayoutContentSize(std::optional<cg::Float> width, std::optional<cg::Float> height) override;

protected:
    void init() override;

    // True where content plus insets exceed the bounds.
    bool canScrollHorizontally() const;
    bool canScrollVertically() const;
    // Offset within the limits.
    cg::Point clampedOffset(cg::Point offset) const;

private:
    class GestureHelper;
    friend class GestureHelper;

    // The one place the offset changes: bounds origin, layout mark, indicators,
    // scrollViewDidScroll when it moved.
    void applyOffset(cg::Point offset);
    void didChangeOffset();
    bool isWithinLimits(cg::Point offset) const;

    // ---- zoom
    std::shared_ptr<View> zoomingView();
    bool isZoomable();
    // Scale, frame origin and content size; no callbacks.
    void applyZoom(View& view, double scale);
    // The offset that keeps `contentPoint` (unscaled) at `visiblePoint` of the view.
    cg::Point offsetKeeping(cg::Point contentPoint, cg::Point visiblePoint, double scale) const;
    void zoomTo(double scale, cg::Point offset, bool animated);

    // ---- motion on display-link frames
    void startMotion(const ScrollMotion& motion);
    // Ends the motion without its end callback.
    void stopMotion();
    void onFrame(ca::DisplayLink& link);
    void finishMotion();

    // ---- gestures
    void handlePan(PanGestureRecognizer& pan);
    void handlePinch(PinchGestureRecognizer& pinch);
    bool panShouldBegin();
    void panChanged(PanGestureRecognizer& pan);
    void panEnded(PanGestureRecognizer& pan);
    cg::Point pagingTarget(cg::Point offset, cg::Point velocity) const;
    void sampleDrag();
    // Points per millisecond over the last 0.1 s of the drag.
    cg::Point dragVelocity() const;

    // ---- indicators
    void updateIndicators();

    std::weak_ptr<ScrollViewDelegate> delegate_;
    cg::Size contentSize_;
    EdgeInsets contentInset_;
    double decelerationRate_ = decelerationRateNormal;
    double zoomScale_ = 1;
    double minimumZoomScale_ = 1;
    double maximumZoomScale_ = 1;
    bool bounces_ = true;
    bool bouncesZoom_ = true;
    bool pagingEnabled_ = false;
    bool scrollEnabled_ = true;
    bool showsHorizontalIndicator_ = true;
    bool showsVerticalIndicator_ = true;
    bool dragging_ = false;
    bool decelerating_ = false;
    bool zooming_ = false;

    std::shared_ptr<PanGestureRecognizer> pan_;
    std::shared_ptr<PinchGestureRecognizer> pinch_;
    std::shared_ptr<GestureHelper> gestureHelper_;
    // The drag: where the offset was when the pan (re)started, and the page.
    cg::Point dragStartOffset_;
    cg::Point dragStartPage_;
    // (clock ns, offset) of the drag, for the velocity at the lift.
    std::deque<std::pair<std::int64_t, cg::Point>> dragSamples_;
    // The pinch: the content point under the fingers and the scale at the start.
    cg::Point pinchContentPoint_;
    double pinchStartScale_ = 1;

    ScrollMotion motion_;
    std::shared_ptr<ca::DisplayLink> link_;
    std::int64_t motionStartNs_ = 0;

    std::shared_ptr<ca::Layer> horizontalIndicator_;
    std::shared_ptr<ca::Layer> verticalIndicator_;
};

} // namespace pellavo::ui
