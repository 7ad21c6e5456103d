#include "platform/cg/Context.hpp"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "platform/ns/Console.hpp"

namespace pellavo::cg {

namespace {

// Cairo keeps device coordinates in 24.8 fixed point; anything beyond this is off
// every surface we make, and clamping keeps it from wrapping around.
constexpr double kDeviceLimit = 4.0e6;
// A CTM entry beyond this has no useful picture and strains Cairo's arithmetic.
constexpr double kMatrixLimit = 1.0e7;
constexpr double kMaxLineWidth = 1.0e6;

double unit(double v) { return std::isnan(v) ? 0.0 : std::clamp(v, 0.0, 1.0); }

bool usable(const AffineTransform& m) {
    if (!m.isFinite()) return false;
    for (double v : {m.a, m.b, m.c, m.d, m.tx, m.ty}) {
        if (std::fabs(v) > kMatrixLimit) return false;
    }
    const double det = m.determinant();
    return std::isfinite(det) && std::fabs(det) >= 1e-12;
}

cairo_matrix_t toCairo(const AffineTransform& m) {
    cairo_matrix_t c;
    cairo_matrix_init(&c, m.a, m.b, m.c, m.d, m.tx, m.ty);
    return c;
}

AffineTransform fromCairo(const cairo_matrix_t& c) { return {c.xx, c.yx, c.xy, c.yy, c.x0, c.y0}; }

cairo_fill_rule_t toCairo(FillRule rule) {
    return rule == FillRule::evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING;
}

cairo_line_cap_t toCairo(LineCap cap) {
    switch (cap) {
    case LineCap::butt: return CAIRO_LINE_CAP_BUTT;
    case LineCap::round: return CAIRO_LINE_CAP_ROUND;
    case LineCap::square: return CAIRO_LINE_CAP_SQUARE;
    }
    return CAIRO_LINE_CAP_BUTT;
}

cairo_line_join_t toCairo(LineJoin join) {
    switch (join) {
    case LineJoin::miter: return CAIRO_LINE_JOIN_MITER;
    case LineJoin::round: return CAIRO_LINE_JOIN_ROUND;
    case LineJoin::bevel: return CAIRO_LINE_JOIN_BEVEL;
    }
    return CAIRO_LINE_JOIN_MITER;
}

// A surface over an image's pixels, used only as a source (Cairo never writes to it).
cairo_surface_t* sourceSurface(const Image& image) {
    if (image.width() <= 0 || image.height() <= 0) return nullptr;
    if (image.stride() != cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, image.width())) return nullptr;
    cairo_surface_t* s = cairo_image_surface_create_for_data(const_cast<std::uint8_t*>(image.data()),
                                                             CAIRO_FORMAT_ARGB32, image.width(),
                                                             image.height(), image.stride());
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    return s;
}

// Pixman samples images through a 16.16 fixed-point matrix; Cairo refuses (and poisons
// the cairo_t with) a pattern matrix whose entries leave that range once it has moved
// what it can of the translation into an integer offset. This follows that reduction,
// with a margin, for a pattern matrix that is not a plain translation.
constexpr double kPatternLimit = 32000;

bool patternFitsFixedPoint(const cairo_matrix_t& p) {
    if (p.xx == 1 && p.yy == 1 && p.xy == 0 && p.yx == 0) return true;
    double tx = p.x0, ty = p.y0;
    double norm = std::max(std::fabs(tx), std::fabs(ty));
    // The offset that leaves the smallest translation: a fixed point of the matrix
    // shifted by ±1 on the diagonal, as Cairo looks for it.
    for (int i = -1; i < 2; i += 2) {
        for (int j = -1; j < 2; j += 2) {
            const double den = (p.xx + i) * (p.yy + j) - p.xy * p.yx;
            if (std::fabs(den) < std::numeric_limits<double>::epsilon()) continue;
            const double x = (p.xy * p.y0 - (p.yy + j) * p.x0) / den;
            const double y = (p.yx * p.x0 - (p.xx + i) * p.y0) / den;
            const double candidate = std::max(std::fabs(x), std::fabs(y));
            if (candidate < norm) {
                norm = candidate;
                tx = x;
                ty = y;
            }
        }
    }
    if (!(norm < kPatternLimit)) return false;
    tx = std::floor(tx);
    ty = std::floor(ty);
    const double x0 = p.xx * tx + p.xy * ty + p.x0, y0 = p.yx * tx + p.yy * ty + p.y0;
    for (double v : {p.xx, p.xy, p.yx, p.yy, x0, y0}) {
        if (!(std::fabs(v) < kPatternLimit)) return false;
    }
    return true;
}

enum class ImageMapping { nothing, unrepresentable, drawable };

// The matrix that maps an image's pixel grid onto `rect` under `ctm` and the pattern
// matrix that samples it (its inverse): `nothing` when there is no area to draw,
// `unrepresentable` when the rasteriser cannot take them.
ImageMapping imageMatrix(const Image& image, const Rect& rect, const AffineTransform& ctm, cairo_matrix_t& pattern) {
    if (!rect.isFinite() || image.width() <= 0 || image.height() <= 0) return ImageMapping::nothing;
    const Rect r = rect.standardized();
    if (!(r.size.width > 0) || !(r.size.height > 0)) return ImageMapping::nothing;
    const AffineTransform m = AffineTransform::makeScale(r.size.width / image.width(), r.size.height / image.height())
                                  .concatenating(AffineTransform::makeTranslation(r.origin.x, r.origin.y))
                                  .concatenating(ctm);
    if (!usable(m)) return ImageMapping::unrepresentable;
    pattern = toCairo(m);
    // Pattern space is the image's pixels seen from device space.
    if (cairo_matrix_invert(&pattern) != CAIRO_STATUS_SUCCESS || !patternFitsFixedPoint(pattern))
        return ImageMapping::unrepresentable;
    return ImageMapping::drawable;
}

} // namespace

