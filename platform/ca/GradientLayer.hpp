#pragma once

#include <optional>
#include <vector>

#include "platform/ca/Layer.hpp"

namespace pellavo::ca {

// An axial gradient filling the rounded bounds. Start and end are unit
// coordinates of the bounds; colours extend past both ends.
class GradientLayer : public Layer {
public:
    GradientLayer() = default;
    std::string_view className() const override { return "CAGradientLayer"; }

    const std::vector<cg::Color>& colors() const { return colors_; }
    void setColors(std::vector<cg::Color> colors);
    // Missing, or a count other than the colours', spaces the colours evenly.
    const std::optional<std::vector<double>>& locations() const { return locations_; }
    void setLocations(std::optional<std::vector<double>> locations);
    cg::Point startPoint() const { return startPoint_; }
    void setStartPoint(cg::Point point);
    cg::Point endPoint() const { return endPoint_; }
    void setEndPoint(cg::Point point);

    void snapshot(LayerSnapshot& snapshot) const override;
    std::shared_ptr<Layer> cloneLayer() const override;

protected:
    void adoptSnapshot(const LayerSnapshot& snapshot) override;

private:
    std::vector<cg::Color> colors_;
    std::optional<std::vector<double>> locations_;
    cg::Point startPoint_{0.5, 0};
    cg::Point endPoint_{0.5, 1};
};

} // namespace pellavo::ca
