#include "platform/ui/text/FontSystem.hpp"

#include <array>
#include <atomic>
#include <cmath>
#include <mutex>

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-font.h>
#include <pango/pangofc-fontmap.h>

#include "platform/ns/Console.hpp"
#include "platform/ui/text/Font.hpp"

namespace pellavo::ui::detail {

namespace {

// Only these directories are visible, so fonts installed on the host never
// change a measurement or a pixel.
constexpr std::array<const char*, 2> pinnedFontDirectories = {
    "/usr/share/fonts/truetype/dejavu",
    "/usr/share/fonts/truetype/droid",
};

// One configuration for the process: building it scans the font files, and
// fontconfig's objects are safe to share between threads.
FcConfig* pinnedConfig() {
    static FcConfig* const config = [] {
        FcConfig* created = FcConfigCreate();
        if (created == nullptr) {
            ns::log("fonts: could not create a font configuration");
            return created;
        }
        // Without a cache directory fontconfig rescans the files and complains on
        // stderr that it cannot save the result; the system's caches describe
        // the same files (they are checked against the directories' times).
        static constexpr char cacheDirectories[] =
            "<fontconfig><cachedir>/var/cache/fontconfig</cachedir>"
            "<cachedir prefix=\"xdg\">fontconfig</cachedir></fontconfig>";
        FcConfigParseAndLoadFromMemory(created, reinterpret_cast<const FcChar8*>(cacheDirectories), FcFalse);
        for (const char* directory : pinnedFontDirectories) {
            if (!FcConfigAppFontAddDir(created, reinterpret_cast<const FcChar8*>(directory))) {
                ns::log(std::string("fonts: could not read ") + directory);
            }
        }
        return created;
    }();
    return config;
}

// Font maps are not thread-safe, so each thread has its own, configured alike.
struct ThreadFonts {
    PangoFontMap* fontMap = nullptr;
    PangoContext* context = nullptr;

    ThreadFonts() {
        fontMap = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
        if (fontMap == nullptr) fontMap = pango_cairo_font_map_new();
        if (FcConfig* config = pinnedConfig(); config != nullptr && PANGO_IS_FC_FONT_MAP(fontMap)) {
            pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(fontMap), config);
        }
        context = pango_font_map_create_context(fontMap);

        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
        pango_cairo_context_set_font_options(context, options);
        cairo_font_options_destroy(options);

        pango_context_set_round_glyph_positions(context, FALSE);
        // Sizes are absolute (in points = user-space units), so the resolution
        // only matters to relative sizes, which the platform never uses.
        pango_cairo_context_set_resolution(context, 72);
        pango_context_set_language(context, pango_language_from_string("en"));
        pango_context_set_base_dir(context, PANGO_DIRECTION_LTR);
    }
    ~ThreadFonts() {
        if (context != nullptr) g_object_unref(context);
        if (fontMap != nullptr) g_object_unref(fontMap);
    }
    ThreadFonts(const ThreadFonts&) = delete;
    ThreadFonts& operator=(const ThreadFonts&) = delete;
};

struct FaceSpec {
    const char* family;
    PangoWeight weight;
};

FaceSpec faceSpec(Font::Face face) {
    switch (face) {
    case Font::Face::bold:
        return {"DejaVu Sans", PANGO_WEIGHT_BOLD};
    case Font::Face::extraLight:
        return {"DejaVu Sans", PANGO_WEIGHT_ULTRALIGHT};
    case Font::Face::regular:
        break;
    }
    return {"DejaVu Sans", PANGO_WEIGHT_NORMAL};
}

PangoFontDescription* newDescription(Font::Face face, double points) {
    const FaceSpec spec = faceSpec(face);
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, spec.family);
    pango_font_description_set_weight(description, spec.weight);
    pango_font_description_set_style(description, PANGO_STYLE_NORMAL);
    pango_font_description_set_stretch(description, PANGO_STRETCH_NORMAL);
    double clamped = std::isfinite(points) && points > 0 ? std::fmin(points, maximumPointSize) : 0;
    pango_font_description_set_absolute_size(description, clamped * PANGO_SCALE);
    return description;
}

