#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <thread>

#include "platform/cg/Context.hpp"
#include "platform/ns/AttributedString.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/text/Font.hpp"
#include "platform/ui/graphics/GraphicsContext.hpp"
#include "platform/ui/text/StringDrawing.hpp"
#include "platform/ui/graphics/Image.hpp"
#include "platform/ui/text/TextLayout.hpp"
#include "tests/support/Golden.hpp"

namespace {

using namespace pellavo;
using Key = ns::AttributedString::Key;

cg::ImageRef render(cg::Size points, double scale, const std::function<void()>& draw) {
    ui::graphicsBeginImageContextWithOptions(points, false, scale);
    draw();
    cg::Context* context = ui::graphicsGetCurrentContext();
    EXPECT_TRUE(context->isHealthy());
    cg::ImageRef image = context->makeImage();
    ui::graphicsEndImageContext();
    return image;
}

ns::AttributedString text(const char* s, ui::Font font, ui::Color color = ui::Color::black(),
                          ns::TextAlignment alignment = ns::TextAlignment::natural) {
    ns::ParagraphStyle style;
    style.alignment = alignment;
    return ns::AttributedString(s, {{Key::font, ns::Value::of(font)},
                                    {Key::foregroundColor, ns::Value::of(color)},
                                    {Key::paragraphStyle, ns::Value::of(style)}});
}

struct Ink {
    int minX = std::numeric_limits<int>::max(), maxX = -1, minY = std::numeric_limits<int>::max(), maxY = -1;
    int count = 0;
    bool any() const { return count > 0; }
    int width() const { return any() ? maxX - minX + 1 : 0; }
};

Ink inkOf(const cg::Image& image) {
    Ink ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y).a == 0) continue;
            ++ink.count;
            ink.minX = std::min(ink.minX, x);
            ink.maxX = std::max(ink.maxX, x);
            ink.minY = std::min(ink.minY, y);
            ink.maxY = std::max(ink.maxY, y);
        }
    }
    return ink;
}

// The most opaque pixel: inside a thick stem it is the colour as given.
cg::RGBA8 strongest(const cg::Image& image) {
    cg::RGBA8 best;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y).a > best.a) best = image.pixel(x, y);
    return best;
}

TEST(StringDrawingTest, DrawsInTheColourGivenAndTheContextsAlpha) {
    const auto red = render({60, 60}, 1, [] {
        ui::draw(text("I", ui::Font::boldSystemFont(50), ui::Color::red()), cg::Rect(0, 0, 60, 60));
    });
    EXPECT_EQ(strongest(*red), (cg::RGBA8{255, 0, 0, 255}));

    const auto faded = render({60, 60}, 1, [] {
        ui::graphicsGetCurrentContext()->setAlpha(0.5);
        ui::draw(text("I", ui::Font::boldSystemFont(50), ui::Color(0, 0, 1, 1)), cg::Rect(0, 0, 60, 60));
    });
    const cg::RGBA8 blue = strongest(*faded);
    EXPECT_EQ(blue.b, 255);
    EXPECT_NEAR(blue.a, 128, 1);

    // Out-of-range components are clamped when drawn; a clear colour draws nothing.
    const auto clamped = render({60, 60}, 1, [] {
        ui::draw(text("I", ui::Font::boldSystemFont(50), ui::Color(1.5, -0.2, std::nan(""), 1)), cg::Rect(0, 0, 60, 60));
    });
    EXPECT_EQ(strongest(*clamped), (cg::RGBA8{255, 0, 0, 255}));
    const auto clear = render({60, 60}, 1, [] {
        ui::draw(text("I", ui::Font::boldSystemFont(50), ui::Color::clear()), cg::Rect(0, 0, 60, 60));
    });
    EXPECT_FALSE(inkOf(*clear).any());
}

