#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench/Stage.hpp"
#include "platform/dispatch/Queue.hpp"
#include "platform/ns/RunLoop.hpp"
#include "platform/ns/Timer.hpp"

namespace {

using namespace pellavo;

// 1 000 repeating timers with spread intervals, walked through 10 s of clock time.
void BM_ThousandTimersAdvanceTenSeconds(benchmark::State& state) {
    bench::ManualTime time;
    std::int64_t fires = 0;
    for (auto _ : state) {
        std::vector<std::shared_ptr<ns::Timer>> timers;
        timers.reserve(1000);
        for (int i = 0; i < 1000; ++i) {
            const double interval = 0.05 + 0.001 * (i % 50);
            timers.push_back(ns::Timer::scheduledTimer(interval, true, [&fires](ns::Timer&) { ++fires; }));
        }
        ns::RunLoop::main().advance(10);
        for (const auto& timer : timers) timer->invalidate();
    }
    state.counters["fires"] = benchmark::Counter(static_cast<double>(fires), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ThousandTimersAdvanceTenSeconds)->Unit(benchmark::kMillisecond);

// Blocks queued on the main queue and drained by one run-loop pass.
void BM_MainQueueThroughput(benchmark::State& state) {
    bench::ManualTime time;
    const auto count = state.range(0);
    std::int64_t ran = 0;
    for (auto _ : state) {
        for (std::int64_t i = 0; i < count; ++i) dispatch::Queue::main().async([&ran] { ++ran; });
        ns::RunLoop::main().runUntilIdle();
    }
    benchmark::DoNotOptimize(ran);
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_MainQueueThroughput)->Arg(10'000);

} // namespace
