#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <thread>

#include "platform/ns/AttributedString.hpp"
#include "platform/ns/Object.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/text/Font.hpp"
#include "platform/ui/text/FontSystem.hpp"
#include "platform/ui/text/StringDrawing.hpp"
#include "platform/ui/text/TextLayout.hpp"

namespace {

using namespace pellavo;
using Key = ns::AttributedString::Key;

const char* const kLong = "The quick brown fox jumps over the lazy dog while the cat watches";

ns::Attributes attributes(ui::Font font, std::optional<ns::ParagraphStyle> style = std::nullopt) {
    ns::Attributes a{{Key::font, ns::Value::of(font)}};
    if (style) a.insert_or_assign(Key::paragraphStyle, ns::Value::of(*style));
    return a;
}

ns::ParagraphStyle breaking(ns::LineBreakMode mode) {
    ns::ParagraphStyle style;
    style.lineBreakMode = mode;
    return style;
}

TEST(TextLayoutTest, WrapsAtTheWidthOnlyWithLineFragmentOrigin) {
    const ui::Font font = ui::Font::systemFont(14);
    const ns::AttributedString text(kLong, attributes(font));
    const cg::Rect wrapped = ui::boundingRect(text, {100, 1}, ui::StringDrawingOptions::usesLineFragmentOrigin);
    const cg::Rect single = ui::boundingRect(text, {100, 1});

    EXPECT_EQ(wrapped.origin, cg::Point());
    EXPECT_LE(wrapped.size.width, 100);
    EXPECT_GT(wrapped.size.width, 50);
    const ui::TextLayout layout(text, 100);
    EXPECT_GE(layout.lineCount(), 5);
    EXPECT_NEAR(wrapped.size.height, layout.lineCount() * font.lineHeight(), 0.01);
    EXPECT_EQ(layout.size(), wrapped.size);

    EXPECT_GT(single.size.width, 300);
    EXPECT_NEAR(single.size.height, font.lineHeight(), 0.01);
    // Measuring is fractional: no rounding to whole points.
    EXPECT_EQ(single.size, ui::size(ns::String(kLong), attributes(font)));
    EXPECT_NE(single.size.width, std::round(single.size.width));
}

// A size asked for again comes from memory; everything a size depends on tells
// entries apart; a change of fonts forgets them all; the oldest go first past the bound.
TEST(TextLayoutTest, MeasuredSizesAreRememberedUntilFontsChange) {
    namespace detail = ui::detail;
    ui::fontsDidChange();
    EXPECT_EQ(ui::measureCacheStats().entries, 0u);
    const ns::AttributedString text(kLong, attributes(ui::Font::systemFont(14)));
    const ns::AttributedString larger(kLong, attributes(ui::Font::systemFont(28)));
    const ns::AttributedString truncating(
        kLong, attributes(ui::Font::systemFont(14), breaking(ns::LineBreakMode::byTruncatingTail)));
    struct Case {
        const char* name;
        const ns::AttributedString& text;
        double width;
        int lines;
    } cases[] = {{"plain", text, 0, 0},        {"another font", larger, 0, 0}, {"a width", text, 120, 0},
                 {"a line limit", text, 120, 2}, {"a break mode", truncating, 120, 2}};
    std::size_t entries = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = ui::measureCacheStats();
        EXPECT_EQ(ui::measuredSize(c.text, c.width, c.lines), ui::TextLayout(c.text, c.width, c.lines).size());
        EXPECT_EQ(ui::measuredSize(c.text, c.width, c.lines), ui::TextLayout(c.text, c.width, c.lines).size());
        const auto after = ui::measureCacheStats();
        EXPECT_EQ(after.misses - before.misses, 1u);
        EXPECT_EQ(after.hits - before.hits, 1u);
        EXPECT_EQ(after.entries, ++entries);
    }

    // A label whose font changes is measured anew, not served the old size.
    auto label = ns::make<ui::Label>();
    label->setText(ns::String("Remembered"));
    const cg::Size small = label->intrinsicContentSize();
    label->setFont(ui::Font::systemFont(34));
    EXPECT_GT(label->intrinsicContentSize().height, small.height);

