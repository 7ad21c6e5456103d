#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ns/AttributedString.hpp"
#include "platform/ns/ParagraphStyle.hpp"
#include "platform/ns/Range.hpp"

namespace pellavo::cg {
class Context;
}

namespace pellavo::ui {

// Lays out an attributed string at a width: the engine under string measuring
// and drawing, labels and text views.
//
// - Text without a font is in the system font at 12 points, without a colour
//   black; characters in a font of size 0 take no space and draw nothing.
// - A width <= 0, not finite or beyond any screen means no wrapping; explicit
//   line breaks still break.
// - Alignment and the break mode come from the paragraph style at the first
//   character (default: natural = left, word wrapping), unless the break mode
//   is given. Word wrapping breaks between words, and inside a word only when
//   it does not fit a line alone.
// - Clipping does not wrap; lines are cut at the width when drawn.
// - The truncating modes end the last visible line in an ellipsis: the last of
//   maximumNumberOfLines, or with no line limit every paragraph's first line.
// - maximumNumberOfLines 0 (or less) means no limit.
//
// Sizes are fractional and unrounded. A layout may be measured and drawn on any
// one thread at a time.
class PELLAVO_EXPORT TextLayout {
public:
    // No text: size (0, 0).
    TextLayout();
    explicit TextLayout(const ns::AttributedString& text, double width = 0, int maximumNumberOfLines = 0,
                        std::optional<ns::LineBreakMode> lineBreakMode = std::nullopt);

    // Widest visible line by the sum of the visible lines' heights.
    cg::Size size() const;
    int lineCount() const;
    // Distance from the top to the first line's baseline; 0 without lines.
    double firstBaseline() const;
    // Characters that no pinned face can draw (shown as boxes).
    int unknownGlyphCount() const;

    // Draws the visible lines with the layout's top-left corner at the point.
    void draw(cg::Context& context, cg::Point at) const;

    // ---- positions, for carets and taps (from the layout's top-left corner)
    // The caret before the UTF-16 offset of the laid-out string (clamped): x, the
    // line's top and height, zero width. Without lines: a zero rectangle.
    cg::Rect caretRect(int64_t offset) const;
    // The UTF-16 offset of the cluster boundary nearest to the point; 0 without lines.
    int64_t offsetNearest(cg::Point point) const;
    // The highlight of a UTF-16 range (clamped): one rectangle per visible line it
    // touches, from the leftmost to the rightmost edge of its part of that line,
    // the line's full height. An empty range or no lines: none.
    std::vector<cg::Rect> selectionRects(ns::Range range) const;

    // Defined with the code; measuring without keeping a layout uses it directly.
    struct Impl;

private:
    std::shared_ptr<const Impl> impl_;
};

// The size of TextLayout(text, width, maximumNumberOfLines, lineBreakMode), remembered
// per thread: the most recently measured few thousand, dropped all at once when the
// fonts change. Labels and string measuring ask here, so text is shaped once.
PELLAVO_EXPORT cg::Size measuredSize(const ns::AttributedString& text, double width = 0,
                                     int maximumNumberOfLines = 0,
                                     std::optional<ns::LineBreakMode> lineBreakMode = std::nullopt);
// The same; a temporary text moves into the remembered sizes rather than being copied.
PELLAVO_EXPORT cg::Size measuredSize(ns::AttributedString&& text, double width = 0, int maximumNumberOfLines = 0,
                                     std::optional<ns::LineBreakMode> lineBreakMode = std::nullopt);

// The faces the text code can find changed: every thread forgets the sizes it remembered.
PELLAVO_EXPORT void fontsDidChange();

// This thread's remembered text sizes, for diagnostics and tests.
struct PELLAVO_EXPORT MeasureCacheStats {
    std::size_t entries = 0;
    std::uint64_t hits = 0;
    std::uint64_t misses = 0;
};
PELLAVO_EXPORT MeasureCacheStats measureCacheStats();

} // namespace pellavo::ui
