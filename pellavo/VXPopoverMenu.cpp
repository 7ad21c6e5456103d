#include "pellavo/VXPopoverMenu.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "pellavo/VXPopoverMenuView.hpp"
#include "platform/cg/AffineTransform.hpp"
#include "platform/dispatch/Queue.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/NotificationCenter.hpp"
#include "platform/ui/event/Application.hpp"
#include "platform/ui/event/Event.hpp"
#include "platform/ui/graphics/Image.hpp"
#include "platform/ui/view/Screen.hpp"
#include "platform/ui/gesture/TapGestureRecognizer.hpp"
#include "platform/ui/event/Touch.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo {

using namespace detail;

namespace {

// The configuration stores anything; a size the menu cannot draw with counts as 0.
double usable(double value) { return std::isfinite(value) && value > 0 ? value : 0; }

[[maybe_unused]] const auto configurationRegistration =
    ns::ClassRegistration<VXConfiguration>("VXConfiguration", "NSObject");
[[maybe_unused]] const auto cellRegistration =
    ns::ClassRegistration<VXPopOverMenuCell>("VXPopOverMenuCell", "UITableViewCell");

} // namespace

// ------------------------------------------------------------------ configuration

VXConfiguration::VXConfiguration()
    : menuRowHeight_(VXDefaultMenuRowHeight),
      menuWidth_(VXDefaultMenuWidth),
      textColor_(ui::Color::white()),
      textFont_(ui::Font::systemFont(14)),
      borderColor_(VXDefaultTintColor()),
      borderWidth_(VXDefaultBorderWidth),
      backgoundTintColor_(VXDefaultTintColor()),
      cornerRadius_(VXDefaultCornerRadius),
      textAlignment_(ns::TextAlignment::left),
      ignoreImageOriginalColor_(false),
      menuSeparatorColor_(ui::Color::lightGray()),
      menuSeparatorInset_(0, VXDefaultCellMargin, 0, VXDefaultCellMargin) {}

const std::shared_ptr<VXConfiguration>& VXConfiguration::shared() {
    // Never destroyed, so no menu outlives it at exit.
    static const auto* instance = new std::shared_ptr<VXConfiguration>(ns::make<VXConfiguration>());
    return *instance;
}

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

// ------------------------------------------------------------------ presenter

namespace uiscreen {
double ft_width() { return ui::Screen::main().bounds().size.width; }
double ft_height() { return ui::Screen::main().bounds().size.height; }
} // namespace uiscreen

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

namespace {

constexpr double kAnimationDuration = 0.2;
constexpr double kShrunkScale = 0.1;
const char* const kTapSelector = "onBackgroudViewTappedWithGesture:";
const char* const kOrientationSelector = "onChangeStatusBarOrientationNotificationWithNotification:";

bool isFiniteRect(const cg::Rect& r) {
    // The centre must be computable too.
    return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width) &&
           std::isfinite(r.size.height) && std::isfinite(r.origin.x + r.size.width) &&
           std::isfinite(r.origin.y + r.size.height);
}

[[maybe_unused]] const auto presenterRegistration =
    ns::ClassRegistration<VXPopOverMenu>("VXPopOverMenu", "NSObject")
        .action(ns::Selector(kTapSelector), &VXPopOverMenu::onBackgroudViewTapped)
        .action(ns::Selector(kOrientationSelector), &VXPopOverMenu::onChangeStatusBarOrientationNotification);

} // namespace

VXPopOverMenu::VXPopOverMenu() : arrowDirection_(VXPopOverMenuArrowDirection::Up) {}

VXPopOverMenu::~VXPopOverMenu() = default;

const std::shared_ptr<VXPopOverMenu>& VXPopOverMenu::sharedMenu() {
    // Never destroyed, like the shared configuration.
    static const auto* instance = new std::shared_ptr<VXPopOverMenu>(ns::make<VXPopOverMenu>());
    return *instance;
}

const std::shared_ptr<VXConfiguration>& VXPopOverMenu::configuration() {
    if (!configuration_) configuration_ = VXConfiguration::shared();
    return configuration_;
}

