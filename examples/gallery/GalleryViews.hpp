#pragma once

#include <functional>
#include <string>

#include "platform/ns/ParagraphStyle.hpp"
#include "platform/ui/Color.hpp"
#include "platform/ui/Font.hpp"
#include "platform/ui/View.hpp"

namespace pellavo::gallery {

// One line of text, centred vertically, for the gallery's own chrome.
class TextView : public ui::View {
public:
    using View::View;
    std::string_view className() const override { return "GalleryTextView"; }

    const std::string& text() const { return text_; }
    void setText(std::string text);
    void setFont(ui::Font font);
    void setTextColor(ui::Color color);
    void setTextAlignment(ns::TextAlignment alignment);

    void draw(cg::Rect rect) override;

private:
    std::string text_;
    ui::Font font_ = ui::Font::systemFont(17);
    ui::Color color_ = ui::Color::black();
    ns::TextAlignment alignment_ = ns::TextAlignment::center;
};

// A view that calls onTap when a finger lifts inside it, dimmed while pressed.
class TapView : public ui::View {
public:
    using View::View;
    std::string_view className() const override { return "GalleryTapView"; }

    std::function<void()> onTap;

    void touchesBegan(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesMoved(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesEnded(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesCancelled(const ui::TouchSet& touches, const ui::Event* event) override;

private:
    bool inside(const ui::TouchSet& touches) const;
    void setPressed(bool pressed);
};

} // namespace pellavo::gallery
