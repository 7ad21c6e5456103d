#include "platform/ui/text/TextLayout.hpp"

#include <algorithm>
#include <cstdint>
#include <climits>
#include <cmath>
#include <cstring>
#include <list>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <pango/pangocairo.h>

#include "platform/cg/Context.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/text/Font.hpp"
#include "platform/ui/text/FontSystem.hpp"

namespace pellavo::ui {

namespace {

constexpr double defaultFontSize = 12;
// Wider than any screen: beyond it a width means "no wrapping", and Pango's
// integer units stay far from overflow.
constexpr double maximumWrapWidth = 1e6;

struct Run {
    int start = 0; // UTF-8 byte offsets into the laid-out text
    int end = 0;
    Font font;
    cg::Color color; // clamped
};

bool isTruncating(ns::LineBreakMode mode) {
    return mode == ns::LineBreakMode::byTruncatingHead || mode == ns::LineBreakMode::byTruncatingTail ||
           mode == ns::LineBreakMode::byTruncatingMiddle;
}

int pangoUnits(double points) {
    // Callers pass values within ±maximumWrapWidth, so the product fits an int.
    return static_cast<int>(std::lround(points * PANGO_SCALE));
}

// Sums and differences of Pango units are taken in 64 bits: tall text (hundreds of lines at
// the largest font size) passes the range of int.
double points(std::int64_t units) { return static_cast<double>(units) / PANGO_SCALE; }

// The top of the first line's logical box, in Pango units: positions inside the
// laid-out text are measured from it.
int firstLineTop(PangoLayout* layout) {
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    PangoRectangle first;
    pango_layout_iter_get_line_extents(iter, nullptr, &first);
    pango_layout_iter_free(iter);
    return first.y;
}

// Visits the layout's lines in order, at most `limit` of them (0: all of them), with
// its number, its logical box and the top of the first line's; returns how many it visited.
template <class Visit>
int forEachLine(PangoLayout* layout, int limit, Visit visit) {
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    int top = 0;
    int lines = 0;
    do {
        PangoRectangle logical;
        pango_layout_iter_get_line_extents(iter, nullptr, &logical);
        if (lines == 0) top = logical.y;
        visit(iter, lines, logical, top);
        ++lines;
    } while ((limit <= 0 || lines < limit) && pango_layout_iter_next_line(iter));
    pango_layout_iter_free(iter);
    return lines;
}

guint16 channel(double component) { return static_cast<guint16>(std::lround(component * 65535.0)); }

bool isSpaceCluster(const char* text, const PangoGlyphItem* run, int glyph) {
    const int index = run->item->offset + run->glyphs->log_clusters[glyph];
    return g_unichar_isspace(g_utf8_get_char(text + index));
}

// Pango widens the ellipsis glyph by whatever room the removed text leaves, so a
// truncated line always fills the width. That room lies to the right of the
// ellipsis: a gap before the text after it (head and middle truncation) and a
// line that centring and right alignment cannot move. Give the ellipsis back its
// own advance and fold the spaces that touch it, so it sits against the text.
void tightenEllipses(PangoLayout* layout) {
    const char* text = pango_layout_get_text(layout);
    // The writable lines: Pango then measures them from their glyphs again.
    for (GSList* l = pango_layout_get_lines(layout); l != nullptr; l = l->next) {
        auto* line = static_cast<PangoLayoutLine*>(l->data);
        std::vector<std::pair<PangoGlyphItem*, int>> glyphs; // visual order
        std::size_t ellipsisStart = 0;
        std::size_t ellipsisEnd = 0;
        for (GSList* r = line->runs; r != nullptr; r = r->next) {
            auto* run = static_cast<PangoGlyphItem*>(r->data);
            const bool ellipsis = (run->item->analysis.flags & PANGO_ANALYSIS_FLAG_IS_ELLIPSIS) != 0;
            if (ellipsis) ellipsisStart = glyphs.size();
            for (int i = 0; i < run->glyphs->num_glyphs; ++i) glyphs.emplace_back(run, i);
            if (ellipsis) ellipsisEnd = glyphs.size();
        }
        if (ellipsisEnd == ellipsisStart) continue;

        auto [ellipsisRun, last] = glyphs[ellipsisEnd - 1];
        PangoGlyphInfo& info = ellipsisRun->glyphs->glyphs[last];
        PangoRectangle natural;
        pango_font_get_glyph_extents(ellipsisRun->item->analysis.font, info.glyph, nullptr, &natural);
        if (natural.width >= 0 && natural.width < info.geometry.width) info.geometry.width = natural.width;

        auto fold = [&](std::size_t i) {
            auto [run, glyph] = glyphs[i];
            if (!isSpaceCluster(text, run, glyph)) return false;
            run->glyphs->glyphs[glyph].geometry.width = 0;
            return true;
        };
        std::size_t after = ellipsisEnd;
        while (after < glyphs.size() && fold(after)) ++after;
        std::size_t before = ellipsisStart;
        while (before > 0 && fold(before - 1)) --before;
    }
}

} // namespace

struct TextLayout::Impl {
    std::string text;
    std::vector<Run> runs;
    // The byte in `text` of every UTF-16 offset of the source string (length + 1
    // entries); characters left out map to where they would have been.
    std::vector<int> byteOfUnit;
    double width = -1; // -1: no wrapping
    int maximumLines = 0;
    ns::LineBreakMode mode = ns::LineBreakMode::byWordWrapping;
    ns::TextAlignment alignment = ns::TextAlignment::natural;

