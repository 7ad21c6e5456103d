#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/cg/Image.hpp"

namespace pellavo::testing {

// Compares a rendered picture with tests/golden/<name>.png and adds a test
// failure when they differ beyond the tolerance. With PELLAVO_UPDATE_GOLDENS=1
// it records the picture as the new golden instead (look at it before committing).
void expectMatchesGolden(const cg::Image& actual, std::string_view name);

struct GoldenSettings {
    std::filesystem::path goldenDirectory;
    std::filesystem::path failureDirectory;
    bool update = false;

    // The compiled-in directories and the PELLAVO_UPDATE_GOLDENS switch.
    static GoldenSettings fromEnvironment();
};

struct GoldenResult {
    bool passed = false;
    std::string message; // the failure report, or the update note
};

// The comparison itself. Both sides are read as straight RGBA8 (transparent as
// zero): identical passes; otherwise it passes when no channel differs by more
// than 24 and at most 0.5 % of pixels differ by more than 3. A failure writes
// <failureDirectory>/<name>.{actual,expected,diff}.png.
GoldenResult compareWithGolden(const cg::Image& actual, std::string_view name, const GoldenSettings& settings);

} // namespace pellavo::testing
