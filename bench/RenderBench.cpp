#include <benchmark/benchmark.h>
#include <cairo.h>
#include <malloc.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "platform/ca/GradientLayer.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ca/Renderer.hpp"
#include "platform/ca/ShapeLayer.hpp"
#include "platform/ca/Transaction.hpp"
#include "platform/cg/Context.hpp"
#include "platform/cg/Path.hpp"
#include "platform/ci/BlurCore.hpp"

// A busy screen (about 200 layers) drawn through ca::Renderer and drawn again by
// hand with Cairo, to see what the layer machinery costs on top of the drawing.

namespace {

using namespace pellavo;
using cg::Color;
using cg::Rect;

constexpr double kScale = 2;
constexpr cg::Size kScreen{375, 667};

struct Chip {
    Rect frame;
    double radius;
    Color fill;
    double border;
    Color borderColor;
};
struct Arc {
    Rect frame; // the circle's box, in the owner's space
    double from, to;
    Color color;
    double width;
};
struct Ramp {
    Rect frame;
    Color top, bottom;
    double radius;
};
struct Text {
    Rect frame;
    std::string string;
    cg::ImageRef bitmap; // drawn once, as a layer's display would
};
struct Panel {
    Chip card;
    std::vector<Chip> chips;
    std::vector<Arc> arcs;
    std::vector<Ramp> ramps;
    std::vector<Text> texts;
};
struct Scene {
    Color background;
    std::vector<Panel> panels; // each an opacity group
    std::vector<Chip> loose;
    std::vector<Chip> shadowed;
};

Color hue(int i, double alpha = 1) {
    const double t = i * 0.618034;
    return {0.5 + 0.4 * std::sin(t * 6.283), 0.5 + 0.4 * std::sin(t * 6.283 + 2.1), 0.5 + 0.4 * std::sin(t * 6.283 + 4.2),
            alpha};
}

cg::ImageRef textBitmap(const std::string& s, double w, double h) {
    auto context = cg::Context::makeBitmap(static_cast<int>(w * kScale), static_cast<int>(h * kScale), false);
    cairo_t* cr = context->native();
    cairo_scale(cr, kScale, kScale);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 11);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.15);
    cairo_move_to(cr, 2, h - 4);
    cairo_show_text(cr, s.c_str());
    return context->makeImage();
}

Scene makeScene() {
    Scene scene;
    scene.background = {0.95, 0.95, 0.97, 1};
    int n = 0;
    for (int p = 0; p < 5; ++p) {
        Panel panel;
        panel.card = {{10, 10.0 + p * 120, 355, 110}, 12, {1, 1, 1, 1}, 1, {0.8, 0.8, 0.85, 1}};
        for (int i = 0; i < 20; ++i)
            panel.chips.push_back({{8.0 + (i % 10) * 34, 8.0 + (i / 10) * 24, 30, 20}, 6, hue(n++), 1.5, hue(n, 0.8)});
        for (int i = 0; i < 8; ++i)
            panel.arcs.push_back({{10.0 + i * 42, 58, 30, 30}, 0.05 * i, 0.55 + 0.05 * i, hue(n++), 4});
        for (int i = 0; i < 2; ++i) panel.ramps.push_back({{8.0 + i * 60, 92, 50, 14}, hue(n++), hue(n++), 5});
        for (int i = 0; i < 4; ++i) {
            Text t{{130.0 + i * 55, 90, 52, 16}, "Item " + std::to_string(p * 4 + i), nullptr};
            t.bitmap = textBitmap(t.string, t.frame.size.width, t.frame.size.height);
            panel.texts.push_back(t);
        }
        scene.panels.push_back(panel);
    }
    for (int i = 0; i < 15; ++i)
        scene.loose.push_back({{10.0 + i * 23.5, 612, 20, 20}, 10, hue(n++), 1, {0, 0, 0, 0.3}});
    scene.shadowed.push_back({{40, 638, 120, 22}, 8, {1, 1, 1, 1}, 0, {}});
    scene.shadowed.push_back({{215, 638, 120, 22}, 8, {1, 1, 1, 1}, 0, {}});
    return scene;
}

// ---------------------------------------------------------------- through layers

