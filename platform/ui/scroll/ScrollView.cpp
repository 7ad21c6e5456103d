#include "platform/ui/scroll/ScrollView.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/ca/DisplayLink.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ca/Transaction.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/Clock.hpp"
#include "platform/ns/Console.hpp"
#include "platform/ns/RunLoop.hpp"
#include "platform/ui/gesture/GestureRecognizerDelegate.hpp"
#include "platform/ui/gesture/PanGestureRecognizer.hpp"
#include "platform/ui/gesture/PinchGestureRecognizer.hpp"

namespace pellavo::ui {

namespace {

constexpr double indicatorThickness = 2.5;
constexpr double indicatorInset = 2.5;
constexpr double indicatorMinimumLength = 36;

bool finite(double v) { return std::isfinite(v); }

// Indicator layers follow the offset; they never animate on their own.
template <class Fn>
void withoutActions(const Fn& fn) {
    const ca::Transaction::ActionsDisabled scope;
    fn();
}

void refuse(std::string_view what) { ns::log(std::string("ScrollView: ignoring a non-finite ") + std::string(what)); }

cg::Point clampPoint(cg::Point p, cg::Point min, cg::Point max) {
    return {std::clamp(p.x, min.x, std::max(min.x, max.x)), std::clamp(p.y, min.y, std::max(min.y, max.y))};
}

} // namespace

// ---------------------------------------------------------------- life

// The delegate of the scroll view's own recognisers: it keeps the scroll view out of
// the recognisers' ownership (they hold their delegate weakly, the view holds this).
class ScrollView::GestureHelper : public GestureRecognizerDelegate {
public:
    explicit GestureHelper(std::weak_ptr<ScrollView> owner) : owner_(std::move(owner)) {}

    bool gestureRecognizerShouldBegin(GestureRecognizer& recognizer) override {
        const auto sv = owner_.lock();
        if (!sv) return false;
        if (&recognizer == sv->pan_.get()) return sv->panShouldBegin();
        if (&recognizer == sv->pinch_.get()) return sv->isZoomable();
        return true;
    }

    bool gestureRecognizerShouldReceive(GestureRecognizer& recognizer, Touch& touch) override {
        (void)touch;
        const auto sv = owner_.lock();
        if (!sv || &recognizer != sv->pan_.get()) return true;
        // A pan the host put on this view goes first: the scroll view's own waits for it
        // to fail.
        for (const auto& other : sv->gestureRecognizers())
            if (other != sv->pan_ && dynamic_cast<PanGestureRecognizer*>(other.get())) sv->pan_->requireToFail(other);
        return true;
    }