    cg::Size size;
    int lineCount = 0;
    double firstBaseline = 0;
    int unknownGlyphs = 0;

    // Takes in the text and measures it; without positions, byteOfUnit stays empty
    // (enough for the size, lines and baseline).
    void lay(const ns::AttributedString& source, double wrapWidth, int maximumNumberOfLines,
             std::optional<ns::LineBreakMode> lineBreakMode, bool positions);
    // alphaScale multiplies every run's alpha (the drawing context's alpha). A layout
    // without colours is only for measuring.
    PangoLayout* build(double alphaScale = 1, bool colours = true) const;
    void measure();
    void mapUnits(const ns::String& string, ns::Range range, int byte);
};

PangoLayout* TextLayout::Impl::build(double alphaScale, bool colours) const {
    PangoLayout* layout = pango_layout_new(detail::fontContext());
    pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
    const bool wraps = width > 0 && mode != ns::LineBreakMode::byClipping;

    PangoAttrList* attributes = nullptr;
    auto insert = [&](PangoAttribute* attribute, const Run* run) {
        if (attributes == nullptr) attributes = pango_attr_list_new();
        if (run != nullptr) {
            attribute->start_index = static_cast<guint>(run->start);
            attribute->end_index = static_cast<guint>(run->end);
        }
        pango_attr_list_insert(attributes, attribute);
    };
    if (runs.size() == 1 && !colours) {
        // Pango applies a layout's font as an attribute over all of the text: the same
        // layout without an attribute list to build, copy and walk.
        pango_layout_set_font_description(layout, detail::fontDescription(runs.front().font));
    } else {
        for (const Run& run : runs) {
            insert(pango_attr_font_desc_new(detail::fontDescription(run.font)), &run);
            if (!colours) continue;
            insert(pango_attr_foreground_new(channel(run.color.red), channel(run.color.green),
                                             channel(run.color.blue)),
                   &run);
            // Pango reads an alpha of 0 as "not set" and draws opaque; one step above
            // it is still nothing in an 8-bit pixel.
            insert(pango_attr_foreground_alpha_new(std::max<guint16>(1, channel(run.color.alpha * alphaScale))),
                   &run);
        }
    }
    // Lines broken inside a word end without an inserted hyphen; only a layout that
    // wraps breaks lines inside words.
    if (wraps) insert(pango_attr_insert_hyphens_new(FALSE), nullptr);
    if (attributes != nullptr) {
        pango_layout_set_attributes(layout, attributes);
        pango_attr_list_unref(attributes);
    }

    pango_layout_set_width(layout, wraps ? pangoUnits(width) : -1);
    pango_layout_set_wrap(layout, mode == ns::LineBreakMode::byCharWrapping ? PANGO_WRAP_CHAR : PANGO_WRAP_WORD_CHAR);
    if (isTruncating(mode)) {
        pango_layout_set_ellipsize(layout, mode == ns::LineBreakMode::byTruncatingHead     ? PANGO_ELLIPSIZE_START
                                           : mode == ns::LineBreakMode::byTruncatingMiddle ? PANGO_ELLIPSIZE_MIDDLE
                                                                                           : PANGO_ELLIPSIZE_END);
        pango_layout_set_height(layout, maximumLines > 0 ? -maximumLines : -1);
    }

    switch (alignment) {
    case ns::TextAlignment::center:
        pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER);
        break;
    case ns::TextAlignment::right:
        pango_layout_set_alignment(layout, PANGO_ALIGN_RIGHT);
        break;
    case ns::TextAlignment::justified:
        pango_layout_set_justify(layout, TRUE);
        [[fallthrough]];
    case ns::TextAlignment::left:
        pango_layout_set_alignment(layout, PANGO_ALIGN_LEFT);
        break;
    case ns::TextAlignment::natural:
        break;
    }
    // Natural alignment follows each paragraph's direction; the explicit ones
    // mean the same side whatever the script.
    pango_layout_set_auto_dir(layout, alignment == ns::TextAlignment::natural);
    if (isTruncating(mode)) tightenEllipses(layout);
    return layout;
}