const std::shared_ptr<ui::View>& VXPopOverMenu::backgroundView() {
    if (!backgroundView_) {
        auto view = ns::make<ui::View>(ui::Screen::main().bounds());
        view->setBackgroundColor(ui::Color::clear());
        view->addGestureRecognizer(tapGesture());
        backgroundView_ = std::move(view);
    }
    return backgroundView_;
}

const std::shared_ptr<ui::TapGestureRecognizer>& VXPopOverMenu::tapGesture() {
    if (!tapGesture_) {
        auto tap = ns::make<ui::TapGestureRecognizer>();
        // Both held weakly by the recogniser.
        tap->addTarget(sharedFromThis(), ns::Selector(kTapSelector));
        tap->setDelegate(sharedFromThis<VXPopOverMenu>());
        tapGesture_ = std::move(tap);
    }
    return tapGesture_;
}

const std::shared_ptr<VXPopOverMenuView>& VXPopOverMenu::popOverMenu() {
    if (!popOverMenu_) {
        auto menu = ns::make<VXPopOverMenuView>(cg::Rect::zero());
        menu->setAlpha(0);
        backgroundView()->addSubview(menu);
        popOverMenu_ = std::move(menu);
    }
    return popOverMenu_;
}

// ---- the public operations

void VXPopOverMenu::showForSender(std::shared_ptr<ui::View> sender, std::vector<ns::String> with, Done done,
                                  Cancel cancel) {
    showForSender(std::move(sender), std::move(with), {}, std::move(done), std::move(cancel));
}

void VXPopOverMenu::showForSender(std::shared_ptr<ui::View> sender, std::vector<ns::String> with,
                                  std::vector<ns::String> menuImageArray, Done done, Cancel cancel) {
    if (!sender) return;
    sharedMenu()->showForSender(std::move(sender), std::nullopt, std::move(with), std::move(menuImageArray),
                                std::move(done), std::move(cancel));
}

void VXPopOverMenu::showForEvent(const ui::Event& event, std::vector<ns::String> with, Done done, Cancel cancel) {
    showForEvent(event, std::move(with), {}, std::move(done), std::move(cancel));
}

void VXPopOverMenu::showForEvent(const ui::Event& event, std::vector<ns::String> with,
                                 std::vector<ns::String> menuImageArray, Done done, Cancel cancel) {
    const auto touch = event.allTouches().first();
    if (!touch) return;
    showForSender(touch->view(), std::move(with), std::move(menuImageArray), std::move(done), std::move(cancel));
}

void VXPopOverMenu::showFromSenderFrame(cg::Rect senderFrame, std::vector<ns::String> with, Done done,
                                        Cancel cancel) {
    showFromSenderFrame(senderFrame, std::move(with), {}, std::move(done), std::move(cancel));
}

void VXPopOverMenu::showFromSenderFrame(cg::Rect senderFrame, std::vector<ns::String> with,
                                        std::vector<ns::String> menuImageArray, Done done, Cancel cancel) {
    sharedMenu()->showForSender(nullptr, senderFrame, std::move(with), std::move(menuImageArray), std::move(done),
                                std::move(cancel));
}

void VXPopOverMenu::dismiss() { sharedMenu()->dismissWithSelectedIndex(-1); }

bool VXPopOverMenu::isShowing() { return sharedMenu()->isOnScreen_; }

// ---- showing

void VXPopOverMenu::showForSender(std::shared_ptr<ui::View> sender, std::optional<cg::Rect> senderFrame,
                                  std::vector<ns::String> with, std::vector<ns::String> menuImageArray, Done done,
                                  Cancel cancel) {
    if (senderFrame && !isFiniteRect(*senderFrame)) senderFrame.reset();
    if (!sender && !senderFrame) return;
    if (with.empty()) return;
    ++generation_;
    sender_ = std::move(sender);
    senderFrame_ = senderFrame;
    menuNameArray_ = std::move(with);
    menuImageArray_ = std::move(menuImageArray);
    done_ = std::move(done);
    cancel_ = std::move(cancel);
    // Adding it again brings it to the front.
    if (auto window = ui::Application::shared().keyWindow()) window->addSubview(backgroundView());
    adjustPostionForPopOverMenu();
}

void VXPopOverMenu::adjustPostionForPopOverMenu() {
    backgroundView()->setFrame({0, 0, uiscreen::ft_width(), uiscreen::ft_height()});
    setupPopOverMenu();
    showIfNeeded();
}