    bool gestureRecognizerShouldRecognizeSimultaneously(GestureRecognizer& recognizer,
                                                        GestureRecognizer& other) override {
        const auto sv = owner_.lock();
        if (!sv) return false;
        const GestureRecognizer* pan = sv->pan_.get();
        const GestureRecognizer* pinch = sv->pinch_.get();
        return (&recognizer == pan && &other == pinch) || (&recognizer == pinch && &other == pan);
    }

private:
    std::weak_ptr<ScrollView> owner_;
};

ScrollView::ScrollView(const cg::Rect& frame) : View(frame) { setClipsToBounds(true); }

ScrollView::ScrollView(const ns::Coder& coder) : View(coder) { setClipsToBounds(true); }

ScrollView::~ScrollView() = default;

void ScrollView::init() {
    View::init();
    const auto makeIndicator = [] {
        auto layer = ns::make<ca::Layer>();
        layer->setBackgroundColor(cg::Color(0, 0, 0, 0.35));
        layer->setCornerRadius(indicatorThickness / 2);
        layer->setIsHidden(true);
        return layer;
    };
    horizontalIndicator_ = makeIndicator();
    verticalIndicator_ = makeIndicator();
    layer()->addSublayer(horizontalIndicator_);
    layer()->addSublayer(verticalIndicator_);

    gestureHelper_ = std::make_shared<GestureHelper>(weakFromThis<ScrollView>());
    const auto self = sharedFromThis<ScrollView>();
    pan_ = ns::make<PanGestureRecognizer>();
    pan_->addTarget(self, &ScrollView::handlePan);
    pan_->setDelegate(gestureHelper_);
    pan_->setIsEnabled(scrollEnabled_);
    addGestureRecognizer(pan_);
    pinch_ = ns::make<PinchGestureRecognizer>();
    pinch_->addTarget(self, &ScrollView::handlePinch);
    pinch_->setDelegate(gestureHelper_);
    addGestureRecognizer(pinch_);
}

// ---------------------------------------------------------------- offset and content

void ScrollView::setContentOffset(cg::Point offset) {
    if (!offset.isFinite()) return refuse("content offset");
    stopMotion();
    applyOffset(offset);
}

void ScrollView::setBounds(const cg::Rect& bounds) {
    const cg::Point before = contentOffset();
    View::setBounds(bounds);
    if (contentOffset() != before) didChangeOffset();
}

void ScrollView::applyOffset(cg::Point offset) {
    if (!offset.isFinite() || offset == contentOffset()) return;
    setBounds({offset, bounds().size});
}

void ScrollView::didChangeOffset() {
    // Only this view lays out again: a table tiles, the superview is not concerned.
    setNeedsLayout();
    updateIndicators();
    const auto keep = sharedFromThis<ScrollView>();
    if (auto d = delegate()) d->scrollViewDidScroll(*this);
}

void ScrollView::setContentSize(cg::Size size) {
    if (!size.isFinite()) return refuse("content size");
    const cg::Size clamped{std::max<cg::Float>(size.width, 0), std::max<cg::Float>(size.height, 0)};
    // Constraints inside may hang on the content edges.
    change(contentSize_, clamped, Invalidate::layout, [&] { updateIndicators(); });
}

void ScrollView::setContentInset(const EdgeInsets& inset) {
    if (!(finite(inset.top) && finite(inset.left) && finite(inset.bottom) && finite(inset.right)))
        return refuse("content inset");
    change(contentInset_, inset, Invalidate::nothing, [&] { updateIndicators(); });
}

// 0 − inset, not −inset: no inset gives +0, so a limit reached never reads as −0.
cg::Point ScrollView::minimumContentOffset() const { return {0.0 - contentInset_.left, 0.0 - contentInset_.top}; }

cg::Point ScrollView::maximumContentOffset() const {
    const cg::Point min = minimumContentOffset();
    const cg::Size b = bounds().size;
    return {std::max(min.x, contentSize_.width + contentInset_.right - b.width),
            std::max(min.y, contentSize_.height + contentInset_.bottom - b.height)};
}

cg::Point ScrollView::clampedOffset(cg::Point offset) const {
    return clampPoint(offset, minimumContentOffset(), maximumContentOffset());
}

bool ScrollView::isWithinLimits(cg::Point offset) const {
    constexpr double eps = 1e-9;
    const cg::Point min = minimumContentOffset();
    const cg::Point max = maximumContentOffset();
    return offset.x >= min.x - eps && offset.x <= max.x + eps && offset.y >= min.y - eps && offset.y <= max.y + eps;
}

bool ScrollView::canScrollHorizontally() const {
    return contentSize_.width + contentInset_.left + contentInset_.right > bounds().size.width;
}

bool ScrollView::canScrollVertically() const {
    return contentSize_.height + contentInset_.top + contentInset_.bottom > bounds().size.height;
}

void ScrollView::scrollRectToVisible(const cg::Rect& rect, bool animated) {
    if (!rect.isFinite() || rect.isNull()) return refuse("rectangle to show");
    const cg::Rect r = rect.standardized();
    const cg::Rect visible = bounds();
    // The least move on one axis: the rectangle's start when it does not fit.
    const auto axis = [](double start, double length, double viewStart, double viewLength) {
        if (length > viewLength) return start;
        if (start < viewStart) return start;
        if (start + length > viewStart + viewLength) return start + length - viewLength;
        return viewStart;
    };
    const cg::Point target = clampedOffset({axis(r.origin.x, r.size.width, visible.origin.x, visible.size.width),
                                            axis(r.origin.y, r.size.height, visible.origin.y, visible.size.height)});
    if (target == contentOffset()) return;
    setContentOffset(target, animated);
}

// ---------------------------------------------------------------- behaviour

void ScrollView::setIsScrollEnabled(bool value) {
    scrollEnabled_ = value;
    if (pan_) pan_->setIsEnabled(value);
}

void ScrollView::setShowsHorizontalScrollIndicator(bool value) {
    change(showsHorizontalIndicator_, value, Invalidate::nothing, [&] { updateIndicators(); });
}

void ScrollView::setShowsVerticalScrollIndicator(bool value) {
    change(showsVerticalIndicator_, value, Invalidate::nothing, [&] { updateIndicators(); });
}

void ScrollView::setDecelerationRate(double rate) {
    if (!finite(rate)) return refuse("deceleration rate");
    decelerationRate_ = std::clamp(rate, 0.0, 0.9999);
}

// ---------------------------------------------------------------- zoom

std::shared_ptr<View> ScrollView::zoomingView() {
    const auto d = delegate();
    if (!d) return nullptr;
    auto view = d->viewForZooming(*this);
    // Only a view inside this one can be zoomed here.
    if (!view || view.get() == this || !view->isDescendant(this)) return nullptr;
    return view;
}

bool ScrollView::isZoomable() { return maximumZoomScale_ > minimumZoomScale_ && zoomingView() != nullptr; }

void ScrollView::setMinimumZoomScale(double scale) {
    if (!finite(scale) || scale <= 0) return refuse("or non-positive minimum zoom scale");
    minimumZoomScale_ = scale;
    maximumZoomScale_ = std::max(maximumZoomScale_, scale);
}

void ScrollView::setMaximumZoomScale(double scale) {
    if (!finite(scale) || scale <= 0) return refuse("or non-positive maximum zoom scale");
    maximumZoomScale_ = scale;
    minimumZoomScale_ = std::min(minimumZoomScale_, scale);
}

void ScrollView::applyZoom(View& view, double scale) {
    zoomScale_ = scale;
    view.setTransform(cg::AffineTransform::makeScale(scale, scale));
    // The frame origin goes to (0, 0) through the centre, so the bounds size never
    // drifts by rounding.
    const cg::Size size = view.bounds().size;
    const cg::Point anchor = view.layer()->anchorPoint();
    view.setCenter({anchor.x * size.width * scale, anchor.y * size.height * scale});
    contentSize_ = {size.width * scale, size.height * scale};
}

cg::Point ScrollView::offsetKeeping(cg::Point contentPoint, cg::Point visiblePoint, double scale) const {
    return {contentPoint.x * scale - visiblePoint.x, contentPoint.y * scale - visiblePoint.y};
}

void ScrollView::setZoomScale(double scale, bool animated) {
    if (!finite(scale) || scale <= 0) return refuse("or non-positive zoom scale");
    const auto view = zoomingView();
    if (!view) return;
    const double z = std::clamp(scale, minimumZoomScale_, maximumZoomScale_);
    // The content point at the visible centre stays there.
    const cg::Size b = bounds().size;
    const cg::Point centre{b.width / 2, b.height / 2};
    const cg::Point offset = contentOffset();
    const cg::Point contentPoint{(offset.x + centre.x) / zoomScale_, (offset.y + centre.y) / zoomScale_};
    zoomTo(z, offsetKeeping(contentPoint, centre, z), animated);
}

void ScrollView::zoom(const cg::Rect& rect, bool animated) {
    if (!rect.isFinite()) return refuse("zoom rectangle");
    const auto view = zoomingView();
    if (!view) return;
    const cg::Rect r = rect.standardized();
    const cg::Size b = bounds().size;
    if (r.size.width <= 0 || r.size.height <= 0 || b.width <= 0 || b.height <= 0) return;
    const double z = std::clamp(std::min(b.width / r.size.width, b.height / r.size.height), minimumZoomScale_,
                                maximumZoomScale_);
    const cg::Point origin = view->bounds().origin;
    const cg::Point middle{r.origin.x + r.size.width / 2 - origin.x, r.origin.y + r.size.height / 2 - origin.y};
    zoomTo(z, offsetKeeping(middle, {b.width / 2, b.height / 2}, z), animated);
}

void ScrollView::zoomTo(double scale, cg::Point offset, bool animated) {
    const auto view = zoomingView();
    if (!view) return;
    // The limits that hold once the content has the new size.
    const cg::Size size = view->bounds().size;
    const cg::Size before = contentSize_;
    contentSize_ = {size.width * scale, size.height * scale};
    const cg::Point target = clampedOffset(offset);
    contentSize_ = before;
    if (scale == zoomScale_ && target == contentOffset()) return;
    if (animated) {
        startMotion(ScrollMotion::zoom(contentOffset(), target, zoomScale_, scale));
        return;
    }
    stopMotion();
    const auto keep = sharedFromThis<ScrollView>();
    applyZoom(*view, scale);
    applyOffset(target);
    updateIndicators();
    if (auto d = delegate()) d->scrollViewDidZoom(*this);
}

// ---------------------------------------------------------------- layout and indicators

void ScrollView::layoutSubviews() {
    View::layoutSubviews();
    updateIndicators();
}

void ScrollView::setLayoutContentSize(std::optional<cg::Float> width, std::optional<cg::Float> height) {
    const cg::Size size{width.value_or(contentSize_.width), height.value_or(contentSize_.height)};
    if (size != contentSize_) setContentSize(size);
}

void ScrollView::updateIndicators() {
    if (!horizontalIndicator_ || !verticalIndicator_) return;
    const bool active = dragging_ || decelerating_ || motion_.isRunning();
    const cg::Rect b = bounds();
    const cg::Point min = minimumContentOffset();
    const cg::Point max = maximumContentOffset();
    const cg::Point offset = contentOffset();
    // One axis: the track runs inset from both ends; the knob shows the visible share.
    const auto place = [](double viewLength, double contentLength, double position, double lo, double hi) {
        const double track = std::max(viewLength - 2 * indicatorInset, 0.0);
        const double share = contentLength > 0 ? viewLength / contentLength : 1.0;
        const double length = std::min(track, std::max(indicatorMinimumLength, share * track));
        const double progress = hi > lo ? std::clamp((position - lo) / (hi - lo), 0.0, 1.0) : 0.0;
        return std::pair{indicatorInset + progress * (track - length), length};
    };
    const auto& insets = contentInset_;
    const bool showH = active && showsHorizontalIndicator_ && canScrollHorizontally();
    const bool showV = active && showsVerticalIndicator_ && canScrollVertically();
    withoutActions([&] {
    if (showH) {
        const auto [at, length] = place(b.size.width, contentSize_.width + insets.left + insets.right, offset.x,
                                        min.x, max.x);
        horizontalIndicator_->setFrame({b.origin.x + at, b.origin.y + b.size.height - indicatorInset - indicatorThickness,
                                        length, indicatorThickness});
    }
    if (showV) {
        const auto [at, length] = place(b.size.height, contentSize_.height + insets.top + insets.bottom, offset.y,
                                        min.y, max.y);
        verticalIndicator_->setFrame({b.origin.x + b.size.width - indicatorInset - indicatorThickness, b.origin.y + at,
                                      indicatorThickness, length});
    }
    horizontalIndicator_->setIsHidden(!showH);
    verticalIndicator_->setIsHidden(!showV);
    // Subviews added since go above the indicators; bring them back on top.
    const auto& sublayers = layer()->sublayers();
    if ((showH || showV) && (sublayers.size() < 2 || sublayers.back() != verticalIndicator_ ||
                             sublayers[sublayers.size() - 2] != horizontalIndicator_)) {
        layer()->addSublayer(horizontalIndicator_);
        layer()->addSublayer(verticalIndicator_);
    }
    });
}

} // namespace pellavo::ui

