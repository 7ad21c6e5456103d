#include "platform/ca/BackdropLayer.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/cg/Context.hpp"
#include "platform/cg/Path.hpp"
#include "platform/ci/BlurCore.hpp"

namespace pellavo::ca {
namespace {

// Blurs as if the picture went on beyond its edges: each pixel is divided by the
// share of the kernel that fell inside the picture, so the edges do not fade
// towards transparent.
std::shared_ptr<const cg::Image> blurWithinEdges(const cg::Image& source, double sigma) {
    const int w = source.width(), h = source.height();
    const ci::PixelRect area{0, 0, w, h};
    auto blurred = ci::gaussianBlur(source, sigma, area);
    if (!blurred) return nullptr;
    const std::vector<std::uint8_t> full(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 255);
    const ci::AlphaPlane coverage = ci::gaussianBlurAlpha(full.data(), w, h, w, sigma, area);
    if (coverage.width != w || coverage.height != h) return blurred;

    const int stride = cg::Image::strideForWidth(w);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(stride) * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t word = blurred->word(x, y);
            const int share = coverage.at(x, y);
            const double gain = share > 0 ? 255.0 / share : 1.0;
            auto scaled = [&](int shift) {
                const double v = static_cast<double>((word >> shift) & 0xFF) * gain;
                return static_cast<std::uint32_t>(std::min(255.0, std::round(v)));
            };
            const std::uint32_t a = scaled(24);
            const std::uint32_t r = std::min(scaled(16), a), g = std::min(scaled(8), a), b = std::min(scaled(0), a);
            const std::uint32_t result = (a << 24) | (r << 16) | (g << 8) | b;
            std::memcpy(out.data() + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 4, &result,
                        sizeof result);
        }
    }
    return std::make_shared<const cg::Image>(w, h, stride, std::move(out));
}

} // namespace

void BackdropLayer::setBlurRadius(cg::Float radius) {
    if (!std::isfinite(radius) || radius < 0) return;
    // Through the change hooks, so hosts that draw only on change see it.
    change(blurRadius_, radius, "blurRadius");
}

std::shared_ptr<Layer> BackdropLayer::cloneLayer() const {
    auto clone = ns::make<BackdropLayer>();
    copyPropertiesTo(*clone);
    clone->enabled_ = enabled_;
    clone->blurRadius_ = blurRadius_;
    clone->tintColor_ = tintColor_;
    return clone;
}

void BackdropLayer::drawBackdrop(cg::Context& context, const cg::Image& backdrop) const {
    const cg::Rect rect = bounds().standardized();
    if (rect.isEmpty() || backdrop.width() <= 0 || backdrop.height() <= 0) return;
    // The backdrop covers the bounds in device pixels: its size gives the pixel scale.
    const double scale = (backdrop.width() / rect.width() + backdrop.height() / rect.height()) / 2;
    const double sigma = blurRadius_ * scale;

    std::shared_ptr<const cg::Image> shown;
    if (std::isfinite(sigma) && sigma > 0) shown = blurWithinEdges(backdrop, sigma);
    cg::Context::SavedState saved(context);
    context.clip(cg::Path::roundedRect(rect, cornerRadius()));
    if (shown) context.draw(*shown, rect);
    else context.draw(backdrop, rect);
    if (tintColor_) {
        context.setFillColor(*tintColor_);
        context.fill(rect);
    }
}

} // namespace pellavo::ca