void TextLayout::Impl::measure() {
    if (text.empty()) return;
    // A change of colour splits Pango's items and so may change the shaping across
    // it: only a single run measures without colours.
    PangoLayout* layout = build(1, runs.size() > 1);
    unknownGlyphs = pango_layout_get_unknown_glyphs_count(layout);
    std::int64_t top = 0;
    std::int64_t bottom = 0;
    int widest = 0;
    const auto measureLine = [&](PangoLayoutIter* iter, int line, const PangoRectangle& logical, int firstTop) {
        if (line == 0) {
            top = firstTop;
            firstBaseline = points(pango_layout_iter_get_baseline(iter) - top);
        }
        bottom = std::int64_t{logical.y} + logical.height;
        widest = std::max(widest, logical.width);
    };
    lineCount = forEachLine(layout, maximumLines, measureLine);
    g_object_unref(layout);

    double usedWidth = points(widest);
    if (mode == ns::LineBreakMode::byClipping && width > 0) usedWidth = std::min(usedWidth, width);
    size = cg::Size(usedWidth, points(std::max<std::int64_t>(0, bottom - top)));
}

// Records the byte offset of each UTF-16 unit of the range of `string`, whose UTF-8
// starts at `byte`, as ns::String::utf8 encodes it: a pair is four bytes, a lone
// surrogate becomes U+FFFD (three).
void TextLayout::Impl::mapUnits(const ns::String& string, ns::Range range, int byte) {
    auto& map = byteOfUnit;
    map.resize(static_cast<std::size_t>(std::max<int64_t>(0, range.location)), byte);
    const auto& units = string.utf16();
    const auto end = static_cast<std::size_t>(range.max());
    for (auto i = static_cast<std::size_t>(range.location); i < end; ++i) {
        const char16_t c = units[i];
        map.push_back(byte);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < end && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            map.push_back(byte); // inside the pair
            ++i;
            byte += 4;
        } else {
            byte += c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
        }
    }
}