// ---------------------------------------------------------------- animated scrolling and motion

namespace pellavo::ui {

void ScrollView::setContentOffset(cg::Point offset, bool animated) {
    if (!offset.isFinite()) return refuse("content offset");
    if (!animated) return setContentOffset(offset);
    if (offset == contentOffset()) return;
    if (motion_.kind() == ScrollMotion::Kind::scroll && motion_.to() == offset) return;
    startMotion(ScrollMotion::scroll(contentOffset(), offset));
}

void ScrollView::startMotion(const ScrollMotion& motion) {
    // A superseded motion ends without its callback.
    stopMotion();
    motion_ = motion;
    motionStartNs_ = ns::Clock::shared()->now();
    decelerating_ = motion.isDecelerating();
    zooming_ = zooming_ || motion.isZoom();
    link_ = ca::DisplayLink::make(weakFromThis<ScrollView>(), &ScrollView::onFrame);
    link_->add(ns::RunLoop::main());
    updateIndicators();
}

void ScrollView::stopMotion() {
    if (!motion_.isRunning()) return;
    const bool wasZoom = motion_.isZoom();
    motion_ = {};
    decelerating_ = false;
    if (wasZoom) zooming_ = false;
    if (link_) link_->invalidate();
    link_.reset();
    updateIndicators();
}

void ScrollView::onFrame(ca::DisplayLink& link) {
    if (!motion_.isRunning()) return;
    const auto keep = sharedFromThis<ScrollView>();
    const double t = std::max(0.0, link.timestamp() - static_cast<double>(motionStartNs_) / 1e9);
    const ScrollMotion::Frame frame = motion_.at(t, decelerationRate_);
    const ScrollMotion::Kind kind = motion_.kind();

    if (kind == ScrollMotion::Kind::decelerate) {
        applyOffset(frame.offset);
        if (frame.done && motion_.kind() == ScrollMotion::Kind::decelerate) finishMotion();
        return;
    }

    if (motion_.isZoom()) {
        const auto view = zoomingView();
        if (!view) {
            finishMotion();
            return;
        }
        applyZoom(*view, frame.scale);
        applyOffset(clampedOffset(frame.offset));
        updateIndicators();
        if (auto d = delegate()) d->scrollViewDidZoom(*this);
    } else {
        applyOffset(frame.offset);
    }
    // A callback may have stopped this motion or started another.
    if (frame.done && motion_.kind() == kind && link_.get() == &link) finishMotion();
}

void ScrollView::finishMotion() {
    const ScrollMotion::Kind kind = motion_.kind();
    if (kind == ScrollMotion::Kind::none) return;
    // Everything is settled before the callback, which may start something new.
    const bool zoom = motion_.isZoom();
    motion_ = {};
    decelerating_ = false;
    if (link_) link_->invalidate();
    link_.reset();
    if (zoom) zooming_ = false;
    updateIndicators();
    const auto keep = sharedFromThis<ScrollView>();
    const auto d = delegate();
    if (!d) return;
    using Kind = ScrollMotion::Kind;
    switch (kind) {
    case Kind::scroll: d->scrollViewDidEndScrollingAnimation(*this); break;
    case Kind::decelerate:
    case Kind::snap: d->scrollViewDidEndDecelerating(*this); break;
    case Kind::zoom:
    case Kind::zoomBounce: d->scrollViewDidEndZooming(*this, zoomingView(), zoomScale_); break;
    case Kind::none: break;
    }
}

} // namespace pellavo::ui