struct Context::Impl {
    struct State {
        AffineTransform ctm;
        bool enabled = true;
        Color fill{0, 0, 0, 1};
        Color stroke{0, 0, 0, 1};
        Float lineWidth = 1;
        LineCap cap = LineCap::butt;
        LineJoin join = LineJoin::miter;
        Float miterLimit = 10;
        Float alpha = 1;
    };
    struct Entry {
        bool layer = false;
        State saved;
        std::uint64_t serial = 0;  // a save's own number; 0 for a layer
    };

    cairo_t* cr = nullptr;
    State state;
    std::vector<Entry> stack;
    std::uint64_t nextSerial = 1;
    bool reported = false;

    void check(const char* what) {
#ifdef PELLAVO_SANITIZE
        if (reported) return;
        cairo_status_t status = cairo_status(cr);
        if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(cairo_get_target(cr));
        if (status != CAIRO_STATUS_SUCCESS) {
            reported = true;
            ns::log(std::string("cairo error after ") + what + ": " + cairo_status_to_string(status));
        }
#else
        (void)what;
#endif
    }

    void changeCTM(const AffineTransform& op) {
        if (!state.enabled) return;
        const AffineTransform next = op.concatenating(state.ctm);
        if (!op.isFinite() || !usable(next)) {
            // Drawing stays off until the restore that matches the last save.
            state.enabled = false;
            return;
        }
        state.ctm = next;
        const cairo_matrix_t m = toCairo(next);
        cairo_set_matrix(cr, &m);
        check("a CTM change");
    }

    Point device(Point p) const {
        const Point d = p.applying(state.ctm);
        return {std::clamp(d.x, -kDeviceLimit, kDeviceLimit), std::clamp(d.y, -kDeviceLimit, kDeviceLimit)};
    }