std::shared_ptr<ca::Layer> chipLayer(const Chip& c) {
    auto l = ns::make<ca::Layer>();
    l->setFrame(c.frame);
    l->setCornerRadius(c.radius);
    l->setBackgroundColor(c.fill);
    l->setBorderWidth(c.border);
    l->setBorderColor(c.borderColor);
    return l;
}

std::shared_ptr<ca::Layer> buildTree(const Scene& scene, int& count) {
    auto root = ns::make<ca::Layer>();
    root->setFrame({{0, 0}, kScreen});
    root->setBackgroundColor(scene.background);
    count = 1;
    for (const Panel& p : scene.panels) {
        auto card = chipLayer(p.card);
        card->setOpacity(0.85f);
        for (const Chip& c : p.chips) card->addSublayer(chipLayer(c));
        for (const Arc& a : p.arcs) {
            auto s = ns::make<ca::ShapeLayer>();
            s->setFrame(a.frame);
            s->setPath(cg::Path::ellipse({{0, 0}, a.frame.size}));
            s->setFillColor(std::nullopt);
            s->setStrokeColor(a.color);
            s->setLineWidth(a.width);
            s->setLineCap(cg::LineCap::round);
            s->setStrokeStart(a.from);
            s->setStrokeEnd(a.to);
            card->addSublayer(s);
        }
        for (const Ramp& r : p.ramps) {
            auto g = ns::make<ca::GradientLayer>();
            g->setFrame(r.frame);
            g->setColors({r.top, r.bottom});
            g->setCornerRadius(r.radius);
            card->addSublayer(g);
        }
        for (const Text& t : p.texts) {
            auto l = ns::make<ca::Layer>();
            l->setFrame(t.frame);
            l->setContents(t.bitmap);
            l->setContentsScale(kScale);
            card->addSublayer(l);
        }
        count += 1 + static_cast<int>(p.chips.size() + p.arcs.size() + p.ramps.size() + p.texts.size());
        root->addSublayer(card);
    }
    for (const Chip& c : scene.loose) root->addSublayer(chipLayer(c));
    for (const Chip& c : scene.shadowed) {
        auto l = chipLayer(c);
        l->setShadowOpacity(0.4f);
        l->setShadowOffset({0, 2});
        l->setShadowRadius(4);
        root->addSublayer(l);
    }
    count += static_cast<int>(scene.loose.size() + scene.shadowed.size());
    return root;
}

// ---------------------------------------------------------------- by hand

void roundedRect(cairo_t* cr, const Rect& r, double radius) {
    const double x = r.origin.x, y = r.origin.y, w = r.size.width, h = r.size.height;
    radius = std::min({radius, w / 2, h / 2});
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - radius, y + radius, radius, -std::numbers::pi / 2, 0);
    cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, std::numbers::pi / 2);
    cairo_arc(cr, x + radius, y + h - radius, radius, std::numbers::pi / 2, std::numbers::pi);
    cairo_arc(cr, x + radius, y + radius, radius, std::numbers::pi, 3 * std::numbers::pi / 2);
    cairo_close_path(cr);
}

void source(cairo_t* cr, const Color& c) { cairo_set_source_rgba(cr, c.red, c.green, c.blue, c.alpha); }

void drawChip(cairo_t* cr, const Chip& c) {
    roundedRect(cr, c.frame, c.radius);
    source(cr, c.fill);
    cairo_fill(cr);
    if (c.border > 0) {
        roundedRect(cr, c.frame, c.radius);
        const Rect inner{c.frame.origin.x + c.border, c.frame.origin.y + c.border, c.frame.size.width - 2 * c.border,
                         c.frame.size.height - 2 * c.border};
        roundedRect(cr, inner, std::max(0.0, c.radius - c.border));
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
        source(cr, c.borderColor);
        cairo_fill(cr);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    }
}

