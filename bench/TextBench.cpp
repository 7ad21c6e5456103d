#include <benchmark/benchmark.h>

#include "platform/ns/AttributedString.hpp"
#include "platform/ui/text/Font.hpp"
#include "platform/ui/text/StringDrawing.hpp"
#include "platform/ui/text/TextLayout.hpp"

namespace {

using namespace pellavo;

// A label-sized string: 30 characters in the system font.
void BM_MeasureThirtyCharacters(benchmark::State& state) {
    const ns::String text("Settings and privacy controls!");
    const ns::Attributes attributes{{ns::AttributedString::Key::font, ns::Value::of(ui::Font::systemFont(17))}};
    for (auto _ : state) {
        cg::Size size = ui::size(text, attributes);
        benchmark::DoNotOptimize(size);
    }
}
BENCHMARK(BM_MeasureThirtyCharacters);

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
