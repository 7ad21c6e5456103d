#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/cg/Image.hpp"

namespace pellavo::cg {

// Limits every codec applies before it allocates a pixel buffer.
inline constexpr std::size_t kMaxEncodedImageBytes = std::size_t{64} << 20;
inline constexpr int kMaxDecodedImageSide = 8192;

// Turns encoded bytes into pixels and pixels into PNG bytes. The platform installs its
// codec (libpng and libjpeg-turbo, from the backend) when it initialises, beside the HTTP
// transport (see platform/Platform.hpp): that happens when the platform library is
// loaded, before any code of a library or host above it runs, and shutdown() removes it
// at exit. ui::Image decodes and encodes through decodeImage() and encodePng() below,
// which use whatever is installed at the time of the call.
//
// Without a codec (code that runs inside the platform library's own static
// initialisation or destruction, or a host that installed null) nothing crashes and
// nothing waits: decoding answers null and encoding answers no bytes, exactly as for
// data that does not decode, and the first such call logs one line ("no image codec is
// installed"); installing a codec, or null again, re-arms that line.
class PELLAVO_EXPORT ImageCodec {
public:
    virtual ~ImageCodec() = default;

    // PNG or JPEG, told apart by signature. Never prints, never exits; null for data that
    // is corrupt, truncated, of an unsupported kind or over the limits above. The result
    // is premultiplied ARGB32. Called from any thread.
    virtual ImageRef decode(std::span<const std::byte> data) const = 0;
    // 8-bit straight RGBA, no time or gamma chunks; empty for an image without pixels.
    // Called from any thread.
    virtual std::vector<std::byte> encodePng(const Image& image) const = 0;

    static std::shared_ptr<const ImageCodec> installed();
    // Replaces the installed codec (null removes it) and returns the previous one.
    // Safe from any thread; a decode already under way finishes with the codec it began with.
    static std::shared_ptr<const ImageCodec> install(std::shared_ptr<const ImageCodec> codec);
};

// Through the installed codec; see ImageCodec for what happens when there is none.
PELLAVO_EXPORT ImageRef decodeImage(std::span<const std::byte> data);
PELLAVO_EXPORT std::vector<std::byte> encodePng(const Image& image);

} // namespace pellavo::cg