TEST(StringDrawingTest, NothingIsDrawnForBadRectsZeroFontsOrNoContext) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const ns::AttributedString hello = text("Hello", ui::Font::systemFont(14));
    const cg::Rect badRects[] = {{0, 0, 0, 20}, {0, 0, 80, 0}, {10, 10, -50, 20}, {0, 0, 80, -1},
                                 {nan, 0, 80, 20}, {0, 0, std::numeric_limits<double>::infinity(), 20}};
    for (const cg::Rect& rect : badRects) {
        EXPECT_FALSE(inkOf(*render({80, 30}, 1, [&] { ui::draw(hello, rect); })).any());
    }
    for (const ui::Font& font : {ui::Font::systemFont(0), ui::Font::systemFont(nan), ui::Font()}) {
        EXPECT_FALSE(inkOf(*render({80, 30}, 1, [&] { ui::draw(text("Hello", font), cg::Rect(0, 0, 80, 30)); })).any());
    }
    EXPECT_FALSE(inkOf(*render({80, 30}, 1, [&] { ui::draw(hello, cg::Point(nan, 0)); })).any());
    EXPECT_TRUE(inkOf(*render({80, 30}, 1, [&] { ui::draw(hello, cg::Point(2, 2)); })).any());
    // Without a current context drawing does nothing.
    ASSERT_EQ(ui::graphicsGetCurrentContext(), nullptr);
    ui::draw(hello, cg::Rect(0, 0, 80, 30));
    ui::draw(hello, cg::Point(0, 0));
    // A context whose drawing is off (singular CTM) stays untouched and healthy.
    EXPECT_FALSE(inkOf(*render({80, 30}, 1, [&] {
                     ui::graphicsGetCurrentContext()->scaleBy(0, 1);
                     ui::draw(hello, cg::Rect(0, 0, 80, 30));
                 })).any());
}

TEST(StringDrawingTest, TextIsClippedToTheRect) {
    const auto image = render({100, 100}, 1, [] {
        ui::draw(text("one two three four five six seven", ui::Font::systemFont(14)), cg::Rect(10, 10, 60, 20));
    });
    const Ink ink = inkOf(*image);
    ASSERT_TRUE(ink.any());
    EXPECT_GE(ink.minX, 10);
    EXPECT_GE(ink.minY, 10);
    EXPECT_LT(ink.maxX, 70);
    EXPECT_LT(ink.maxY, 30);
}

TEST(StringDrawingTest, InkWidthScalesWithTheContextScale) {
    const ns::AttributedString sample = text("Width at two scales", ui::Font::systemFont(13));
    const Ink one = inkOf(*render({160, 24}, 1, [&] { ui::draw(sample, cg::Rect(0, 0, 160, 24)); }));
    const Ink two = inkOf(*render({160, 24}, 2, [&] { ui::draw(sample, cg::Rect(0, 0, 160, 24)); }));
    ASSERT_GT(one.width(), 100);
    EXPECT_NEAR(two.width(), 2 * one.width(), 1);
}

TEST(StringDrawingTest, AlignmentPlacesLinesInTheRect) {
    const ui::Font font = ui::Font::systemFont(14);
    const auto inkFor = [&](ns::TextAlignment alignment) {
        return inkOf(*render({200, 24}, 1, [&] {
            ui::draw(text("Short", font, ui::Color::black(), alignment), cg::Rect(0, 0, 200, 24));
        }));
    };
    const Ink left = inkFor(ns::TextAlignment::left);
    const Ink natural = inkFor(ns::TextAlignment::natural);
    const Ink center = inkFor(ns::TextAlignment::center);
    const Ink right = inkFor(ns::TextAlignment::right);
    EXPECT_LT(left.minX, 3);
    EXPECT_EQ(natural.minX, left.minX);
    EXPECT_GT(right.maxX, 195);
    EXPECT_NEAR((center.minX + center.maxX) / 2.0, 100, 2);
    EXPECT_NEAR(left.width(), right.width(), 1);
}

TEST(StringDrawingTest, AWorkerDrawsTheSamePixels) {
    const ns::AttributedString sample = text("Worker 字体", ui::Font("HelveticaNeue-Light", 18), ui::Color::darkGray());
    const auto draw = [&] { ui::draw(sample, cg::Rect(0, 0, 120, 30)); };
    const auto here = render({120, 30}, 2, draw);
    cg::ImageRef there;
    std::thread worker([&] { there = render({120, 30}, 2, draw); });
    worker.join();
    ASSERT_EQ(here->byteCount(), there->byteCount());
    EXPECT_TRUE(std::equal(here->data(), here->data() + here->byteCount(), there->data()));
    EXPECT_TRUE(inkOf(*here).any());
}

ns::Attributes attrs(ui::Font font, ui::Color color = ui::Color::black(),
                     ns::TextAlignment alignment = ns::TextAlignment::natural,
                     ns::LineBreakMode mode = ns::LineBreakMode::byWordWrapping) {
    ns::ParagraphStyle style;
    style.alignment = alignment;
    style.lineBreakMode = mode;
    return {{Key::font, ns::Value::of(font)},
            {Key::foregroundColor, ns::Value::of(color)},
            {Key::paragraphStyle, ns::Value::of(style)}};
}