    // Adds the path in device space, clamped, so no coordinate can overflow Cairo's fixed point.
    void appendPath(const Path& path) {
        cairo_identity_matrix(cr);
        for (const PathElement& e : path.elements()) {
            switch (e.type) {
            case PathElementType::moveTo: {
                const Point p = device(e.points[0]);
                cairo_move_to(cr, p.x, p.y);
                break;
            }
            case PathElementType::lineTo: {
                const Point p = device(e.points[0]);
                cairo_line_to(cr, p.x, p.y);
                break;
            }
            case PathElementType::curveTo: {
                const Point a = device(e.points[0]), b = device(e.points[1]), c = device(e.points[2]);
                cairo_curve_to(cr, a.x, a.y, b.x, b.y, c.x, c.y);
                break;
            }
            case PathElementType::closeSubpath: cairo_close_path(cr); break;
            }
        }
        const cairo_matrix_t m = toCairo(state.ctm);
        cairo_set_matrix(cr, &m);
    }

    void setSource(const Color& c, double extraAlpha = 1) {
        const Color k = c.clamped();
        cairo_set_source_rgba(cr, k.red, k.green, k.blue, k.alpha * state.alpha * extraAlpha);
    }

    bool rectOK(const Rect& r) const { return r.isFinite(); }

    // Paints an image's pixels mapped onto rect under the CTM, clipped to rect:
    // `paint(pattern)` runs in device space with the image as a pattern.
    template <class Paint>
    void paintImage(const Image& image, const Rect& rect, const char* what, Paint paint, bool clipped = true) {
        cairo_matrix_t pm;
        if (!state.enabled || imageMatrix(image, rect, state.ctm, pm) != ImageMapping::drawable) return;
        cairo_surface_t* surface = sourceSurface(image);
        if (!surface) return;
        cairo_pattern_t* pattern = cairo_pattern_create_for_surface(surface);
        cairo_pattern_set_matrix(pattern, &pm);
        cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
        // Padding keeps the edges crisp instead of fading them into transparency.
        cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
        cairo_save(cr);
        cairo_new_path(cr);
        if (clipped) {
            appendPath(Path::rect(rect));
            cairo_clip(cr);
        }
        cairo_identity_matrix(cr);
        paint(pattern);
        cairo_restore(cr);
        cairo_pattern_destroy(pattern);
        cairo_surface_destroy(surface);
        check(what);
    }
};

std::unique_ptr<Context> Context::makeBitmap(int width, int height, bool opaque) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide ||
        static_cast<long long>(width) * height > kMaxPixels) {
        return nullptr;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_t* cr = cairo_create(surface);
    cairo_surface_destroy(surface);  // the cairo_t holds it
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
        cairo_destroy(cr);
        return nullptr;
    }
    if (opaque) {
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_paint(cr);
    }
    auto context = std::make_unique<Context>(cr);
    cairo_destroy(cr);  // the context holds its own reference
    return context;
}

Context::Context(_cairo* cr) : impl_(std::make_unique<Impl>()) {
    impl_->cr = cairo_reference(cr);
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    impl_->state.ctm = fromCairo(m);
}

Context::~Context() {
    // Leave a borrowed cairo_t as it was given: unwind what is still open.
    for (auto it = impl_->stack.rbegin(); it != impl_->stack.rend(); ++it) {
        if (it->layer) {
            cairo_pattern_destroy(cairo_pop_group(impl_->cr));
        } else {
            cairo_restore(impl_->cr);
        }
    }
    cairo_new_path(impl_->cr);
    cairo_destroy(impl_->cr);
}

_cairo* Context::native() const { return impl_->cr; }

int Context::pixelWidth() const {
    cairo_surface_t* s = cairo_get_target(impl_->cr);
    return cairo_surface_get_type(s) == CAIRO_SURFACE_TYPE_IMAGE ? cairo_image_surface_get_width(s) : 0;
}

int Context::pixelHeight() const {
    cairo_surface_t* s = cairo_get_target(impl_->cr);
    return cairo_surface_get_type(s) == CAIRO_SURFACE_TYPE_IMAGE ? cairo_image_surface_get_height(s) : 0;
}

