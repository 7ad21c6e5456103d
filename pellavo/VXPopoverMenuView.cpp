#include "pellavo/VXPopoverMenuView.hpp"

#include <cmath>

#include "pellavo/VXPopoverMenu.hpp"
#include "platform/ca/ShapeLayer.hpp"
#include "platform/ui/control/ImageView.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/graphics/BezierPath.hpp"
#include "platform/ui/graphics/Image.hpp"
#include "platform/ui/scroll/TableView.hpp"

namespace pellavo {

namespace {

// The configuration stores anything; a size the menu cannot draw with counts as 0.
double usable(double value) { return std::isfinite(value) && value > 0 ? value : 0; }

} // namespace

namespace detail {

ui::Color VXDefaultTintColor() {
    static const ui::Color color(80 / 255.0, 80 / 255.0, 80 / 255.0, 1);
    return color;
}

// ------------------------------------------------------------------ view

VXPopOverMenuView::VXPopOverMenuView(const cg::Rect& frame) : ui::Control(frame) {}

const std::shared_ptr<VXConfiguration>& VXPopOverMenuView::configuration() {
    if (!configuration_) configuration_ = VXConfiguration::shared();
    return configuration_;
}

const std::shared_ptr<ui::TableView>& VXPopOverMenuView::menuTableView() {
    if (!menuTableView_) {
        auto table = ns::make<ui::TableView>(cg::Rect{}, ui::TableView::Style::plain);
        table->setBackgroundColor(ui::Color::clear());
        auto self = sharedFromThis<VXPopOverMenuView>();
        table->setDelegate(self);
        table->setDataSource(self);
        // Read once: later changes of these two never reach the table.
        table->setSeparatorColor(configuration()->menuSeparatorColor());
        table->layer()->setCornerRadius(usable(configuration()->cornerRadius()));
        table->layer()->setMasksToBounds(true);
        menuTableView_ = std::move(table);
    }
    return menuTableView_;
}

const std::shared_ptr<ca::ShapeLayer>& VXPopOverMenuView::backgroundLayer() {
    if (!backgroundLayer_) backgroundLayer_ = ns::make<ca::ShapeLayer>();
    return backgroundLayer_;
}

void VXPopOverMenuView::repositionMenuTableView() {
    const cg::Size size = frame().size;
    const double width = usable(size.width);
    const double top = arrowDirection_ == VXPopOverMenuArrowDirection::Down ? 0 : VXDefaultMenuArrowHeight;
    // A view lower than the arrow strip gets an empty table rather than a flipped one.
    const double height = std::max(0.0, usable(size.height) - VXDefaultMenuArrowHeight);
    const auto& table = menuTableView();
    table->setFrame({0, top, width, height});
    table->reloadData();
    const double rows = menuNameArray_ ? static_cast<double>(menuNameArray_->size()) : 0;
    table->setIsScrollEnabled(height < usable(configuration()->menuRowHeight()) * rows);
    addSubview(table);
}

void VXPopOverMenuView::drawBackgroundLayerWithArrowPoint(cg::Point arrowPoint) {
    const auto& shape = backgroundLayer();
    // Changed while outside the tree, so nothing animates implicitly.
    if (shape->superlayer()) shape->removeFromSuperlayer();
    const auto& config = configuration();
    shape->setPath(getBackgroundPath(arrowPoint).cgPath());
    shape->setFillColor(config->backgoundTintColor().cgColor());
    shape->setStrokeColor(config->borderColor().cgColor());
    shape->setLineWidth(usable(config->borderWidth()));
    layer()->insertSublayer(shape, 0);
}

ui::BezierPath VXPopOverMenuView::getBackgroundPath(cg::Point arrowPoint) {
    constexpr double halfPi = 1.5707963267948966;
    constexpr double pi = 3.141592653589793;
    constexpr double threeHalvesPi = 4.71238898038469;
    const double w = usable(bounds().size.width);
    const double h = usable(bounds().size.height);
    const double x = std::isfinite(arrowPoint.x) ? arrowPoint.x : w / 2;
    const double r = usable(configuration()->cornerRadius()) * 0.5;
    constexpr double aw = VXDefaultMenuArrowWidth;
    constexpr double ah = VXDefaultMenuArrowHeight;

    ui::BezierPath path;
    path.setLineJoinStyle(cg::LineJoin::round);
    path.setLineCapStyle(cg::LineCap::round);
    if (arrowDirection_ == VXPopOverMenuArrowDirection::Up) {
        path.move({x - aw, ah});
        path.addLine({x, 0});
        path.addLine({x + aw, ah});
        path.addLine({w - r, ah});
        path.addArc({w - r, ah + r}, r, threeHalvesPi, 0, true);
        path.addLine({w, h - r});
        path.addArc({w - r, h - r}, r, 0, halfPi, true);
        path.addLine({r, h});
        path.addArc({r, h - r}, r, halfPi, pi, true);
        path.addLine({0, ah + r});
        path.addArc({r, ah + r}, r, pi, threeHalvesPi, true);
    } else {
        path.move({x - aw, h - ah});
        path.addLine({x, h});
        path.addLine({x + aw, h - ah});
        path.addLine({w - r, h - ah});
        path.addArc({w - r, h - ah - r}, r, halfPi, 0, false);
        path.addLine({w, r});
        path.addArc({w - r, r}, r, 0, threeHalvesPi, false);
        path.addLine({r, 0});
        path.addArc({r, r}, r, threeHalvesPi, pi, false);
        path.addLine({0, h - ah - r});
        path.addArc({r, h - ah - r}, r, pi, halfPi, false);
    }
    path.close();
    return path;
}

int VXPopOverMenuView::numberOfRowsInSection(ui::TableView&, int) {
    return menuNameArray_ ? static_cast<int>(std::min<std::size_t>(menuNameArray_->size(), 1 << 20)) : 0;
}

double VXPopOverMenuView::heightForRowAt(ui::TableView&, ns::IndexPath) {
    return usable(configuration()->menuRowHeight());
}

std::shared_ptr<ui::TableViewCell> VXPopOverMenuView::cellForRowAt(ui::TableView&, ns::IndexPath indexPath) {
    auto cell = ns::make<VXPopOverMenuCell>(ui::TableViewCell::Style::defaultStyle,
                                            ns::String(VXPopOverMenuTableViewCellIndentifier));
    const int count = menuNameArray_ ? static_cast<int>(menuNameArray_->size()) : 0;
    const int row = indexPath.row;
    if (row < 0 || row >= count) return cell;
    const auto index = static_cast<std::size_t>(row);
    ns::String image;
    if (menuImageArray_ && menuImageArray_->size() > index) image = (*menuImageArray_)[index];
    cell->setupCellWith((*menuNameArray_)[index], image);
    if (row == count - 1) {
        // Pushes the last separator out of sight.
        cell->setSeparatorInset({0, bounds().size.width, 0, 0});
    } else {
        cell->setSeparatorInset(configuration()->menuSeparatorInset());
    }
    return cell;
}

void VXPopOverMenuView::didSelectRowAt(ui::TableView& tableView, ns::IndexPath indexPath) {
    // `done` may end the menu; keep this view and the closure alive until it returns.
    auto self = sharedFromThis();
    tableView.deselectRow(indexPath, true);
    auto callback = done;
    if (callback) callback(indexPath.row);
}

// ------------------------------------------------------------------ cell

VXPopOverMenuCell::VXPopOverMenuCell(Style style, std::optional<ns::String> reuseIdentifier)
    : ui::TableViewCell(style, std::move(reuseIdentifier)) {}

const std::shared_ptr<VXConfiguration>& VXPopOverMenuCell::configuration() {
    if (!configuration_) configuration_ = VXConfiguration::shared();
    return configuration_;
}

const std::shared_ptr<ui::ImageView>& VXPopOverMenuCell::iconImageView() {
    if (!iconImageView_) {
        iconImageView_ = ns::make<ui::ImageView>(cg::Rect{});
        iconImageView_->setBackgroundColor(ui::Color::clear());
        iconImageView_->setContentMode(ui::View::ContentMode::scaleAspectFit);
        contentView()->addSubview(iconImageView_);
    }
    return iconImageView_;
}

const std::shared_ptr<ui::Label>& VXPopOverMenuCell::nameLabel() {
    if (!nameLabel_) {
        nameLabel_ = ns::make<ui::Label>(cg::Rect{});
        nameLabel_->setBackgroundColor(ui::Color::clear());
        contentView()->addSubview(nameLabel_);
    }
    return nameLabel_;
}

void VXPopOverMenuCell::setupCellWith(const ns::String& menuName, std::optional<ns::String> menuImage) {
    constexpr double m = VXDefaultCellMargin;
    constexpr double s = VXDefaultMenuIconSize;
    const auto& config = configuration();
    const double h = usable(config->menuRowHeight());
    const double w = usable(config->menuWidth());
    setBackgroundColor(ui::Color::clear());
    if (menuImage) {
        ui::Image image = menuImage->isEmpty() ? ui::Image() : ui::Image::named(menuImage->utf8());
        if (!image.isEmpty()) {
            if (config->ignoreImageOriginalColor()) image = image.withRenderingMode(ui::ImageRenderingMode::alwaysTemplate);
            const auto& icon = iconImageView();
            icon->setTintColor(config->textColor());
            icon->setFrame({m, (h - s) / 2, s, s});
            icon->setImage(image);
            nameLabel()->setFrame({2 * m + s, (h - s) / 2, std::max(0.0, w - s - 3 * m), s});
        } else {
            nameLabel()->setFrame({m, 0, std::max(0.0, w - 2 * m), h});
        }
    }
    const auto& label = nameLabel();
    label->setFont(config->textFont());
    label->setTextColor(config->textColor());
    label->setTextAlignment(config->textAlignment());
    label->setText(menuName);
}

} // namespace detail

namespace detail {

void setAnchorPoint(ui::View& view, cg::Point anchorPoint) {
    if (!std::isfinite(anchorPoint.x) || !std::isfinite(anchorPoint.y)) return;
    const auto& layer = view.layer();
    const cg::Size size = view.bounds().size;
    const cg::Point current = layer->anchorPoint();
    const cg::AffineTransform transform = view.transform();
    const cg::Point newPoint = cg::Point{size.width * anchorPoint.x, size.height * anchorPoint.y}.applying(transform);
    const cg::Point oldPoint = cg::Point{size.width * current.x, size.height * current.y}.applying(transform);
    cg::Point position = layer->position();
    position.x += newPoint.x - oldPoint.x;
    position.y += newPoint.y - oldPoint.y;
    layer->setPosition(position);
    layer->setAnchorPoint(anchorPoint);
}

} // namespace detail

} // namespace pellavo
