#include "tests/support/Golden.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/backend/ImageCodec.hpp"

namespace pellavo::testing {
namespace {

constexpr int kMaxChannelDelta = 24;
constexpr int kSmallDelta = 3;

std::vector<std::byte> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::vector<char> chars((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::byte> bytes(chars.size());
    std::memcpy(bytes.data(), chars.data(), chars.size());
    return bytes;
}

bool writePng(const std::filesystem::path& path, const cg::Image& image) {
    const auto bytes = backend::encodePng(image);
    if (bytes.empty()) return false;
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

int delta(cg::RGBA8 a, cg::RGBA8 b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b), std::abs(a.a - b.a)});
}

void setPixel(cg::Image& image, int x, int y, cg::RGBA8 p) {
    // Opaque colours only, so premultiplied equals straight.
    const std::uint32_t word = 0xFF000000u | (std::uint32_t{p.r} << 16) | (std::uint32_t{p.g} << 8) | p.b;
    std::memcpy(image.mutableData() + static_cast<std::size_t>(y) * image.stride() + static_cast<std::size_t>(x) * 4,
                &word, 4);
}

// A faint grey copy of the actual picture (over white), differences marked:
// small ones blue, ones over 3 amplified in orange, ones over the hard limit red.
// Pixels that only one side has are red too.
std::shared_ptr<cg::Image> diffImage(const cg::Image& actual, const cg::Image& expected) {
    const int width = std::max(actual.width(), expected.width());
    const int height = std::max(actual.height(), expected.height());
    auto diff = std::make_shared<cg::Image>(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool inBoth = x < actual.width() && y < actual.height() && x < expected.width() && y < expected.height();
            if (!inBoth) {
                setPixel(*diff, x, y, {255, 0, 0, 255});
                continue;
            }
            const cg::RGBA8 a = actual.pixel(x, y);
            const int d = delta(a, expected.pixel(x, y));
            if (d > kMaxChannelDelta) {
                setPixel(*diff, x, y, {255, 0, 0, 255});
            } else if (d > kSmallDelta) {
                setPixel(*diff, x, y, {255, static_cast<std::uint8_t>(200 - d * 6), 0, 255});
            } else if (d > 0) {
                setPixel(*diff, x, y, {90, 90, 255, 255});
            } else {
                const int luma = (a.r * 299 + a.g * 587 + a.b * 114) / 1000;
                const int over = (luma * a.a + 255 * (255 - a.a)) / 255;
                const auto grey = static_cast<std::uint8_t>(192 + over / 4);
                setPixel(*diff, x, y, {grey, grey, grey, 255});
            }
        }
    return diff;
}

std::string describe(cg::RGBA8 p) {
    std::ostringstream out;
    out << "(" << int(p.r) << ", " << int(p.g) << ", " << int(p.b) << ", " << int(p.a) << ")";
    return out.str();
}

} // namespace

GoldenSettings GoldenSettings::fromEnvironment() {
    GoldenSettings settings;
    settings.goldenDirectory = PELLAVO_GOLDEN_DIR;
    settings.failureDirectory = std::filesystem::path(PELLAVO_BUILD_DIR) / "golden-failures";
    const char* update = std::getenv("PELLAVO_UPDATE_GOLDENS");
    settings.update = update && std::string_view(update) == "1";
    return settings;
}

GoldenResult compareWithGolden(const cg::Image& actual, std::string_view name, const GoldenSettings& settings) {
    const std::string fileName(name);
    const auto goldenPath = settings.goldenDirectory / (fileName + ".png");
    GoldenResult result;
    if (settings.update) {
        result.passed = writePng(goldenPath, actual);
        result.message = result.passed ? "updated golden " + goldenPath.string() + ": look at it before committing"
                                       : "could not write golden " + goldenPath.string();
        return result;
    }

    const auto actualPath = settings.failureDirectory / (fileName + ".actual.png");
    const auto expectedPath = settings.failureDirectory / (fileName + ".expected.png");
    const auto diffPath = settings.failureDirectory / (fileName + ".diff.png");
    const auto bytes = readFile(goldenPath);
    const auto expected = bytes.empty() ? nullptr : backend::decodePng(bytes);
    if (!expected) {
        writePng(actualPath, actual);
        result.message = "golden " + goldenPath.string() + " is missing or unreadable; actual picture in " +
                         actualPath.string() + "; PELLAVO_UPDATE_GOLDENS=1 records it";
        return result;
    }

    std::ostringstream report;
    bool failed = false;
    if (actual.width() != expected->width() || actual.height() != expected->height()) {
        failed = true;
        report << "size " << actual.width() << " x " << actual.height() << " differs from the golden's "
               << expected->width() << " x " << expected->height() << "\n";
    } else {
        long long overSmall = 0;
        int worst = 0;
        int firstX = -1, firstY = -1;
        for (int y = 0; y < actual.height(); ++y)
            for (int x = 0; x < actual.width(); ++x) {
                const int d = delta(actual.pixel(x, y), expected->pixel(x, y));
                worst = std::max(worst, d);
                if (d > kSmallDelta) {
                    if (overSmall++ == 0) {
                        firstX = x;
                        firstY = y;
                    }
                }
            }
        if (worst == 0) {
            result.passed = true;
            return result;
        }
        const long long total = static_cast<long long>(actual.width()) * actual.height();
        // At most 0.5 % of the pixels may differ by more than the small delta.
        if (worst <= kMaxChannelDelta && overSmall * 200 <= total) {
            result.passed = true;
            return result;
        }
        failed = true;
        report << overSmall << " of " << total << " pixels differ by more than " << kSmallDelta
               << " (largest channel difference " << worst << ")\n";
        if (firstX >= 0)
            report << "first at (" << firstX << ", " << firstY << "): actual "
                   << describe(actual.pixel(firstX, firstY)) << ", expected "
                   << describe(expected->pixel(firstX, firstY)) << "\n";
    }
    if (failed) {
        writePng(actualPath, actual);
        writePng(expectedPath, *expected);
        writePng(diffPath, *diffImage(actual, *expected));
        report << "golden " << goldenPath.string() << " does not match; see\n  " << actualPath.string() << "\n  "
               << expectedPath.string() << "\n  " << diffPath.string();
        result.message = report.str();
    }
    return result;
}

void expectMatchesGolden(const cg::Image& actual, std::string_view name) {
    const GoldenSettings settings = GoldenSettings::fromEnvironment();
    const GoldenResult result = compareWithGolden(actual, name, settings);
    if (!result.passed) {
        ADD_FAILURE() << result.message;
    } else if (!result.message.empty()) {
        std::printf("[ golden   ] %s\n", result.message.c_str());
    }
}

} // namespace pellavo::testing
