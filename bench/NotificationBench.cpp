#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "platform/ns/NotificationCenter.hpp"
#include "platform/ns/Runtime.hpp"

namespace {

using pellavo::ns::Notification;
using pellavo::ns::NotificationCenter;
using pellavo::ns::Object;
using pellavo::ns::Selector;

class BenchListener : public Object {
public:
    std::string_view className() const override { return "BenchListener"; }
    void heard(Notification*) { ++count; }
    int64_t count = 0;
};

void BM_PostToHundredBlockObservers(benchmark::State& state) {
    NotificationCenter center;
    int64_t heard = 0;
    std::vector<std::shared_ptr<Object>> tokens;
    for (int i = 0; i < 100; ++i) {
        tokens.push_back(center.addObserver("tick", nullptr, [&heard](const Notification&) { ++heard; }));
    }
    // Registrations for other names are passed over.
    for (int i = 0; i < 100; ++i) {
        tokens.push_back(center.addObserver("other", nullptr, [](const Notification&) {}));
    }
    for (auto _ : state) center.post("tick");
    benchmark::DoNotOptimize(heard);
    state.SetItemsProcessed(state.iterations() * 100);
}
BENCHMARK(BM_PostToHundredBlockObservers);

void BM_PostToHundredSelectorObservers(benchmark::State& state) {
    auto& runtime = pellavo::ns::Runtime::shared();
    runtime.registerClass<BenchListener>("BenchListener");
    runtime.addAction<BenchListener, Notification>("BenchListener", Selector("heard:"), &BenchListener::heard);
    NotificationCenter center;
    std::vector<std::shared_ptr<BenchListener>> listeners;
    for (int i = 0; i < 100; ++i) {
        listeners.push_back(std::make_shared<BenchListener>());
        center.addObserver(listeners.back(), Selector("heard:"), "tick");
    }
    for (auto _ : state) center.post("tick");
    benchmark::DoNotOptimize(listeners.front()->count);
    state.SetItemsProcessed(state.iterations() * 100);
}
BENCHMARK(BM_PostToHundredSelectorObservers);

} // namespace
