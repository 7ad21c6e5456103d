#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/cg/Image.hpp"

namespace pellavo::ci {

// A rectangle of whole pixels, y down, in the source's pixel coordinates.
struct PELLAVO_EXPORT PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend constexpr bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The deviation actually used for a source of this size: NaN, zero and negative
// give 0 (no blur); anything above 2 × max(w, h), infinity included, is capped
// there, since past that the result is already a faint uniform wash.
PELLAVO_EXPORT double effectiveBlurSigma(double sigma, int width, int height);
// How far a blur of this (effective) deviation reaches past the source: ⌈3σ⌉, 0 for no blur.
PELLAVO_EXPORT int blurReach(double sigma);

// Largest area a blur will produce, the same caps as bitmap contexts.
inline constexpr int kMaxBlurSide = 16384;
inline constexpr long long kMaxBlurPixels = 1LL << 26;

// Gaussian blur of premultiplied ARGB32 pixels, σ in pixels, the source
// transparent outside its bounds. Produces only `area`, which may reach past
// the source by blurReach(σ). Exact normalised kernel below σ 2, three box
// passes per axis from σ 2; each colour stays ≤ its alpha. Pure: any thread.
// Null when `area` is empty or over the caps.
PELLAVO_EXPORT std::shared_ptr<const cg::Image> gaussianBlur(const cg::Image& source, double sigma, PixelRect area);

// An 8-bit coverage plane: `height` rows of `stride` bytes.
struct PELLAVO_EXPORT AlphaPlane {
    int width = 0;
    int height = 0;
    int stride = 0;
    std::vector<std::uint8_t> data;

    std::uint8_t at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0;
        return data[static_cast<std::size_t>(y) * static_cast<std::size_t>(stride) + static_cast<std::size_t>(x)];
    }
};

// The same blur on coverage alone, for shadows. `source` holds `height` rows of
// `sourceStride` bytes. The result's rows are `outputStride` bytes (at least the
// width; pass Cairo's A8 stride to wrap it in a surface). Empty plane when
// `area` is empty or over the caps.
PELLAVO_EXPORT AlphaPlane gaussianBlurAlpha(const std::uint8_t* source, int width, int height, int sourceStride, double sigma,
                             PixelRect area, int outputStride = 0);
// The alpha of premultiplied ARGB32 pixels, blurred.
PELLAVO_EXPORT AlphaPlane gaussianBlurAlpha(const cg::Image& source, double sigma, PixelRect area, int outputStride = 0);

} // namespace pellavo::ci
