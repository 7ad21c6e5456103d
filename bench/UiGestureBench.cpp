#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench/Stage.hpp"
#include "platform/ui/gesture/PanGestureRecognizer.hpp"
#include "platform/ui/gesture/TapGestureRecognizer.hpp"
#include "platform/ui/event/TestDriver.hpp"
#include "platform/ui/view/View.hpp"
#include "platform/ui/view/Window.hpp"

namespace {

using namespace pellavo;

class Counter : public ns::Object {
public:
    void pan(ui::PanGestureRecognizer& recognizer) {
        const cg::Point t = recognizer.translation(recognizer.view());
        const cg::Point v = recognizer.velocity(recognizer.view());
        sum += t.x + t.y + v.x * 1e-3;
        ++pans;
    }
    void tap() { ++taps; }
    double sum = 0;
    std::int64_t pans = 0;
    std::int64_t taps = 0;
};

// 10 columns of 20 nested views (200 views). A finger lands on the deepest view of one
// column, which carries a tap; a double tap sits halfway up and a pan on the column's
// root. The finger then makes 1 000 moves of one point, 8 ms apart: the taps fail
// after ten points, the pan begins and reports every move after that.
void UiGesture1000MovesThrough200Views(benchmark::State& state) {
    bench::Stage stage;
    const auto& window = stage.window;

    auto counter = ns::make<Counter>();
    std::vector<std::shared_ptr<ui::View>> deepest;
    for (int column = 0; column < 10; ++column) {
        std::shared_ptr<ui::View> parent = window;
        cg::Rect frame{column * 37.5, 0, 37.5, 667};
        for (int depth = 0; depth < 20; ++depth) {
            auto view = ns::make<ui::View>(frame);
            parent->addSubview(view);
            if (column == 4 && depth == 0) view->addGestureRecognizer(ns::make<ui::PanGestureRecognizer>(counter, &Counter::pan));
            if (column == 4 && depth == 10) {
                auto doubleTap = ns::make<ui::TapGestureRecognizer>(counter, &Counter::tap);
                doubleTap->setNumberOfTapsRequired(2);
                view->addGestureRecognizer(doubleTap);
            }
            if (column == 4 && depth == 19) view->addGestureRecognizer(ns::make<ui::TapGestureRecognizer>(counter, &Counter::tap));
            parent = view;
            frame = {0.5, 1, frame.size.width - 1, frame.size.height - 2};
        }
    }
    ui::TestDriver driver(window);
    const cg::Point start{4 * 37.5 + 18, 100};
    for (auto _ : state) {
        auto id = driver.touchDown(start);
        for (int i = 1; i <= 1000; ++i) {
            stage.clock->advance(8'000'000);
            driver.move(id, {start.x, start.y + i * 0.5});
        }
        driver.up(id);
    }
    benchmark::DoNotOptimize(counter->sum);
    state.counters["pan actions"] = benchmark::Counter(static_cast<double>(counter->pans), benchmark::Counter::kAvgIterations);
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(UiGesture1000MovesThrough200Views)->Unit(benchmark::kMillisecond);

} // namespace
