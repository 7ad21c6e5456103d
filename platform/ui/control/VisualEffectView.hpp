#pragma once

#include <memory>
#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/ui/control/BlurEffect.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::ca {
class BackdropLayer;
}

namespace pellavo::ui {

// Shows what is drawn behind it blurred and washed with the effect's colour,
// clipped to its bounds and corner radius. Without an effect it shows nothing.
class PELLAVO_EXPORT VisualEffectView : public View {
public:
    explicit VisualEffectView(std::optional<BlurEffect> effect = std::nullopt);
    std::string_view className() const override { return "UIVisualEffectView"; }

    const std::optional<BlurEffect>& effect() const { return effect_; }
    void setEffect(std::optional<BlurEffect> effect);

protected:
    std::shared_ptr<ca::Layer> makeLayer() override;
    void init() override;

private:
    void applyEffect();

    std::optional<BlurEffect> effect_;
};

} // namespace pellavo::ui
