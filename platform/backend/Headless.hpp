#pragma once

#include <string>

#include "platform/ns/Export.hpp"
#include "platform/cg/Image.hpp"

namespace pellavo::backend {

// The screen without a display: what every visible window shows, for tests and for
// the gallery's PNG mode.
class PELLAVO_EXPORT Headless {
public:
    // Runs the pending layout and display passes, then draws the presentation of every
    // visible window at the current media time, bottom window first, at the main
    // screen's size and scale (750 × 1334 pixels by default).
    static cg::ImageRef renderScreen();
    // renderScreen() as a PNG file; false, with a log line, when it cannot be written.
    static bool renderScreenPNG(const std::string& path);
};

} // namespace pellavo::backend
