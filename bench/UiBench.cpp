#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench/Stage.hpp"
#include "platform/ui/view/DisplayCycle.hpp"
#include "platform/ui/view/View.hpp"
#include "platform/ui/view/Window.hpp"

namespace {

using namespace pellavo;
using bench::Stage;

// 50 columns of 10 nested views each (500 views, 10 levels), hit at a grid of points.
void UiHitTest500Views10Deep(benchmark::State& state) {
    Stage stage;
    for (int column = 0; column < 50; ++column) {
        std::shared_ptr<ui::View> parent = stage.window;
        cg::Rect frame{(column % 10) * 37.5, (column / 10) * 133.0, 37.5, 133};
        for (int depth = 0; depth < 10; ++depth) {
            auto view = ns::make<ui::View>(frame);
            parent->addSubview(view);
            parent = view;
            frame = {1, 1, frame.size.width - 2, frame.size.height - 2};
        }
    }
    std::vector<cg::Point> points;
    for (double y = 3; y < 667; y += 41) {
        for (double x = 2; x < 375; x += 23) points.push_back({x, y});
    }
    std::int64_t hits = 0;
    for (auto _ : state) {
        for (const auto& point : points) hits += stage.window->hitTest(point, nullptr) != nullptr;
    }
    benchmark::DoNotOptimize(hits);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(points.size()));
}
BENCHMARK(UiHitTest500Views10Deep)->Unit(benchmark::kMicrosecond);

// 10 containers of 100 flexible views (1 000 autoresizing views): the root changes
// size, which autoresizes the tree, and the layout pass lays out every marked view.
void UiLayoutPass1000AutoresizingViews(benchmark::State& state) {
    using M = ui::View::AutoresizingMask;
    Stage stage;
    auto root = ns::make<ui::View>(cg::Rect{0, 0, 375, 667});
    root->setAutoresizingMask(M::flexibleWidth | M::flexibleHeight);
    stage.window->addSubview(root);
    for (int c = 0; c < 10; ++c) {
        auto container = ns::make<ui::View>(cg::Rect{0, c * 66.7, 375, 66.7});
        container->setAutoresizingMask(M::flexibleWidth | M::flexibleTopMargin | M::flexibleHeight |
                                       M::flexibleBottomMargin);
        root->addSubview(container);
        for (int i = 0; i < 99; ++i) {
            auto view = ns::make<ui::View>(cg::Rect{i * 3.75, 5, 3.75, 50});
            view->setAutoresizingMask(M::flexibleLeftMargin | M::flexibleWidth | M::flexibleRightMargin |
                                      M::flexibleHeight);
            container->addSubview(view);
        }
    }
    ui::DisplayCycle::layoutPass();
    bool wide = false;
    for (auto _ : state) {
        wide = !wide;
        root->setBounds({0, 0, wide ? 667.0 : 375.0, wide ? 375.0 : 667.0});
        ui::DisplayCycle::layoutPass();
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(UiLayoutPass1000AutoresizingViews)->Unit(benchmark::kMicrosecond);

} // namespace
