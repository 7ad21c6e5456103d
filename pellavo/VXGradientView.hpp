#pragma once

#include <array>
#include <memory>
#include <utility>

#include "platform/ns/Export.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::ca {
class GradientLayer;
}

namespace pellavo::ui {
class VisualEffectView;
}

namespace pellavo {

// A two-colour linear gradient, drawn by a gradient layer that the first drawing pass
// makes and inserts at the bottom of the view's layer. Until then settings are only
// stored; afterwards each change reaches the live layer at once, and every drawing
// pass re-applies all of them. With the blur on, a light backdrop blur sits directly
// below a translucent version of the gradient.
class PELLAVO_EXPORT VXGradientView : public ui::View {
public:
    explicit VXGradientView(const cg::Rect& frame = {});
    // From an interface file: the decoded frame and the same defaults.
    explicit VXGradientView(const ns::Coder& coder);
    std::string_view className() const override { return "VXGradientView"; }

    ui::Color firstColor() const { return firstColor_; }
    void setFirstColor(ui::Color color);
    ui::Color secondColor() const { return secondColor_; }
    void setSecondColor(ui::Color color);
    // Degrees. Every assignment stores the value plus 45, wrapped into a turn (a value
    // below -405 stays negative), so 90 reads back 135 and runs left to right; the
    // default 45 runs top to bottom. Non-finite values are ignored.
    float angleº() const { return angle_; }
    void setAngleº(float angle);
    // Where the colour transition is centred, in [0, 1] of the gradient's length.
    float colorRatio() const { return colorRatio_; }
    void setColorRatio(float ratio);
    // The transition's width as a share of the distance from the ratio to the nearer
    // end: 1 reaches that end, 0 is a hard edge.
    float fadeIntensity() const { return fadeIntensity_; }
    void setFadeIntensity(float intensity);
    bool isBlur() const { return isBlur_; }
    void setIsBlur(bool blur);
    // The colours' alpha while blurred is 0.9 - 0.5 × blurOpacity.
    float blurOpacity() const { return blurOpacity_; }
    void setBlurOpacity(float opacity);
    // The blur view's layer while the blur is on.
    std::shared_ptr<ca::Layer> blurLayer() const { return blurLayer_; }
    void setBlurLayer(std::shared_ptr<ca::Layer> layer) { blurLayer_ = std::move(layer); }
    // Made by the first drawing pass. A layer the host assigns is only stored.
    std::shared_ptr<ca::GradientLayer> gradientLayer() const { return gradientLayer_; }
    void setGradientLayer(std::shared_ptr<ca::GradientLayer> layer);

    void draw(cg::Rect rect) override;

private:
    // The layer's colours become the two colours, opaque as given.
    void updateColors();
    // Adds or removes the blur layer; while blurred, the colours turn translucent.
    void checkBlurStatusAndUpdateOpacity();
    // Start and end, in unit coordinates, for the stored angle.
    std::pair<cg::Point, cg::Point> startEndPoints() const;
    std::array<float, 2> locations() const;
    void applyPoints();
    void applyLocations();

    static bool registerWithRuntime();
    static const bool registered_;

    ui::Color firstColor_ = ui::Color::white();
    ui::Color secondColor_ = ui::Color::white();
    float angle_ = 45;
    float colorRatio_ = 0.5f;
    float fadeIntensity_ = 1;
    bool isBlur_ = false;
    float blurOpacity_ = 0;
    std::shared_ptr<ui::VisualEffectView> blurView_;
    std::shared_ptr<ca::Layer> blurLayer_;
    std::shared_ptr<ca::GradientLayer> gradientLayer_;
};

} // namespace pellavo