    ui::fontsDidChange();
    EXPECT_EQ(ui::measureCacheStats().entries, 0u);
    for (std::size_t i = 0; i <= detail::measureCacheCapacity; ++i)
        ui::measuredSize(ns::AttributedString(ns::String(std::to_string(i))));
    EXPECT_EQ(ui::measureCacheStats().entries, detail::measureCacheCapacity);
    const auto before = ui::measureCacheStats();
    ui::measuredSize(ns::AttributedString(ns::String(std::to_string(detail::measureCacheCapacity))));
    ui::measuredSize(ns::AttributedString(ns::String("0")));
    const auto after = ui::measureCacheStats();
    EXPECT_EQ(after.hits - before.hits, 1u);  // the newest is still there, the oldest is gone
    EXPECT_EQ(after.misses - before.misses, 1u);
}

TEST(TextLayoutTest, WidthsThatCannotWrapMeanNoWrapping) {
    const ns::AttributedString text(kLong, attributes(ui::Font::systemFont(12)));
    const cg::Size unwrapped = ui::TextLayout(text).size();
    const double inf = std::numeric_limits<double>::infinity();
    for (double width : {0.0, -5.0, std::numeric_limits<double>::quiet_NaN(), inf, -inf, 1e12}) {
        const cg::Rect r = ui::boundingRect(text, {width, 10}, ui::StringDrawingOptions::usesLineFragmentOrigin);
        EXPECT_EQ(r.size, unwrapped) << width;
    }
    // Explicit line breaks still break.
    const ui::TextLayout lines(ns::AttributedString("one\ntwo\nthree", attributes(ui::Font::systemFont(12))));
    EXPECT_EQ(lines.lineCount(), 3);
    EXPECT_NEAR(lines.size().height, 3 * ui::Font::systemFont(12).lineHeight(), 0.01);
}

TEST(TextLayoutTest, EmptyTextAndZeroSizedFontsMeasureNothing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(ui::TextLayout().size(), cg::Size());
    EXPECT_EQ(ui::TextLayout(ns::AttributedString("")).lineCount(), 0);
    EXPECT_EQ(ui::size(ns::String(""), {}), cg::Size());
    for (const ui::Font& font : {ui::Font::systemFont(0), ui::Font::systemFont(nan), ui::Font::systemFont(-4), ui::Font()}) {
        const ui::TextLayout layout(ns::AttributedString("Hello", attributes(font)));
        EXPECT_EQ(layout.size(), cg::Size());
        EXPECT_EQ(layout.lineCount(), 0);
        EXPECT_EQ(layout.firstBaseline(), 0);
    }
    // A zero-sized run inside other text takes no space.
    ns::MutableAttributedString mixed("Hello", attributes(ui::Font::systemFont(12)));
    mixed.append(ns::AttributedString("WWWW", attributes(ui::Font::systemFont(0))));
    EXPECT_EQ(ui::TextLayout(mixed).size(), ui::TextLayout(ns::AttributedString("Hello", attributes(ui::Font::systemFont(12)))).size());
}

// Hundreds of lines at the largest font pass the range of Pango's int units.
TEST(TextLayoutTest, TextTallerThanPangoUnitsMeasuresWithoutOverflow) {
    std::string text;
    for (int i = 0; i < 600; ++i) text += "x\n";
    const ui::TextLayout layout(ns::AttributedString(ns::String(text), attributes(ui::Font::systemFont(4096))));
    EXPECT_TRUE(layout.size().isFinite());
    EXPECT_GE(layout.size().height, 0);
    EXPECT_TRUE(layout.caretRect(1199).isFinite());
    for (const cg::Rect& r : layout.selectionRects({0, 1200})) EXPECT_TRUE(r.isFinite());
}

TEST(TextLayoutTest, DefaultsAreTheSystemFontAt12) {
    const ns::String text("Default text");
    EXPECT_EQ(ui::size(text, {}), ui::size(text, attributes(ui::Font::systemFont(12))));
    EXPECT_NE(ui::size(text, {}), ui::size(text, attributes(ui::Font::boldSystemFont(12))));
    // A value of the wrong type under the font key is ignored.
    EXPECT_EQ(ui::size(text, {{Key::font, ns::Value::of(std::string("Bold"))}}), ui::size(text, {}));
}