void VXPopOverMenu::setupPopOverMenu() {
    const auto& menu = popOverMenu();
    menu->setTransform(cg::AffineTransform::identity());
    configurePopMenuFrame();
    menu->setFrame(popMenuFrame_);
    menu->setMenuNameArray(menuNameArray_);
    menu->setMenuImageArray(menuImageArray_);
    menu->setArrowDirection(arrowDirection_);
    std::weak_ptr<VXPopOverMenu> weak = sharedFromThis<VXPopOverMenu>();
    menu->done = [weak](int selectedIndex) {
        auto self = weak.lock();
        // A row tapped while the menu closes was already answered for.
        if (!self || !self->isOnScreen_) return;
        self->dismissWithSelectedIndex(selectedIndex);
    };
    menu->repositionMenuTableView();
    menu->drawBackgroundLayerWithArrowPoint(menuArrowPoint_);
    const double width = popMenuFrame_.size.width;
    const double anchorX = width > 0 ? menuArrowPoint_.x / width : 0.5;
    detail::setAnchorPoint(*menu, {anchorX, arrowDirection_ == VXPopOverMenuArrowDirection::Up ? 0.0 : 1.0});
}

double VXPopOverMenu::popMenuHeight() {
    const double rows = menuNameArray_ ? static_cast<double>(menuNameArray_->size()) : 0;
    return usable(configuration()->menuRowHeight()) * rows + VXDefaultMenuArrowHeight;
}

void VXPopOverMenu::configureSenderRect() {
    const double screenHeight = uiscreen::ft_height();
    cg::Rect rect;
    if (sender_) {
        if (auto superview = sender_->superview())
            rect = superview->convertTo(sender_->frame(), backgroundView());
        else
            rect = sender_->frame();
    } else if (senderFrame_) {
        rect = *senderFrame_;
    }
    rect.origin.y = std::min(rect.origin.y, screenHeight);
    senderRect_ = rect;
    const double centreY = rect.origin.y + rect.size.height / 2;
    arrowDirection_ = centreY < screenHeight / 2 ? VXPopOverMenuArrowDirection::Up : VXPopOverMenuArrowDirection::Down;
}

void VXPopOverMenu::configureMenuArrowPoint() {
    const double screenWidth = uiscreen::ft_width();
    const double menuWidth = usable(configuration()->menuWidth());
    const double centreX = senderRect_.origin.x + senderRect_.size.width / 2;
    const double half = menuWidth / 2 + VXDefaultMargin;
    double x = menuWidth / 2;
    if (screenWidth < centreX + half) {
        x = std::min(menuWidth - VXDefaultMenuArrowWidth - VXDefaultMargin,
                     centreX - (screenWidth - menuWidth - VXDefaultMargin));
    } else if (centreX - half < 0) {
        x = std::max(VXDefaultMenuCornerRadius + VXDefaultMenuArrowWidth, centreX - VXDefaultMargin);
    }
    menuArrowPoint_ = {x, 0};
}

void VXPopOverMenu::configurePopMenuOriginX() {
    const double screenWidth = uiscreen::ft_width();
    const double menuWidth = usable(configuration()->menuWidth());
    const double centreX = senderRect_.origin.x + senderRect_.size.width / 2;
    const double half = menuWidth / 2 + VXDefaultMargin;
    if (screenWidth < centreX + half)
        popMenuOriginX_ = screenWidth - menuWidth - VXDefaultMargin;
    else if (centreX - half < 0)
        popMenuOriginX_ = VXDefaultMargin;
    else
        popMenuOriginX_ = centreX - menuWidth / 2;
}

