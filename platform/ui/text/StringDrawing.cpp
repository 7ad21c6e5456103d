#include "platform/ui/text/StringDrawing.hpp"

#include <utility>

#include "platform/cg/Context.hpp"
#include "platform/ui/graphics/GraphicsContext.hpp"
#include "platform/ui/text/TextLayout.hpp"

namespace pellavo::ui {

namespace {

// Text is an ns::AttributedString; a temporary one moves into the remembered sizes.
template <class Text>
cg::Rect measuredRect(Text&& text, cg::Size size, StringDrawingOptions options) {
    const bool lines = contains(options, StringDrawingOptions::usesLineFragmentOrigin);
    return cg::Rect(cg::Point(), measuredSize(std::forward<Text>(text), lines ? size.width : 0, lines ? 0 : 1));
}

} // namespace

cg::Rect boundingRect(const ns::AttributedString& text, cg::Size size, StringDrawingOptions options) {
    return measuredRect(text, size, options);
}

cg::Rect boundingRect(const ns::String& text, cg::Size size, StringDrawingOptions options,
                      const ns::Attributes& attributes) {
    return measuredRect(ns::AttributedString(text, attributes), size, options);
}

cg::Size size(const ns::String& text, const ns::Attributes& withAttributes) {
    return measuredSize(ns::AttributedString(text, withAttributes));
}

cg::Size size(const ns::AttributedString& text) { return measuredSize(text); }

void draw(const ns::AttributedString& text, cg::Rect in) {
    cg::Context* context = graphicsGetCurrentContext();
    if (context == nullptr || !in.isFinite() || !(in.size.width > 0) || !(in.size.height > 0)) return;
    const TextLayout layout(text, in.size.width);
    cg::Context::SavedState saved(*context);
    context->clip(in);
    layout.draw(*context, in.origin);
}

void draw(const ns::String& text, cg::Rect in, const ns::Attributes& attributes) {
    draw(ns::AttributedString(text, attributes), in);
}

void draw(const ns::AttributedString& text, cg::Point at) {
    cg::Context* context = graphicsGetCurrentContext();
    if (context == nullptr || !at.isFinite()) return;
    TextLayout(text).draw(*context, at);
}

} // namespace pellavo::ui