void drawShadow(cairo_t* cr, const Chip& c, double sigma, double dy, double opacity) {
    const int reach = ci::blurReach(sigma * kScale);
    const int w = static_cast<int>(std::ceil(c.frame.size.width * kScale)), h = static_cast<int>(std::ceil(c.frame.size.height * kScale));
    cairo_surface_t* a8 = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
    cairo_t* m = cairo_create(a8);
    cairo_scale(m, kScale, kScale);
    roundedRect(m, {{0, 0}, c.frame.size}, c.radius);
    cairo_fill(m);
    cairo_destroy(m);
    cairo_surface_flush(a8);
    const ci::PixelRect area{-reach, -reach, w + 2 * reach, h + 2 * reach};
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_A8, area.width);
    ci::AlphaPlane blurred = ci::gaussianBlurAlpha(cairo_image_surface_get_data(a8), w, h,
                                                   cairo_image_surface_get_stride(a8), sigma * kScale, area, stride);
    cairo_surface_t* mask = cairo_image_surface_create_for_data(blurred.data.data(), CAIRO_FORMAT_A8, blurred.width,
                                                                blurred.height, blurred.stride);
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_set_source_rgba(cr, 0, 0, 0, opacity);
    cairo_mask_surface(cr, mask, c.frame.origin.x * kScale - reach, (c.frame.origin.y + dy) * kScale - reach);
    cairo_restore(cr);
    cairo_surface_destroy(mask);
    cairo_surface_destroy(a8);
}

void drawImage(cairo_t* cr, const cg::Image& image, const Rect& r) {
    cairo_surface_t* s = cairo_image_surface_create_for_data(const_cast<std::uint8_t*>(image.data()), CAIRO_FORMAT_ARGB32,
                                                             image.width(), image.height(), image.stride());
    cairo_save(cr);
    cairo_rectangle(cr, r.origin.x, r.origin.y, r.size.width, r.size.height);
    cairo_clip(cr);
    cairo_translate(cr, r.origin.x, r.origin.y);
    cairo_scale(cr, r.size.width / image.width(), r.size.height / image.height());
    cairo_set_source_surface(cr, s, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(s);
}

void drawByHand(cairo_t* cr, const Scene& scene) {
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_save(cr);
    cairo_scale(cr, kScale, kScale);
    source(cr, scene.background);
    cairo_rectangle(cr, 0, 0, kScreen.width, kScreen.height);
    cairo_fill(cr);
    for (const Panel& p : scene.panels) {
        cairo_push_group(cr);
        drawChip(cr, {p.card.frame, p.card.radius, p.card.fill, 0, {}});
        cairo_save(cr);
        cairo_translate(cr, p.card.frame.origin.x, p.card.frame.origin.y);
        for (const Chip& c : p.chips) drawChip(cr, c);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        for (const Arc& a : p.arcs) {
            const double r = a.frame.size.width / 2;
            cairo_new_path(cr);
            cairo_arc(cr, a.frame.origin.x + r, a.frame.origin.y + r, r, a.from * 2 * std::numbers::pi,
                      a.to * 2 * std::numbers::pi);
            source(cr, a.color);
            cairo_set_line_width(cr, a.width);
            cairo_stroke(cr);
        }
        for (const Ramp& r : p.ramps) {
            cairo_save(cr);
            roundedRect(cr, r.frame, r.radius);
            cairo_clip(cr);
            cairo_pattern_t* g = cairo_pattern_create_linear(0, r.frame.origin.y, 0, r.frame.origin.y + r.frame.size.height);
            cairo_pattern_add_color_stop_rgba(g, 0, r.top.red, r.top.green, r.top.blue, r.top.alpha);
            cairo_pattern_add_color_stop_rgba(g, 1, r.bottom.red, r.bottom.green, r.bottom.blue, r.bottom.alpha);
            cairo_set_source(cr, g);
            cairo_paint(cr);
            cairo_pattern_destroy(g);
            cairo_restore(cr);
        }
        for (const Text& t : p.texts) drawImage(cr, *t.bitmap, t.frame);
        cairo_restore(cr);
        drawChip(cr, {p.card.frame, p.card.radius, {0, 0, 0, 0}, p.card.border, p.card.borderColor});
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, 0.85);
    }
    for (const Chip& c : scene.loose) drawChip(cr, c);
    for (const Chip& c : scene.shadowed) {
        drawShadow(cr, c, 4, 2, 0.4);
        drawChip(cr, c);
    }
    cairo_restore(cr);
    cairo_surface_flush(cairo_get_target(cr));
}

