#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"

namespace pellavo::ui {

class ScrollView;
class View;

// What a scroll view tells the object that follows it. A plain interface, so a
// controller can adopt it beside its own base; the scroll view holds it weakly.
// Every method does nothing by default.
class PELLAVO_EXPORT ScrollViewDelegate {
public:
    virtual ~ScrollViewDelegate() = default;

    // After every change of the content offset, never for an unchanged one.
    virtual void scrollViewDidScroll(ScrollView& scrollView) { (void)scrollView; }

    virtual void scrollViewWillBeginDragging(ScrollView& scrollView) { (void)scrollView; }
    // At the lift. `velocity` is in points per millisecond, positive when the offset
    // grows; the target may be changed (it is clamped to the limits afterwards).
    virtual void scrollViewWillEndDragging(ScrollView& scrollView, cg::Point velocity, cg::Point& targetContentOffset) {
        (void)scrollView;
        (void)velocity;
        (void)targetContentOffset;
    }
    virtual void scrollViewDidEndDragging(ScrollView& scrollView, bool willDecelerate) {
        (void)scrollView;
        (void)willDecelerate;
    }
    virtual void scrollViewWillBeginDecelerating(ScrollView& scrollView) { (void)scrollView; }
    virtual void scrollViewDidEndDecelerating(ScrollView& scrollView) { (void)scrollView; }
    // After an animated setContentOffset or scrollRectToVisible that ran to its end.
    virtual void scrollViewDidEndScrollingAnimation(ScrollView& scrollView) { (void)scrollView; }

    // The subview that zooms; null (the default) turns zooming off.
    virtual std::shared_ptr<View> viewForZooming(ScrollView& scrollView) {
        (void)scrollView;
        return nullptr;
    }
    virtual void scrollViewWillBeginZooming(ScrollView& scrollView, const std::shared_ptr<View>& view) {
        (void)scrollView;
        (void)view;
    }
    virtual void scrollViewDidZoom(ScrollView& scrollView) { (void)scrollView; }
    virtual void scrollViewDidEndZooming(ScrollView& scrollView, const std::shared_ptr<View>& view, double scale) {
        (void)scrollView;
        (void)view;
        (void)scale;
    }
};

} // namespace pellavo::ui
