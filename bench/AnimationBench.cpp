#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "platform/ca/AnimationGroup.hpp"
#include "platform/ca/BasicAnimation.hpp"
#include "platform/ca/CurrentMediaTime.hpp"
#include "platform/ca/KeyframeAnimation.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ca/LayerSnapshot.hpp"
#include "platform/ca/MediaTimingFunction.hpp"
#include "platform/ca/Transaction.hpp"
#include "platform/ns/Clock.hpp"

namespace {

using namespace pellavo;

// 1,000 layers, each with an ease-in-ease-out position animation, a paced opacity
// keyframe animation and a group of two children.
std::vector<std::shared_ptr<ca::Layer>> animatedLayers() {
    std::vector<std::shared_ptr<ca::Layer>> layers;
    for (int i = 0; i < 1000; ++i) {
        auto layer = ns::make<ca::Layer>();
        layer->setFrame(cg::Rect(i % 40, i / 40, 10, 10));

        auto move = ns::make<ca::BasicAnimation>();
        move->setKeyPath("position");
        move->setFromValue(cg::Point(0, 0));
        move->setToValue(cg::Point(300, 600));
        move->setDuration(2);
        move->setRepeatCount(INFINITY);
        move->setTimingFunction(ca::MediaTimingFunction::easeInEaseOut());
        layer->addAnimation(move, "move");

        auto fade = ns::make<ca::KeyframeAnimation>();
        fade->setKeyPath("opacity");
        fade->setValues({0.0, 0.95, 0.85, 0.3});
        fade->setCalculationMode(ca::CalculationMode::paced);
        fade->setDuration(1.5);
        fade->setRepeatCount(INFINITY);
        layer->addAnimation(fade, "fade");

        auto radius = ns::make<ca::BasicAnimation>();
        radius->setKeyPath("cornerRadius");
        radius->setFromValue(0.0);
        radius->setToValue(5.0);
        auto spin = ns::make<ca::BasicAnimation>();
        spin->setKeyPath("transform.rotation.z");
        spin->setFromValue(0.0);
        spin->setToValue(3.0);
        spin->setBeginTime(0.2);
        spin->setDuration(0.5);
        auto group = ns::make<ca::AnimationGroup>();
        group->setAnimations({radius, spin});
        group->setDuration(1);
        group->setRepeatCount(INFINITY);
        layer->addAnimation(group, "group");
        layers.push_back(layer);
    }
    ca::Transaction::flush();
    return layers;
}

// What the renderer does per layer and frame: the model snapshot, then the animations.
void BM_AnimationPresentationOf1000Layers(benchmark::State& state) {
    const auto layers = animatedLayers();
    double t = ca::currentMediaTime();
    for (auto _ : state) {
        t += 1.0 / 60;
        for (const auto& layer : layers) {
            ca::LayerSnapshot s;
            layer->snapshot(s);
            layer->applyPresentation(t, s);
            benchmark::DoNotOptimize(s.position);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(layers.size()));
}
BENCHMARK(BM_AnimationPresentationOf1000Layers)->Unit(benchmark::kMillisecond);

// The detached presentation copies of the same layers.
void BM_AnimationPresentationCopiesOf1000Layers(benchmark::State& state) {
    const auto layers = animatedLayers();
    double t = ca::currentMediaTime();
    for (auto _ : state) {
        t += 1.0 / 60;
        for (const auto& layer : layers) benchmark::DoNotOptimize(layer->presentationAt(t));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(layers.size()));
}
BENCHMARK(BM_AnimationPresentationCopiesOf1000Layers)->Unit(benchmark::kMillisecond);

void BM_AnimationTimingEvaluate(benchmark::State& state) {
    const auto f = ca::MediaTimingFunction::easeInEaseOut();
    double x = 0;
    for (auto _ : state) {
        x += 0.000123;
        if (x > 1) x -= 1;
        benchmark::DoNotOptimize(f.evaluate(x));
    }
}
BENCHMARK(BM_AnimationTimingEvaluate);

} // namespace
