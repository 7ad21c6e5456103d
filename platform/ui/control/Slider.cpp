#include "platform/ui/control/Slider.hpp"

#include <algorithm>
#include <cmath>

#include "platform/ca/Layer.hpp"
#include "platform/ui/graphics/ImageEffects.hpp"
#include "platform/ui/control/ImageView.hpp"
#include "platform/ui/event/Touch.hpp"

namespace pellavo::ui {
namespace {

constexpr double kTrackHeight = 2;
constexpr double kThumbDiameter = 28;
constexpr double kGrabMargin = 10;
constexpr double kMaximumTrackGrey = 0.714;

unsigned bits(Control::State state) { return static_cast<unsigned>(state); }

} // namespace

Slider::Slider(const cg::Rect& frame) : Control(frame) {}

void Slider::init() {
    Control::init();
    minimumTrackView_ = ns::make<ImageView>();
    maximumTrackView_ = ns::make<ImageView>();
    thumbView_ = ns::make<ImageView>();
    for (const auto& view : {minimumTrackView_, maximumTrackView_}) view->setContentMode(ContentMode::scaleToFill);
    addSubview(minimumTrackView_);
    addSubview(maximumTrackView_);
    addSubview(thumbView_);
    updateAppearance();
}

// ---------------------------------------------------------------- values

void Slider::setValue(float value) {
    if (std::isnan(value)) return;
    change(value_, std::clamp(value, minimumValue_, maximumValue_), Invalidate::layout);
}

// The minimum never exceeds the maximum and the value lies between them, so an
// unchanged bound leaves both as they are.
void Slider::setMinimumValue(float value) {
    if (std::isnan(value)) return;
    change(minimumValue_, value, Invalidate::layout, [&] {
        if (maximumValue_ < value) maximumValue_ = value;
        value_ = std::clamp(value_, minimumValue_, maximumValue_);
    });
}

void Slider::setMaximumValue(float value) {
    if (std::isnan(value)) return;
    change(maximumValue_, value, Invalidate::layout, [&] {
        if (minimumValue_ > value) minimumValue_ = value;
        value_ = std::clamp(value_, minimumValue_, maximumValue_);
    });
}

void Slider::setIsContinuous(bool continuous) { continuous_ = continuous; }

// ---------------------------------------------------------------- images and colours

void Slider::setThumbImage(std::optional<Image> image, State state) {
    if (image && image->isEmpty()) image.reset();
    if (thumbImages_.set(bits(state), std::move(image))) updateAppearance();
}

std::optional<Image> Slider::thumbImage(State state) const { return thumbImages_.value(bits(state)); }
std::optional<Image> Slider::currentThumbImage() const { return thumbImages_.value(bits(state())); }

void Slider::setMinimumTrackImage(std::optional<Image> image, State state) {
    if (image && image->isEmpty()) image.reset();
    if (minimumTrackImages_.set(bits(state), std::move(image))) updateAppearance();
}

std::optional<Image> Slider::minimumTrackImage(State state) const { return minimumTrackImages_.value(bits(state)); }

void Slider::setMaximumTrackImage(std::optional<Image> image, State state) {
    if (image && image->isEmpty()) image.reset();
    if (maximumTrackImages_.set(bits(state), std::move(image))) updateAppearance();
}

std::optional<Image> Slider::maximumTrackImage(State state) const { return maximumTrackImages_.value(bits(state)); }

// A tint replaces the track images: an equal tint still clears them.
void Slider::setMinimumTrackTintColor(std::optional<Color> color) {
    if (color == minimumTrackTintColor_ && minimumTrackImages_.empty()) return;
    minimumTrackTintColor_ = std::move(color);
    minimumTrackImages_.clear();
    updateAppearance();
}

void Slider::setMaximumTrackTintColor(std::optional<Color> color) {
    if (color == maximumTrackTintColor_ && maximumTrackImages_.empty()) return;
    maximumTrackTintColor_ = std::move(color);
    maximumTrackImages_.clear();
    updateAppearance();
}

void Slider::setIsEnabled(bool enabled) {
    const bool changes = enabled != isEnabled();
    // Disabling clears a highlight (through setIsHighlighted) even when already disabled.
    Control::setIsEnabled(enabled);
    if (changes) updateAppearance();
}

void Slider::setIsSelected(bool selected) {
    if (selected == isSelected()) return;
    Control::setIsSelected(selected);
    updateAppearance();
}

void Slider::setIsHighlighted(bool highlighted) {
    if (highlighted == isHighlighted()) return;
    Control::setIsHighlighted(highlighted);
    updateAppearance();
}

void Slider::tintColorDidChange() {
    Control::tintColorDidChange();
    updateAppearance();
}

void Slider::updateAppearance() {
    if (!thumbView_) return;
    const unsigned s = bits(state());

    if (auto thumb = thumbImages_.value(s)) {
        if (thumb->renderingMode() == Image::RenderingMode::alwaysTemplate) {
            const Color tint = tintColor();
            if (tintedThumbSource_ != thumb->cgImage() || !(tintedThumbTint_ == tint) ||
                tintedThumb_.scale() != thumb->scale()) {
                tintedThumbSource_ = thumb->cgImage();
                tintedThumbTint_ = tint;
                tintedThumb_ = detail::tintedImage(*thumb, tint);
            }
            thumb = tintedThumb_;
        }
        thumbView_->setImage(thumb);
        thumbView_->setBackgroundColor(std::nullopt);
        thumbView_->layer()->setCornerRadius(0);
        thumbView_->layer()->setShadowOpacity(0);
    } else {
        thumbView_->setImage(std::nullopt);
        thumbView_->setBackgroundColor(Color::white());
        thumbView_->layer()->setCornerRadius(kThumbDiameter / 2);
        thumbView_->layer()->setShadowColor(cg::Color(0, 0, 0, 1));
        thumbView_->layer()->setShadowOpacity(0.25f);
        thumbView_->layer()->setShadowRadius(2);
        thumbView_->layer()->setShadowOffset({0, 2});
    }

    auto track = [&](ImageView& view, const detail::ControlStateTable<Image>& images, const Color& color) {
        if (auto image = images.value(s)) {
            view.setImage(image);
            view.setBackgroundColor(std::nullopt);
        } else {
            view.setImage(std::nullopt);
            view.setBackgroundColor(color);
        }
    };
    track(*minimumTrackView_, minimumTrackImages_, minimumTrackTintColor_.value_or(tintColor()));
    track(*maximumTrackView_, maximumTrackImages_, maximumTrackTintColor_.value_or(Color(kMaximumTrackGrey, 1)));
    setNeedsLayout();
}

// ---------------------------------------------------------------- geometry

cg::Size Slider::thumbSize() const {
    if (auto thumb = currentThumbImage()) return thumb->size();
    return {kThumbDiameter, kThumbDiameter};
}

cg::Rect Slider::trackRect(const cg::Rect& bounds) const {
    const cg::Rect b = bounds.standardized();
    double height = 0;
    const unsigned s = bits(state());
    for (const auto* images : {&minimumTrackImages_, &maximumTrackImages_})
        if (auto image = images->value(s)) height = std::max(height, image->size().height);
    if (height <= 0) height = kTrackHeight;
    return {b.minX(), b.midY() - height / 2, b.width(), height};
}

cg::Rect Slider::thumbRect(const cg::Rect& bounds, const cg::Rect& trackRect, float value) const {
    const cg::Rect b = bounds.standardized();
    const cg::Size size = thumbSize();
    const double range = static_cast<double>(maximumValue_) - minimumValue_;
    double fraction = range > 0 ? (static_cast<double>(value) - minimumValue_) / range : 0;
    fraction = std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0;
    const double centreX = b.minX() + size.width / 2 + fraction * (b.width() - size.width);
    const double centreY = trackRect.origin.y + trackRect.size.height / 2;
    return {centreX - size.width / 2, centreY - size.height / 2, size.width, size.height};
}

void Slider::layoutSubviews() {
    Control::layoutSubviews();
    const cg::Rect b = bounds();
    const cg::Rect track = trackRect(b);
    const cg::Rect thumb = thumbRect(b, track, value_);
    const double split = std::clamp(thumb.midX(), track.minX(), track.maxX());
    const unsigned s = bits(state());

    auto place = [&](ImageView& view, const detail::ControlStateTable<Image>& images, double x0, double x1) {
        const auto image = images.value(s);
        const double height = image ? image->size().height : kTrackHeight;
        view.setFrame({x0, track.midY() - height / 2, std::max(0.0, x1 - x0), height});
        view.layer()->setCornerRadius(image ? 0 : height / 2);
    };
    place(*minimumTrackView_, minimumTrackImages_, track.minX(), split);
    place(*maximumTrackView_, maximumTrackImages_, split, track.maxX());
    thumbView_->setFrame(thumb);
}

cg::Size Slider::intrinsicContentSize() const { return {-1, 31}; }

// ---------------------------------------------------------------- tracking

bool Slider::beginTracking(const Touch& touch, const ui::Event* event) {
    Control::beginTracking(touch, event);
    const cg::Point p = touch.location(this);
    const cg::Rect b = bounds();
    const cg::Rect thumb = thumbRect(b, trackRect(b), value_);
    changedWhileDragging_ = false;
    if (!thumb.insetBy(-kGrabMargin, -kGrabMargin).contains(p)) return false;
    grabOffset_ = p.x - thumb.midX();
    return true;
}

bool Slider::continueTracking(const Touch& touch, const ui::Event* event) {
    Control::continueTracking(touch, event);
    const cg::Point p = touch.location(this);
    if (!p.isFinite()) return true;
    const cg::Rect b = bounds().standardized();
    const double thumbWidth = thumbSize().width;
    const double travel = b.width() - thumbWidth;
    if (!(travel > 0)) return true;
    const double centre = p.x - grabOffset_;
    const double fraction = std::clamp((centre - b.minX() - thumbWidth / 2) / travel, 0.0, 1.0);
    const double target = minimumValue_ + fraction * (static_cast<double>(maximumValue_) - minimumValue_);
    const float previous = value_;
    setValue(static_cast<float>(std::clamp(target, static_cast<double>(minimumValue_),
                                           static_cast<double>(maximumValue_))));
    if (value_ != previous) {
        if (continuous_) {
            sendActions(Event::valueChanged);
        } else {
            changedWhileDragging_ = true;
        }
    }
    return true;
}

void Slider::finishDrag() {
    if (!changedWhileDragging_) return;
    changedWhileDragging_ = false;
    sendActions(Event::valueChanged);
}

void Slider::endTracking(const Touch* touch, const ui::Event* event) {
    Control::endTracking(touch, event);
    finishDrag();
}

void Slider::cancelTracking(const ui::Event* event) {
    Control::cancelTracking(event);
    finishDrag();
}

} // namespace pellavo::ui
