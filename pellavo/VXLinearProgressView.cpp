#include "pellavo/VXLinearProgressView.hpp"

#include <algorithm>
#include <cmath>

#include "pellavo/VXGradientView.hpp"
#include "platform/ns/Coder.hpp"
#include "platform/ns/Runtime.hpp"

namespace pellavo {

namespace {
using Attribute = ui::LayoutConstraint::Attribute;
using Relation = ui::LayoutConstraint::Relation;
} // namespace

// Both initialisers store the same defaults: the frame one goes through a coder.
VXLinearProgressView::VXLinearProgressView(const cg::Rect& frame)
    : VXLinearProgressView(ns::Coder::with(ns::Coder::frameKey, frame)) {}

VXLinearProgressView::VXLinearProgressView(const ns::Coder& coder)
    : ui::View(coder), trackView_(ns::make<VXGradientView>()) {
    setBackgroundColor(ui::Color::clear());
}

void VXLinearProgressView::init() {
    ui::View::init();
    prepare();
}

void VXLinearProgressView::prepare() {
    // 90 is stored as 135: left to right.
    trackView_->setAngleº(90);
    trackView_->setFadeIntensity(1);
    trackView_->setColorRatio(0.5f);
    trackView_->layer()->setMasksToBounds(true);
    addSubview(trackView_);
    trackView_->setTranslatesAutoresizingMaskIntoConstraints(false);
    const auto pin = [this](Attribute attribute, Attribute margin) {
        return ns::make<ui::LayoutConstraint>(trackView_, attribute, Relation::equal, sharedFromThis<ui::View>(),
                                              margin, 1, 0);
    };
    ui::LayoutConstraint::activate({pin(Attribute::left, Attribute::leftMargin),
                                    pin(Attribute::top, Attribute::topMargin),
                                    pin(Attribute::bottom, Attribute::bottomMargin), trackViewWidthConstraint()});
    applyLayoutMargins();
}

const std::shared_ptr<ui::LayoutConstraint>& VXLinearProgressView::trackViewWidthConstraint() {
    if (!trackViewWidthConstraint_)
        trackViewWidthConstraint_ = ns::make<ui::LayoutConstraint>(trackView_, Attribute::width, Relation::equal,
                                                                    nullptr, Attribute::notAnAttribute, 1, 0);
    return trackViewWidthConstraint_;
}

void VXLinearProgressView::applyLayoutMargins() {
    setLayoutMargins(ui::EdgeInsets{barInset_, barInset_, barInset_, barInset_});
}

// ------------------------------------------------------------------ settings

void VXLinearProgressView::setBarColor(ui::Color color) {
    barColor_ = color;
    layer()->setBackgroundColor(barColor_.cgColor());
}

void VXLinearProgressView::setFirstColor(ui::Color color) {
    firstColor_ = color;
    trackView_->setFirstColor(color);
    layoutSubviews();
}

void VXLinearProgressView::setSecondColor(ui::Color color) {
    secondColor_ = color;
    trackView_->setSecondColor(color);
    layoutSubviews();
}

void VXLinearProgressView::setIsCornersRounded(bool rounded) {
    isCornersRounded_ = rounded;
    if (!rounded) {
        layer()->setCornerRadius(0);
        trackView_->layer()->setCornerRadius(0);
    }
    layoutSubviews();
}

void VXLinearProgressView::setMaximumValue(float value) {
    if (!std::isfinite(value)) return;
    maximumValue_ = value;
    clampProgress();
    layoutSubviews();
}

void VXLinearProgressView::setMinimumValue(float value) {
    if (!std::isfinite(value)) return;
    minimumValue_ = value;
    clampProgress();
    layoutSubviews();
}

void VXLinearProgressView::setProgress(float value, bool animated) {
    if (!std::isfinite(value)) return;
    progress_ = value;
    clampProgress();
    layoutSubviews();
    if (!animated) return;
    // The layout just set the new width constant; laying out inside the block moves
    // the track there as an animation.
    const std::weak_ptr<VXLinearProgressView> weak = sharedFromThis<VXLinearProgressView>();
    ui::View::animate(animationDuration_, [weak] {
        if (auto bar = weak.lock()) bar->layoutIfNeeded();
    });
}

void VXLinearProgressView::setBarInset(double inset) {
    if (!std::isfinite(inset)) return;
    barInset_ = inset;
    layoutSubviews();
}

void VXLinearProgressView::clampProgress() {
    if (maximumValue_ < progress_) {
        progress_ = maximumValue_;
    } else if (progress_ < minimumValue_) {
        progress_ = minimumValue_;
    }
}

// ------------------------------------------------------------------ layout

void VXLinearProgressView::layoutSubviews() {
    ui::View::layoutSubviews();
    double available = frame().width() - 2 * barInset_;
    double width = 0;
    const float range = maximumValue_ - minimumValue_;
    if (range != 0) {
        if (!(available > 0)) available = 0;
        // A range past float's reach gives an infinite or NaN share: no track then.
        float fraction = (progress_ - minimumValue_) / range;
        if (!std::isfinite(fraction)) fraction = 0;
        width = available * static_cast<double>(std::clamp(fraction, 0.0f, 1.0f));
    }
    trackViewWidthConstraint()->setConstant(width);
    trackView_->setNeedsDisplay();
    applyLayoutMargins();
    if (isCornersRounded_) {
        layer()->setCornerRadius(frame().height() / 2);
        trackView_->layer()->setCornerRadius(trackView_->frame().height() / 2);
        trackView_->layer()->setMasksToBounds(true);
    }
}

// ------------------------------------------------------------------ runtime

bool VXLinearProgressView::registerWithRuntime() {
    using Bar = VXLinearProgressView;
    auto& runtime = ns::Runtime::shared();
    constexpr std::string_view name = "VXLinearProgressView";
    runtime.registerClass<Bar>(name, "UIView");
    runtime.addProperty<Bar, ui::Color>(name, "barColor", &Bar::barColor, &Bar::setBarColor);
    runtime.addProperty<Bar, ui::Color>(name, "firstColor", &Bar::firstColor, &Bar::setFirstColor);
    runtime.addProperty<Bar, ui::Color>(name, "secondColor", &Bar::secondColor, &Bar::setSecondColor);
    runtime.addProperty<Bar, bool>(name, "isCornersRounded", &Bar::isCornersRounded, &Bar::setIsCornersRounded);
    runtime.addProperty<Bar, float>(name, "maximumValue", &Bar::maximumValue, &Bar::setMaximumValue);
    runtime.addProperty<Bar, float>(name, "minimumValue", &Bar::minimumValue, &Bar::setMinimumValue);
    runtime.addProperty<Bar, float>(name, "progress", &Bar::progress,
                                    [](Bar& bar, float value) { bar.setProgress(value, false); });
    runtime.addProperty<Bar, double>(name, "barInset", &Bar::barInset, &Bar::setBarInset);
    return true;
}

const bool VXLinearProgressView::registered_ = VXLinearProgressView::registerWithRuntime();

} // namespace pellavo