void VXPopOverMenu::configurePopMenuFrame() {
    configureSenderRect();
    configureMenuArrowPoint();
    configurePopMenuOriginX();
    const double screenHeight = uiscreen::ft_height();
    const double menuWidth = usable(configuration()->menuWidth());
    const double height = popMenuHeight();
    const double x = popMenuOriginX_;
    const double y = senderRect_.origin.y;
    const double bottom = y + senderRect_.size.height;
    // A sender too close to the edge leaves no room: an empty panel, never a flipped one.
    if (arrowDirection_ == VXPopOverMenuArrowDirection::Down) {
        if (y - height < 0)
            popMenuFrame_ = {x, VXDefaultMargin, menuWidth, std::max(0.0, y - VXDefaultMargin)};
        else
            popMenuFrame_ = {x, y - height, menuWidth, height};
    } else {
        double h = height;
        if (bottom + height > screenHeight) h = std::max(0.0, screenHeight - bottom - VXDefaultMargin);
        popMenuFrame_ = {x, bottom, menuWidth, h};
    }
}

void VXPopOverMenu::showIfNeeded() {
    if (isOnScreen_) return;
    isOnScreen_ = true;
    if (!orientationObserver_) {
        std::weak_ptr<VXPopOverMenu> weak = sharedFromThis<VXPopOverMenu>();
        orientationObserver_ = ns::NotificationCenter::defaultCenter().addObserver(
            ns::UIApplicationDidChangeStatusBarOrientationNotification, nullptr, [weak](const ns::Notification&) {
                if (auto self = weak.lock()) self->onChangeStatusBarOrientationNotification(nullptr);
            });
    }
    const auto menu = popOverMenu();
    menu->setTransform(cg::AffineTransform::makeScale(kShrunkScale, kShrunkScale));
    ui::View::animate(kAnimationDuration, [menu] {
        menu->setAlpha(1);
        menu->setTransform(cg::AffineTransform::identity());
    });
}

// ---- ending

void VXPopOverMenu::dismissWithSelectedIndex(int selectedIndex) {
    isOnScreen_ = false;
    if (orientationObserver_) {
        ns::NotificationCenter::defaultCenter().removeObserver(orientationObserver_.get());
        orientationObserver_.reset();
    }
    doneActionWithSelectedIndex(selectedIndex);
}

void VXPopOverMenu::doneActionWithSelectedIndex(int selectedIndex) {
    const auto menu = popOverMenu();
    const std::uint64_t generation = generation_;
    std::weak_ptr<VXPopOverMenu> weak = sharedFromThis<VXPopOverMenu>();
    ui::View::animate(
        kAnimationDuration,
        [menu] {
            menu->setAlpha(0);
            menu->setTransform(cg::AffineTransform::makeScale(kShrunkScale, kShrunkScale));
        },
        [weak, generation, selectedIndex](bool finished) {
            auto self = weak.lock();
            // A newer show took the menu over meanwhile: this close has nothing left to end.
            if (!self || !finished || self->generation_ != generation) return;
            if (self->backgroundView_) self->backgroundView_->removeFromSuperview();
            if (selectedIndex < 0) {
                const auto cancel = self->cancel_;
                if (cancel) cancel();
            } else {
                const auto done = self->done_;
                if (done) done(selectedIndex);
            }
        });
}

// ---- actions and the recogniser's delegate

void VXPopOverMenu::onBackgroudViewTapped(ui::GestureRecognizer*) {
    // A tap while the menu closes is swallowed: the close already answers.
    if (!isOnScreen_) return;
    dismissWithSelectedIndex(-1);
}

void VXPopOverMenu::onChangeStatusBarOrientationNotification(ns::Notification*) {
    std::weak_ptr<VXPopOverMenu> weak = sharedFromThis<VXPopOverMenu>();
    dispatch::Queue::main().asyncAfter(kAnimationDuration, [weak] {
        auto self = weak.lock();
        // A menu closed meanwhile stays closed.
        if (!self || !self->isOnScreen_) return;
        self->adjustPostionForPopOverMenu();
    });
}

bool VXPopOverMenu::gestureRecognizerShouldReceive(ui::GestureRecognizer&, ui::Touch& touch) {
    if (!isOnScreen_) return false;
    const cg::Point location = touch.location(backgroundView_.get());
    const auto view = touch.view();
    // Touches on a row's content go to the table, which reports the row.
    if (view && view->className() == "UITableViewCellContentView") return false;
    const auto& config = configuration();
    const cg::Rect topLeft{0, 0, usable(config->menuWidth()), usable(config->menuRowHeight())};
    if (topLeft.contains(location)) {
        dismissWithSelectedIndex(0);
        return false;
    }
    return true;
}

} // namespace pellavo