std::shared_ptr<const Image> Context::makeImage() const {
    cairo_surface_t* s = cairo_get_target(impl_->cr);
    if (cairo_surface_get_type(s) != CAIRO_SURFACE_TYPE_IMAGE) return std::make_shared<const Image>(0, 0);
    const cairo_format_t format = cairo_image_surface_get_format(s);
    if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) return std::make_shared<const Image>(0, 0);
    cairo_surface_flush(s);
    const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    const int srcStride = cairo_image_surface_get_stride(s);
    const unsigned char* src = cairo_image_surface_get_data(s);
    if (!src || w <= 0 || h <= 0) return std::make_shared<const Image>(0, 0);
    const int stride = Image::strideForWidth(w);
    std::vector<std::uint8_t> data(static_cast<std::size_t>(stride) * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) {
        std::memcpy(data.data() + static_cast<std::size_t>(y) * stride,
                    src + static_cast<std::size_t>(y) * srcStride, static_cast<std::size_t>(stride));
    }
    if (format == CAIRO_FORMAT_RGB24) {
        // The unused byte of RGB24 is undefined; these pixels are opaque.
        for (std::size_t i = 0; i < data.size(); i += 4) {
            std::uint32_t word;
            std::memcpy(&word, data.data() + i, 4);
            word |= 0xff000000u;
            std::memcpy(data.data() + i, &word, 4);
        }
    }
    return std::make_shared<const Image>(w, h, stride, std::move(data));
}

bool Context::isHealthy() const {
    return cairo_status(impl_->cr) == CAIRO_STATUS_SUCCESS &&
           cairo_surface_status(cairo_get_target(impl_->cr)) == CAIRO_STATUS_SUCCESS;
}

Context::SavedState::SavedState(Context& context)
    : context_(context), depth_(context.impl_->stack.size()), serial_(context.impl_->nextSerial++) {
    Impl& impl = *context_.impl_;
    impl.stack.push_back({false, impl.state, serial_});
    cairo_save(impl.cr);
    impl.check("a save");
}

Context::SavedState::~SavedState() { restore(); }

bool Context::SavedState::isRestored() const {
    const auto& stack = context_.impl_->stack;
    return stack.size() <= depth_ || stack[depth_].serial != serial_;
}

void Context::SavedState::restore() {
    if (isRestored()) return;
    Impl& impl = *context_.impl_;
    auto& stack = impl.stack;
    for (std::size_t i = depth_; i < stack.size(); ++i) {
        if (stack[i].layer) return;
    }
    while (stack.size() > depth_) {
        impl.state = stack.back().saved;
        stack.pop_back();
        cairo_restore(impl.cr);
    }
    impl.check("a restore");
}

void Context::translateBy(Float tx, Float ty) { impl_->changeCTM(AffineTransform::makeTranslation(tx, ty)); }
void Context::scaleBy(Float sx, Float sy) { impl_->changeCTM(AffineTransform::makeScale(sx, sy)); }
void Context::rotateBy(Float angle) {
    if (!std::isfinite(angle)) {
        impl_->state.enabled = false;
        return;
    }
    impl_->changeCTM(AffineTransform::makeRotation(angle));
}
void Context::concatenate(const AffineTransform& t) { impl_->changeCTM(t); }
AffineTransform Context::ctm() const { return impl_->state.ctm; }
bool Context::isDrawingEnabled() const { return impl_->state.enabled; }

void Context::setFillColor(const Color& c) { impl_->state.fill = c.clamped(); }
void Context::setStrokeColor(const Color& c) { impl_->state.stroke = c.clamped(); }
Color Context::fillColor() const { return impl_->state.fill; }
Color Context::strokeColor() const { return impl_->state.stroke; }

void Context::setLineWidth(Float width) {
    if (std::isfinite(width)) impl_->state.lineWidth = width;
}
void Context::setLineCap(LineCap cap) { impl_->state.cap = cap; }
void Context::setLineJoin(LineJoin join) { impl_->state.join = join; }
void Context::setMiterLimit(Float limit) {
    if (std::isfinite(limit)) impl_->state.miterLimit = std::max(Float(0), limit);
}
void Context::setAlpha(Float alpha) {
    if (std::isfinite(alpha)) impl_->state.alpha = std::clamp(alpha, Float(0), Float(1));
}
Float Context::lineWidth() const { return impl_->state.lineWidth; }
Float Context::alpha() const { return impl_->state.alpha; }

