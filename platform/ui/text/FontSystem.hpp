#pragma once

// Internal to the platform: the pinned font set and the Pango context that
// measuring and drawing share. Only the text code includes this header.

#include <cstddef>
#include <cstdint>
#include <string>

typedef struct _PangoContext PangoContext;
typedef struct _PangoFontDescription PangoFontDescription;

namespace pellavo::ui {
class Font;
}

namespace pellavo::ui::detail {

// Metrics of a face at 1 point; with hinting off they scale linearly with size.
struct FaceMetrics {
    double ascender = 0;  // above the baseline, positive
    double descender = 0; // below the baseline, negative
    double lineHeight = 0;
};

// This thread's Pango context: a private font map on the pinned fonts only,
// unhinted, grey antialiased, glyph positions unrounded. Created on first use
// and released when the thread ends.
PangoContext* fontContext();

// A description of the font's face at its absolute size in points. The caller
// frees it with pango_font_description_free. A font of size 0 gives size 0.
PangoFontDescription* newFontDescription(const Font& font);

// The same description, owned by this thread and valid until its next call here:
// layouts copy what they are given, so the few fonts in use are described once.
const PangoFontDescription* fontDescription(const Font& font);

// Per-point metrics of the font's face, computed once per process.
FaceMetrics faceMetrics(const Font& font);

// The font file the pinned font map picks for the font's face ("" if none).
std::string faceFile(const Font& font);

// Counts changes to the faces the font maps can find. The set is pinned today, so only
// whatever changes it calls fontsDidChange() (ui::fontsDidChange() outside the platform);
// every thread then forgets the text sizes it remembered (ui::measuredSize).
std::uint64_t fontGeneration();
void fontsDidChange();

inline constexpr std::size_t measureCacheCapacity = 2048;

// Largest point size handed to Pango; anything larger is clamped to it.
inline constexpr double maximumPointSize = 4096;

} // namespace pellavo::ui::detail
