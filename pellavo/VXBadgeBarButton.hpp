#pragma once

#include <memory>
#include <string_view>

#include "platform/ns/Export.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/control/BarButtonItem.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/text/Font.hpp"

namespace pellavo::ns {
class Coder;
}

namespace pellavo::ui {
class Button;
class Label;
} // namespace pellavo::ui

namespace pellavo {

// A bar button item whose custom view, a button, carries a count badge: a rounded label at
// the custom view's top-left that bounces in when it appears or changes and shrinks away
// when the value is emptied (or is "0", when so configured).
//
// Made blank (clear colours, the label's default font, no padding or minimum size); the
// badge look comes from initializer(), which initWithCustomBadgeBarButton runs.
class PELLAVO_EXPORT VXBadgeBarButton : public ui::BarButtonItem {
public:
    VXBadgeBarButton();
    explicit VXBadgeBarButton(const ns::Coder& coder);
    std::string_view className() const override { return "VXBadgeBarButton"; }

    // Empty, or exactly "0" with shouldHideBadgeAtZero, removes the badge; anything else
    // shows it, bouncing when the text changes.
    const ns::String& badgeValue() const { return badgeValue_; }
    void setBadgeValue(ns::String value);
    // The colours and the font apply to the next badge made; the font also to the next
    // measurement.
    ui::Color badgeBGColor() const { return badgeBGColor_; }
    void setBadgeBGColor(ui::Color color) { badgeBGColor_ = color; }
    ui::Color badgeTextColor() const { return badgeTextColor_; }
    void setBadgeTextColor(ui::Color color) { badgeTextColor_ = color; }
    ui::Font badgeFont() const { return badgeFont_; }
    void setBadgeFont(ui::Font font) { badgeFont_ = font; }
    // Added to the measured width and height at the next measurement; a value that is not
    // finite is ignored.
    double badgePadding() const { return badgePadding_; }
    void setBadgePadding(double padding);
    double badgeMinSize() const { return badgeMinSize_; }
    double badgeOriginX() const { return badgeOriginX_; }
    double badgeOriginY() const { return badgeOriginY_; }
    bool shouldHideBadgeAtZero() const { return shouldHideBadgeAtZero_; }
    bool shouldAnimateBadge() const { return shouldAnimateBadge_; }
    // The current badge label; an unshown one before the first value and after a removal.
    const std::shared_ptr<ui::Label>& badge() const { return badge_; }

    // Makes `customButton` the custom view and applies the badge look; answers this item.
    std::shared_ptr<VXBadgeBarButton> initWithCustomBadgeBarButton(std::shared_ptr<ui::Button> customButton);
    // The badge look: red, white, system 14, padding 4, minimum size 10, at (0, 0), hidden
    // at "0", animated; the custom view stops clipping so the badge may stick out.
    void initializer();
    // Sizes the badge to its text: at least minimum size high, at least as wide as high,
    // plus the padding; rounded to a circle or a pill.
    void updateBadgeFrame();
    // Shows badgeValue in the current badge, bouncing it first when asked and the text changes.
    void updateBadgeValueAnimated(bool animated);
    // Shrinks the current badge to nothing in 0.2 s, then takes it out of its view. It no
    // longer counts as shown: the next value makes a new badge.
    void removeBadge();

private:
    // A measuring copy of `label`: its frame, text (or "") and font.
    static std::shared_ptr<ui::Label> duplicateLabel(const ui::Label& label);

    ns::String badgeValue_;
    ui::Color badgeBGColor_;
    ui::Color badgeTextColor_;
    ui::Font badgeFont_;
    double badgePadding_ = 0;
    double badgeMinSize_ = 0;
    double badgeOriginX_ = 0;
    double badgeOriginY_ = 0;
    bool shouldHideBadgeAtZero_ = false;
    bool shouldAnimateBadge_ = false;
    std::shared_ptr<ui::Label> badge_;
    // Whether badge_ is the shown badge: set when a value makes it, cleared by removeBadge().
    bool showing_ = false;
};

} // namespace pellavo