TEST(TextLayoutTest, FirstBaselineAndLineHeightFollowTheFont) {
    const ui::Font font("AvenirNext-Bold", 20);
    const ui::TextLayout layout(ns::AttributedString("Baseline", attributes(font)));
    EXPECT_EQ(layout.lineCount(), 1);
    EXPECT_NEAR(layout.firstBaseline(), font.ascender(), 0.01);
    EXPECT_NEAR(layout.size().height, font.lineHeight(), 0.01);
}

TEST(TextLayoutTest, CjkFallsBackToAPinnedFace) {
    // Chinese and Japanese; the pinned fallback face has no Hangul syllables.
    const ns::AttributedString text("漢字かなカナ简体繁體", attributes(ui::Font::systemFont(16)));
    const ui::TextLayout layout(text);
    EXPECT_EQ(layout.unknownGlyphCount(), 0);
    EXPECT_GT(layout.size().width, 10 * 16 * 0.8);
    EXPECT_GT(layout.size().height, 0);
    // Something no pinned face has (a private-use character) is counted as unknown.
    EXPECT_EQ(ui::TextLayout(ns::AttributedString("\xEE\x80\x80")).unknownGlyphCount(), 1);
}

TEST(TextLayoutTest, AWorkerMeasuresTheSameSizes) {
    const ns::AttributedString latin(kLong, attributes(ui::Font("HelveticaNeue-Light", 15)));
    const ns::AttributedString cjk("中文字体测试", attributes(ui::Font::boldSystemFont(13)));
    const cg::Size here[] = {ui::TextLayout(latin, 120).size(), ui::TextLayout(cjk).size()};
    cg::Size there[2];
    std::thread worker([&] {
        there[0] = ui::TextLayout(latin, 120).size();
        there[1] = ui::TextLayout(cjk).size();
    });
    worker.join();
    EXPECT_EQ(here[0], there[0]);
    EXPECT_EQ(here[1], there[1]);
}

TEST(TextLayoutTest, LineLimitsAndBreakModes) {
    const ui::Font font = ui::Font::systemFont(14);
    const ns::AttributedString text(kLong, attributes(font));
    const int all = ui::TextLayout(text, 100).lineCount();
    ASSERT_GT(all, 3);

    const ui::TextLayout limited(text, 100, 3);
    EXPECT_EQ(limited.lineCount(), 3);
    EXPECT_NEAR(limited.size().height, 3 * font.lineHeight(), 0.01);
    EXPECT_EQ(ui::TextLayout(text, 100, -2).lineCount(), all);

    // Truncating: the last visible line ends in an ellipsis within the width.
    const ui::TextLayout tail(text, 100, 2, ns::LineBreakMode::byTruncatingTail);
    EXPECT_EQ(tail.lineCount(), 2);
    EXPECT_LE(tail.size().width, 100);
    // Without a line limit each paragraph is one truncated line.
    const ns::AttributedString paragraphs(std::string(kLong) + "\n" + kLong,
                                          attributes(font, breaking(ns::LineBreakMode::byTruncatingMiddle)));
    const ui::TextLayout middle(paragraphs, 100);
    EXPECT_EQ(middle.lineCount(), 2);
    EXPECT_LE(middle.size().width, 100);

    // Clipping never wraps and reports at most the width.
    const ui::TextLayout clipped(ns::AttributedString(kLong, attributes(font, breaking(ns::LineBreakMode::byClipping))), 100);
    EXPECT_EQ(clipped.lineCount(), 1);
    EXPECT_EQ(clipped.size().width, 100);

    // Character wrapping fills lines further than word wrapping.
    const ns::AttributedString word("aaaa bbbbbbbbbbbbbbbbbbbbbbbbbbbb", attributes(font));
    const ui::TextLayout byWord(word, 100);
    const ui::TextLayout byChar(word, 100, 0, ns::LineBreakMode::byCharWrapping);
    EXPECT_GE(byWord.lineCount(), byChar.lineCount());
    EXPECT_GT(byChar.size().width, byWord.size().width - 1e-9);
}

