#pragma once

#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/ca/Layer.hpp"

namespace pellavo::ca {

// A layer that shows the pixels already drawn beneath it, blurred (σ in points)
// and washed with a tint, clipped to its bounds and corner radius. Its background,
// contents and sublayers draw over that as usual.
class PELLAVO_EXPORT BackdropLayer : public Layer {
public:
    BackdropLayer() = default;
    std::string_view className() const override { return "CABackdropLayer"; }

    // Off: the layer draws like a plain one.
    bool isEnabled() const { return enabled_; }
    void setIsEnabled(bool enabled) { change(enabled_, enabled, "enabled"); }
    // σ in points; NaN, infinite or negative values are ignored.
    cg::Float blurRadius() const { return blurRadius_; }
    void setBlurRadius(cg::Float radius);
    std::optional<cg::Color> tintColor() const { return tintColor_; }
    void setTintColor(std::optional<cg::Color> color) { change(tintColor_, color, "tintColor"); }

    bool needsBackdrop() const override { return enabled_; }
    void drawBackdrop(cg::Context& context, const cg::Image& backdrop) const override;
    std::shared_ptr<Layer> cloneLayer() const override;

private:
    bool enabled_ = true;
    cg::Float blurRadius_ = 20;
    std::optional<cg::Color> tintColor_;
};

} // namespace pellavo::ca
