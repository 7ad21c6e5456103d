#include "pellavo/VXBadgeBarButton.hpp"

#include <algorithm>
#include <cmath>

#include "platform/ca/BasicAnimation.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ca/MediaTimingFunction.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ui/control/Button.hpp"
#include "platform/ui/control/Label.hpp"

namespace pellavo {

namespace {

constexpr double kNewBadgeSide = 20;
constexpr double kBounceDuration = 0.2;
constexpr double kBounceFromScale = 1.5;
constexpr double kRemoveDuration = 0.2;

// Known by name, so interface files and the runtime can make it.
[[maybe_unused]] const auto registration =
    ns::ClassRegistration<VXBadgeBarButton>("VXBadgeBarButton", "UIBarButtonItem");

} // namespace

VXBadgeBarButton::VXBadgeBarButton() : badge_(ns::make<ui::Label>()) {}

VXBadgeBarButton::VXBadgeBarButton(const ns::Coder&) : VXBadgeBarButton() {}

std::shared_ptr<VXBadgeBarButton> VXBadgeBarButton::initWithCustomBadgeBarButton(
    std::shared_ptr<ui::Button> customButton) {
    setCustomView(std::move(customButton));
    initializer();
    return sharedFromThis<VXBadgeBarButton>();
}

void VXBadgeBarButton::initializer() {
    badgeBGColor_ = ui::Color::red();
    badgeTextColor_ = ui::Color::white();
    badgeFont_ = ui::Font::systemFont(14);
    badgePadding_ = 4;
    badgeMinSize_ = 10;
    badgeOriginX_ = 0;
    updateBadgeFrame();
    badgeOriginY_ = 0;
    updateBadgeFrame();
    shouldHideBadgeAtZero_ = true;
    shouldAnimateBadge_ = true;
    // The badge sits on the view's corner and may stick out of it.
    if (const auto& view = customView()) view->setClipsToBounds(false);
}

void VXBadgeBarButton::setBadgePadding(double padding) {
    if (std::isfinite(padding)) badgePadding_ = padding;
}

void VXBadgeBarButton::setBadgeValue(ns::String value) {
    badgeValue_ = std::move(value);
    if ((shouldHideBadgeAtZero_ && badgeValue_ == ns::String("0")) || badgeValue_.isEmpty()) {
        removeBadge();
        return;
    }
    if (showing_) {
        updateBadgeValueAnimated(true);
        return;
    }
    auto label = ns::make<ui::Label>(cg::Rect{badgeOriginX_, badgeOriginY_, kNewBadgeSide, kNewBadgeSide});
    label->setTextColor(badgeTextColor_);
    label->setBackgroundColor(badgeBGColor_);
    label->setFont(badgeFont_);
    label->setTextAlignment(ns::TextAlignment::center);
    badge_ = label;
    if (const auto& view = customView()) view->addSubview(label);
    showing_ = true;
    updateBadgeValueAnimated(true);
}

void VXBadgeBarButton::updateBadgeValueAnimated(bool animated) {
    // The same text again does not bounce; a label without text always differs.
    const auto text = badge_->text();
    if (animated && shouldAnimateBadge_ && (!text || *text != badgeValue_)) {
        auto bounce = ns::make<ca::BasicAnimation>();
        bounce->setKeyPath("transform.scale");
        bounce->setFromValue(kBounceFromScale);
        bounce->setToValue(1.0);
        bounce->setDuration(kBounceDuration);
        // y above 1 overshoots: the badge dips under its size before it settles.
        bounce->setTimingFunction(ca::MediaTimingFunction(0.4, 1.3, 1, 1));
        badge_->layer()->addAnimation(bounce, "bounceAnimation");
    }
    badge_->setText(badgeValue_);
    updateBadgeFrame();
}

std::shared_ptr<ui::Label> VXBadgeBarButton::duplicateLabel(const ui::Label& label) {
    auto copy = ns::make<ui::Label>(label.frame());
    copy->setText(label.text().value_or(ns::String()));
    copy->setFont(label.font());
    return copy;
}

void VXBadgeBarButton::updateBadgeFrame() {
    // Measured with the font the item holds now, which a label made earlier may not show.
    auto measure = duplicateLabel(*badge_);
    measure->setFont(badgeFont_);
    measure->sizeToFit();
    const cg::Size size = measure->bounds().size;
    const double minHeight = std::max(size.height, badgeMinSize_);
    const double minWidth = std::max(size.width, minHeight);
    badge_->setFrame({badgeOriginX_, badgeOriginY_, minWidth + badgePadding_, minHeight + badgePadding_});
    badge_->layer()->setCornerRadius(badge_->bounds().size.width / 2);
    badge_->layer()->setMasksToBounds(true);
}

void VXBadgeBarButton::removeBadge() {
    showing_ = false;
    // The completion takes away the label it shrank, not whichever label is current when
    // it ends: a value set meanwhile has made a new one that stays.
    const std::shared_ptr<ui::Label> label = badge_;
    const std::weak_ptr<ui::Label> shrunk = label;
    ui::View::animate(
        kRemoveDuration, [label] { label->setTransform(cg::AffineTransform::makeScale(0, 0)); },
        [shrunk](bool) {
            if (auto gone = shrunk.lock()) gone->removeFromSuperview();
        });
}

} // namespace pellavo
