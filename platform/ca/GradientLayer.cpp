#include "platform/ca/GradientLayer.hpp"

namespace pellavo::ca {

void GradientLayer::setColors(std::vector<cg::Color> colors) {
    if (colors == gradient_.colors) return;
    willChangeValue("colors");
    gradient_.colors = std::move(colors);
    didChangeValue("colors");
}

void GradientLayer::setLocations(std::optional<std::vector<double>> locations) {
    // Stored as given; NaN reads as 0 when drawn.
    if (locations == gradient_.locations) return;
    willChangeValue("locations");
    gradient_.locations = std::move(locations);
    didChangeValue("locations");
}

void GradientLayer::setStartPoint(cg::Point point) { changeFinite(gradient_.startPoint, point, "startPoint"); }

void GradientLayer::setEndPoint(cg::Point point) { changeFinite(gradient_.endPoint, point, "endPoint"); }

void GradientLayer::snapshot(LayerSnapshot& s) const {
    Layer::snapshot(s);
    s.kind = LayerSnapshot::Kind::gradient;
    s.gradient = gradient_;
}

void GradientLayer::adoptSnapshot(const LayerSnapshot& s) {
    Layer::adoptSnapshot(s);
    gradient_ = s.gradient;
}

std::shared_ptr<Layer> GradientLayer::cloneLayer() const {
    auto clone = ns::make<GradientLayer>();
    copyPropertiesTo(*clone);
    return clone;
}

} // namespace pellavo::ca
