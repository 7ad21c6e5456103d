#include <benchmark/benchmark.h>

#include <string>

#include "platform/ns/RegularExpression.hpp"
#include "platform/ns/String.hpp"

namespace {

using pellavo::ns::RegularExpression;
using pellavo::ns::String;

// Ten thousand UTF-16 units of mixed text: words, digits, an e-mail address and emoji.
String mixedText() {
    std::string s;
    for (int i = 0; String(s).length() < 10'000; ++i) {
        s += "word" + std::to_string(i) + " user" + std::to_string(i) + "@example.com \xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD ";
        s += "e\xCC\x81t\xC3\xA9 \xE8\x8E\xB7\xE5\x8F\x96 ";
    }
    const String text(s);
    // Cut at 10 000 units, or one less where that would split a pair.
    return text.substring({0, 10'000}).value_or(text.substring({0, 9'999}).value_or(text));
}

void BM_RegexOverTenThousandCharacters(benchmark::State& state) {
    const auto regex = RegularExpression::make("[A-Z0-9a-z._%+-]+@[A-Za-z0-9.-]+\\.[A-Za-z]{2,64}");
    const String text = mixedText();
    int64_t found = 0;
    for (auto _ : state) {
        found = regex->numberOfMatches(text, {0, text.length()});
        benchmark::DoNotOptimize(found);
    }
    state.counters["matches"] = static_cast<double>(found);
    state.SetItemsProcessed(state.iterations() * text.length());
}
BENCHMARK(BM_RegexOverTenThousandCharacters);

void BM_GraphemeCountOverTenThousandCharacters(benchmark::State& state) {
    const String text = mixedText();
    for (auto _ : state) benchmark::DoNotOptimize(text.graphemeCount());
    state.SetItemsProcessed(state.iterations() * text.length());
}
BENCHMARK(BM_GraphemeCountOverTenThousandCharacters);

void BM_Utf8RoundTrip(benchmark::State& state) {
    const std::string utf8 = mixedText().utf8();
    for (auto _ : state) benchmark::DoNotOptimize(String(utf8).utf8());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(utf8.size()));
}
BENCHMARK(BM_Utf8RoundTrip);

} // namespace
