#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>

#include "platform/ci/BlurCore.hpp"
#include "platform/ui/graphics/Image.hpp"

using namespace pellavo;

namespace {

// Soft shapes over noise, so neither blur nor codec meets only flat colour.
std::shared_ptr<cg::Image> busyImage(int width, int height) {
    auto image = std::make_shared<cg::Image>(width, height);
    std::uint32_t seed = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const std::uint32_t a = (x / 37 + y / 53) % 3 == 0 ? 255 : 120 + (seed >> 28);
            const std::uint32_t r = (x * 255 / width) * a / 255;
            const std::uint32_t g = (y * 255 / height) * a / 255;
            const std::uint32_t b = ((seed >> 24) & 0x7F) * a / 255;
            const std::uint32_t word = (a << 24) | (r << 16) | (g << 8) | b;
            std::memcpy(image->mutableData() + y * image->stride() + x * 4, &word, 4);
        }
    return image;
}

void BM_Blur512(benchmark::State& state) {
    const auto image = busyImage(512, 512);
    const double sigma = static_cast<double>(state.range(0));
    for (auto _ : state) {
        auto out = ci::gaussianBlur(*image, sigma, {0, 0, 512, 512});
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_Blur512)->Arg(10)->Arg(30)->Unit(benchmark::kMillisecond);

void BM_BlurAlpha512(benchmark::State& state) {
    const auto image = busyImage(512, 512);
    const double sigma = static_cast<double>(state.range(0));
    const int reach = ci::blurReach(sigma);
    for (auto _ : state) {
        auto out = ci::gaussianBlurAlpha(*image, sigma, {-reach, -reach, 512 + 2 * reach, 512 + 2 * reach});
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_BlurAlpha512)->Arg(10)->Arg(30)->Unit(benchmark::kMillisecond);

void BM_DecodePng750x1334(benchmark::State& state) {
    const auto png = ui::Image(busyImage(750, 1334)).pngData();
    for (auto _ : state) {
        auto image = ui::Image::fromData(png);
        benchmark::DoNotOptimize(image);
    }
    state.counters["bytes"] = static_cast<double>(png.size());
}
BENCHMARK(BM_DecodePng750x1334)->Unit(benchmark::kMillisecond);

} // namespace