// ---------------------------------------------------------------- dragging

namespace pellavo::ui {

namespace {

constexpr double dragVelocityWindow = 0.1;

bool isActive(const GestureRecognizer& g) {
    return g.state() == GestureRecognizer::State::began || g.state() == GestureRecognizer::State::changed;
}

} // namespace

bool ScrollView::panShouldBegin() { return scrollEnabled_ && (canScrollHorizontally() || canScrollVertically()); }

void ScrollView::handlePan(PanGestureRecognizer& pan) {
    using State = GestureRecognizer::State;
    switch (pan.state()) {
    case State::began: {
        // A running animation or deceleration stops without its end callback.
        stopMotion();
        const auto keep = sharedFromThis<ScrollView>();
        const cg::Point offset = contentOffset();
        const cg::Point min = minimumContentOffset();
        const cg::Point max = maximumContentOffset();
        const cg::Size b = bounds().size;
        dragStartOffset_ = {ScrollMotion::unRubberBand(offset.x, min.x, max.x, b.width, bounces_),
                            ScrollMotion::unRubberBand(offset.y, min.y, max.y, b.height, bounces_)};
        dragStartPage_ = {ScrollMotion::page(offset.x, b.width), ScrollMotion::page(offset.y, b.height)};
        dragging_ = true;
        dragSamples_.clear();
        sampleDrag();
        updateIndicators();
        if (auto d = delegate()) d->scrollViewWillBeginDragging(*this);
        if (dragging_) panChanged(pan);
        break;
    }
    case State::changed:
        if (dragging_) panChanged(pan);
        break;
    case State::ended:
    case State::cancelled:
        if (dragging_) panEnded(pan);
        break;
    default: break;
    }
}

void ScrollView::panChanged(PanGestureRecognizer& pan) {
    // While the fingers pinch, the pinch places the content.
    if (pinch_ && isActive(*pinch_)) return;
    const cg::Point t = pan.translation(this);
    const cg::Point min = minimumContentOffset();
    const cg::Point max = maximumContentOffset();
    const cg::Size b = bounds().size;
    cg::Point offset = contentOffset();
    if (canScrollHorizontally())
        offset.x = ScrollMotion::rubberBand(dragStartOffset_.x - t.x, min.x, max.x, b.width, bounces_);
    if (canScrollVertically())
        offset.y = ScrollMotion::rubberBand(dragStartOffset_.y - t.y, min.y, max.y, b.height, bounces_);
    applyOffset(offset);
    sampleDrag();
}

void ScrollView::sampleDrag() {
    const std::int64_t now = ns::Clock::shared()->now();
    dragSamples_.emplace_back(now, contentOffset());
    // Keep one sample older than the window: it tells how long the finger rested.
    const std::int64_t oldest = now - ns::secondsToNanoseconds(dragVelocityWindow);
    while (dragSamples_.size() > 2 && dragSamples_[1].first <= oldest) dragSamples_.pop_front();
}

cg::Point ScrollView::dragVelocity() const {
    if (dragSamples_.size() < 2) return {};
    const auto& [now, offset] = dragSamples_.back();
    const std::int64_t windowStart = now - ns::secondsToNanoseconds(dragVelocityWindow);
    // The oldest sample inside the window, or the one just before it when the finger
    // rested (then the offset has not moved since and the speed is 0).
    std::size_t i = 0;
    while (i + 2 < dragSamples_.size() && dragSamples_[i].first < windowStart) ++i;
    const auto& [then, from] = dragSamples_[i];
    if (now <= then) return {};
    const double ms = static_cast<double>(now - then) / 1e6;
    return {(offset.x - from.x) / ms, (offset.y - from.y) / ms};
}

cg::Point ScrollView::pagingTarget(cg::Point offset, cg::Point velocity) const {
    const cg::Point min = minimumContentOffset();
    const cg::Point max = maximumContentOffset();
    const cg::Size b = bounds().size;
    cg::Point target = offset;
    if (canScrollHorizontally())
        target.x = ScrollMotion::pageOffset(offset.x, velocity.x, b.width, dragStartPage_.x, min.x, max.x);
    if (canScrollVertically())
        target.y = ScrollMotion::pageOffset(offset.y, velocity.y, b.height, dragStartPage_.y, min.y, max.y);
    return target;
}

void ScrollView::panEnded(PanGestureRecognizer& pan) {
    const auto keep = sharedFromThis<ScrollView>();
    const bool cancelled = pan.state() == GestureRecognizer::State::cancelled;
    // The offset's own velocity, points per millisecond.
    sampleDrag();
    cg::Point velocity;
    if (!cancelled) velocity = dragVelocity();
    if (!velocity.isFinite()) velocity = {};
    const cg::Point offset = contentOffset();
    cg::Point target;
    bool clamped = false;
    if (pagingEnabled_) {
        target = pagingTarget(offset, velocity);
    } else {
        const double reach = ScrollMotion::reach(decelerationRate_);
        const cg::Point free{offset.x + velocity.x * reach, offset.y + velocity.y * reach};
        target = clampedOffset(free);
        clamped = target != free;
    }
    cg::Point asked = target;
    if (auto d = delegate()) d->scrollViewWillEndDragging(*this, velocity, asked);
    const bool changed = asked.isFinite() && asked != target;
    if (changed) target = clampedOffset(asked);
    target = clampedOffset(target);

    dragging_ = false;
    const bool within = isWithinLimits(offset);
    if (target == offset && within) {
        updateIndicators();
        if (auto d = delegate()) d->scrollViewDidEndDragging(*this, false);
        return;
    }
    if (auto d = delegate()) d->scrollViewDidEndDragging(*this, true);
    // A callback may have started something of its own.
    if (dragging_ || motion_.isRunning()) return;
    if (auto d = delegate()) d->scrollViewWillBeginDecelerating(*this);
    if (dragging_ || motion_.isRunning()) return;
    const bool free = !pagingEnabled_ && !clamped && !changed && within;
    startMotion(free ? ScrollMotion::deceleration(contentOffset(), target, velocity)
                     : ScrollMotion::snap(contentOffset(), target));
}

// ---------------------------------------------------------------- pinching

void ScrollView::handlePinch(PinchGestureRecognizer& pinch) {
    using State = GestureRecognizer::State;
    const auto keep = sharedFromThis<ScrollView>();
    const auto view = zoomingView();
    if (!view) return;
    switch (pinch.state()) {
    case State::began: {
        stopMotion();
        zooming_ = true;
        pinchStartScale_ = zoomScale_;
        const cg::Point at = pinch.location(this);
        const cg::Point origin = view->frame().origin;
        pinchContentPoint_ = {(at.x - origin.x) / zoomScale_, (at.y - origin.y) / zoomScale_};
        if (auto d = delegate()) d->scrollViewWillBeginZooming(*this, view);
        [[fallthrough]];
    }
    case State::changed: {
        if (!zooming_) return;
        const double raw = pinchStartScale_ * pinch.scale();
        if (!(std::isfinite(raw) && raw > 0)) return;
        double z = std::clamp(raw, minimumZoomScale_, maximumZoomScale_);
        // Past a limit the scale gives way slowly: limit × (raw ÷ limit)^0.5.
        if (bouncesZoom_ && raw != z) z = z * std::sqrt(raw / z);
        const cg::Point visible = pinch.location(this) - contentOffset();
        applyZoom(*view, z);
        applyOffset(clampedOffset(offsetKeeping(pinchContentPoint_, visible, z)));
        updateIndicators();
        if (auto d = delegate()) d->scrollViewDidZoom(*this);
        break;
    }
    case State::ended:
    case State::cancelled: {
        if (!zooming_) return;
        const double limit = std::clamp(zoomScale_, minimumZoomScale_, maximumZoomScale_);
        // A drag that goes on with the remaining finger starts from here.
        if (pan_ && isActive(*pan_)) {
            pan_->setTranslation({0, 0}, this);
            const cg::Point offset = contentOffset();
            dragStartOffset_ = offset;
        }
        if (limit != zoomScale_) {
            const cg::Point visible = pinch.location(this) - contentOffset();
            const cg::Size size = view->bounds().size;
            const cg::Size before = contentSize_;
            contentSize_ = {size.width * limit, size.height * limit};
            const cg::Point to = clampedOffset(offsetKeeping(pinchContentPoint_, visible, limit));
            contentSize_ = before;
            startMotion(ScrollMotion::zoomBounce(contentOffset(), to, zoomScale_, limit));
            return;
        }
        zooming_ = false;
        updateIndicators();
        if (auto d = delegate()) d->scrollViewDidEndZooming(*this, view, zoomScale_);
        break;
    }
    default: break;
    }
}

// ---------------------------------------------------------------- runtime

namespace {

// Known by name to interface files and to key-value setting as soon as the library loads.
[[maybe_unused]] const auto registration =
    ns::ClassRegistration<ScrollView>("UIScrollView", "UIView")
        .property<bool>("pagingEnabled", &ScrollView::isPagingEnabled, &ScrollView::setIsPagingEnabled)
        .property<bool>("scrollEnabled", &ScrollView::isScrollEnabled, &ScrollView::setIsScrollEnabled)
        .property<bool>("bounces", &ScrollView::bounces, &ScrollView::setBounces)
        .property<bool>("showsHorizontalScrollIndicator", &ScrollView::showsHorizontalScrollIndicator,
                        &ScrollView::setShowsHorizontalScrollIndicator)
        .property<bool>("showsVerticalScrollIndicator", &ScrollView::showsVerticalScrollIndicator,
                        &ScrollView::setShowsVerticalScrollIndicator);

} // namespace

} // namespace pellavo::ui