void Context::addPath(const Path& path) {
    if (!impl_->state.enabled) return;
    impl_->appendPath(path);
    impl_->check("addPath");
}

void Context::addRect(const Rect& rect) {
    if (!impl_->rectOK(rect)) return;
    addPath(Path::rect(rect));
}

void Context::beginPath() { cairo_new_path(impl_->cr); }

void Context::fillPath(FillRule rule) {
    cairo_t* cr = impl_->cr;
    if (!impl_->state.enabled) {
        cairo_new_path(cr);
        return;
    }
    impl_->setSource(impl_->state.fill);
    cairo_set_fill_rule(cr, toCairo(rule));
    cairo_fill(cr);
    impl_->check("fillPath");
}

void Context::strokePath() {
    cairo_t* cr = impl_->cr;
    const auto& s = impl_->state;
    if (!s.enabled || !(s.lineWidth > 0)) {
        cairo_new_path(cr);
        return;
    }
    impl_->setSource(s.stroke);
    cairo_set_line_width(cr, std::min(s.lineWidth, kMaxLineWidth));
    cairo_set_line_cap(cr, toCairo(s.cap));
    cairo_set_line_join(cr, toCairo(s.join));
    cairo_set_miter_limit(cr, s.miterLimit);
    cairo_stroke(cr);
    impl_->check("strokePath");
}

void Context::fill(const Rect& rect) {
    if (!impl_->rectOK(rect) || !impl_->state.enabled) return;
    cairo_new_path(impl_->cr);
    impl_->appendPath(Path::rect(rect));
    fillPath(FillRule::nonZero);
}

void Context::clear(const Rect& rect) {
    if (!impl_->rectOK(rect) || !impl_->state.enabled) return;
    cairo_t* cr = impl_->cr;
    cairo_new_path(cr);
    impl_->appendPath(Path::rect(rect));
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_fill(cr);
    cairo_restore(cr);
    impl_->check("clear");
}