// glibc hands large blocks back to the system and maps them again as its thresholds
// adapt, so the side that frees fewer of them would pay for the other's page faults:
// fixed thresholds keep both sides on the same footing.
void pinAllocatorThresholds() {
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
}

// Both ways in one loop, so the ratio compares like with like.
void BM_BusyTree(benchmark::State& state) {
    pinAllocatorThresholds();
    const Scene scene = makeScene();
    int layers = 0;
    const auto tree = buildTree(scene, layers);
    ca::Renderer renderer(kScreen, kScale);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 750, 1334);
    cairo_t* cr = cairo_create(surface);
    using Clock = std::chrono::steady_clock;
    Clock::duration viaLayers{}, byHand{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(renderer.render(*tree).data());
        const auto t1 = Clock::now();
        drawByHand(cr, scene);
        benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
        const auto t2 = Clock::now();
        viaLayers += t1 - t0;
        byHand += t2 - t1;
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    const double n = static_cast<double>(state.iterations());
    const double layersMs = std::chrono::duration<double, std::milli>(viaLayers).count() / n;
    const double handMs = std::chrono::duration<double, std::milli>(byHand).count() / n;
    state.counters["layers"] = layers;
    state.counters["renderer_ms"] = layersMs;
    state.counters["direct_cairo_ms"] = handMs;
    state.counters["overhead_ratio"] = handMs > 0 ? layersMs / handMs : 0;
}
BENCHMARK(BM_BusyTree)->Unit(benchmark::kMillisecond);

// The renderer alone, for profiling.
void BM_RenderBusyTree(benchmark::State& state) {
    pinAllocatorThresholds();
    const Scene scene = makeScene();
    int layers = 0;
    const auto tree = buildTree(scene, layers);
    ca::Renderer renderer(kScreen, kScale);
    for (auto _ : state) benchmark::DoNotOptimize(renderer.render(*tree).data());
}
BENCHMARK(BM_RenderBusyTree)->Unit(benchmark::kMillisecond);

// One 40 × 40 indicator turning on the busy screen: the frame that redraws what
// changed against the whole frame.
void BM_SpinnerDamage(benchmark::State& state) {
    pinAllocatorThresholds();
    const Scene scene = makeScene();
    int layers = 0;
    const auto tree = buildTree(scene, layers);
    auto spinner = ns::make<ca::ShapeLayer>();
    spinner->setFrame({167, 300, 40, 40});
    spinner->setPath(cg::Path::ellipse({4, 4, 32, 32}));
    spinner->setFillColor(std::nullopt);
    spinner->setStrokeColor(Color(0.2, 0.4, 0.9, 1));
    spinner->setLineWidth(4);
    spinner->setStrokeEnd(0.7);
    tree->addSublayer(spinner);
    ca::Transaction::flush();
    ca::Renderer changes(kScreen, kScale), whole(kScreen, kScale);
    changes.renderChanges(*tree);
    using Clock = std::chrono::steady_clock;
    Clock::duration partial{}, full{}, still{};
    double angle = 0;
    for (auto _ : state) {
        {
            ca::Transaction::ActionsDisabled still;
            spinner->setTransform(ca::Transform3D::makeRotation(angle += 0.2, 0, 0, 1));
        }
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(changes.renderChanges(*tree).data());
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(whole.render(*tree).data());
        const auto t2 = Clock::now();
        // The same tree again, unchanged: what an idle frame costs.
        benchmark::DoNotOptimize(changes.renderChanges(*tree).data());
        const auto t3 = Clock::now();
        still += t3 - t2;
        partial += t1 - t0;
        full += t2 - t1;
    }
    const double n = static_cast<double>(state.iterations());
    const double partialMs = std::chrono::duration<double, std::milli>(partial).count() / n;
    const double fullMs = std::chrono::duration<double, std::milli>(full).count() / n;
    state.counters["changes_ms"] = partialMs;
    state.counters["whole_ms"] = fullMs;
    state.counters["idle_ms"] = std::chrono::duration<double, std::milli>(still).count() / n;
    state.counters["ratio"] = fullMs > 0 ? partialMs / fullMs : 0;
}
BENCHMARK(BM_SpinnerDamage)->Unit(benchmark::kMillisecond);

} // namespace