void TextLayout::Impl::lay(const ns::AttributedString& source, double wrapWidth, int maximumNumberOfLines,
                           std::optional<ns::LineBreakMode> lineBreakMode, bool positions) {
    width = std::isfinite(wrapWidth) && wrapWidth > 0 && wrapWidth <= maximumWrapWidth ? wrapWidth : -1;
    maximumLines = std::max(0, maximumNumberOfLines);

    const ns::String& string = source.string();
    if (positions) byteOfUnit.reserve(static_cast<std::size_t>(string.length()) + 1);
    bool first = true;
    bool full = false;
    source.forEachRun([&](ns::Range range, const ns::Attributes& attributes) {
        if (full) return;
        if (first) {
            first = false;
            auto style = attributes.find(ns::AttributedString::Key::paragraphStyle);
            if (style != attributes.end()) {
                if (const auto* paragraph = style->second.get<ns::ParagraphStyle>()) {
                    alignment = paragraph->alignment;
                    mode = paragraph->lineBreakMode;
                }
            }
        }
        const Font* font = nullptr;
        if (auto found = attributes.find(ns::AttributedString::Key::font); found != attributes.end()) {
            font = found->second.get<Font>();
        }
        static const Font fallback = Font::systemFont(defaultFontSize);
        if (font == nullptr) font = &fallback;
        // A font of size 0 lays out nothing: its characters are left out.
        if (font->pointSize() <= 0) {
            if (positions) {
                byteOfUnit.resize(static_cast<std::size_t>(std::max<int64_t>(0, range.max())),
                                  static_cast<int>(text.size()));
            }
            return;
        }
        cg::Color color = Color::black().cgColor();
        if (auto found = attributes.find(ns::AttributedString::Key::foregroundColor); found != attributes.end()) {
            if (const auto* given = found->second.get<Color>()) color = given->cgColor();
        }
        const std::size_t start = text.size();
        if (!string.appendUtf8(range, text)) return;
        // Pango indexes bytes with an int; text beyond that is not laid out.
        if (text.size() > static_cast<std::size_t>(INT_MAX / 2)) {
            text.resize(start);
            full = true;
            return;
        }
        if (positions) mapUnits(string, range, static_cast<int>(start));
        const auto end = static_cast<int>(text.size());
        const cg::Color clamped = color.clamped();
        if (!runs.empty() && runs.back().end == static_cast<int>(start) && runs.back().font == *font &&
            runs.back().color == clamped) {
            runs.back().end = end;
        } else {
            runs.push_back(Run{static_cast<int>(start), end, *font, clamped});
        }
    });
    if (positions) byteOfUnit.resize(static_cast<std::size_t>(string.length()) + 1, static_cast<int>(text.size()));
    if (lineBreakMode) mode = *lineBreakMode;
    measure();
}

TextLayout::TextLayout() : impl_(std::make_shared<Impl>()) {}

TextLayout::TextLayout(const ns::AttributedString& text, double width, int maximumNumberOfLines,
                       std::optional<ns::LineBreakMode> lineBreakMode) {
    auto impl = std::make_shared<Impl>();
    impl->lay(text, width, maximumNumberOfLines, lineBreakMode, true);
    impl_ = std::move(impl);
}

cg::Size TextLayout::size() const { return impl_->size; }

int TextLayout::lineCount() const { return impl_->lineCount; }

double TextLayout::firstBaseline() const { return impl_->firstBaseline; }

int TextLayout::unknownGlyphCount() const { return impl_->unknownGlyphs; }

void TextLayout::draw(cg::Context& context, cg::Point at) const {
    const Impl& d = *impl_;
    if (d.lineCount == 0 || !at.isFinite() || !context.isDrawingEnabled()) return;
    cairo_t* cr = context.native();
    if (cr == nullptr) return;

    cg::Context::SavedState saved(context);
    if (d.mode == ns::LineBreakMode::byClipping && d.width > 0) {
        context.clip(cg::Rect(at.x, at.y, d.width, d.size.height));
    }
    // The context's alpha applies to the text as to everything else drawn.
    const double alpha = std::clamp(context.alpha(), 0.0, 1.0);
    PangoLayout* layout = d.build(alpha);
    forEachLine(layout, d.lineCount, [&](PangoLayoutIter* iter, int, const PangoRectangle& logical, int top) {
        const int baseline = pango_layout_iter_get_baseline(iter);
        cairo_move_to(cr, at.x + points(logical.x), at.y + points(std::int64_t{baseline} - top));
        pango_cairo_show_layout_line(cr, pango_layout_iter_get_line_readonly(iter));
    });
    g_object_unref(layout);
    cairo_new_path(cr);
}

