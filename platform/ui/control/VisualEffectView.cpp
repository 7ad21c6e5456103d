#include "platform/ui/control/VisualEffectView.hpp"

#include "platform/ca/BackdropLayer.hpp"

namespace pellavo::ui {

VisualEffectView::VisualEffectView(std::optional<BlurEffect> effect) : effect_(effect) {}

std::shared_ptr<ca::Layer> VisualEffectView::makeLayer() { return ns::make<ca::BackdropLayer>(); }

void VisualEffectView::init() {
    View::init();
    applyEffect();
}

void VisualEffectView::setEffect(std::optional<BlurEffect> effect) {
    effect_ = effect;
    applyEffect();
}

void VisualEffectView::applyEffect() {
    auto* backdrop = dynamic_cast<ca::BackdropLayer*>(layer().get());
    if (backdrop == nullptr) return;
    backdrop->setIsEnabled(effect_.has_value());
    if (!effect_) return;
    backdrop->setBlurRadius(effect_->blurRadius());
    backdrop->setTintColor(effect_->tintColor());
}

} // namespace pellavo::ui
