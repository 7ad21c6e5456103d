#include <benchmark/benchmark.h>

#include <memory>

#include "bench/Stage.hpp"
#include "platform/ca/Renderer.hpp"
#include "platform/ns/RunLoop.hpp"
#include "platform/ui/scroll/ScrollView.hpp"
#include "platform/ui/scroll/TableView.hpp"
#include "platform/ui/event/TestDriver.hpp"
#include "platform/ui/view/Window.hpp"

namespace {

using namespace pellavo;

class ThousandRows : public ui::TableViewDataSource {
public:
    int numberOfRowsInSection(ui::TableView&, int) override { return 1000; }
    std::shared_ptr<ui::TableViewCell> cellForRowAt(ui::TableView&, ns::IndexPath path) override {
        auto cell = ns::make<ui::TableViewCell>();
        cell->setTag(path.row);
        return cell;
    }
};

// One frame of a full-screen 1,000-row table scrolled by a screen: the layout pass
// (a new set of cells) and the render.
void UiTable1000RowsScrollScreenFrame(benchmark::State& state) {
    bench::Stage stage;
    auto table = ns::make<ui::TableView>(cg::Rect{0, 0, 375, 667});
    auto rows = std::make_shared<ThousandRows>();
    table->setDataSource(rows);
    stage.window->addSubview(table);
    table->layoutIfNeeded();
    ca::Renderer renderer;
    const double screen = 667;
    const double end = table->contentSize().height - screen;
    double y = 0;
    for (auto _ : state) {
        y += screen;
        if (y > end) y = 0;
        table->setContentOffset({0, y});
        stage.window->layoutIfNeeded();
        benchmark::DoNotOptimize(renderer.render(*stage.window->layer()).data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(UiTable1000RowsScrollScreenFrame)->Unit(benchmark::kMicrosecond);

// The display-link frames of a flick's deceleration, from lift to rest.
void UiScrollDecelerationTicks(benchmark::State& state) {
    bench::Stage stage;
    auto sv = ns::make<ui::ScrollView>(cg::Rect{0, 0, 375, 667});
    sv->setContentSize({375, 100000});
    stage.window->addSubview(sv);
    ui::TestDriver driver;
    std::int64_t frames = 0;
    for (auto _ : state) {
        state.PauseTiming();
        sv->setContentOffset({0, 1000});
        driver.drag({187, 600}, {187, 200}, 10, 0.2);
        state.ResumeTiming();
        while (sv->isDecelerating()) {
            ns::RunLoop::main().advance(1.0 / 60);
            ++frames;
        }
    }
    state.SetItemsProcessed(frames);
}
BENCHMARK(UiScrollDecelerationTicks)->Unit(benchmark::kMillisecond);

} // namespace
