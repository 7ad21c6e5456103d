#include "platform/ca/GradientLayer.hpp"

namespace pellavo::ca {

void GradientLayer::setColors(std::vector<cg::Color> colors) {
    if (colors == colors_) return;
    willChangeValue("colors");
    colors_ = std::move(colors);
    didChangeValue("colors");
}

void GradientLayer::setLocations(std::optional<std::vector<double>> locations) {
    // Stored as given; NaN reads as 0 when drawn.
    if (locations == locations_) return;
    willChangeValue("locations");
    locations_ = std::move(locations);
    didChangeValue("locations");
}

void GradientLayer::setStartPoint(cg::Point point) {
    if (!acceptFinite(point.isFinite(), "startPoint")) return;
    change(startPoint_, point, "startPoint");
}

void GradientLayer::setEndPoint(cg::Point point) {
    if (!acceptFinite(point.isFinite(), "endPoint")) return;
    change(endPoint_, point, "endPoint");
}

void GradientLayer::snapshot(LayerSnapshot& s) const {
    Layer::snapshot(s);
    s.kind = LayerSnapshot::Kind::gradient;
    s.colors = colors_;
    s.locations = locations_;
    s.startPoint = startPoint_;
    s.endPoint = endPoint_;
}

void GradientLayer::adoptSnapshot(const LayerSnapshot& s) {
    Layer::adoptSnapshot(s);
    colors_ = s.colors;
    locations_ = s.locations;
    startPoint_ = s.startPoint;
    endPoint_ = s.endPoint;
}

std::shared_ptr<Layer> GradientLayer::cloneLayer() const {
    auto clone = ns::make<GradientLayer>();
    copyPropertiesTo(*clone);
    return clone;
}

} // namespace pellavo::ca
