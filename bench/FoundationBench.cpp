#include <benchmark/benchmark.h>

#include "platform/cg/AffineTransform.hpp"

namespace {

void BM_RectApplyingRotation(benchmark::State& state) {
    using namespace pellavo::cg;
    const AffineTransform t = AffineTransform::makeRotation(0.3).translatedBy(4, 5);
    Rect r{1, 2, 30, 40};
    for (auto _ : state) {
        r = r.applying(t).integral();
        benchmark::DoNotOptimize(r);
        r = Rect{1, 2, 30, 40};
    }
}
BENCHMARK(BM_RectApplyingRotation);

} // namespace
