#pragma once

// Internal to the library: the pop-over menu's panel, its rows and its fixed sizes.
// Not installed, not part of Pellavo.hpp.

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "pellavo/VXPopoverMenu.hpp"
#include "platform/ca/ShapeLayer.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/graphics/BezierPath.hpp"
#include "platform/ui/control/Control.hpp"
#include "platform/ui/control/ImageView.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/scroll/TableView.hpp"
#include "platform/ui/scroll/TableViewCell.hpp"
#include "platform/ui/scroll/TableViewDataSource.hpp"
#include "platform/ui/scroll/TableViewDelegate.hpp"

namespace pellavo::detail {

inline constexpr double VXDefaultMargin = 4;
inline constexpr double VXDefaultCellMargin = 6;
inline constexpr double VXDefaultMenuIconSize = 24;
inline constexpr double VXDefaultMenuCornerRadius = 4;
inline constexpr double VXDefaultMenuArrowWidth = 8;
inline constexpr double VXDefaultMenuArrowHeight = 10;
inline constexpr double VXDefaultBorderWidth = 0.5;
inline constexpr double VXDefaultCornerRadius = 6;
inline constexpr double VXDefaultMenuRowHeight = 40;
inline constexpr double VXDefaultMenuWidth = 120;
// Grey 80/255, opaque.
ui::Color VXDefaultTintColor();

inline constexpr const char* VXPopOverMenuTableViewCellIndentifier = "VXPopOverMenuTableViewCellIndentifier";

enum class VXPopOverMenuArrowDirection : int { Up = 0, Down = 1 };

// The panel: a shape layer drawing the rounded outline with its arrow, under a plain
// table of rows. The presenter sets the frame and the data, then calls
// repositionMenuTableView() and drawBackgroundLayerWithArrowPoint().
class VXPopOverMenuView : public ui::Control, public ui::TableViewDataSource, public ui::TableViewDelegate {
public:
    explicit VXPopOverMenuView(const cg::Rect& frame = {});
    explicit VXPopOverMenuView(const ns::Coder& coder) : ui::Control(coder) {}

    std::optional<std::vector<ns::String>> menuNameArray() const { return menuNameArray_; }
    void setMenuNameArray(std::optional<std::vector<ns::String>> names) { menuNameArray_ = std::move(names); }
    std::optional<std::vector<ns::String>> menuImageArray() const { return menuImageArray_; }
    void setMenuImageArray(std::optional<std::vector<ns::String>> names) { menuImageArray_ = std::move(names); }
    VXPopOverMenuArrowDirection arrowDirection() const { return arrowDirection_; }
    void setArrowDirection(VXPopOverMenuArrowDirection direction) { arrowDirection_ = direction; }
    // Called with the tapped row.
    std::function<void(int)> done;

    const std::shared_ptr<VXConfiguration>& configuration();
    const std::shared_ptr<ui::TableView>& menuTableView();
    const std::shared_ptr<ca::ShapeLayer>& backgroundLayer();

    void repositionMenuTableView();
    void drawBackgroundLayerWithArrowPoint(cg::Point arrowPoint);
    // Only the arrow point's x is used; the tip lies on the top (Up) or bottom edge.
    ui::BezierPath getBackgroundPath(cg::Point arrowPoint);

    int numberOfRowsInSection(ui::TableView& tableView, int section) override;
    double heightForRowAt(ui::TableView& tableView, ns::IndexPath indexPath) override;
    std::shared_ptr<ui::TableViewCell> cellForRowAt(ui::TableView& tableView, ns::IndexPath indexPath) override;
    void didSelectRowAt(ui::TableView& tableView, ns::IndexPath indexPath) override;

private:
    std::optional<std::vector<ns::String>> menuNameArray_;
    std::optional<std::vector<ns::String>> menuImageArray_;
    VXPopOverMenuArrowDirection arrowDirection_ = VXPopOverMenuArrowDirection::Up;
    std::shared_ptr<VXConfiguration> configuration_;
    std::shared_ptr<ui::TableView> menuTableView_;
    std::shared_ptr<ca::ShapeLayer> backgroundLayer_;
};

// One row: an optional icon and a name.
class VXPopOverMenuCell : public ui::TableViewCell {
public:
    explicit VXPopOverMenuCell(Style style = Style::defaultStyle,
                               std::optional<ns::String> reuseIdentifier = std::nullopt);
    explicit VXPopOverMenuCell(const ns::Coder& coder) : ui::TableViewCell(coder) {}
    std::string_view className() const override { return "VXPopOverMenuCell"; }

    const std::shared_ptr<VXConfiguration>& configuration();
    const std::shared_ptr<ui::ImageView>& iconImageView();
    const std::shared_ptr<ui::Label>& nameLabel();

    // With an image name the icon (when the bundle has it) and the label are framed;
    // without one neither frame is touched.
    void setupCellWith(const ns::String& menuName, std::optional<ns::String> menuImage);

private:
    std::shared_ptr<VXConfiguration> configuration_;
    std::shared_ptr<ui::ImageView> iconImageView_;
    std::shared_ptr<ui::Label> nameLabel_;
};

// Moves the view's layer anchor point without moving the view on screen, under any
// transform: the point that scaling keeps fixed.
void setAnchorPoint(ui::View& view, cg::Point anchorPoint);

} // namespace pellavo::detail
