#include "platform/ca/RasterCache.hpp"

#include <cairo.h>

#include "platform/cg/Context.hpp"

namespace pellavo::ca {

namespace {

// Larger pictures are drawn each time rather than held: a full screen of them would
// hold megabytes per layer.
constexpr double kKeptPixels = 512.0 * 512.0;

} // namespace

void RasterCache::Release::operator()(_cairo_surface* surface) const { cairo_surface_destroy(surface); }

_cairo_surface* RasterCache::picture(Slot slot, const Key& key, const std::function<void(cg::Context&)>& draw) {
    Entry& entry = entries_[static_cast<int>(slot)];
    if (entry.surface && entry.key == key) return cairo_surface_reference(entry.surface.get());
    entry.surface.reset();
    const cg::Rect box = key.box;
    if (box.isNull() || box.isEmpty() || !box.isFinite() || box.size.width > cg::Context::kMaxSide ||
        box.size.height > cg::Context::kMaxSide)
        return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(box.size.width),
                                                          static_cast<int>(box.size.height));
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_set_device_offset(surface, -box.minX(), -box.minY());
    cairo_t* cr = cairo_create(surface);
    {
        cg::Context part(cr);
        part.concatenate(key.ctm);
        draw(part);
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    if (box.size.width * box.size.height <= kKeptPixels) {
        entry.surface.reset(cairo_surface_reference(surface));
        entry.key = key;
    }
    return surface;
}

} // namespace pellavo::ca
