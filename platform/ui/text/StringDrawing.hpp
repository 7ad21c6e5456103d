#pragma once

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ns/AttributedString.hpp"
#include "platform/ns/String.hpp"

namespace pellavo::ui {

enum class StringDrawingOptions : unsigned {
    none = 0,
    // Lay the text out in lines broken at the width; without it, one line.
    usesLineFragmentOrigin = 1u << 0,
};

constexpr StringDrawingOptions operator|(StringDrawingOptions a, StringDrawingOptions b) {
    return static_cast<StringDrawingOptions>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool contains(StringDrawingOptions options, StringDrawingOptions option) {
    return (static_cast<unsigned>(options) & static_cast<unsigned>(option)) != 0;
}

// The space the text uses: origin (0, 0), the widest line by the sum of the
// line heights, fractional. The height given is ignored; a width <= 0, not
// finite or huge means no wrapping.
PELLAVO_EXPORT cg::Rect boundingRect(const ns::AttributedString& text, cg::Size size,
                      StringDrawingOptions options = StringDrawingOptions::none);
PELLAVO_EXPORT cg::Rect boundingRect(const ns::String& text, cg::Size size, StringDrawingOptions options,
                      const ns::Attributes& attributes);

// One unwrapped layout (explicit line breaks still break).
PELLAVO_EXPORT cg::Size size(const ns::String& text, const ns::Attributes& withAttributes);
PELLAVO_EXPORT cg::Size size(const ns::AttributedString& text);

// Into the current graphics context (none: nothing), wrapped at the rect's
// width and clipped to the rect. An empty, negative or non-finite rect draws nothing.
PELLAVO_EXPORT void draw(const ns::AttributedString& text, cg::Rect in);
PELLAVO_EXPORT void draw(const ns::String& text, cg::Rect in, const ns::Attributes& attributes);
// One unwrapped layout with its top-left corner at the point.
PELLAVO_EXPORT void draw(const ns::AttributedString& text, cg::Point at);

} // namespace pellavo::ui
