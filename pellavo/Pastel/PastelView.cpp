#include "pellavo/Pastel/PastelView.hpp"

#include <array>
#include <utility>

#include "platform/ca/BasicAnimation.hpp"
#include "platform/ca/GradientLayer.hpp"
#include "platform/ca/Transaction.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/Coder.hpp"

namespace pellavo {

namespace {

constexpr std::array<cg::Point, 8> kPoints{{
    {0, 0.5}, // left
    {0.5, 0}, // top
    {1, 0.5}, // right
    {0.5, 1}, // bottom
    {0, 0},   // topLeft
    {1, 0},   // topRight
    {0, 1},   // bottomLeft
    {1, 1},   // bottomRight
}};

const char* const kAnimationKey = "ColorChange";

// 0xRRGGBB, opaque.
ui::Color rgb(std::uint32_t hex) {
    return ui::Color(((hex >> 16) & 0xFF) / 255.0, ((hex >> 8) & 0xFF) / 255.0, (hex & 0xFF) / 255.0, 1);
}

} // namespace

std::optional<PastelView::PastelPoint> PastelView::pastelPointFromRawValue(int raw) {
    if (raw < 0 || raw >= static_cast<int>(kPoints.size())) return std::nullopt;
    return static_cast<PastelPoint>(raw);
}

cg::Point PastelView::point(PastelPoint pastelPoint) { return kPoints[static_cast<std::size_t>(pastelPoint)]; }

// Both initialisers store the same defaults: the frame one goes through a coder.
PastelView::PastelView(const cg::Rect& frame) : PastelView(ns::Coder::with(ns::Coder::frameKey, frame)) {}

PastelView::PastelView(const ns::Coder& coder)
    : ui::View(coder),
      gradient_(ns::make<ca::GradientLayer>()), colors_{rgb(0x9C27B0), rgb(0xFF4081), rgb(0x7B1FA2), rgb(0x204CFF),
                                                        rgb(0x209EFF), rgb(0x5A787F), rgb(0x3AFFD9)} {}

void PastelView::setStartPastelPoint(PastelPoint pastelPoint) {
    startPastelPoint_ = pastelPoint;
    startPoint_ = point(pastelPoint);
}

void PastelView::setEndPastelPoint(PastelPoint pastelPoint) {
    endPastelPoint_ = pastelPoint;
    endPoint_ = point(pastelPoint);
}

// ------------------------------------------------------------------ the cycle

void PastelView::startAnimation() {
    gradient_->removeAllAnimations();
    setup();
    animateGradient();
}

void PastelView::setup() {
    // The gradient takes its place and colours at once; only the steps animate.
    const ca::Transaction::ActionsDisabled still;
    gradient_->setFrame(bounds());
    gradient_->setColors(currentGradientSet());
    gradient_->setStartPoint(startPoint_);
    gradient_->setEndPoint(endPoint_);
    gradient_->setDrawsAsynchronously(true);
    layer()->insertSublayer(gradient_, 0);
}

std::vector<cg::Color> PastelView::currentGradientSet() const {
    if (colors_.empty()) return {};
    const auto n = static_cast<std::int64_t>(colors_.size());
    const auto at = [&](std::int64_t i) { return colors_[static_cast<std::size_t>(i % n)].cgColor(); };
    return {at(currentGradient_), at(currentGradient_ + 1)};
}

void PastelView::animateGradient() {
    ++currentGradient_;
    auto animation = ns::make<ca::BasicAnimation>();
    animation->setKeyPath("colors");
    animation->setDuration(animationDuration_);
    // No from-value: the step starts from whatever the gradient shows now.
    animation->setToValue(ca::Value(currentGradientSet()));
    animation->setFillMode(ca::FillMode::forwards);
    animation->setIsRemovedOnCompletion(false);
    animation->setDelegate(weakFromThis<PastelView>());
    gradient_->addAnimation(animation, kAnimationKey);
}

void PastelView::animationDidStop(const std::shared_ptr<const ca::Animation>& animation, bool finished) {
    (void)animation;
    if (!finished) return;
    {
        // The model catches up with where the step ended.
        const ca::Transaction::ActionsDisabled still;
        gradient_->setColors(currentGradientSet());
    }
    animateGradient();
}

// ------------------------------------------------------------------ the list

void PastelView::setColors(std::vector<ui::Color> colors) {
    if (colors.empty()) return;
    colors_ = std::move(colors);
}

void PastelView::setPastelGradient(PastelGradient gradient) { setColors(pastelgradient::colors(gradient)); }

void PastelView::addColor(ui::Color color) { colors_.push_back(color); }

// ------------------------------------------------------------------ view

void PastelView::awakeFromNib() { ui::View::awakeFromNib(); }

void PastelView::layoutSubviews() {
    ui::View::layoutSubviews();
    const ca::Transaction::ActionsDisabled still;
    gradient_->setFrame(bounds());
}

void PastelView::removeFromSuperview() {
    ui::View::removeFromSuperview();
    gradient_->removeAllAnimations();
    gradient_->removeFromSuperlayer();
}

// ------------------------------------------------------------------ runtime

namespace {
[[maybe_unused]] const auto registration = ns::ClassRegistration<PastelView>("PastelView", "UIView");
} // namespace

} // namespace pellavo
