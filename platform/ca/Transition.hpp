#pragma once

#include "platform/ns/Export.hpp"
#include "platform/ca/Animation.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/cg/Image.hpp"

namespace pellavo::ca {

enum class TransitionType { fade };

// Fades from a picture of the layer taken before a change to the live layer. It
// animates no property: evaluation reports its progress, which the renderer of a
// view transition reads.
class PELLAVO_EXPORT Transition : public Animation {
public:
    std::string_view className() const override { return "CATransition"; }

    TransitionType type() const { return properties_.type; }
    void setType(TransitionType type);
    // The picture to fade from and the bounds (in the layer's own space) it shows;
    // without a picture the transition reports its progress and nothing is drawn.
    const cg::ImageRef& fromImage() const { return properties_.fromImage; }
    const cg::Rect& fromBounds() const { return properties_.fromBounds; }
    void setFromImage(cg::ImageRef image, const cg::Rect& bounds);

    std::shared_ptr<Animation> copy() const override;
    void apply(double t, PresentationState& state, double fallbackDuration = defaultDuration) const override;

private:
    // Everything a copy takes, with the defaults.
    struct Properties {
        TransitionType type = TransitionType::fade;
        cg::ImageRef fromImage;
        cg::Rect fromBounds;
    };

    Properties properties_;
};

} // namespace pellavo::ca
