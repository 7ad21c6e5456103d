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

void Renderer::clear(cg::Context& context) {
    context.clearAll();
    // Cairo draws the first operation on a surface it knows is clear with another
    // operator, which rounds differently; a part of the frame may meet a different
    // first operation than the whole, so the frame never counts as clear.
    cairo_surface_mark_dirty(cairo_get_target(context.native()));
}

void Renderer::makeContext() {
    context_.reset();
    cairo_surface_t* surface = cairo_image_surface_create_for_data(image_.mutableData(), CAIRO_FORMAT_ARGB32,
                                                                   image_.width(), image_.height(), image_.stride());
    cairo_t* cr = cairo_create(surface);
    cairo_surface_destroy(surface); // the cairo_t holds it
    if (cairo_status(cr) == CAIRO_STATUS_SUCCESS) context_ = std::make_unique<cg::Context>(cr);
    cairo_destroy(cr); // the context holds its own reference
}

bool Renderer::readyContext() {
    if (context_ && !context_->isHealthy()) {
        // Cairo's errors are sticky: a call the checks let through would blank every
        // later frame, so the next frame starts on a fresh context over the same pixels.
        if (!reportedFault_) ns::log("Renderer: drawing failed in an earlier frame; starting afresh");
        reportedFault_ = true;
        makeContext();
        tracker_.forget();
    }
    return context_ != nullptr;
}

void Renderer::paint(cg::Context& context, const Layer& root, RenderMode mode, bool culled) {
    cg::Context::SavedState saved(context);
    context.scaleBy(scale_, scale_);
    LayerPainter painter(context,
                         mode.isPresentation() ? std::optional<double>(mode.mediaTime()) : std::nullopt);
    if (culled) painter.cullBy([this](const Layer& layer) { return tracker_.boxOf(layer); });
    // Whole frames and their parts then resample alike.
    painter.resampleWithin({0, 0, static_cast<double>(image_.width()), static_cast<double>(image_.height())});
    painter.drawPlaced(root);
}

const cg::Image& Renderer::render(const Layer& root, RenderMode mode) {
    tracker_.forget();
    if (!readyContext()) return image_;
    clear(*context_);
    paint(*context_, root, mode, false);
    cairo_surface_flush(cairo_get_target(context_->native()));
    return image_;
}

const cg::Image& Renderer::renderChanges(const Layer& root, RenderMode mode) {
    damage_.clear();
    if (!readyContext()) return image_;
    const cg::Rect frame{0, 0, static_cast<double>(image_.width()), static_cast<double>(image_.height())};
    damage_ = tracker_.update(root, mode.isPresentation() ? std::optional<double>(mode.mediaTime()) : std::nullopt,
                              cg::AffineTransform::makeScale(scale_, scale_), frame);
    // Each rect is drawn on a surface of its own over those pixels of the frame, so that
    // its edges bound the drawing the way the frame's do (a clip would make Cairo round
    // some clipped edges differently).
    cairo_surface_flush(cairo_get_target(context_->native()));
    for (const cg::Rect& rect : damage_) {
        const int x = static_cast<int>(rect.minX()), y = static_cast<int>(rect.minY());
        cairo_surface_t* part = cairo_image_surface_create_for_data(
            image_.mutableData() + static_cast<std::size_t>(y) * image_.stride() + static_cast<std::size_t>(x) * 4,
            CAIRO_FORMAT_ARGB32, static_cast<int>(rect.width()), static_cast<int>(rect.height()), image_.stride());
        cairo_surface_set_device_offset(part, -x, -y);
        cairo_t* cr = cairo_create(part);
        cairo_surface_destroy(part); // the cairo_t holds it
        if (cairo_status(cr) == CAIRO_STATUS_SUCCESS) {
            cg::Context context(cr);
            clear(context);
            paint(context, root, mode, true);
            cairo_surface_flush(part);
        }
        cairo_destroy(cr);
    }
    return image_;
}

} // namespace pellavo::ca
