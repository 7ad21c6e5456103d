#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ns/Object.hpp"
#include "platform/ns/ParagraphStyle.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/view/EdgeInsets.hpp"
#include "platform/ui/text/Font.hpp"
#include "platform/ui/gesture/GestureRecognizerDelegate.hpp"

namespace pellavo::ns {
class Notification;
}
namespace pellavo::ui {
class Event;
class GestureRecognizer;
class TapGestureRecognizer;
class Touch;
class View;
} // namespace pellavo::ui

namespace pellavo {

namespace detail {
class VXPopOverMenuView;
enum class VXPopOverMenuArrowDirection : int;
} // namespace detail

// The look of every pop-over menu. Menus read only the shared instance; change its
// properties before showing a menu. Setters store what they are given; the menu
// treats a size that is not finite or is negative as 0 when it reads it.
class PELLAVO_EXPORT VXConfiguration : public ns::Object {
public:
    VXConfiguration();
    std::string_view className() const override { return "VXConfiguration"; }

    // Made on first use (from any thread) and kept for the life of the process.
    static const std::shared_ptr<VXConfiguration>& shared();

    double menuRowHeight() const { return menuRowHeight_; }
    void setMenuRowHeight(double height) { menuRowHeight_ = height; }
    double menuWidth() const { return menuWidth_; }
    void setMenuWidth(double width) { menuWidth_ = width; }
    ui::Color textColor() const { return textColor_; }
    void setTextColor(ui::Color color) { textColor_ = color; }
    ui::Font textFont() const { return textFont_; }
    void setTextFont(ui::Font font) { textFont_ = font; }
    ui::Color borderColor() const { return borderColor_; }
    void setBorderColor(ui::Color color) { borderColor_ = color; }
    double borderWidth() const { return borderWidth_; }
    void setBorderWidth(double width) { borderWidth_ = width; }
    ui::Color backgoundTintColor() const { return backgoundTintColor_; }
    void setBackgoundTintColor(ui::Color color) { backgoundTintColor_ = color; }
    double cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(double radius) { cornerRadius_ = radius; }
    ns::TextAlignment textAlignment() const { return textAlignment_; }
    void setTextAlignment(ns::TextAlignment alignment) { textAlignment_ = alignment; }
    bool ignoreImageOriginalColor() const { return ignoreImageOriginalColor_; }
    void setIgnoreImageOriginalColor(bool ignore) { ignoreImageOriginalColor_ = ignore; }
    ui::Color menuSeparatorColor() const { return menuSeparatorColor_; }
    void setMenuSeparatorColor(ui::Color color) { menuSeparatorColor_ = color; }
    ui::EdgeInsets menuSeparatorInset() const { return menuSeparatorInset_; }
    void setMenuSeparatorInset(ui::EdgeInsets inset) { menuSeparatorInset_ = inset; }

private:
    double menuRowHeight_;
    double menuWidth_;
    ui::Color textColor_;
    ui::Font textFont_;
    ui::Color borderColor_;
    double borderWidth_;
    ui::Color backgoundTintColor_;
    double cornerRadius_;
    ns::TextAlignment textAlignment_;
    bool ignoreImageOriginalColor_;
    ui::Color menuSeparatorColor_;
    ui::EdgeInsets menuSeparatorInset_;
};

// The width and the height of the main screen's bounds.
namespace uiscreen {
PELLAVO_EXPORT double ft_width();
PELLAVO_EXPORT double ft_height();
} // namespace uiscreen

// A short list of names in a rounded panel whose arrow points at a sender: a view, the
// view of a touch event, or a rectangle in screen coordinates. The panel opens below a
// sender in the upper half of the screen and above one in the lower half, stays 4 pt
// inside the screen and grows out of its arrow tip. A tap on a row reports it through
// `done` 0.2 s later; any other tap reports `cancel`. Only the closures of the latest
// show are ever called. Main thread only.
class PELLAVO_EXPORT VXPopOverMenu : public ns::Object, public ui::GestureRecognizerDelegate {
public:
    using Done = std::function<void(int)>;
    using Cancel = std::function<void()>;