cg::Rect TextLayout::caretRect(int64_t offset) const {
    const Impl& d = *impl_;
    if (d.lineCount == 0 || d.byteOfUnit.empty()) return {};
    const auto last = static_cast<int64_t>(d.byteOfUnit.size()) - 1;
    const int index = d.byteOfUnit[static_cast<std::size_t>(std::clamp<int64_t>(offset, 0, last))];
    PangoLayout* layout = d.build();
    const int top = firstLineTop(layout);
    PangoRectangle strong;
    pango_layout_get_cursor_pos(layout, std::min(index, static_cast<int>(d.text.size())), &strong, nullptr);
    g_object_unref(layout);
    return {points(strong.x), points(std::int64_t{strong.y} - top), 0, points(strong.height)};
}

int64_t TextLayout::offsetNearest(cg::Point point) const {
    const Impl& d = *impl_;
    if (d.lineCount == 0 || d.byteOfUnit.empty() || !point.isFinite()) return 0;
    PangoLayout* layout = d.build();
    const int top = firstLineTop(layout);
    const double limit = maximumWrapWidth;
    int index = 0;
    int trailing = 0;
    pango_layout_xy_to_index(layout, pangoUnits(std::clamp(point.x, -limit, limit)),
                             pangoUnits(std::clamp(point.y, -limit, limit)) + top, &index, &trailing);
    // `trailing` counts the characters of the cluster when the point is past its middle.
    const char* text = d.text.c_str();
    const char* end = text + d.text.size();
    const char* at = text + std::clamp(index, 0, static_cast<int>(d.text.size()));
    for (int i = 0; i < trailing && at < end; ++i) at = g_utf8_next_char(at);
    const int byte = static_cast<int>(std::min(at, end) - text);
    g_object_unref(layout);
    const auto found = std::lower_bound(d.byteOfUnit.begin(), d.byteOfUnit.end(), byte);
    if (found == d.byteOfUnit.end()) return static_cast<int64_t>(d.byteOfUnit.size()) - 1;
    return found - d.byteOfUnit.begin();
}

std::vector<cg::Rect> TextLayout::selectionRects(ns::Range range) const {
    const Impl& d = *impl_;
    std::vector<cg::Rect> rects;
    if (d.lineCount == 0 || d.byteOfUnit.empty() || range.length <= 0) return rects;
    const auto last = static_cast<int64_t>(d.byteOfUnit.size()) - 1;
    const int64_t first = std::clamp<int64_t>(range.location, 0, last);
    const int64_t end = range.location > last - range.length ? last : std::max(first, range.max());
    const int startByte = d.byteOfUnit[static_cast<std::size_t>(first)];
    const int endByte = d.byteOfUnit[static_cast<std::size_t>(end)];
    if (endByte <= startByte) return rects;

    PangoLayout* layout = d.build();
    forEachLine(layout, d.lineCount, [&](PangoLayoutIter* iter, int, const PangoRectangle& logical, int top) {
        PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter);
        const int from = std::max(startByte, line->start_index);
        const int to = std::min(endByte, line->start_index + line->length);
        if (from >= to) return;
        // Visual ranges in layout coordinates: bidirectional text may split one
        // logical range; the highlight spans them all.
        int* ranges = nullptr;
        int count = 0;
        pango_layout_line_get_x_ranges(line, from, to, &ranges, &count);
        if (count > 0) {
            int left = ranges[0];
            int right = ranges[1];
            for (int i = 1; i < count; ++i) {
                left = std::min(left, ranges[2 * i]);
                right = std::max(right, ranges[2 * i + 1]);
            }
            rects.emplace_back(points(left), points(std::int64_t{logical.y} - top), points(std::int64_t{right} - left),
                               points(logical.height));
        }
        g_free(ranges);
    });
    g_object_unref(layout);
    return rects;
}

// ---------------------------------------------------------------- remembered sizes

