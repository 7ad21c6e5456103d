#include "examples/gallery/GalleryViews.hpp"

#include "platform/ns/AttributedString.hpp"
#include "platform/ui/StringDrawing.hpp"
#include "platform/ui/Touch.hpp"
#include "platform/ui/TouchSet.hpp"

namespace pellavo::gallery {

void TextView::setText(std::string text) {
    text_ = std::move(text);
    setNeedsDisplay();
}

void TextView::setFont(ui::Font font) {
    font_ = std::move(font);
    setNeedsDisplay();
}

void TextView::setTextColor(ui::Color color) {
    color_ = color;
    setNeedsDisplay();
}

void TextView::setTextAlignment(ns::TextAlignment alignment) {
    alignment_ = alignment;
    setNeedsDisplay();
}

void TextView::draw(cg::Rect) {
    ns::ParagraphStyle style;
    style.alignment = alignment_;
    style.lineBreakMode = ns::LineBreakMode::byTruncatingTail;
    const ns::Attributes attributes{{ns::AttributedStringKey::font, ns::Value::of(font_)},
                                    {ns::AttributedStringKey::foregroundColor, ns::Value::of(color_)},
                                    {ns::AttributedStringKey::paragraphStyle, ns::Value::of(style)}};
    const ns::String text(text_);
    const cg::Rect b = bounds();
    const double height = ui::boundingRect(text, {b.size.width, 0}, ui::StringDrawingOptions::none, attributes)
                              .size.height;
    ui::draw(text, {b.origin.x, b.origin.y + (b.size.height - height) / 2, b.size.width, height}, attributes);
}

bool TapView::inside(const ui::TouchSet& touches) const {
    const auto touch = touches.first();
    return touch && bounds().contains(touch->location(this));
}

void TapView::setPressed(bool pressed) { setAlpha(pressed ? 0.6 : 1); }

void TapView::touchesBegan(const ui::TouchSet&, const ui::Event*) { setPressed(true); }

void TapView::touchesMoved(const ui::TouchSet& touches, const ui::Event*) { setPressed(inside(touches)); }

void TapView::touchesEnded(const ui::TouchSet& touches, const ui::Event*) {
    setPressed(false);
    // A copy: the tap may replace the screen this view belongs to.
    if (inside(touches) && onTap) {
        const auto tap = onTap;
        tap();
    }
}

void TapView::touchesCancelled(const ui::TouchSet&, const ui::Event*) { setPressed(false); }

} // namespace pellavo::gallery