// Pango pads the ellipsis to fill the width; the padding must not open a gap or
// count in the size. The width leaves room for most of the next character, so
// the layout keeps exactly `kept`; spaces next to the ellipsis fold into it.
TEST(TextLayoutTest, TruncatedLinesAreAsWideAsWhatTheyShow) {
    const ns::Attributes font = attributes(ui::Font::systemFont(17));
    auto width = [&](const std::string& s) { return ui::TextLayout(ns::AttributedString(s, font)).size().width; };
    struct Case {
        ns::LineBreakMode mode;
        const char* text;
        const char* kept;     // what fits
        const char* keptPlus; // with the next character, which does not
        const char* shown;
    };
    const Case cases[] = {
        {ns::LineBreakMode::byTruncatingHead, "abcdefghijklmnopqrstuvwxyz", "\u2026uvwxyz", "\u2026tuvwxyz", "\u2026uvwxyz"},
        {ns::LineBreakMode::byTruncatingHead, "The quick brown fox jumps", "\u2026 jumps", "\u2026x jumps", "\u2026jumps"},
        {ns::LineBreakMode::byTruncatingTail, "abcdefghijklmnopqrstuvwxyz", "abcdef\u2026", "abcdefg\u2026", "abcdef\u2026"},
        {ns::LineBreakMode::byTruncatingTail, "The quick brown fox", "The quick \u2026", "The quick b\u2026", "The quick\u2026"},
    };
    for (const Case& c : cases) {
        const double limit = width(c.kept) + 0.6 * (width(c.keptPlus) - width(c.kept));
        const ui::TextLayout layout(ns::AttributedString(c.text, font), limit, 1, c.mode);
        EXPECT_NEAR(layout.size().width, width(c.shown), 0.2) << c.text << " kept " << c.kept;
    }
}

// Selection rectangles meet the carets at both ends of each line's part, whatever
// the alignment, and clamp the range like the carets do.
TEST(TextLayoutTest, SelectionRectsFollowTheCaretsLineByLine) {
    const ui::Font font = ui::Font::systemFont(20);
    const ns::String hello("Hello world");
    const double width = ui::TextLayout(ns::AttributedString(hello, attributes(font))).size().width * 0.75;
    for (auto alignment : {ns::TextAlignment::left, ns::TextAlignment::center}) {
        ns::ParagraphStyle style;
        style.alignment = alignment;
        const ui::TextLayout layout(ns::AttributedString(hello, attributes(font, style)), width);
        ASSERT_EQ(layout.lineCount(), 2);
        const auto caret = [&](int64_t offset) { return layout.caretRect(offset); };
        ASSERT_GT(caret(6).minY(), caret(5).minY()); // "Hello " | "world"

        // Each rect runs from the caret at `from` to the caret at `to`; a `to` of -1
        // is the wrapped line's end, whose caret stands on the next line, so only
        // "Hello" must be covered.
        struct Case {
            ns::Range range;
            std::vector<std::pair<int64_t, int64_t>> lines;
        };
        const Case cases[] = {
            {{0, 11}, {{0, -1}, {6, 11}}}, {{1, 3}, {{1, 4}}},    {{8, 100}, {{8, 11}}},
            {{-5, 8}, {{0, 3}}},           {{3, 0}, {}},          {{3, -2}, {}},
        };
        for (const Case& c : cases) {
            const auto rects = layout.selectionRects(c.range);
            ASSERT_EQ(rects.size(), c.lines.size()) << c.range.location << "," << c.range.length;
            for (std::size_t i = 0; i < rects.size(); ++i) {
                const auto [from, to] = c.lines[i];
                EXPECT_NEAR(rects[i].minX(), caret(from).minX(), 0.01);
                EXPECT_NEAR(rects[i].minY(), caret(from).minY(), 0.01);
                EXPECT_NEAR(rects[i].height(), caret(from).height(), 0.01);
                if (to < 0)
                    EXPECT_GE(rects[i].maxX(), caret(5).minX() - 0.01);
                else
                    EXPECT_NEAR(rects[i].maxX(), caret(to).minX(), 0.01);
            }
        }
    }
}

} // namespace
