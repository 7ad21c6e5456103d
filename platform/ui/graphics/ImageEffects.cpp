#include "platform/ui/graphics/ImageEffects.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace pellavo::ui::detail {
namespace {

std::uint8_t toByte(double v) {
    if (!(v > 0)) return 0;
    if (v >= 255) return 255;
    return static_cast<std::uint8_t>(std::lround(v));
}

// Copies the pixels, rewriting each premultiplied ARGB word through `fn`.
template <class Fn>
std::shared_ptr<const cg::Image> mapPixels(const cg::Image& source, Fn fn) {
    const int w = source.width(), h = source.height();
    const int stride = cg::Image::strideForWidth(w);
    std::vector<std::uint8_t> data(static_cast<std::size_t>(stride) * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t word = fn(source.word(x, y));
            std::memcpy(data.data() + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 4, &word,
                        sizeof word);
        }
    }
    return std::make_shared<const cg::Image>(w, h, stride, std::move(data));
}

std::uint32_t pack(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return (std::uint32_t{a} << 24) | (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | std::uint32_t{b};
}

} // namespace

Image tintedImage(const Image& image, const Color& color) {
    if (image.isEmpty()) return image.withRenderingMode(Image::RenderingMode::alwaysOriginal);
    const cg::Color c = color.cgColor().clamped();
    auto pixels = mapPixels(*image.cgImage(), [&](std::uint32_t word) {
        const double coverage = static_cast<double>(word >> 24) / 255.0 * c.alpha;
        return pack(toByte(coverage * 255), toByte(c.red * coverage * 255), toByte(c.green * coverage * 255),
                    toByte(c.blue * coverage * 255));
    });
    return Image(std::move(pixels), image.scale()).withRenderingMode(Image::RenderingMode::alwaysOriginal);
}

Image darkenedImage(const Image& image) {
    if (image.isEmpty()) return image;
    constexpr double keep = 1.0 - 0.45;
    auto pixels = mapPixels(*image.cgImage(), [](std::uint32_t word) {
        auto channel = [&](int shift) { return toByte(((word >> shift) & 0xFF) * keep); };
        return pack(static_cast<std::uint8_t>(word >> 24), channel(16), channel(8), channel(0));
    });
    return Image(std::move(pixels), image.scale()).withRenderingMode(image.renderingMode());
}

} // namespace pellavo::ui::detail