    VXPopOverMenu();
    ~VXPopOverMenu() override;
    std::string_view className() const override { return "VXPopOverMenu"; }

    // Nothing happens without a sender or without names.
    static void showForSender(std::shared_ptr<ui::View> sender, std::vector<ns::String> with, Done done,
                              Cancel cancel);
    static void showForSender(std::shared_ptr<ui::View> sender, std::vector<ns::String> with,
                              std::vector<ns::String> menuImageArray, Done done, Cancel cancel);
    // The sender is the view of the event's first touch.
    static void showForEvent(const ui::Event& event, std::vector<ns::String> with, Done done, Cancel cancel);
    static void showForEvent(const ui::Event& event, std::vector<ns::String> with,
                             std::vector<ns::String> menuImageArray, Done done, Cancel cancel);
    // A rectangle with a component that is not finite counts as no sender.
    static void showFromSenderFrame(cg::Rect senderFrame, std::vector<ns::String> with, Done done,
                                    Cancel cancel);
    static void showFromSenderFrame(cg::Rect senderFrame, std::vector<ns::String> with,
                                    std::vector<ns::String> menuImageArray, Done done, Cancel cancel);
    // Closes over 0.2 s, then calls the latest show's `cancel`, also when nothing is shown.
    static void dismiss();
    // False from the moment a close begins.
    static bool isShowing();

    // Actions, also reachable through ns::Runtime.
    void onBackgroudViewTapped(ui::GestureRecognizer* gesture);
    void onChangeStatusBarOrientationNotification(ns::Notification* notification);

    bool gestureRecognizerShouldReceive(ui::GestureRecognizer& recognizer, ui::Touch& touch) override;

private:
    friend struct VXPopOverMenuTestAccess;

    static const std::shared_ptr<VXPopOverMenu>& sharedMenu();

    const std::shared_ptr<VXConfiguration>& configuration();
    const std::shared_ptr<ui::View>& backgroundView();
    const std::shared_ptr<ui::TapGestureRecognizer>& tapGesture();
    const std::shared_ptr<detail::VXPopOverMenuView>& popOverMenu();

    void showForSender(std::shared_ptr<ui::View> sender, std::optional<cg::Rect> senderFrame,
                       std::vector<ns::String> with, std::vector<ns::String> menuImageArray, Done done,
                       Cancel cancel);
    void adjustPostionForPopOverMenu();
    void setupPopOverMenu();
    void configurePopMenuFrame();
    void configureSenderRect();
    void configureMenuArrowPoint();
    void configurePopMenuOriginX();
    double popMenuHeight();
    void showIfNeeded();
    // Every way out: marks the menu closed, stops observing rotations, then ends it.
    void dismissWithSelectedIndex(int selectedIndex);
    void doneActionWithSelectedIndex(int selectedIndex);

    std::shared_ptr<ui::View> sender_;
    std::optional<cg::Rect> senderFrame_;
    std::optional<std::vector<ns::String>> menuNameArray_;
    std::optional<std::vector<ns::String>> menuImageArray_;
    Done done_;
    Cancel cancel_;
    std::shared_ptr<VXConfiguration> configuration_;
    std::shared_ptr<ui::View> backgroundView_;
    std::shared_ptr<detail::VXPopOverMenuView> popOverMenu_;
    bool isOnScreen_ = false;
    std::shared_ptr<ui::TapGestureRecognizer> tapGesture_;
    cg::Rect senderRect_;
    double popMenuOriginX_ = 0;
    cg::Rect popMenuFrame_;
    cg::Point menuArrowPoint_;
    detail::VXPopOverMenuArrowDirection arrowDirection_;
    // Bumped by every accepted show: a close that a newer show overtook does nothing.
    std::uint64_t generation_ = 0;
    // Present only while the menu is on screen.
    std::shared_ptr<ns::Object> orientationObserver_;
};

} // namespace pellavo
