#include "pellavo/VXBadgeButton.hpp"

#include "platform/ca/Layer.hpp"
#include "platform/dispatch/Queue.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/NotificationCenter.hpp"
#include "platform/ui/control/Label.hpp"

namespace pellavo {

namespace {

constexpr std::string_view kShowingKey = "adBadgeShowingKey";
constexpr double kBadgeShare = 0.38;
constexpr double kAnimationDuration = 0.6;
constexpr double kHiddenScale = 0.1;

// Known by name to interface files; the toggle is the notification's selector.
[[maybe_unused]] const auto registration =
    ns::ClassRegistration<VXBadgeButton>("VXBadgeButton", "UIButton")
        .action(ns::Selector("updateBadgeStatus:"), &VXBadgeButton::updateBadgeStatus);

} // namespace

VXBadgeButton::VXBadgeButton(const cg::Rect& frame) : ui::Button(frame) { makeBadge(); }

VXBadgeButton::VXBadgeButton(const ns::Coder& coder) : ui::Button(coder), fromCoder_(true) { makeBadge(); }

VXBadgeButton::~VXBadgeButton() {
    ns::NotificationCenter::defaultCenter().removeObserver(static_cast<const ns::Object*>(this));
}

void VXBadgeButton::makeBadge() {
    badge_ = ns::make<ui::Label>();
    badge_->setClipsToBounds(true);
    badge_->setBackgroundColor(ui::Color::red());
    badge_->setText(ns::String("N"));
    badge_->setTextAlignment(ns::TextAlignment::center);
    badge_->setTextColor(ui::Color::white());
    badge_->setFont(ui::Font::boldSystemFont(13));
}

void VXBadgeButton::init() {
    ui::Button::init();
    setUpBadge();
    if (fromCoder_) {
        // Already a subview: this only brings it to the front, above the file's subviews.
        addSubview(badge_);
    } else {
        hideBadge();
    }
}

void VXBadgeButton::setUpBadge() {
    const cg::Size size = frame().size;
    const double width = kBadgeShare * size.width;
    badge_->setFrame({size.width - width, 0, width, kBadgeShare * size.height});
    badge_->layer()->setCornerRadius(width / 2);
    addSubview(badge_);
    badge_->setIsHidden(true);
    ns::NotificationCenter::defaultCenter().addObserver(sharedFromThis(), ns::Selector("updateBadgeStatus:"),
                                                        kShowingKey, nullptr);
}

void VXBadgeButton::updateBadgeStatus(ns::Notification*) {
    if (!dispatch::isMainThread()) {
        // Views change on the main thread only; the button may be gone by then.
        dispatch::Queue::main().async([weak = weakFromThis<VXBadgeButton>()] {
            if (auto self = weak.lock()) self->updateBadgeStatus(nullptr);
        });
        return;
    }
    isBadge() ? hideBadge() : showBadge();
}

void VXBadgeButton::showBadge() {
    badge_->setIsHidden(false);
    ++showCount_;
    ui::View::animate(kAnimationDuration, [this] {
        badge_->setTransform(cg::AffineTransform::makeScale(1, 1));
        isShowingBadge_ = true;
    });
}

void VXBadgeButton::hideBadge() {
    const std::uint64_t showCount = showCount_;
    const std::shared_ptr<ui::Label> badge = badge_;
    ui::View::animate(
        kAnimationDuration, 0, ui::ViewAnimationOptions::curveEaseInOut,
        [badge] { badge->setTransform(cg::AffineTransform::makeScale(kHiddenScale, kHiddenScale)); },
        [weak = weakFromThis<VXBadgeButton>(), showCount](bool) {
            auto self = weak.lock();
            // A show that began meanwhile keeps the badge.
            if (!self || self->showCount_ != showCount) return;
            self->badge_->setIsHidden(true);
            self->isShowingBadge_ = false;
        });
}

} // namespace pellavo
