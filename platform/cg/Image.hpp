#pragma once

#include "platform/ns/Export.hpp"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace pellavo::cg {

// One straight (un-premultiplied) 8-bit RGBA pixel.
struct PELLAVO_EXPORT RGBA8 {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
    friend constexpr bool operator==(const RGBA8&, const RGBA8&) = default;
};

// Immutable premultiplied ARGB32 pixels in Cairo's layout (one native-endian
// 32-bit word per pixel, alpha in the high byte). Shared as
// std::shared_ptr<const Image>, so any thread may read it.
class PELLAVO_EXPORT Image {
public:
    // A transparent image; sides below 0 are taken as 0.
    Image(int width, int height);
    // Takes premultiplied ARGB32 rows of `stride` bytes; a buffer too short is zero-padded.
    Image(int width, int height, int stride, std::vector<std::uint8_t> data);

    int width() const { return width_; }
    int height() const { return height_; }
    int stride() const { return stride_; }
    const std::uint8_t* data() const { return data_.data(); }
    std::size_t byteCount() const { return data_.size(); }

    // Un-premultiplied; outside the image gives zeros.
    RGBA8 pixel(int x, int y) const;
    // The premultiplied word as stored.
    std::uint32_t word(int x, int y) const;

    // Writable only while the image is being built, before it is shared as const.
    std::uint8_t* mutableData() { return data_.data(); }

    static int strideForWidth(int width) { return width > 0 ? width * 4 : 0; }

private:
    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
    std::vector<std::uint8_t> data_;
};

using ImageRef = std::shared_ptr<const Image>;

} // namespace pellavo::cg
