#include "platform/ca/Renderer.hpp"

#include <cairo.h>

#include <cmath>
#include <optional>

#include "platform/ca/Layer.hpp"
#include "platform/ca/LayerPainter.hpp"
#include "platform/cg/Context.hpp"
#include "platform/ns/Console.hpp"

namespace pellavo::ca {

namespace {

// Pixels for one side, or 0 when the product is not a usable side length.
int pixels(double points, double scale) {
    const double px = std::ceil(points * scale);
    if (!std::isfinite(px) || px < 1 || px > cg::Context::kMaxSide) return 0;
    return static_cast<int>(px);
}

} // namespace

Renderer::Renderer(cg::Size points, double scale) : points_(points), scale_(scale), image_(0, 0) {
    int w = pixels(points.width, scale), h = pixels(points.height, scale);
    if (static_cast<long long>(w) * h > cg::Context::kMaxPixels) w = h = 0;
    if (w == 0 || h == 0) {
        ns::log("Renderer: unusable size or scale; frames will be empty");
        return;
    }
    image_ = cg::Image(w, h);
    makeContext();
}

Renderer::~Renderer() = default;

void Renderer::makeContext() {
    context_.reset();
    cairo_surface_t* surface = cairo_image_surface_create_for_data(image_.mutableData(), CAIRO_FORMAT_ARGB32,
                                                                   image_.width(), image_.height(), image_.stride());
    cairo_t* cr = cairo_create(surface);
    cairo_surface_destroy(surface); // the cairo_t holds it
    if (cairo_status(cr) == CAIRO_STATUS_SUCCESS) context_ = std::make_unique<cg::Context>(cr);
    cairo_destroy(cr); // the context holds its own reference
}

const cg::Image& Renderer::render(const Layer& root, RenderMode mode) {
    if (context_ && !context_->isHealthy()) {
        // Cairo's errors are sticky: a call the checks let through would blank every
        // later frame, so the next frame starts on a fresh context over the same pixels.
        if (!reportedFault_) ns::log("Renderer: drawing failed in an earlier frame; starting afresh");
        reportedFault_ = true;
        makeContext();
    }
    if (!context_) return image_;
    context_->clearAll();
    cg::Context::SavedState saved(*context_);
    context_->scaleBy(scale_, scale_);
    LayerPainter painter(*context_,
                         mode.isPresentation() ? std::optional<double>(mode.mediaTime()) : std::nullopt);
    painter.drawPlaced(root);
    saved.restore();
    cairo_surface_flush(cairo_get_target(context_->native()));
    return image_;
}

} // namespace pellavo::ca
