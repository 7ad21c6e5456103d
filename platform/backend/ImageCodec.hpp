#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/cg/Image.hpp"
#include "platform/cg/ImageCodec.hpp"

namespace pellavo::backend {

// The limits every codec applies (cg/ImageCodec.hpp), applied here before any pixel
// buffer is allocated.
using cg::kMaxDecodedImageSide;
using cg::kMaxEncodedImageBytes;

// Decoders never print, never exit, and answer null for data that is corrupt,
// truncated, of an unsupported kind or over the limits. The result is
// premultiplied ARGB32.
PELLAVO_EXPORT std::shared_ptr<const cg::Image> decodePng(std::span<const std::byte> data);
PELLAVO_EXPORT std::shared_ptr<const cg::Image> decodeJpeg(std::span<const std::byte> data);
// Picks the decoder by signature.
PELLAVO_EXPORT std::shared_ptr<const cg::Image> decodeImage(std::span<const std::byte> data);

// 8-bit straight RGBA, no time or gamma chunks; empty for an image without pixels.
PELLAVO_EXPORT std::vector<std::byte> encodePng(const cg::Image& image);

// The functions above as the platform's image codec, for its initialisation point to
// install (cg::ImageCodec::install). Stateless: safe from any thread.
PELLAVO_EXPORT std::shared_ptr<const cg::ImageCodec> makeImageCodec();

} // namespace pellavo::backend