// Metrics are read at a large size so that Pango's integer units lose nothing.
constexpr double metricsReferenceSize = 1000;

FaceMetrics measureFace(Font::Face face) {
    FaceMetrics metrics;
    PangoContext* context = fontContext();
    PangoFontDescription* description = newDescription(face, metricsReferenceSize);
    PangoFont* font = pango_context_load_font(context, description);
    pango_font_description_free(description);
    if (font == nullptr) {
        ns::log("fonts: no face found for the default family");
        return metrics;
    }
    PangoFontMetrics* fontMetrics = pango_font_get_metrics(font, pango_context_get_language(context));
    const double scale = metricsReferenceSize * PANGO_SCALE;
    metrics.ascender = pango_font_metrics_get_ascent(fontMetrics) / scale;
    metrics.descender = -pango_font_metrics_get_descent(fontMetrics) / scale;
    metrics.lineHeight = pango_font_metrics_get_height(fontMetrics) / scale;
    if (metrics.lineHeight <= 0) metrics.lineHeight = metrics.ascender - metrics.descender;
    pango_font_metrics_unref(fontMetrics);
    g_object_unref(font);
    return metrics;
}

} // namespace

namespace {
std::atomic<std::uint64_t> generation{0};
} // namespace

std::uint64_t fontGeneration() { return generation.load(std::memory_order_acquire); }

void fontsDidChange() { generation.fetch_add(1, std::memory_order_acq_rel); }

PangoContext* fontContext() {
    thread_local ThreadFonts fonts;
    return fonts.context;
}

PangoFontDescription* newFontDescription(const Font& font) {
    return newDescription(font.face(), font.pointSize());
}

const PangoFontDescription* fontDescription(const Font& font) {
    // The most recently described fonts; a layout rarely holds more than a handful.
    struct Described {
        Font::Face face = Font::Face::regular;
        double points = -1;
        PangoFontDescription* description = nullptr;
    };
    struct Recent {
        std::array<Described, 4> entries;
        std::size_t next = 0;
        Recent() = default;
        Recent(const Recent&) = delete;
        Recent& operator=(const Recent&) = delete;
        ~Recent() {
            for (Described& entry : entries) {
                if (entry.description != nullptr) pango_font_description_free(entry.description);
            }
        }
    };
    thread_local Recent recent;
    for (const Described& entry : recent.entries) {
        if (entry.description != nullptr && entry.face == font.face() && entry.points == font.pointSize()) {
            return entry.description;
        }
    }
    Described& entry = recent.entries[recent.next];
    recent.next = (recent.next + 1) % recent.entries.size();
    if (entry.description != nullptr) pango_font_description_free(entry.description);
    entry = {font.face(), font.pointSize(), newFontDescription(font)};
    return entry.description;
}

FaceMetrics faceMetrics(const Font& font) {
    static std::mutex mutex;
    static std::array<FaceMetrics, 3> cache;
    static std::array<bool, 3> measured{};
    const auto index = static_cast<std::size_t>(font.face());
    std::lock_guard lock(mutex);
    if (!measured[index]) {
        cache[index] = measureFace(font.face());
        measured[index] = true;
    }
    return cache[index];
}

std::string faceFile(const Font& font) {
    PangoFontDescription* description = newDescription(font.face(), metricsReferenceSize);
    PangoFont* loaded = pango_context_load_font(fontContext(), description);
    pango_font_description_free(description);
    std::string file;
    if (loaded != nullptr && PANGO_IS_FC_FONT(loaded)) {
        FcChar8* path = nullptr;
        if (FcPatternGetString(pango_fc_font_get_pattern(PANGO_FC_FONT(loaded)), FC_FILE, 0, &path) ==
            FcResultMatch) {
            file = reinterpret_cast<const char*>(path);
        }
    }
    if (loaded != nullptr) g_object_unref(loaded);
    return file;
}

} // namespace pellavo::ui::detail
