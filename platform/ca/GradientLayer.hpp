#pragma once

#include <optional>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ca/Layer.hpp"

namespace pellavo::ca {

// An axial gradient filling the rounded bounds. Start and end are unit
// coordinates of the bounds; colours extend past both ends.
class PELLAVO_EXPORT GradientLayer : public Layer {
public:
    GradientLayer() = default;
    std::string_view className() const override { return "CAGradientLayer"; }

    const std::vector<cg::Color>& colors() const { return gradient_.colors; }
    void setColors(std::vector<cg::Color> colors);
    // Missing, or a count other than the colours', spaces the colours evenly.
    const std::optional<std::vector<double>>& locations() const { return gradient_.locations; }
    void setLocations(std::optional<std::vector<double>> locations);
    cg::Point startPoint() const { return gradient_.startPoint; }
    void setStartPoint(cg::Point point);
    cg::Point endPoint() const { return gradient_.endPoint; }
    void setEndPoint(cg::Point point);

    void snapshot(LayerSnapshot& snapshot) const override;
    std::shared_ptr<Layer> cloneLayer() const override;

protected:
    void adoptSnapshot(const LayerSnapshot& snapshot) override;

private:
    GradientProperties gradient_;
};

} // namespace pellavo::ca
