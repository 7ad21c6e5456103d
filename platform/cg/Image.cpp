#include "platform/cg/Image.hpp"

#include <algorithm>
#include <cstring>

namespace pellavo::cg {

Image::Image(int width, int height)
    : width_(std::max(0, width)), height_(std::max(0, height)), stride_(strideForWidth(width_)),
      data_(static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height_), 0) {}

Image::Image(int width, int height, int stride, std::vector<std::uint8_t> data)
    : width_(std::max(0, width)), height_(std::max(0, height)),
      stride_(std::max(stride, strideForWidth(width_))), data_(std::move(data)) {
    data_.resize(static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height_), 0);
}

std::uint32_t Image::word(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    std::uint32_t w;
    std::memcpy(&w, data_.data() + static_cast<std::size_t>(y) * stride_ + static_cast<std::size_t>(x) * 4, 4);
    return w;
}

RGBA8 Image::pixel(int x, int y) const {
    const std::uint32_t w = word(x, y);
    const std::uint32_t a = w >> 24;
    if (a == 0) return {};
    auto un = [a](std::uint32_t c) {
        return static_cast<std::uint8_t>(std::min<std::uint32_t>(255, (c * 255 + a / 2) / a));
    };
    return {un((w >> 16) & 0xff), un((w >> 8) & 0xff), un(w & 0xff), static_cast<std::uint8_t>(a)};
}

} // namespace pellavo::cg
