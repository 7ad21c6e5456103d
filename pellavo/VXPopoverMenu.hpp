#pragma once

#include <memory>
#include <string_view>

#include "platform/ns/Object.hpp"
#include "platform/ns/ParagraphStyle.hpp"
#include "platform/ui/Color.hpp"
#include "platform/ui/EdgeInsets.hpp"
#include "platform/ui/Font.hpp"

namespace pellavo {

// The look of every pop-over menu. Menus read only the shared instance; change its
// properties before showing a menu. Setters store what they are given; the menu
// treats a size that is not finite or is negative as 0 when it reads it.
class VXConfiguration : public ns::Object {
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

} // namespace pellavo
