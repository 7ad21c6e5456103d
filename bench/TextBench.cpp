#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include <pango/pangocairo.h>

#include "platform/ns/AttributedString.hpp"
#include "platform/ui/text/Font.hpp"
#include "platform/ui/text/FontSystem.hpp"
#include "platform/ui/text/StringDrawing.hpp"
#include "platform/ui/text/TextLayout.hpp"

namespace {

using namespace pellavo;

// A label-sized string: 30 characters in the system font, measured again and again
// (labels ask for the same size many times a frame): the remembered size.
void BM_MeasureThirtyCharacters(benchmark::State& state) {
    const ns::String text("Settings and privacy controls!");
    const ns::Attributes attributes{{ns::AttributedString::Key::font, ns::Value::of(ui::Font::systemFont(17))}};
    for (auto _ : state) {
        cg::Size size = ui::size(text, attributes);
        benchmark::DoNotOptimize(size);
    }
}
BENCHMARK(BM_MeasureThirtyCharacters);

// Strings of 30 characters never measured before (more of them than the thread
// remembers), against Pango measuring the same strings in the same font on the same
// context: ratio = ours / Pango's.
void BM_MeasureThirtyCharactersFresh(benchmark::State& state) {
    std::vector<ns::String> texts;
    for (std::size_t i = 0; i < 2 * ui::detail::measureCacheCapacity; ++i) {
        const std::string number = std::to_string(10000 + i);
        texts.emplace_back("Settings and privacy ctrl " + number.substr(number.size() - 4));
    }
    const ui::Font font = ui::Font::systemFont(17);
    const ns::Attributes attributes{{ns::AttributedString::Key::font, ns::Value::of(font)}};
    PangoFontDescription* description = ui::detail::newFontDescription(font);
    ui::fontsDidChange();  // nothing remembered from an earlier run
    using Clock = std::chrono::steady_clock;
    Clock::duration ours{}, pango{};
    std::size_t next = 0;
    for (auto _ : state) {
        const ns::String& text = texts[next];
        next = (next + 1) % texts.size();
        const auto start = Clock::now();
        cg::Size size = ui::size(text, attributes);
        const auto middle = Clock::now();
        PangoLayout* layout = pango_layout_new(ui::detail::fontContext());
        const std::string utf8 = text.utf8();
        pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
        pango_layout_set_font_description(layout, description);
        PangoRectangle logical;
        pango_layout_get_extents(layout, nullptr, &logical);
        g_object_unref(layout);
        const auto end = Clock::now();
        ours += middle - start;
        pango += end - middle;
        benchmark::DoNotOptimize(size);
        benchmark::DoNotOptimize(logical);
    }
    pango_font_description_free(description);
    const double n = static_cast<double>(state.iterations());
    state.counters["ours_us"] = std::chrono::duration<double, std::micro>(ours).count() / n;
    state.counters["pango_us"] = std::chrono::duration<double, std::micro>(pango).count() / n;
    state.counters["ratio"] = static_cast<double>(ours.count()) / static_cast<double>(pango.count());
}
BENCHMARK(BM_MeasureThirtyCharactersFresh);

// A paragraph wrapped at a phone-width column.
void BM_WrapParagraph(benchmark::State& state) {
    const ns::AttributedString text(
        "Layout wraps this paragraph at the width of a narrow column, breaking between words "
        "and measuring every line in fractional points, the way labels and text views do.",
        {{ns::AttributedString::Key::font, ns::Value::of(ui::Font("HelveticaNeue-Light", 15))}});
    for (auto _ : state) {
        ui::TextLayout layout(text, 200);
        benchmark::DoNotOptimize(layout.size());
    }
}
BENCHMARK(BM_WrapParagraph);

} // namespace
