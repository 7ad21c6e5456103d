#pragma once

#include "platform/ns/Export.hpp"

namespace pellavo::ns {

enum class TextAlignment { left, center, right, justified, natural };

enum class LineBreakMode {
    byWordWrapping,
    byCharWrapping,
    byClipping,
    byTruncatingHead,
    byTruncatingTail,
    byTruncatingMiddle,
};

// How the lines of a paragraph are aligned and broken.
struct PELLAVO_EXPORT ParagraphStyle {
    TextAlignment alignment = TextAlignment::natural;
    LineBreakMode lineBreakMode = LineBreakMode::byWordWrapping;

    static ParagraphStyle defaultStyle() { return {}; }

    friend bool operator==(const ParagraphStyle&, const ParagraphStyle&) = default;
};

} // namespace pellavo::ns
