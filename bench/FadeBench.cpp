#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "platform/ca/BasicAnimation.hpp"
#include "platform/ca/CurrentMediaTime.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ca/Renderer.hpp"
#include "platform/ca/Transaction.hpp"

// What a faded or animated layer costs over the same layer drawn opaque and still:
// each benchmark draws both trees in one loop and reports the ratio.

namespace {

using namespace pellavo;
using Clock = std::chrono::steady_clock;

constexpr cg::Size kScreen{375, 667};

std::shared_ptr<ca::Layer> screenRoot() {
    auto root = ns::make<ca::Layer>();
    root->setFrame({{0, 0}, kScreen});
    root->setBackgroundColor(cg::Color(0.95, 0.95, 0.97, 1));
    return root;
}

cg::Color tint(int i) { return {0.2 + 0.6 * (i % 7) / 6.0, 0.3 + 0.5 * (i % 5) / 4.0, 0.8 - 0.6 * (i % 3) / 2.0, 1}; }

// `count` tiles of 13 × 5 pt spread over the screen.
std::shared_ptr<ca::Layer> tiles(int count, float opacity) {
    auto root = screenRoot();
    for (int i = 0; i < count; ++i) {
        auto tile = ns::make<ca::Layer>();
        tile->setFrame(cg::Rect(4 + (i % 25) * 14.7, 4 + (i / 25) * 16.3 + (i % 3), 13, 5));
        tile->setBackgroundColor(tint(i));
        tile->setOpacity(opacity);
        root->addSublayer(tile);
    }
    return root;
}

// Runs both frames per iteration and reports each and their ratio.
template <class Faded, class Plain>
void compare(benchmark::State& state, Faded faded, Plain plain, const char* name) {
    Clock::duration a{}, b{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        faded();
        const auto t1 = Clock::now();
        plain();
        const auto t2 = Clock::now();
        a += t1 - t0;
        b += t2 - t1;
    }
    const double n = static_cast<double>(state.iterations());
    const double aMs = std::chrono::duration<double, std::milli>(a).count() / n;
    const double bMs = std::chrono::duration<double, std::milli>(b).count() / n;
    state.counters[std::string(name) + "_ms"] = aMs;
    state.counters["opaque_ms"] = bMs;
    state.counters["ratio"] = bMs > 0 ? aMs / bMs : 0;
}

void BM_FadedTiles(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const auto faded = tiles(count, 0.5f), opaque = tiles(count, 1);
    ca::Renderer renderer(kScreen, 2);
    compare(
        state, [&] { benchmark::DoNotOptimize(renderer.render(*faded).data()); },
        [&] { benchmark::DoNotOptimize(renderer.render(*opaque).data()); }, "faded");
}
BENCHMARK(BM_FadedTiles)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// 1,000 layers of 10 × 10 pt sliding and fading forever, against the same layers still and opaque.
void BM_AnimatedLayers(benchmark::State& state) {
    auto animated = screenRoot(), still = screenRoot();
    for (int i = 0; i < 1000; ++i) {
        const cg::Rect frame(5 + (i % 35) * 10.5, 5 + (i / 35) * 22.0, 10, 10);
        for (auto* root : {&animated, &still}) {
            auto layer = ns::make<ca::Layer>();
            layer->setFrame(frame);
            layer->setBackgroundColor(tint(i));
            (*root)->addSublayer(layer);
            if (root == &still) continue;
            auto move = ns::make<ca::BasicAnimation>();
            move->setKeyPath("position");
            move->setFromValue(cg::Point(frame.midX(), frame.midY()));
            move->setToValue(cg::Point(frame.midX() + 30, frame.midY() + 7));
            move->setDuration(1.3);
            move->setRepeatCount(INFINITY);
            layer->addAnimation(move, "move");
            auto fade = ns::make<ca::BasicAnimation>();
            fade->setKeyPath("opacity");
            fade->setFromValue(1.0);
            fade->setToValue(0.2);
            fade->setDuration(0.9);
            fade->setRepeatCount(INFINITY);
            layer->addAnimation(fade, "fade");
        }
    }
    ca::Transaction::flush();
    ca::Renderer renderer(kScreen, 2);
    double t = ca::currentMediaTime() + 0.05;
    compare(
        state,
        [&] {
            t += 1.0 / 60;
            benchmark::DoNotOptimize(renderer.render(*animated, ca::RenderMode::presentation(t)).data());
        },
        [&] { benchmark::DoNotOptimize(renderer.render(*still).data()); }, "animated");
}
BENCHMARK(BM_AnimatedLayers)->Unit(benchmark::kMillisecond);

} // namespace
