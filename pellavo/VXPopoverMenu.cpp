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


// ------------------------------------------------------------------ presenter

namespace uiscreen {
double ft_width() { return ui::Screen::main().bounds().size.width; }
double ft_height() { return ui::Screen::main().bounds().size.height; }
} // namespace uiscreen


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
