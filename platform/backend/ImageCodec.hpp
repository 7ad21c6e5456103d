#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include "platform/cg/Image.hpp"

namespace pellavo::backend {

// Limits applied before any pixel buffer is allocated.
inline constexpr std::size_t kMaxEncodedImageBytes = std::size_t{64} << 20;
inline constexpr int kMaxDecodedImageSide = 8192;

// Decoders never print, never exit, and answer null for data that is corrupt,
// truncated, of an unsupported kind or over the limits. The result is
// premultiplied ARGB32.
std::shared_ptr<const cg::Image> decodePng(std::span<const std::byte> data);
std::shared_ptr<const cg::Image> decodeJpeg(std::span<const std::byte> data);
// Picks the decoder by signature.
std::shared_ptr<const cg::Image> decodeImage(std::span<const std::byte> data);

// 8-bit straight RGBA, no time or gamma chunks; empty for an image without pixels.
std::vector<std::byte> encodePng(const cg::Image& image);

} // namespace pellavo::backend