void Context::clearAll() {
    cairo_t* cr = impl_->cr;
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_reset_clip(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_restore(cr);
    impl_->check("clearAll");
}

void Context::clip(const Rect& rect) {
    if (!impl_->rectOK(rect) || !impl_->state.enabled) return;
    clip(Path::rect(rect), FillRule::nonZero);
}

void Context::clip(const Path& path, FillRule rule) {
    if (!impl_->state.enabled) return;
    cairo_t* cr = impl_->cr;
    cairo_new_path(cr);
    impl_->appendPath(path);
    cairo_set_fill_rule(cr, toCairo(rule));
    cairo_clip(cr);
    impl_->check("clip");
}

void Context::clipToDeviceRect(const Rect& pixels) {
    if (!impl_->rectOK(pixels) || !impl_->state.enabled) return;
    cairo_t* cr = impl_->cr;
    const Rect r = pixels.standardized();
    cairo_new_path(cr);
    cairo_identity_matrix(cr);
    cairo_rectangle(cr, std::clamp(r.minX(), -kDeviceLimit, kDeviceLimit), std::clamp(r.minY(), -kDeviceLimit, kDeviceLimit),
                    std::clamp(r.size.width, 0.0, 2 * kDeviceLimit), std::clamp(r.size.height, 0.0, 2 * kDeviceLimit));
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_clip(cr);
    const cairo_matrix_t m = toCairo(impl_->state.ctm);
    cairo_set_matrix(cr, &m);
    impl_->check("clipToDeviceRect");
}

Rect Context::deviceClipBounds() const {
    cairo_t* cr = impl_->cr;
    if (!impl_->state.enabled) return Rect::null();
    cairo_identity_matrix(cr);
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    cairo_clip_extents(cr, &x0, &y0, &x1, &y1);
    const cairo_matrix_t m = toCairo(impl_->state.ctm);
    cairo_set_matrix(cr, &m);
    if (!(x1 > x0) || !(y1 > y0)) return Rect::null();
    return {x0, y0, x1 - x0, y1 - y0};
}

void Context::draw(const Image& image, const Rect& rect) {
    impl_->paintImage(image, rect, "draw(image)", [this](cairo_pattern_t* pattern) {
        cairo_set_source(impl_->cr, pattern);
        cairo_paint_with_alpha(impl_->cr, impl_->state.alpha);
    });
}

void Context::drawPadded(const Image& image, const Rect& rect) {
    impl_->paintImage(
        image, rect, "drawPadded(image)",
        [this](cairo_pattern_t* pattern) {
            cairo_set_source(impl_->cr, pattern);
            cairo_paint_with_alpha(impl_->cr, impl_->state.alpha);
        },
        false);
}

bool Context::canStretch(const Image& image, const Rect& rect) const {
    cairo_matrix_t pattern;
    return imageMatrix(image, rect, impl_->state.ctm, pattern) != ImageMapping::unrepresentable;
}

void Context::fill(const Image& mask, const Rect& rect, const Color& color) {
    impl_->paintImage(mask, rect, "fill(mask)", [this, &color](cairo_pattern_t* pattern) {
        impl_->setSource(color);
        cairo_mask(impl_->cr, pattern);
    });
}

void Context::drawLinearGradient(const std::vector<GradientStop>& stops, Point start, Point end) {
    auto& impl = *impl_;
    if (!impl.state.enabled || stops.empty() || !start.isFinite() || !end.isFinite()) return;
    cairo_t* cr = impl.cr;
    cairo_new_path(cr);
    const Point d0 = start.applying(impl.state.ctm), d1 = end.applying(impl.state.ctm);
    if (!d0.isFinite() || !d1.isFinite()) return;
    if (start == end) {
        // No direction: the last colour everywhere.
        impl.setSource(stops.back().color);
        cairo_paint(cr);
        impl.check("drawLinearGradient");
        return;
    }
    cairo_pattern_t* pattern = cairo_pattern_create_linear(start.x, start.y, end.x, end.y);
    for (const GradientStop& stop : stops) {
        const Color k = stop.color.clamped();
        cairo_pattern_add_color_stop_rgba(pattern, unit(stop.location), k.red, k.green, k.blue, k.alpha);
    }
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_set_source(cr, pattern);
    cairo_paint_with_alpha(cr, impl.state.alpha);
    cairo_pattern_destroy(pattern);
    impl.check("drawLinearGradient");
}

void Context::beginTransparencyLayer() {
    auto& impl = *impl_;
    impl.stack.push_back({true, impl.state});
    impl.state.alpha = 1;
    cairo_push_group(impl.cr);
    // Cairo draws the first operation on a surface it knows is clear with another
    // operator, which rounds differently; a group drawn in parts (a frame's damage) may
    // meet a different first operation than the whole, so groups never count as clear.
    cairo_surface_mark_dirty(cairo_get_group_target(impl.cr));
    impl.check("beginTransparencyLayer");
}

void Context::endTransparencyLayer(Float alpha) {
    auto& impl = *impl_;
    auto& stack = impl.stack;
    auto layer = std::find_if(stack.rbegin(), stack.rend(), [](const Impl::Entry& e) { return e.layer; });
    if (layer == stack.rend()) return;
    // Saves left open inside the layer are closed with it.
    while (!stack.back().layer) {
        stack.pop_back();
        cairo_restore(impl.cr);
    }
    impl.state = stack.back().saved;
    stack.pop_back();
    cairo_pattern_t* group = cairo_pop_group(impl.cr);
    if (impl.state.enabled && std::isfinite(alpha)) {
        cairo_set_source(impl.cr, group);
        cairo_paint_with_alpha(impl.cr, std::clamp(alpha, Float(0), Float(1)) * impl.state.alpha);
    }
    cairo_pattern_destroy(group);
    impl.check("endTransparencyLayer");
}

} // namespace pellavo::cg