void box(cg::Context& context, cg::Rect rect) {
    context.setFillColor(cg::Color(0.9, 0.92, 0.96, 1));
    context.fill(rect);
}

// Every text feature on one page: the mapped faces, wrapping, alignment, CJK
// fallback, truncation, colours.
cg::ImageRef renderTextPage() {
    ui::graphicsBeginImageContextWithOptions({320, 470}, true, 2);
    cg::Context& context = *ui::graphicsGetCurrentContext();
    context.setFillColor(cg::Color(1, 1, 1, 1));
    context.fill(cg::Rect(0, 0, 320, 470));

    const char* names[] = {"system", "bold system", "AvenirNext-Bold", "HelveticaNeue-Light", "Unknown-Face"};
    const ui::Font fonts[] = {ui::Font::systemFont(16), ui::Font::boldSystemFont(16), ui::Font("AvenirNext-Bold", 16),
                              ui::Font("HelveticaNeue-Light", 16), ui::Font("Unknown-Face", 16)};
    double y = 8;
    for (int i = 0; i < 5; ++i) {
        ui::draw(ns::String(std::string(names[i]) + " Hamburgefonts"), cg::Rect(8, y, 304, 22), attrs(fonts[i]));
        y += 22;
    }

    const ns::String paragraph("Word wrapping breaks this paragraph between words at the width of the box.");
    box(context, cg::Rect(8, 124, 148, 100));
    ui::draw(paragraph, cg::Rect(8, 124, 148, 100), attrs(ui::Font::systemFont(13)));
    box(context, cg::Rect(164, 124, 148, 100));
    ui::draw(ns::String("Characters: Supercalifragilisticexpialidocious wraps anywhere"), cg::Rect(164, 124, 148, 100),
             attrs(ui::Font::systemFont(13), ui::Color::black(), ns::TextAlignment::natural,
                   ns::LineBreakMode::byCharWrapping));

    y = 232;
    const std::pair<const char*, ns::TextAlignment> alignments[] = {
        {"Left aligned", ns::TextAlignment::left},
        {"Centred", ns::TextAlignment::center},
        {"Right aligned", ns::TextAlignment::right},
        {"Justified text spreads every line but the last across the whole width of its box.",
         ns::TextAlignment::justified},
    };
    for (const auto& [label, alignment] : alignments) {
        const double height = alignment == ns::TextAlignment::justified ? 36 : 20;
        box(context, cg::Rect(8, y, 304, height));
        ui::draw(ns::String(label), cg::Rect(8, y, 304, height), attrs(ui::Font::systemFont(14), ui::Color::black(), alignment));
        y += height + 6;
    }

    ui::draw(ns::String("漢字かなカナ 简体中文 繁體中文"), cg::Rect(8, y, 304, 28), attrs(ui::Font::systemFont(20)));
    y += 30;
    ui::draw(ns::String("Mixed 混合 text, bold 粗体"), cg::Rect(8, y, 304, 24), attrs(ui::Font::boldSystemFont(17)));
    y += 28;

    ui::draw(ns::String("Tail truncation cuts this long line off at the end of the box"), cg::Rect(8, y, 200, 20),
             attrs(ui::Font::systemFont(14), ui::Color::red(), ns::TextAlignment::natural,
                   ns::LineBreakMode::byTruncatingTail));
    y += 22;
    ns::MutableAttributedString colours("Blue, half-transparent grey, ", attrs(ui::Font::systemFont(15), ui::Color::blue()));
    colours.addAttributes({{Key::foregroundColor, ns::Value::of(ui::Color(0.2, 0.5))}}, ns::Range(6, 21));
    colours.append(ns::AttributedString("big", attrs(ui::Font::boldSystemFont(22), ui::Color(0, 0.6, 0.2, 1))));
    ui::draw(colours, cg::Rect(8, y, 304, 30));

    cg::ImageRef image = ui::graphicsGetImageFromCurrentImageContext().cgImage();
    ui::graphicsEndImageContext();
    return image;
}

TEST(StringDrawingTest, GoldenMappedFacesWrappingAlignmentCjkTruncationColours) {
    const cg::ImageRef image = renderTextPage();
    ASSERT_EQ(image->width(), 640);
    ASSERT_EQ(image->height(), 940);
    pellavo::testing::expectMatchesGolden(*image, "ui_text");
}

} // namespace
