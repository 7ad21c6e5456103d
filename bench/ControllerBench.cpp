#include <benchmark/benchmark.h>

#include <memory>

#include "bench/Stage.hpp"
#include "platform/backend/Headless.hpp"
#include "platform/ns/RunLoop.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/view/View.hpp"
#include "platform/ui/controller/ViewController.hpp"
#include "platform/ui/view/Window.hpp"

namespace {

using namespace pellavo;

// A fresh application on a manual clock whose key window shows a root controller
// with a screenful of coloured tiles.
class ControllerStage : public bench::Stage {
public:
    ControllerStage() {
        root = ns::make<ui::ViewController>();
        const auto view = root->view();
        for (int i = 0; i < 60; ++i) {
            auto tile = ns::make<ui::View>(cg::Rect{(i % 6) * 62.5, (i / 6) * 66.7, 60, 64});
            tile->setBackgroundColor(ui::Color(i / 60.0, 0.4, 1 - i / 60.0, 1));
            view->addSubview(tile);
        }
        window->setRootViewController(root);
    }

    std::shared_ptr<ui::ViewController> root;
};

// One animated full-screen presentation and its dismissal, rendering the screen at
// 60 frames per second throughout.
void UiPresentationFrames(benchmark::State& state) {
    ControllerStage stage;
    auto& loop = ns::RunLoop::main();
    constexpr double frame = 1.0 / 60;
    std::int64_t frames = 0;
    for (auto _ : state) {
        const auto presented = ns::make<ui::ViewController>();
        presented->view()->setBackgroundColor(ui::Color(1, 1, 1, 1));
        stage.root->present(presented, true);
        for (int i = 0; i < 24; ++i, ++frames) {
            loop.advance(frame);
            benchmark::DoNotOptimize(backend::Headless::renderScreen());
        }
        presented->dismiss(true);
        for (int i = 0; i < 24; ++i, ++frames) {
            loop.advance(frame);
            benchmark::DoNotOptimize(backend::Headless::renderScreen());
        }
    }
    state.SetItemsProcessed(frames);
}
BENCHMARK(UiPresentationFrames)->Unit(benchmark::kMillisecond);

} // namespace