namespace {

// What a measurement depends on. Widths that mean no wrapping but a huge one are 0;
// mode is the break mode given, -1 for none.
struct MeasureKey {
    double width = 0;
    int lines = 0;
    int mode = -1;
    friend bool operator==(const MeasureKey&, const MeasureKey&) = default;
};

std::size_t hashOf(const ns::AttributedString& text, const MeasureKey& key) {
    // The characters and the plain numbers: the attributes only decide between entries
    // that share these.
    std::uint64_t bits = 0;
    std::memcpy(&bits, &key.width, sizeof bits);
    std::size_t hash = std::hash<ns::String>{}(text.string());
    for (std::uint64_t part : {bits, static_cast<std::uint64_t>(key.lines), static_cast<std::uint64_t>(key.mode)})
        hash = (hash ^ part) * 0x100000001b3ull + 0x9e3779b97f4a7c15ull;
    return hash;
}

// Least recently used first out. Entries live in a list, most recent first; the map
// finds them by hash.
class MeasureCache {
public:
    std::optional<cg::Size> find(const ns::AttributedString& text, const MeasureKey& key, std::size_t hash) {
        forgetIfFontsChanged();
        auto [first, last] = index_.equal_range(hash);
        for (auto it = first; it != last; ++it) {
            if (it->second->key == key && it->second->text == text) {
                order_.splice(order_.begin(), order_, it->second);
                ++stats_.hits;
                return it->second->size;
            }
        }
        ++stats_.misses;
        return std::nullopt;
    }

    void insert(ns::AttributedString text, const MeasureKey& key, std::size_t hash, cg::Size size) {
        order_.push_front(Entry{std::move(text), key, hash, size});
        index_.emplace(hash, order_.begin());
        if (order_.size() <= detail::measureCacheCapacity) return;
        auto oldest = std::prev(order_.end());
        auto [first, last] = index_.equal_range(oldest->hash);
        for (auto it = first; it != last; ++it) {
            if (it->second == oldest) {
                index_.erase(it);
                break;
            }
        }
        order_.pop_back();
    }

    MeasureCacheStats stats() {
        forgetIfFontsChanged();
        MeasureCacheStats stats = stats_;
        stats.entries = order_.size();
        return stats;
    }

private:
    struct Entry {
        ns::AttributedString text;
        MeasureKey key;
        std::size_t hash;
        cg::Size size;
    };

    void forgetIfFontsChanged() {
        const std::uint64_t now = detail::fontGeneration();
        if (now == generation_) return;
        generation_ = now;
        index_.clear();
        order_.clear();
    }

    std::list<Entry> order_;
    std::unordered_multimap<std::size_t, std::list<Entry>::iterator> index_;
    std::uint64_t generation_ = detail::fontGeneration();
    MeasureCacheStats stats_;
};

MeasureCache& measureCache() {
    thread_local MeasureCache cache;
    return cache;
}

// Text is an ns::AttributedString, taken by copy into the cache or moved there.
template <class Text>
cg::Size rememberedSize(Text&& text, double width, int maximumNumberOfLines,
                        std::optional<ns::LineBreakMode> lineBreakMode) {
    const MeasureKey key{std::isfinite(width) && width > 0 ? width : 0, std::max(0, maximumNumberOfLines),
                         lineBreakMode ? static_cast<int>(*lineBreakMode) : -1};
    const std::size_t hash = hashOf(text, key);
    MeasureCache& cache = measureCache();
    if (auto found = cache.find(text, key, hash)) return *found;
    // Only the size is kept: the layout lives on the stack and maps no positions.
    TextLayout::Impl layout;
    layout.lay(text, width, maximumNumberOfLines, lineBreakMode, false);
    cache.insert(std::forward<Text>(text), key, hash, layout.size);
    return layout.size;
}

} // namespace

cg::Size measuredSize(const ns::AttributedString& text, double width, int maximumNumberOfLines,
                      std::optional<ns::LineBreakMode> lineBreakMode) {
    return rememberedSize(text, width, maximumNumberOfLines, lineBreakMode);
}

cg::Size measuredSize(ns::AttributedString&& text, double width, int maximumNumberOfLines,
                      std::optional<ns::LineBreakMode> lineBreakMode) {
    return rememberedSize(std::move(text), width, maximumNumberOfLines, lineBreakMode);
}

MeasureCacheStats measureCacheStats() { return measureCache().stats(); }

void fontsDidChange() { detail::fontsDidChange(); }

} // namespace pellavo::ui
